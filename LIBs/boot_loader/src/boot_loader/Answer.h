#pragma once

#include <rs485/AbstractFrame.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rs485 {
class Byte9Stream;
}

namespace boot_loader {

// The loader's reply to one command: status byte, the data the command calls
// for (success only), CRC-16 low byte first. Prepared with the expected size;
// reading shrinks it to what the reply turned out to be.
class Answer : public rs485::AbstractFrame {
public:
    static constexpr std::uint8_t success = 0xA0;
    static constexpr std::uint8_t badCommandChecksum = 0xA1;
    static constexpr std::uint8_t badCommandAddress = 0xA2;
    static constexpr std::uint8_t internalError = 0xA3;

    explicit Answer(std::size_t dataLength = 0);
    ~Answer() override = default;

    // Returns for an intact success answer; otherwise throws
    // BootloaderException with the code of what went wrong.
    void check() const;
    std::vector<std::uint8_t> dataBytes() const;
    // The four data bytes of a 7-character answer, little-endian; 0 otherwise.
    std::uint32_t value32() const;
};

// Reads an answer of the size it was prepared with. A reply that does not
// arrive in full leaves the answer empty; a lost port (DisconnectException)
// passes through.
rs485::Byte9Stream& operator>>(rs485::Byte9Stream& stream, Answer& answer);

} // namespace boot_loader
