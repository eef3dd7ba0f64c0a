#pragma once

#include <panel_sim/PanelMemory.h>

#include <config_quorvel/EventTable.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_sim {

// What a panel holds, in the panel's own terms; buildPanel writes it into
// the three memory regions with the panel's record layouts.

// The general settings page.
struct PanelSettings {
    int firmwareDay = 5;
    int firmwareMonth = 3;
    int firmwareYear = 2024;            // 2000..2255
    int settingsRevision = 1;
    std::uint8_t identification = 0xB2; // low nibble: major firmware version
    int versionMinor = 1;               // 0..15
    int versionBuild = 5;               // 0..15
    std::uint8_t zummerConfig = 0x0F;
    int backlightLevel = 2;             // 0..3
    int backlightTime = 30;
    int messageTime = 10;
    int menuTime = 60;
    int clockSyncHour = 3;              // 0..23; any other value is stored as "not set"
    bool pultType = false;              // central panel with section panels
    bool voltage = false;               // 24 V
    bool individualReset = false;
    int pultAddress = 0;                // 0..31
};

// The display names of a device and its event table number.
struct NameSet {
    int eventTable = 0;
    std::u16string deviceName;
    std::u16string outsName;
    std::u16string loop1Name;
    std::u16string loop2Name;
    std::u16string line3Name;
    std::u16string line4Name;
};

// A device of a panel without sections.
struct ZoneDevice {
    int address = 1;                    // 1..127
    int zone = 1;                       // 1..15
    std::optional<NameSet> names;       // none: no name record
};

// A device on a section panel's line; it exists through its name record.
struct SectionDevice {
    int address = 1;                    // 1..127
    NameSet names;
};

struct SectionPanel {
    int number = 1;                     // 1..24
    int group = 1;                      // 1..7
    bool dubler = false;
    std::optional<std::u16string> name; // none: no name record (nor dubler name)
    std::u16string dublerName;          // stored only with a name and a dubler
    std::vector<SectionDevice> devices;
};

// A command of the panel menu. Slots are numbered 0..63.
struct MenuCommand {
    int slot = -1;                      // -1: the first free slot
    std::u16string name;
    std::array<std::uint8_t, 8> data{};
};

// One archive record by its fields.
struct ArchiveRecord {
    std::uint32_t dateTime = 0;         // packDateTime(); 0: time not known
    bool emergency = false;
    int section = 0;                    // 0..31, 0: the panel itself
    int address = 0;                    // 0..127, 0: no device
    int eventClass = 0;                 // 0..7
    std::uint8_t code = 0;
    bool validCheck = true;             // false: a check byte that does not match
};

struct PanelDescription {
    PanelSettings settings;
    // Only the list that settings.pultType selects may be filled.
    std::vector<ZoneDevice> zoneDevices;
    std::vector<SectionPanel> sections;
    // Table t is stored in block t (at most 16); an empty name is stored as
    // "no title". Blocks without a table hold the built-in texts, untitled.
    std::vector<config_quorvel::EventTable> eventTables;
    std::vector<MenuCommand> commands;
    // Stored one after another from firstRecordSlot (0..8191), wrapping
    // round the archive as the panel's ring does.
    std::vector<ArchiveRecord> records;
    int firstRecordSlot = 0;
};

constexpr int archiveSlots = 8192;

// Throws std::invalid_argument for a description the panel cannot hold and
// std::length_error when the name records do not fit.
PanelMemory buildPanel(const PanelDescription& description);

// The packed date and time of an archive record.
std::uint32_t packDateTime(int year, int month, int day, int hour, int minute, int second);

// The 8 bytes of a record, check byte included.
std::array<std::uint8_t, 8> encodeRecord(const ArchiveRecord& record);

// Text in the display code page, cut or padded with spaces to width;
// characters without a code become '.'.
std::vector<std::uint8_t> encodeLcdText(const std::u16string& text, std::size_t width);

// A realistic central panel: named section panels with dublers and devices,
// custom event tables, menu commands and a few hundred archive records of
// every kind.
PanelDescription demoPanel();

// A panel without sections: three devices in two zones, two of them named,
// one naming the second event table, settings unlike the demo panel's; its
// archive holds a month of events and one from the day its clock had lost
// power, years before.
PanelDescription demoZonePanel();

} // namespace panel_sim
