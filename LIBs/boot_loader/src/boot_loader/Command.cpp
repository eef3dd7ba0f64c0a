#include <boot_loader/Command.h>

#include <rs485/Crc16.h>

namespace boot_loader {

namespace {
constexpr std::uint16_t ninthBit = 0x100;
} // namespace

Command::Command(std::uint8_t code, std::size_t count)
{
    chars.assign(count, 0);
    chars[0] = static_cast<std::uint16_t>(ninthBit | code);
}

void Command::setAddressField(std::size_t at, int space, std::uint32_t address)
{
    chars[at] = static_cast<std::uint16_t>(address & 0xFF);
    chars[at + 1] = static_cast<std::uint16_t>((address >> 8) & 0xFF);
    // Bit 23 and above have no room: the top character carries the space
    // selector in its bit 7.
    std::uint16_t top = static_cast<std::uint16_t>((address >> 16) & 0x7F);
    if (space == 1)
        top |= 0x80;
    chars[at + 2] = top;
}

void Command::seal()
{
    rs485::appendCrcInPlace(chars);
}

Command Command::ReadInfo()
{
    Command c(ReadInfoCode, 3);
    c.seal();
    return c;
}

Command Command::ReadPage(int space, std::uint32_t address)
{
    Command c(ReadPageCode, 6);
    c.setAddressField(1, space, address);
    c.seal();
    return c;
}

Command Command::SetSpeed(int divisor)
{
    Command c(SetSpeedCode, 4);
    c.chars[1] = static_cast<std::uint16_t>(divisor & 0xFF);
    c.seal();
    return c;
}

Command Command::RangeChecksum(int space, std::uint32_t address, std::uint32_t length)
{
    Command c(RangeChecksumCode, 8);
    c.setAddressField(1, space, address);
    c.chars[4] = static_cast<std::uint16_t>(length & 0xFF);
    c.chars[5] = static_cast<std::uint16_t>((length >> 8) & 0xFF);
    c.seal();
    return c;
}

} // namespace boot_loader
