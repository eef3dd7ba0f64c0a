#include <ExportOutput.h>

#include <QFile>
#include <QSaveFile>

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace quorvel_archive {

namespace {

const char cannotOpenText[] = "Невозможно открыть файл для записи";
const char cannotWriteText[] = "Ошибка при записи файла";

} // namespace

bool writeAll(QIODevice& device, const QByteArray& text)
{
    return device.write(text) == text.size();
}

std::optional<std::string> writeExportFile(const QString& fileName, const QByteArray& text,
                                           bool textMode)
{
    QSaveFile file(fileName);
    if (!file.open(textMode ? QIODevice::WriteOnly | QIODevice::Text : QIODevice::WriteOnly))
        return std::string(cannotOpenText);
    if (!writeAll(file, text) || !file.commit()) {
        file.cancelWriting();
        return std::string(cannotWriteText);
    }
    return std::nullopt;
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
        return std::string(cannotOpenText);
    if (!writeAll(out, text))
        return std::string(cannotWriteText);
    return std::nullopt;
}

} // namespace quorvel_archive
