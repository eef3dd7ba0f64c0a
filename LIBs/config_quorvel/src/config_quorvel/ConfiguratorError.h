#pragma once

#include <cstdint>
#include <exception>

namespace boot_loader {
class BootloaderException;
}

namespace config_quorvel {

// The one failure that leaves the device facade: a code with a fixed
// message for the user.
class ConfiguratorError : public std::exception {
public:
    enum Code : std::uint32_t {
        NoConverter = 0,
        NoDevice = 1,
        BadLink = 2,
        IncompatibleLoader = 3,
        UnsupportedDevice = 4,
        LoaderInternal = 5,
        IncompatibleFirmware = 6,
        ProgramInternal = 7,
        Cancelled = 8, // the user stopped the read
    };

    explicit ConfiguratorError(std::uint32_t code);
    // Translates the loader's code; see Code for the meanings.
    explicit ConfiguratorError(const boot_loader::BootloaderException& cause);
    ~ConfiguratorError() override = default;

    const char* what() const noexcept override;
    virtual std::uint32_t code() const noexcept { return errorCode; }

private:
    std::uint32_t errorCode;
};

} // namespace config_quorvel
