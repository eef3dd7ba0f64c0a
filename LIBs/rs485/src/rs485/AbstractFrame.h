#pragma once

#include <cstdint>
#include <vector>

namespace rs485 {

// A frame of nine-bit characters: bits 0-7 data, bit 8 the ninth bit.
class AbstractFrame {
public:
    virtual ~AbstractFrame() = default;

    std::vector<std::uint16_t> chars;
};

} // namespace rs485
