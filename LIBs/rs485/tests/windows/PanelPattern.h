#pragma once

#include <cstdint>

namespace rs485 {
namespace wine_test {

// The memory contents that the panel of the wine tests serves, known to both
// sides: no byte region repeats with the page size, and erased flash (0xFF)
// would not match it.
inline std::uint8_t panelPatternByte(int space, std::uint32_t address)
{
    return static_cast<std::uint8_t>(address * 7u + (address >> 8) * 13u + (address >> 16) * 3u
                                     + static_cast<std::uint32_t>(space) * 101u);
}

// What the parity reporter answers after each byte it receives: the byte
// itself, then one of these for the parity the line was set to.
constexpr std::uint8_t reportMark = 'M';
constexpr std::uint8_t reportSpace = 'S';
constexpr std::uint8_t reportOther = '?';

} // namespace wine_test
} // namespace rs485
