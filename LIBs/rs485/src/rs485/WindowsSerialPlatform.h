#pragma once

#include <rs485/SerialPlatform.h>

#include <string>
#include <vector>

// The registry key handle type of <windows.h>, declared here so that callers
// of this header need not pull in the whole Windows API.
struct HKEY__;

namespace rs485 {

// Win32 serial ports opened as synchronous, exclusive files; the port lists
// come from the machine's device registry.
class WindowsSerialPlatform : public SerialPlatform {
public:
    // Port lists from HKEY_LOCAL_MACHINE.
    WindowsSerialPlatform();
    // Port lists from the same key paths below another open key (tests point
    // it at a tree of their own). The key stays owned by the caller.
    explicit WindowsSerialPlatform(HKEY__* registryRoot);

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
    HKEY__* registryRoot;
    OpenFailure openFailure = OpenFailure::Other;
};

} // namespace rs485
