#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

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

// The table to a file, with the window's texts.
std::optional<std::string> writeExportFile(const QString& fileName, const QByteArray& text,
                                           bool textMode = true);

// Writes the table to standard output, line ends as in a file; to a
// Windows console as text the console shows, elsewhere byte for byte.
std::optional<std::string> writeExportToStandardOutput(const QByteArray& text, bool textMode = true);

} // namespace quorvel_archive
