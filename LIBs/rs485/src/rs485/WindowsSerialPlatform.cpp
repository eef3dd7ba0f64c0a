#include <rs485/WindowsSerialPlatform.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <type_traits>

namespace rs485 {

static_assert(std::is_same<HKEY, HKEY__*>::value, "HKEY must be the declared key handle type");
static_assert(sizeof(DCB) == 28, "the line setting record is 28 bytes");
static_assert(static_cast<BYTE>(Parity::Mark) == MARKPARITY
                  && static_cast<BYTE>(Parity::Space) == SPACEPARITY
                  && static_cast<BYTE>(Parity::None) == NOPARITY
                  && static_cast<BYTE>(Parity::Odd) == ODDPARITY
                  && static_cast<BYTE>(Parity::Even) == EVENPARITY,
              "Parity numbers the parities as the DCB does");
static_assert(static_cast<DWORD>(Purge::Input) == PURGE_RXCLEAR
                  && static_cast<DWORD>(Purge::InputAndOutput) == (PURGE_TXCLEAR | PURGE_RXCLEAR),
              "Purge carries the PurgeComm flags");
static_assert(ReadTimeouts::returnAtOnce == MAXDWORD, "return-at-once interval is MAXDWORD");

namespace {

const char serialCommKey[] = "HARDWARE\\Devicemap\\SerialComm";
const char converterEnumKey[] = "SYSTEM\\CurrentControlSet\\Services\\FTDIBUS\\Enum";
const char converterDeviceKeyPrefix[] = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\";
const char converterDeviceKeySuffix[] = "A\\0000\\Device Parameters";

// Buffer sizes of the registry walks. The text reads pass one byte less than
// the buffer, so a value stored without its terminating zero still ends in one.
constexpr DWORD enumBufferSize = 256;
constexpr DWORD textBufferSize = 100;
constexpr DWORD textReadSize = textBufferSize - 1;

HANDLE toHandle(PortHandle port)
{
    return reinterpret_cast<HANDLE>(port);
}

// The whole record is written, not only the two fields that change, so that
// nothing another program left on the port (flow control, modem lines,
// error replacement) stays in force.
DCB lineSettingRecord(const LineSettings& settings)
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = settings.baudRate;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE; // received parity carries the ninth bit, not an error
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.ByteSize = 8;
    dcb.Parity = static_cast<BYTE>(settings.parity);
    dcb.StopBits = ONESTOPBIT;
    return dcb;
}

// The zero-terminated text at the start of a value's data, never reading past
// the bytes the registry returned.
std::string textOf(const char* data, DWORD size)
{
    return std::string(data, strnlen(data, size));
}

// "USB\VID_1234&PID_5678\SN0001" -> "VID_1234+PID_5678+SN0001": the instance
// identifier without its bus prefix, as the bus driver spells it in its key.
std::string converterKeyName(const std::string& instanceId)
{
    std::string name = instanceId.size() > 4 ? instanceId.substr(4) : std::string();
    for (char& c : name) {
        if (c == '&')
            c = '+';
    }
    for (char& c : name) {
        if (c == '\\')
            c = '+';
    }
    return name;
}

bool readText(HKEY key, const char* valueName, char (&buffer)[textBufferSize])
{
    std::memset(buffer, 0, sizeof buffer);
    DWORD size = textReadSize;
    return RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                            &size)
        == ERROR_SUCCESS;
}

} // namespace

WindowsSerialPlatform::WindowsSerialPlatform() : registryRoot(HKEY_LOCAL_MACHINE) {}

WindowsSerialPlatform::WindowsSerialPlatform(HKEY__* root) : registryRoot(root) {}

PortHandle WindowsSerialPlatform::openExclusive(const std::string& portName)
{
    const std::string path = "\\\\.\\" + portName;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    // A port another program has open is refused as a file shared against
    // its will: access denied, or a sharing violation.
    const DWORD error = handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    openFailure = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? OpenFailure::Busy
                                                                                   : OpenFailure::Other;
    return reinterpret_cast<PortHandle>(handle);
}

bool WindowsSerialPlatform::getLineSettings(PortHandle port, LineSettings& settings)
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof(DCB);
    if (!GetCommState(toHandle(port), &dcb))
        return false;
    settings.baudRate = dcb.BaudRate;
    settings.parity = static_cast<Parity>(dcb.Parity);
    return true;
}

bool WindowsSerialPlatform::setLineSettings(PortHandle port, const LineSettings& settings)
{
    DCB dcb = lineSettingRecord(settings);
    return SetCommState(toHandle(port), &dcb) != FALSE;
}

bool WindowsSerialPlatform::setReadTimeouts(PortHandle port, const ReadTimeouts& timeouts)
{
    COMMTIMEOUTS record;
    record.ReadIntervalTimeout = timeouts.intervalMs;
    record.ReadTotalTimeoutMultiplier = timeouts.totalMultiplierMs;
    record.ReadTotalTimeoutConstant = timeouts.totalConstantMs;
    record.WriteTotalTimeoutMultiplier = 0;
    record.WriteTotalTimeoutConstant = 0;
    return SetCommTimeouts(toHandle(port), &record) != FALSE;
}

bool WindowsSerialPlatform::purge(PortHandle port, Purge what)
{
    return PurgeComm(toHandle(port), static_cast<DWORD>(what)) != FALSE;
}

bool WindowsSerialPlatform::write(PortHandle port, const std::uint8_t* data, std::size_t size,
                                  std::size_t& written)
{
    written = 0;
    if (size > MAXDWORD)
        return false;
    DWORD count = 0;
    const BOOL ok = WriteFile(toHandle(port), data, static_cast<DWORD>(size), &count, nullptr);
    written = count;
    return ok != FALSE;
}

bool WindowsSerialPlatform::drain(PortHandle port)
{
    return FlushFileBuffers(toHandle(port)) != FALSE;
}

bool WindowsSerialPlatform::read(PortHandle port, std::uint8_t* data, std::size_t size,
                                 std::size_t& received)
{
    received = 0;
    // A larger request is served in part; the caller asks again for the rest.
    const DWORD wanted = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    DWORD count = 0;
    const BOOL ok = ReadFile(toHandle(port), data, wanted, &count, nullptr);
    received = count;
    return ok != FALSE;
}

void WindowsSerialPlatform::sleepMs(std::uint32_t ms)
{
    Sleep(ms);
}

bool WindowsSerialPlatform::close(PortHandle port)
{
    // The invalid handle value is also the pseudo handle of this process,
    // which CloseHandle would "close" successfully: closing no port fails.
    if (port == invalidPortHandle)
        return false;
    return CloseHandle(toHandle(port)) != FALSE;
}

std::vector<std::string> WindowsSerialPlatform::serialPortNames()
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(registryRoot, serialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;

    for (DWORD index = 0;; ++index) {
        char valueName[enumBufferSize];
        char data[enumBufferSize];
        DWORD nameSize = enumBufferSize;
        DWORD dataSize = enumBufferSize;
        if (RegEnumValueA(key, index, valueName, &nameSize, nullptr, nullptr,
                          reinterpret_cast<BYTE*>(data), &dataSize)
            != ERROR_SUCCESS)
            break;
        // Each value maps a device name to its port name; only the port
        // name is wanted.
        names.push_back(textOf(data, dataSize));
    }
    RegCloseKey(key);
    sortPortNames(names);
    return names;
}

std::vector<std::string> WindowsSerialPlatform::converterPortNames()
{
    std::vector<std::string> names;
    HKEY enumKey = nullptr;
    if (RegOpenKeyExA(registryRoot, converterEnumKey, 0, KEY_READ, &enumKey) != ERROR_SUCCESS)
        return names;

    DWORD count = 0;
    DWORD countSize = sizeof count;
    if (RegQueryValueExA(enumKey, "Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count),
                         &countSize)
        != ERROR_SUCCESS) {
        RegCloseKey(enumKey);
        return names;
    }

    // The bus driver lists its devices under "0", "1", ... and keeps each
    // one's port name in the device's own key; the first gap ends the list.
    char buffer[textBufferSize];
    for (DWORD i = 0; i < count; ++i) {
        if (!readText(enumKey, std::to_string(i).c_str(), buffer))
            break;
        const std::string deviceKey = converterDeviceKeyPrefix + converterKeyName(buffer)
            + converterDeviceKeySuffix;
        HKEY parameters = nullptr;
        if (RegOpenKeyExA(registryRoot, deviceKey.c_str(), 0, KEY_READ, &parameters)
            != ERROR_SUCCESS)
            break;
        const bool found = readText(parameters, "PortName", buffer);
        RegCloseKey(parameters);
        if (!found)
            break;
        names.emplace_back(buffer);
    }
    sortPortNames(names);
    RegCloseKey(enumKey);
    return names;
}

} // namespace rs485
