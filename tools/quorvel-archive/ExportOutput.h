#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

class QIODevice;

namespace quorvel_archive {

// Each returns nothing on success and otherwise the text the window shows
// for the same failure.

// Writes the table to the file in text mode, as the window saves it, or
// with textMode false byte for byte (CSV brings its own CR LF). The table
// goes to a temporary file first that replaces the target only when
// complete, so a failed write leaves an existing file as it was.
std::optional<std::string> writeExportFile(const QString& fileName, const QByteArray& text,
                                           bool textMode = true);

// Writes the table to standard output, line ends as in a file.
std::optional<std::string> writeExportToStandardOutput(const QByteArray& text, bool textMode = true);

// Writes all of the table to an open device; false when it took less.
bool writeAll(QIODevice& device, const QByteArray& text);

} // namespace quorvel_archive
