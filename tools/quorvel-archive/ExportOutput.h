#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace quorvel_archive {

// The window's texts for an output that fails.
constexpr char cannotOpenText[] = "Невозможно открыть файл для записи";
constexpr char cannotWriteText[] = "Ошибка при записи файла";

// Each returns nothing on success and otherwise the text the window shows
// for the same failure.

// Writes the bytes to the file as every output file is written
// (file_output::OutputFile): in text mode as the window saves its table, or
// with textMode false byte for byte (CSV and dumps bring their own line
// ends). Failure texts as given.
std::optional<std::string> writeOutputFile(const QString& fileName, const QByteArray& bytes, bool textMode,
                                           const char* cannotOpen, const char* cannotWrite);

// What `write` writes, to the file or, when fileName is empty, to standard
// output, with the window's texts for a failure: to a file as every output
// file is written, to a Windows console as text the console shows, else
// byte for byte as it comes. In text mode '\n' becomes the platform's line
// end. `write` returns false when the device did not take every byte.
std::optional<std::string> writeExport(const QString& fileName, bool textMode,
                                       const std::function<bool(QIODevice&)>& write);

} // namespace quorvel_archive
