#pragma once

#include <cstdint>

namespace config_quorvel {

// Where the panel keeps what the viewer reads. Addresses are panel
// addresses; the settings offsets are from the start of the settings page.
namespace memory_map {

constexpr int settingsSpace = 1;
constexpr std::uint32_t settingsStart = 0x000000;
constexpr int settingsPages = 1;
constexpr int configSpace = 0;
constexpr std::uint32_t configStart = 0x003E00;
constexpr int configPages = 190;
constexpr int archiveSpace = 1;
constexpr std::uint32_t archiveStart = 0x400000;
constexpr int archivePages = 256;
constexpr std::uint32_t pageSize = 256;

// Settings page.
constexpr std::uint32_t firmwareDay = 0;
constexpr std::uint32_t firmwareMonth = 1;
constexpr std::uint32_t firmwareYear = 2;
constexpr std::uint32_t settingsRevision = 3;
constexpr std::uint32_t identification = 4;
constexpr std::uint8_t identificationValue = 0xB2;
constexpr std::uint32_t firmwareMinorBuild = 5;
constexpr std::uint32_t zummerConfig = 6;
constexpr std::uint32_t backlightLevel = 7;
constexpr std::uint32_t backlightTime = 8;
constexpr std::uint32_t messageTime = 9;
constexpr std::uint32_t menuTime = 10;
constexpr std::uint32_t clockSyncHour = 12;
constexpr std::uint32_t panelFlags = 15;     // bit 0 pultType, 2 voltage, 3 individualReset
constexpr std::uint32_t pultAddress = 16;
constexpr std::uint32_t perAddress = 16;     // + address 1..127

// Configuration region.
constexpr std::uint32_t commandSlots = 0x3E00;
constexpr int commandSlotCount = 64;
constexpr std::uint32_t commandSlotSize = 28;
constexpr std::uint32_t commandNameSize = 19;
constexpr std::uint32_t commandDataOffset = 20;
constexpr std::uint32_t commandDataSize = 8;

constexpr std::uint32_t referenceBlocks = 0xD400;  // block of section s at + 256 (s - 1)
constexpr std::uint32_t referenceBlockSize = 256;
constexpr std::uint16_t noReference = 0xFFFF;
constexpr int maxSection = 24;
constexpr int maxAddress = 127;

constexpr std::uint32_t sectionNameSize = 20;      // the dubler's name follows it

constexpr std::uint32_t nameTextSize = 20;
constexpr std::uint32_t nameTextsOffset = 2;       // deviceName, outs, loop1, loop2, line3, line4

constexpr std::uint32_t eventTables = 0xEC00;      // table t at + 256 t
constexpr int eventTableCount = 16;
constexpr std::uint32_t eventTableSize = 256;
constexpr std::uint32_t stateTextSize = 10;
constexpr std::uint32_t tableTitle = 0xF6;
constexpr std::uint32_t tableTitleSize = 10;

constexpr std::uint32_t recordSize = 8;

} // namespace memory_map

} // namespace config_quorvel
