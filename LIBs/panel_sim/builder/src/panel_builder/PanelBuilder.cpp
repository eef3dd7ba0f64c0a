#include <panel_builder/PanelBuilder.h>

#include <config_quorvel/Crc8.h>
#include <config_quorvel/LCDCharset.h>

#include <stdexcept>
#include <string>

namespace panel_sim {

namespace {

// Configuration-region layout (panel addresses).
constexpr std::uint32_t commandSlots = 0x3E00;
constexpr std::uint32_t commandSlotSize = 28;
constexpr int commandSlotCount = 64;
constexpr std::uint32_t nameSpaceStart = 0x4500;   // after the command slots
constexpr std::uint32_t referenceBlocks = 0xD400;  // also the end of the name space
constexpr std::uint32_t eventTables = 0xEC00;
constexpr std::uint32_t nameRecordSize = 122;
constexpr std::uint32_t sectionNameSize = 20;

void require(bool condition, const char* what)
{
    if (!condition)
        throw std::invalid_argument(what);
}

// Writes into the configuration region by panel address and hands out room
// for name records.
class ConfigWriter {
public:
    explicit ConfigWriter(std::vector<std::uint8_t>& region) : region(region) {}

    void put(std::uint32_t address, std::uint8_t byte) { region.at(address - PanelMemory::configStart) = byte; }

    void put(std::uint32_t address, const std::vector<std::uint8_t>& bytes)
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            put(address + static_cast<std::uint32_t>(i), bytes[i]);
    }

    void putWord(std::uint32_t address, std::uint16_t word)
    {
        put(address, static_cast<std::uint8_t>(word & 0xFF));
        put(address + 1, static_cast<std::uint8_t>(word >> 8));
    }

    std::uint16_t allocate(std::uint32_t size)
    {
        if (next + size > referenceBlocks)
            throw std::length_error("name records do not fit in the configuration region");
        const std::uint32_t address = next;
        next += size;
        return static_cast<std::uint16_t>(address);
    }

private:
    std::vector<std::uint8_t>& region;
    std::uint32_t next = nameSpaceStart;
};

std::uint8_t bcd(int value)
{
    return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

void writeSettings(const PanelSettings& s, std::vector<std::uint8_t>& page)
{
    require(s.firmwareYear >= 2000 && s.firmwareYear <= 2255, "firmware year");
    page[0] = static_cast<std::uint8_t>(s.firmwareDay);
    page[1] = static_cast<std::uint8_t>(s.firmwareMonth);
    page[2] = static_cast<std::uint8_t>(s.firmwareYear - 2000);
    page[3] = static_cast<std::uint8_t>(s.settingsRevision);
    page[4] = s.identification;
    page[5] = static_cast<std::uint8_t>(((s.versionMinor & 0x0F) << 4) | (s.versionBuild & 0x0F));
    page[6] = s.zummerConfig;
    page[7] = static_cast<std::uint8_t>(s.backlightLevel & 0x03);
    page[8] = static_cast<std::uint8_t>(s.backlightTime);
    page[9] = static_cast<std::uint8_t>(s.messageTime);
    page[10] = static_cast<std::uint8_t>(s.menuTime);
    page[11] = 0;
    page[12] = s.clockSyncHour >= 0 && s.clockSyncHour <= 23 ? bcd(s.clockSyncHour) : 0xFF;
    page[13] = 0;
    page[14] = 0;
    page[15] = static_cast<std::uint8_t>((s.pultType ? 0x01 : 0) | (s.voltage ? 0x04 : 0)
                                         | (s.individualReset ? 0x08 : 0));
    page[16] = static_cast<std::uint8_t>(s.pultAddress & 0x1F);
    for (int n = 1; n <= 127; ++n)
        page[16 + n] = 0;
}

std::uint16_t writeNameSet(const NameSet& names, ConfigWriter& config)
{
    require(names.eventTable >= 0 && names.eventTable <= 255, "event table number");
    const std::uint16_t at = config.allocate(nameRecordSize);
    config.put(at, static_cast<std::uint8_t>(names.eventTable));
    config.put(at + 1u, 0);
    const std::u16string* texts[] = {&names.deviceName, &names.outsName,  &names.loop1Name,
                                     &names.loop2Name,  &names.line3Name, &names.line4Name};
    std::uint32_t offset = 2;
    for (const std::u16string* text : texts) {
        config.put(at + offset, encodeLcdText(*text, 20));
        offset += 20;
    }
    return at;
}

std::uint32_t referenceWord(int section, int address)
{
    return referenceBlocks + 256u * static_cast<std::uint32_t>(section - 1) + 2u * static_cast<std::uint32_t>(address);
}

void writeZoneDevices(const std::vector<ZoneDevice>& devices, std::vector<std::uint8_t>& settings,
                      ConfigWriter& config)
{
    for (const ZoneDevice& device : devices) {
        require(device.address >= 1 && device.address <= 127, "device address");
        require(device.zone >= 1 && device.zone <= 15, "zone");
        settings[16 + device.address] = static_cast<std::uint8_t>(device.zone);
        if (device.names)
            config.putWord(referenceWord(1, device.address), writeNameSet(*device.names, config));
    }
}

void writeSections(const std::vector<SectionPanel>& sections, std::vector<std::uint8_t>& settings,
                   ConfigWriter& config)
{
    for (const SectionPanel& section : sections) {
        require(section.number >= 1 && section.number <= 24, "section number");
        require(section.group >= 1 && section.group <= 7, "section group");
        settings[16 + section.number] = static_cast<std::uint8_t>(section.group | (section.dubler ? 0x08 : 0));
        if (section.name) {
            const std::uint32_t size = section.dubler ? 2 * sectionNameSize : sectionNameSize;
            const std::uint16_t at = config.allocate(size);
            config.put(at, encodeLcdText(*section.name, sectionNameSize));
            if (section.dubler)
                config.put(at + sectionNameSize, encodeLcdText(section.dublerName, sectionNameSize));
            config.putWord(referenceWord(section.number, 0), at);
        }
        for (const SectionDevice& device : section.devices) {
            require(device.address >= 1 && device.address <= 127, "device address");
            config.putWord(referenceWord(section.number, device.address), writeNameSet(device.names, config));
        }
    }
}

void writeCommands(const std::vector<MenuCommand>& commands, ConfigWriter& config)
{
    bool used[commandSlotCount] = {};
    for (const MenuCommand& command : commands) {
        int slot = command.slot;
        if (slot < 0) {
            slot = 0;
            while (slot < commandSlotCount && used[slot])
                ++slot;
        }
        require(slot < commandSlotCount && !used[slot], "command slot");
        used[slot] = true;
        const std::uint32_t at = commandSlots + commandSlotSize * static_cast<std::uint32_t>(slot);
        std::vector<std::uint8_t> name = encodeLcdText(command.name, 19);
        // A first byte of 0xFF would mark the slot empty; the code page has
        // no character there, so it cannot come from a name.
        config.put(at, name);
        config.put(at + 19, 0);
        config.put(at + 20, std::vector<std::uint8_t>(command.data.begin(), command.data.end()));
    }
}

// Byte and bit of the emergency flag of each state text.
struct FlagBit {
    std::uint32_t offset;
    int bit;
};

FlagBit flagBit(int state)
{
    if (state < 16)
        return {0xF0u + static_cast<std::uint32_t>(state / 8), state % 8};
    static const FlagBit rest[] = {{0xF2, 0}, {0xF2, 1}, {0xF2, 7}, {0xF3, 0}, {0xF3, 1},
                                   {0xF3, 7}, {0xF4, 0}, {0xF4, 1}};
    return rest[state - 16];
}

void writeEventTable(int t, const config_quorvel::EventTable& table, ConfigWriter& config)
{
    const std::uint32_t base = eventTables + 256u * static_cast<std::uint32_t>(t);
    for (int k = 0; k < config_quorvel::EventTable::stateCount; ++k)
        config.put(base + 10u * static_cast<std::uint32_t>(k), encodeLcdText(table.text(k), 10));
    std::uint8_t flags[6] = {};
    for (int k = 0; k < config_quorvel::EventTable::stateCount; ++k) {
        if (!table.emergency[k])
            continue;
        const FlagBit f = flagBit(k);
        flags[f.offset - 0xF0] |= static_cast<std::uint8_t>(1u << f.bit);
    }
    for (std::uint32_t i = 0; i < 6; ++i)
        config.put(base + 0xF0 + i, flags[i]);
    if (table.name.empty())
        config.put(base + 0xF6, std::vector<std::uint8_t>(10, 0xFF));
    else
        config.put(base + 0xF6, encodeLcdText(table.name, 10));
}

void writeArchive(const PanelDescription& d, std::vector<std::uint8_t>& archive)
{
    require(d.firstRecordSlot >= 0 && d.firstRecordSlot < archiveSlots, "first record slot");
    require(d.records.size() <= static_cast<std::size_t>(archiveSlots), "record count");
    int slot = d.firstRecordSlot;
    for (const ArchiveRecord& record : d.records) {
        const auto bytes = encodeRecord(record);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            archive[8 * static_cast<std::size_t>(slot) + i] = bytes[i];
        slot = (slot + 1) % archiveSlots;
    }
}

} // namespace

std::uint32_t packDateTime(int year, int month, int day, int hour, int minute, int second)
{
    return (static_cast<std::uint32_t>(year - 2010) & 0x3F) << 26
        | (static_cast<std::uint32_t>(month) & 0x0F) << 22
        | (static_cast<std::uint32_t>(day) & 0x1F) << 17
        | (static_cast<std::uint32_t>(hour) & 0x1F) << 12
        | (static_cast<std::uint32_t>(minute) & 0x3F) << 6
        | (static_cast<std::uint32_t>(second) & 0x3F);
}

std::array<std::uint8_t, 8> encodeRecord(const ArchiveRecord& r)
{
    std::array<std::uint8_t, 8> b{};
    b[0] = static_cast<std::uint8_t>(r.dateTime >> 24);
    b[1] = static_cast<std::uint8_t>(r.dateTime >> 16);
    b[2] = static_cast<std::uint8_t>(r.dateTime >> 8);
    b[3] = static_cast<std::uint8_t>(r.dateTime);
    b[4] = static_cast<std::uint8_t>((r.emergency ? 0x80 : 0) | (r.address & 0x7F));
    b[5] = static_cast<std::uint8_t>(((r.section & 0x1F) << 3) | (r.eventClass & 0x07));
    b[6] = r.code;
    // The check byte of a record makes the CRC over all eight bytes zero.
    const std::uint8_t check = config_quorvel::crc8(b.data(), 7);
    b[7] = r.validCheck ? check : static_cast<std::uint8_t>(check ^ 0x5A);
    return b;
}

std::vector<std::uint8_t> encodeLcdText(const std::u16string& text, std::size_t width)
{
    std::vector<std::uint8_t> bytes(width, 0x20);
    for (std::size_t i = 0; i < width && i < text.size(); ++i) {
        std::uint8_t byte = '.';
        config_quorvel::unicodeToLcd(text[i], byte);
        bytes[i] = byte;
    }
    return bytes;
}

PanelMemory buildPanel(const PanelDescription& d)
{
    PanelMemory memory;
    ConfigWriter config(memory.config);
    writeSettings(d.settings, memory.settings);
    if (d.settings.pultType) {
        require(d.zoneDevices.empty(), "zone devices on a panel with sections");
        writeSections(d.sections, memory.settings, config);
    } else {
        require(d.sections.empty(), "sections on a panel without sections");
        writeZoneDevices(d.zoneDevices, memory.settings, config);
    }
    writeCommands(d.commands, config);

    require(d.eventTables.size() <= 16, "event table count");
    for (int t = 0; t < 16; ++t) {
        const auto index = static_cast<std::size_t>(t);
        if (index < d.eventTables.size()) {
            writeEventTable(t, d.eventTables[index], config);
        } else {
            config_quorvel::EventTable untitled = config_quorvel::defaultEventTable;
            untitled.name.clear();
            writeEventTable(t, untitled, config);
        }
    }
    writeArchive(d, memory.archive);
    return memory;
}

} // namespace panel_sim
