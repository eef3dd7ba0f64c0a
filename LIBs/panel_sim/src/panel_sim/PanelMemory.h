#pragma once

#include <cstdint>
#include <vector>

namespace panel_sim {

// The three regions of a panel's memory that the viewer reads, as the
// simulated panel holds them. Unwritten bytes are 0xFF, as in erased flash.
struct PanelMemory {
    static constexpr int settingsSpace = 1;
    static constexpr std::uint32_t settingsStart = 0x000000;
    static constexpr std::uint32_t settingsSize = 0x100;
    static constexpr int configSpace = 0;
    static constexpr std::uint32_t configStart = 0x3E00;
    static constexpr std::uint32_t configSize = 0xBE00;
    static constexpr int archiveSpace = 1;
    static constexpr std::uint32_t archiveStart = 0x400000;
    static constexpr std::uint32_t archiveSize = 0x10000;

    std::vector<std::uint8_t> settings = std::vector<std::uint8_t>(settingsSize, 0xFF);
    std::vector<std::uint8_t> config = std::vector<std::uint8_t>(configSize, 0xFF);
    std::vector<std::uint8_t> archive = std::vector<std::uint8_t>(archiveSize, 0xFF);
};

} // namespace panel_sim
