#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace boot_loader {

// What the loader reports about itself in the 16 data bytes of its ReadInfo
// answer. Blocks of version 17 and below carry an 8-character type name;
// later ones a 6-character name and one extra byte at the end.
class BootloaderInfo {
public:
    static constexpr std::size_t blockSize = 16;

    BootloaderInfo() = default;
    // A block of any size other than 16 gives the default value.
    explicit BootloaderInfo(const std::vector<std::uint8_t>& block);

    std::uint8_t loaderVersion = 0;
    std::array<std::uint8_t, 3> extraBytes{};
    std::uint16_t pageSize = 0;
    std::uint16_t extraWord = 0;
    std::string deviceType;
    std::uint8_t extraByte = 0;
    // The data bytes as received, also those no field reads; empty for the
    // default value.
    std::vector<std::uint8_t> block;
};

} // namespace boot_loader
