#include <config_quorvel/ConfigDecoder.h>

#include <config_quorvel/Crc8.h>
#include <config_quorvel/LCDCharset.h>
#include <config_quorvel/MemoryMap.h>

#include <boot_loader/MemoryImage.h>

#include <cstdio>

namespace config_quorvel {

namespace mm = memory_map;

namespace {

// Byte and bit of each per-state emergency flag within an event table.
struct FlagBit {
    std::uint32_t offset;
    int bit;
};

constexpr FlagBit flagBits[EventTable::stateCount] = {
    {0xF0, 0}, {0xF0, 1}, {0xF0, 2}, {0xF0, 3}, {0xF0, 4}, {0xF0, 5}, {0xF0, 6}, {0xF0, 7},
    {0xF1, 0}, {0xF1, 1}, {0xF1, 2}, {0xF1, 3}, {0xF1, 4}, {0xF1, 5}, {0xF1, 6}, {0xF1, 7},
    {0xF2, 0}, {0xF2, 1}, {0xF2, 7}, // line 3: norm, failure, activation
    {0xF3, 0}, {0xF3, 1}, {0xF3, 7}, // line 4
    {0xF4, 0}, {0xF4, 1},            // tamper, outputs
};

std::uint32_t referenceBlock(int section)
{
    return mm::referenceBlocks + mm::referenceBlockSize * static_cast<std::uint32_t>(section - 1);
}

} // namespace

ConfigDecoder::ConfigDecoder(const boot_loader::MemoryImage& settings,
                             const boot_loader::MemoryImage& config,
                             const boot_loader::MemoryImage& archive)
    : settings(&settings), config(&config), archive(&archive)
{
}

std::string ConfigDecoder::firmwareDateText(std::uint8_t day, std::uint8_t month, std::uint8_t year)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u", unsigned(day), unsigned(month),
                  unsigned(year) + 2000u);
    return text;
}

std::string ConfigDecoder::firmwareVersionText(std::uint8_t identification, std::uint8_t version)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u", identification & 0x0Fu, unsigned(version) >> 4,
                  version & 0x0Fu);
    return text;
}

int ConfigDecoder::clockSyncHourFromBcd(std::uint8_t bcd)
{
    if (bcd == 0xFF || bcd > 0x23 || (bcd & 0x0F) > 9)
        return 255;
    return 10 * (bcd >> 4) + (bcd & 0x0F);
}

std::vector<Event> ConfigDecoder::decodePanel(Configuration& configuration) const
{
    decodeConfiguration(configuration);
    configuration.rebuildEventTables();
    return decodeArchive(configuration);
}

void ConfigDecoder::decodeConfiguration(Configuration& configuration) const
{
    configuration.reset();
    decodeSettings(configuration);
    if (configuration.pultType)
        decodeSections(configuration);
    else
        decodeZoneDevices(configuration);
    decodeCommands(configuration);
    decodeEventTables(configuration);
}

void ConfigDecoder::decodeSettings(Configuration& c) const
{
    const auto at = [this](std::uint32_t offset) { return settings->byteAt(mm::settingsStart + offset); };
    c.firmwareDate = firmwareDateText(at(mm::firmwareDay), at(mm::firmwareMonth), at(mm::firmwareYear));
    c.settingsRevision = at(mm::settingsRevision);
    c.firmwareVersion = firmwareVersionText(at(mm::identification), at(mm::firmwareMinorBuild));
    c.zummerConfig = at(mm::zummerConfig);
    c.backlightLevel = at(mm::backlightLevel) & 0x03;
    c.backlightTime = at(mm::backlightTime);
    c.messageTime = at(mm::messageTime);
    c.menuTime = at(mm::menuTime);
    c.clockSyncHour = clockSyncHourFromBcd(at(mm::clockSyncHour));
    const std::uint8_t flags = at(mm::panelFlags);
    c.pultType = (flags & 0x01) != 0;
    c.voltage = (flags & 0x04) != 0;
    c.pultAddress = at(mm::pultAddress) & 0x1F;
}

std::u16string ConfigDecoder::readLcdText(std::uint32_t address, std::uint32_t length) const
{
    std::u16string text;
    text.reserve(length);
    for (std::uint8_t byte : config->bytes(address, length))
        text += lcdToUnicode(byte);
    const auto last = text.find_last_not_of(u' ');
    text.erase(last == std::u16string::npos ? 0 : last + 1);
    return text;
}

std::shared_ptr<DeviceNames> ConfigDecoder::decodeDeviceNames(std::uint16_t reference) const
{
    auto names = std::make_shared<DeviceNames>();
    const std::uint32_t r = reference;
    names->eventTable = config->byteAt(r);
    std::u16string* texts[] = {&names->deviceName, &names->outsName,  &names->loop1Name,
                               &names->loop2Name,  &names->line3Name, &names->line4Name};
    std::uint32_t offset = mm::nameTextsOffset;
    for (std::u16string* text : texts) {
        *text = readLcdText(r + offset, mm::nameTextSize);
        offset += mm::nameTextSize;
    }
    return names;
}

void ConfigDecoder::decodeZoneDevices(Configuration& c) const
{
    for (int n = 1; n <= mm::maxAddress; ++n) {
        const std::uint8_t zone = settings->byteAt(mm::settingsStart + mm::perAddress + n) & 0x0F;
        if (zone == 0)
            continue;
        Device device;
        device.address = n;
        device.zone = zone;
        const std::uint16_t reference = config->wordAt(referenceBlock(1) + 2u * n);
        if (reference != mm::noReference)
            device.names = decodeDeviceNames(reference);
        c.sections[0].devices[n] = device;
    }
}

void ConfigDecoder::decodeSections(Configuration& c) const
{
    c.individualReset = settings->bitAt(mm::settingsStart + mm::panelFlags, 3) != 0;
    c.sections.erase(0);
    for (int s = 1; s <= mm::maxSection; ++s) {
        const std::uint8_t b = settings->byteAt(mm::settingsStart + mm::perAddress + s);
        if ((b & 0x07) == 0)
            continue;
        Section& section = c.sections[s];
        section.address = s;
        section.group = b & 0x07;
        section.dubler = (b & 0x08) != 0;
        section.name.clear();
        section.dublerName.clear();
        section.devices.clear();

        const std::uint32_t block = referenceBlock(s);
        const std::uint16_t nameReference = config->wordAt(block);
        if (nameReference != mm::noReference) {
            section.name = readLcdText(nameReference, mm::sectionNameSize);
            if (section.dubler)
                section.dublerName = readLcdText(nameReference + mm::sectionNameSize, mm::sectionNameSize);
        }

        // With sections a device exists when its name reference is set.
        for (int n = 1; n <= mm::maxAddress; ++n) {
            const std::uint16_t reference = config->wordAt(block + 2u * n);
            if (reference == mm::noReference)
                continue;
            Device device;
            device.address = n;
            device.names = decodeDeviceNames(reference);
            section.devices[n] = device;
        }
    }
}

void ConfigDecoder::decodeCommands(Configuration& c) const
{
    for (int k = 0; k < mm::commandSlotCount; ++k) {
        const std::uint32_t a = mm::commandSlots + mm::commandSlotSize * static_cast<std::uint32_t>(k);
        if (config->byteAt(a) == 0xFF)
            continue;
        Command command(c.pultType);
        command.name = readLcdText(a, mm::commandNameSize);
        command.data = config->bytes(a + mm::commandDataOffset, mm::commandDataSize);
        c.commands.push_back(command);
    }
}

EventTable ConfigDecoder::decodeEventTable(int t) const
{
    EventTable table;
    if (t < 0 || t >= mm::eventTableCount)
        return table;
    const std::uint32_t base = mm::eventTables + mm::eventTableSize * static_cast<std::uint32_t>(t);
    if (config->byteAt(base + mm::tableTitle) != 0xFF)
        table.name = readLcdText(base + mm::tableTitle, mm::tableTitleSize);
    for (int k = 0; k < EventTable::stateCount; ++k) {
        table.text(k) = readLcdText(base + mm::stateTextSize * static_cast<std::uint32_t>(k), mm::stateTextSize);
        table.emergency[k] = config->bitAt(base + flagBits[k].offset, flagBits[k].bit) != 0;
    }
    return table;
}

void ConfigDecoder::decodeEventTables(Configuration& c) const
{
    c.eventTables.clear();
    for (int t = 0; t < mm::eventTableCount; ++t)
        c.eventTables.push_back(decodeEventTable(t));
}

std::vector<std::uint32_t> ConfigDecoder::validRecordAddresses() const
{
    std::vector<std::uint32_t> addresses;
    const std::uint32_t end = mm::archiveStart + mm::pageSize * static_cast<std::uint32_t>(archive->pages.size());
    for (std::uint32_t a = mm::archiveStart; a < end; a += mm::recordSize)
        if (crc8(archive->bytes(a, mm::recordSize)) == 0)
            addresses.push_back(a);
    return addresses;
}

std::vector<Event> ConfigDecoder::decodeArchive(const Configuration& c) const
{
    std::vector<Event> events;
    for (const std::uint32_t a : validRecordAddresses())
        events.emplace_back(archive->bytes(a, mm::recordSize), &c);
    return events;
}

} // namespace config_quorvel
