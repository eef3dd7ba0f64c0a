#pragma once

#include <rs485/SerialPlatform.h>

#include <map>
#include <string>

namespace rs485 {

// POSIX serial ports through termios2, with the port lists taken from sysfs.
// A name without '/' means /dev/<name>; a name with '/' is used as a path.
// The handle is the file descriptor.
class LinuxSerialPlatform : public SerialPlatform {
public:
    explicit LinuxSerialPlatform(std::string sysfsTtyRoot = "/sys/class/tty");

    PortHandle openExclusive(const std::string& portName) override;
    OpenFailure lastOpenFailure() const override { return openFailure; }
    bool getLineSettings(PortHandle port, LineSettings& settings) override;
    bool setLineSettings(PortHandle port, const LineSettings& settings) override;
    bool setReadTimeouts(PortHandle port, const ReadTimeouts& timeouts) override;
    bool purge(PortHandle port, Purge what) override;
    bool write(PortHandle port, const std::uint8_t* data, std::size_t size,
               std::size_t& written) override;
    bool drain(PortHandle port) override;
    bool read(PortHandle port, std::uint8_t* data, std::size_t size,
              std::size_t& received) override;
    void sleepMs(std::uint32_t ms) override;
    bool close(PortHandle port) override;
    std::vector<std::string> serialPortNames() override;
    std::vector<std::string> converterPortNames() override;

private:
    // The kernel has no notion of these; read() applies them itself.
    std::map<PortHandle, ReadTimeouts> readTimeouts;
    std::string sysfsRoot;
    OpenFailure openFailure = OpenFailure::Other;
};

} // namespace rs485
