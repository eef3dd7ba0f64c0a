#include <rs485/Crc16.h>

#include <array>

namespace rs485 {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t value = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? static_cast<std::uint16_t>((value >> 1) ^ 0xA001) : static_cast<std::uint16_t>(value >> 1);
        table[i] = value;
    }
    return table;
}

constexpr auto table = makeTable();

inline std::uint16_t step(std::uint16_t crc, std::uint8_t byte)
{
    return static_cast<std::uint16_t>((crc >> 8) ^ table[(crc ^ byte) & 0xFF]);
}

} // namespace

std::uint16_t crc16(const std::uint16_t* chars, std::size_t count, std::uint16_t crc)
{
    for (std::size_t i = 0; i < count; ++i)
        crc = step(crc, static_cast<std::uint8_t>(chars[i] & 0xFF));
    return crc;
}

std::uint16_t crc16(const std::vector<std::uint16_t>& chars)
{
    return crc16(chars.data(), chars.size());
}

std::uint16_t crc16Bytes(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc)
{
    for (std::size_t i = 0; i < count; ++i)
        crc = step(crc, bytes[i]);
    return crc;
}

void appendCrcInPlace(std::vector<std::uint16_t>& chars)
{
    if (chars.size() < 2)
        return;
    const std::size_t body = chars.size() - 2;
    const std::uint16_t crc = crc16(chars.data(), body);
    chars[body] = crc & 0xFF;
    chars[body + 1] = crc >> 8;
}

bool crcIsValid(const std::vector<std::uint16_t>& chars)
{
    return crc16(chars) == 0;
}

} // namespace rs485
