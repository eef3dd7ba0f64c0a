#include <ExportOutput.h>

#include <QFile>

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace quorvel_archive {

bool writeAll(QIODevice& device, const QByteArray& text)
{
    return device.write(text) == text.size();
}

PendingFile::PendingFile(const QString& fileName, QIODevice::OpenMode mode) : file(fileName)
{
    file.open(QIODevice::WriteOnly | mode);
}

std::optional<std::string> PendingFile::commit(const QByteArray& bytes)
{
    if (file.isOpen() && writeAll(file, bytes) && file.commit())
        return std::nullopt;
    file.cancelWriting();
    return std::string(cannotWriteText);
}

std::optional<std::string> writeExportFile(const QString& fileName, const QByteArray& text,
                                           bool textMode)
{
    PendingFile file(fileName, textMode ? QIODevice::Text : QIODevice::NotOpen);
    if (!file.isOpen())
        return std::string(PendingFile::cannotOpenText);
    return file.commit(text);
}

std::optional<std::string> writeExportToStandardOutput(const QByteArray& text, bool textMode)
{
#ifdef _WIN32
    // Qt's text mode makes the CR LF; the C runtime must not add another CR.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::fflush(stdout);
    QFile out;
    // Unbuffered, so that a full disk or a closed pipe shows in the write
    // itself rather than in a flush on destruction.
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (!out.open(fileno(stdout), textMode ? mode | QIODevice::Text : mode, QFileDevice::DontCloseHandle))
        return std::string(PendingFile::cannotOpenText);
    if (!writeAll(out, text))
        return std::string(PendingFile::cannotWriteText);
    return std::nullopt;
}

} // namespace quorvel_archive
