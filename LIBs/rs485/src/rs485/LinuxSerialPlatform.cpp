// Placeholder until the POSIX port driver lands.
#include <rs485/LinuxSerialPlatform.h>

namespace rs485 {
LinuxSerialPlatform::LinuxSerialPlatform(std::string root) : sysfsRoot(std::move(root)) {}
PortHandle LinuxSerialPlatform::openExclusive(const std::string&) { return invalidPortHandle; }
bool LinuxSerialPlatform::getLineSettings(PortHandle, LineSettings&) { return false; }
bool LinuxSerialPlatform::setLineSettings(PortHandle, const LineSettings&) { return false; }
bool LinuxSerialPlatform::setReadTimeouts(PortHandle, const ReadTimeouts&) { return false; }
bool LinuxSerialPlatform::purge(PortHandle, Purge) { return false; }
bool LinuxSerialPlatform::write(PortHandle, const std::uint8_t*, std::size_t, std::size_t&) { return false; }
bool LinuxSerialPlatform::drain(PortHandle) { return false; }
bool LinuxSerialPlatform::read(PortHandle, std::uint8_t*, std::size_t, std::size_t&) { return false; }
void LinuxSerialPlatform::sleepMs(std::uint32_t) {}
bool LinuxSerialPlatform::close(PortHandle) { return false; }
std::vector<std::string> LinuxSerialPlatform::serialPortNames() { return {}; }
std::vector<std::string> LinuxSerialPlatform::converterPortNames() { return {}; }
} // namespace rs485
