#pragma once

#include <rs485/AbstractFrame.h>

#include <cstdint>

namespace boot_loader {

// A command frame for the panel's loader: the code in the only character
// with the ninth bit set, the fields, and the CRC-16 low byte first.
class Command : public rs485::AbstractFrame {
public:
    enum Code : std::uint8_t {
        ReadInfoCode = 0xF1,
        ReadPageCode = 0xF2,
        SetSpeedCode = 0xF5,
        RangeChecksumCode = 0xF6,
    };

    ~Command() override = default;

    static Command ReadInfo();
    static Command ReadPage(int space, std::uint32_t address);
    // Only the low eight bits of the divisor are sent.
    static Command SetSpeed(int divisor);
    // Only the low sixteen bits of the length are sent.
    static Command RangeChecksum(int space, std::uint32_t address, std::uint32_t length);

private:
    Command(std::uint8_t code, std::size_t count);
    void setAddressField(std::size_t at, int space, std::uint32_t address);
    void seal();
};

} // namespace boot_loader
