#include <ConsoleText.h>

#include <QString>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace quorvel_archive {

#ifdef _WIN32
namespace {

HANDLE consoleHandle(std::FILE* stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

} // namespace

bool isConsole(std::FILE* stream)
{
    return consoleHandle(stream) != nullptr;
}

bool writeToConsole(std::FILE* stream, const QByteArray& utf8)
{
    const HANDLE handle = consoleHandle(stream);
    if (!handle)
        return false;
    std::fflush(stream);
    const QString text = QString::fromUtf8(utf8);
    const auto* units = reinterpret_cast<const wchar_t*>(text.utf16());
    DWORD left = static_cast<DWORD>(text.size());
    while (left > 0) {
        DWORD written = 0;
        // Consoles take a limited amount per call.
        if (!WriteConsoleW(handle, units, left < 8192 ? left : 8192, &written, nullptr) || written == 0)
            return false;
        units += written;
        left -= written;
    }
    return true;
}
#else
bool isConsole(std::FILE*)
{
    return false;
}

bool writeToConsole(std::FILE*, const QByteArray&)
{
    return false;
}
#endif

bool writeText(std::FILE* stream, const std::string& utf8)
{
    if (isConsole(stream))
        return writeToConsole(stream, QByteArray::fromStdString(utf8));
    const bool written = std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    return std::fflush(stream) == 0 && written;
}

void printError(const std::string& utf8)
{
    std::fflush(stdout);
    writeText(stderr, utf8 + '\n');
}

} // namespace quorvel_archive
