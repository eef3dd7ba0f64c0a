#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace config_quorvel {

// Check byte of the panel's archive records: reflected polynomial 0x31,
// start value 0xFF, no final XOR. A record followed by its check byte sums
// to 0.
std::uint8_t crc8(const std::uint8_t* data, std::size_t size);
std::uint8_t crc8(const std::vector<std::uint8_t>& data);

} // namespace config_quorvel
