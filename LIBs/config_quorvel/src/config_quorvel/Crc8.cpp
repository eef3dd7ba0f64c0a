#include <config_quorvel/Crc8.h>

#include <array>

namespace config_quorvel {

namespace {

constexpr std::array<std::uint8_t, 256> buildTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        std::uint8_t value = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? static_cast<std::uint8_t>((value >> 1) ^ 0x31)
                                : static_cast<std::uint8_t>(value >> 1);
        table[i] = value;
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> table = buildTable();

} // namespace

std::uint8_t crc8(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t value = 0xFF;
    for (std::size_t i = 0; i < size; ++i)
        value = table[value ^ data[i]];
    return value;
}

std::uint8_t crc8(const std::vector<std::uint8_t>& data)
{
    return crc8(data.data(), data.size());
}

} // namespace config_quorvel
