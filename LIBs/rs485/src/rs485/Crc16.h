#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rs485 {

// CRC-16/MODBUS (reflected 0xA001, start 0xFFFF, no final XOR) over the low
// eight bits of each character; the ninth bit does not enter it.
std::uint16_t crc16(const std::uint16_t* chars, std::size_t count, std::uint16_t crc = 0xFFFF);
std::uint16_t crc16(const std::vector<std::uint16_t>& chars);
std::uint16_t crc16Bytes(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc = 0xFFFF);

// Stores the CRC of all characters but the last two in those two, low byte
// first, both with ninth bit 0.
void appendCrcInPlace(std::vector<std::uint16_t>& chars);
// A received frame is intact when the CRC over all of it, checksum included, is 0.
bool crcIsValid(const std::vector<std::uint16_t>& chars);

} // namespace rs485
