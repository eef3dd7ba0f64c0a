#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <optional>
#include <string>

class QIODevice;

namespace quorvel_archive {

// Each returns nothing on success and otherwise the text the window shows
// for the same failure.

// A file that the program writes once the read is done, opened before the
// read starts so that a target that cannot be created stops the run at
// once. The content goes to a temporary file that replaces the target only
// on commit; dropped uncommitted, it leaves the target as it was.
class PendingFile {
public:
    static constexpr char cannotOpenText[] = "Невозможно открыть файл для записи";
    static constexpr char cannotWriteText[] = "Ошибка при записи файла";

    PendingFile(const QString& fileName, QIODevice::OpenMode mode);

    bool isOpen() const { return file.isOpen(); }
    // Writes all of the bytes and replaces the target; cannotWriteText if
    // any of it failed.
    std::optional<std::string> commit(const QByteArray& bytes);

private:
    QSaveFile file;
};

// Writes the table to the file through a PendingFile, in text mode as the
// window saves it, or with textMode false byte for byte (CSV brings its own
// CR LF).
std::optional<std::string> writeExportFile(const QString& fileName, const QByteArray& text,
                                           bool textMode = true);

// Writes the table to standard output, line ends as in a file.
std::optional<std::string> writeExportToStandardOutput(const QByteArray& text, bool textMode = true);

// Writes all of the table to an open device; false when it took less.
bool writeAll(QIODevice& device, const QByteArray& text);

} // namespace quorvel_archive
