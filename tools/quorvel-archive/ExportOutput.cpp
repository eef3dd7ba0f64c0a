#include <ExportOutput.h>

#include <ConsoleText.h>

#include <file_output/OutputFile.h>

#include <QBuffer>
#include <QFile>

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace quorvel_archive {

std::optional<std::string> writeOutputFile(const QString& fileName, const QByteArray& bytes, bool textMode,
                                           const char* cannotOpen, const char* cannotWrite)
{
    file_output::OutputFile file(fileName);
    if (!file.open(textMode ? QIODevice::Text : QIODevice::NotOpen))
        return std::string(cannotOpen);
    if (!file.write(bytes) || !file.commit())
        return std::string(cannotWrite);
    return std::nullopt;
}

std::optional<std::string> writeExport(const QString& fileName, bool textMode,
                                       const std::function<bool(QIODevice&)>& write)
{
    if (!fileName.isEmpty()) {
        file_output::OutputFile file(fileName);
        if (!file.open(textMode ? QIODevice::Text : QIODevice::NotOpen))
            return std::string(cannotOpenText);
        if (!write(file.device())) {
            file.cancel();
            return std::string(cannotWriteText);
        }
        return file.commit() ? std::nullopt : std::optional<std::string>(cannotWriteText);
    }
    std::fflush(stdout);
    if (isConsole(stdout)) {
        QByteArray text;
        QBuffer buffer(&text);
        buffer.open(textMode ? QIODevice::WriteOnly | QIODevice::Text : QIODevice::WriteOnly);
        write(buffer);
        return writeToConsole(stdout, text) ? std::nullopt : std::optional<std::string>(cannotWriteText);
    }
#ifdef _WIN32
    // Qt's text mode makes the CR LF; the C runtime must not add another CR.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QFile out;
    // Unbuffered, so that a full disk or a closed pipe shows in the write
    // itself rather than in a flush on destruction; the writers hand over
    // large pieces.
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (!out.open(fileno(stdout), textMode ? mode | QIODevice::Text : mode, QFileDevice::DontCloseHandle))
        return std::string(cannotOpenText);
    return write(out) ? std::nullopt : std::optional<std::string>(cannotWriteText);
}

} // namespace quorvel_archive
