#include "PanelImages.h"

#include <config_quorvel/testing/RecordBuilder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>

using namespace config_quorvel;
using config_quorvel::testing::PanelImages;
using panel_sim::PanelDescription;
using config_quorvel::testing::RecordBuilder;

namespace {

Configuration decode(const panel_sim::PanelMemory& memory, std::vector<Event>* events = nullptr)
{
    Configuration c;
    const PanelImages images(memory);
    std::vector<Event> decoded = images.decodeInto(c);
    if (events)
        *events = std::move(decoded);
    return c;
}

panel_sim::NameSet nameSet(int table, const std::u16string& device)
{
    panel_sim::NameSet names;
    names.eventTable = table;
    names.deviceName = device;
    names.outsName = u"OUT " + device;
    names.loop1Name = u"\u0428\u043B. 1";
    names.loop2Name = u"Loop 2";
    names.line3Name = u"";
    names.line4Name = u"\u042F\u0449\u0438\u043A 4";
    return names;
}

// An erased panel (every byte 0xFF) with bytes written at panel addresses.
struct RawPanel {
    panel_sim::PanelMemory memory;

    void settings(std::uint32_t offset, std::initializer_list<std::uint8_t> bytes)
    {
        std::copy(bytes.begin(), bytes.end(), memory.settings.begin() + offset);
    }
    void config(std::uint32_t address, const std::vector<std::uint8_t>& bytes)
    {
        std::copy(bytes.begin(), bytes.end(), memory.config.begin() + (address - 0x3E00));
    }
    // ASCII text padded with spaces to width.
    void configText(std::uint32_t address, const std::string& text, std::size_t width)
    {
        std::vector<std::uint8_t> bytes(width, ' ');
        std::copy(text.begin(), text.end(), bytes.begin());
        config(address, bytes);
    }
    void archive(std::size_t slot, const std::vector<std::uint8_t>& record)
    {
        std::copy(record.begin(), record.end(), memory.archive.begin() + 8 * slot);
    }
    Configuration decode() const
    {
        Configuration c;
        PanelImages(memory).decoder().decodeConfiguration(c);
        return c;
    }
    EventTable table(int t) const { return PanelImages(memory).decoder().decodeEventTable(t); }
};

} // namespace

// Every settings field from its own offset of a raw settings page, the
// fields no window shows included.
TEST(SettingsDecoding, EveryFieldAtItsOffset)
{
    RawPanel p;
    p.settings(0, {5, 3, 24, 200, 0xB2, 0x15, 0xA5, 0xFE, 33, 44, 55, 0x99, 0x19, 0x77, 0x77, 0x0C, 0xF3});
    Configuration c = p.decode();
    EXPECT_EQ(c.firmwareDate, "05.03.2024");
    EXPECT_EQ(c.settingsRevision, 200);
    EXPECT_EQ(c.firmwareVersion, "2.1.5");
    EXPECT_EQ(c.zummerConfig, 0xA5);
    EXPECT_EQ(c.backlightLevel, 2);    // bits 0-1 of 0xFE
    EXPECT_EQ(c.backlightTime, 33);
    EXPECT_EQ(c.messageTime, 44);
    EXPECT_EQ(c.menuTime, 55);
    EXPECT_EQ(c.clockSyncHour, 19);
    EXPECT_FALSE(c.pultType);
    EXPECT_TRUE(c.voltage);
    EXPECT_TRUE(c.individualReset);    // bit 3 counts only on a central panel
    EXPECT_EQ(c.pultAddress, 0x13);    // bits 0-4 of 0xF3
    EXPECT_FALSE(c.hasPassword);
    EXPECT_TRUE(c.password.empty());

    // A central panel: bit 3 is the individual reset; bit 1 is nothing.
    p.settings(15, {0x03});
    c = p.decode();
    EXPECT_TRUE(c.pultType);
    EXPECT_FALSE(c.voltage);
    EXPECT_FALSE(c.individualReset);
    p.settings(15, {0x09});
    EXPECT_TRUE(p.decode().individualReset);
}

// Names below are spelt as the panel stores them: Cyrillic letters that look
// like Latin ones are Latin.

TEST(SettingsDecoding, TextFormats)
{
    EXPECT_EQ(ConfigDecoder::firmwareDateText(31, 12, 255), "31.12.2255");
    EXPECT_EQ(ConfigDecoder::firmwareDateText(1, 2, 3), "01.02.2003");
    EXPECT_EQ(ConfigDecoder::firmwareVersionText(0xB2, 0xFA), "2.15.10");
    EXPECT_EQ(ConfigDecoder::firmwareVersionText(0xB2, 0x00), "2.0.0");
}

TEST(SettingsDecoding, ClockSyncHourIsBcdOr255)
{
    const std::pair<std::uint8_t, int> cases[] = {{0x00, 0},   {0x07, 7},   {0x19, 19},
                                                  {0x23, 23},  {0x24, 255}, {0x1A, 255},
                                                  {0x0F, 255}, {0x30, 255}, {0xFF, 255}};
    auto memory = panel_sim::buildPanel(PanelDescription());
    for (const auto& [bcd, hour] : cases) {
        memory.settings[12] = bcd;
        EXPECT_EQ(decode(memory).clockSyncHour, hour) << int(bcd);
    }
}

TEST(DeviceDecoding, ZoneDevicesByTheirSettingsBytes)
{
    PanelDescription d;
    d.zoneDevices = {{5, 3, std::nullopt}, {9, 15, nameSet(2, u"\u0414a\u0442\u0447\u0438\u043A")}};
    auto memory = panel_sim::buildPanel(d);
    memory.settings[16 + 7] = 0x70; // high bits only: no device

    const Configuration c = decode(memory);
    ASSERT_EQ(c.sections.size(), 1u);
    const auto& devices = c.sections.at(0).devices;
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices.at(5).zone, 3);
    EXPECT_FALSE(devices.at(5).names);
    const Device& named = devices.at(9);
    EXPECT_EQ(named.address, 9);
    EXPECT_EQ(named.zone, 15);
    ASSERT_TRUE(named.names);
    EXPECT_EQ(named.names->deviceName, u"\u0414a\u0442\u0447\u0438\u043A");
    EXPECT_EQ(named.names->outsName, u"OUT \u0414a\u0442\u0447\u0438\u043A");
    EXPECT_EQ(named.names->loop1Name, u"\u0428\u043B. 1");
    EXPECT_EQ(named.names->loop2Name, u"Loop 2");
    EXPECT_EQ(named.names->line3Name, u"");
    EXPECT_EQ(named.names->line4Name, u"\u042F\u0449\u0438\u043A 4");
    // Table 2 holds only defaults but is used: it stays, moved down to 1.
    EXPECT_EQ(named.names->eventTable, 1);
}

TEST(DeviceDecoding, SectionsByGroupBitsAndDevicesByReferences)
{
    PanelDescription d;
    d.settings.pultType = true;
    d.sections = {
        {1, 2, true, std::nullopt, u"ignored", {{4, nameSet(0, u"A")}}},
        {2, 1, false, u"Gone", u"", {{1, nameSet(0, u"C")}}},
        {3, 7, true, u"Ce\u0432ep", u"\u0414y\u0431\u043Bep", {}},
        {6, 1, false, u"Solo", u"", {{127, nameSet(1, u"B")}}},
    };
    d.eventTables.resize(2);
    d.eventTables[1].loop1Norm = u"OK";
    auto memory = panel_sim::buildPanel(d);
    memory.settings[16 + 2] = 0x08; // dubler bit only: no section 2, whatever it references

    const Configuration c = decode(memory);
    ASSERT_EQ(c.sections.size(), 3u);
    EXPECT_EQ(c.sections.count(0), 0u);

    const Section& s1 = c.sections.at(1);
    EXPECT_EQ(s1.address, 1);
    EXPECT_EQ(s1.group, 2);
    EXPECT_TRUE(s1.dubler);
    EXPECT_EQ(s1.name, u"");
    EXPECT_EQ(s1.dublerName, u"");
    ASSERT_EQ(s1.devices.size(), 1u);
    EXPECT_EQ(memory.settings[16 + 4], 0);
    EXPECT_EQ(s1.devices.at(4).zone, 1); // present by its reference alone
    EXPECT_EQ(s1.devices.at(4).names->deviceName, u"A");

    const Section& s3 = c.sections.at(3);
    EXPECT_EQ(s3.group, 7);
    EXPECT_EQ(s3.name, u"Ce\u0432ep");
    EXPECT_EQ(s3.dublerName, u"\u0414y\u0431\u043Bep");
    EXPECT_TRUE(s3.devices.empty());

    const Section& s6 = c.sections.at(6);
    EXPECT_FALSE(s6.dubler);
    EXPECT_EQ(s6.name, u"Solo");
    EXPECT_EQ(s6.dublerName, u"");
    EXPECT_EQ(s6.devices.at(127).names->eventTable, 1);
}

TEST(DeviceDecoding, AReferenceOutsideTheRegionReadsAsZeros)
{
    PanelDescription d;
    d.zoneDevices = {{2, 1, std::nullopt}};
    auto memory = panel_sim::buildPanel(d);
    memory.config[0xD400 + 4 - 0x3E00] = 0x00; // word 0x0100: below the region
    memory.config[0xD400 + 5 - 0x3E00] = 0x01;

    const auto names = decode(memory).sections.at(0).devices.at(2).names;
    ASSERT_TRUE(names);
    EXPECT_EQ(names->eventTable, 0);
    EXPECT_EQ(names->deviceName, std::u16string(20, u'.'));
}

TEST(CommandDecoding, OccupiedSlotsInOrderWithoutGaps)
{
    PanelDescription d;
    d.settings.pultType = true;
    panel_sim::MenuCommand first, second;
    first.slot = 2;
    first.name = u"C\u0431poc";
    first.data = {1, 2, 3, 4, 5, 6, 7, 8};
    second.slot = 63;
    second.name = u"Exactly nineteen ch";
    d.commands = {second, first};

    const Configuration c = decode(panel_sim::buildPanel(d));
    ASSERT_EQ(c.commands.size(), 2u);
    EXPECT_EQ(c.commands[0].name, u"C\u0431poc");
    EXPECT_EQ(c.commands[0].data, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(c.commands[0].sectionMode);
    EXPECT_EQ(c.commands[1].name, u"Exactly nineteen ch");

    EXPECT_TRUE(decode(panel_sim::buildPanel(PanelDescription())).commands.empty());
}

// A raw table record: every text slot by its offset into the member it
// belongs to, every flag bit into its own flag, the title.
TEST(EventTableDecoding, EveryTextSlotAndFlagBitOfARawRecord)
{
    using Text = std::u16string EventTable::*;
    const std::pair<std::uint32_t, Text> slots[] = {
        {0x00, &EventTable::loop1Norm},    {0x0A, &EventTable::loop1Failure},
        {0x14, &EventTable::loop1Warning}, {0x1E, &EventTable::loop1Fire},
        {0x28, &EventTable::loop1TakeOff}, {0x32, &EventTable::loop1Put},
        {0x3C, &EventTable::loop1Alarm},   {0x46, &EventTable::loop1Activation},
        {0x50, &EventTable::loop2Norm},    {0x5A, &EventTable::loop2Failure},
        {0x64, &EventTable::loop2Warning}, {0x6E, &EventTable::loop2Fire},
        {0x78, &EventTable::loop2TakeOff}, {0x82, &EventTable::loop2Put},
        {0x8C, &EventTable::loop2Alarm},   {0x96, &EventTable::loop2Activation},
        {0xA0, &EventTable::line3Norm},    {0xAA, &EventTable::line3Failure},
        {0xB4, &EventTable::line3Activation}, {0xBE, &EventTable::line4Norm},
        {0xC8, &EventTable::line4Failure}, {0xD2, &EventTable::line4Activation},
        {0xDC, &EventTable::deviceTamper}, {0xE6, &EventTable::outsFailure},
    };
    const std::uint32_t base = 0xEC00 + 2 * 256; // table 2
    RawPanel p;
    char text[8];
    for (const auto& [offset, member] : slots) {
        std::snprintf(text, sizeof text, "S%02X", unsigned(offset));
        p.configText(base + offset, text, 10);
    }
    p.config(base + 0xF0, {0, 0, 0, 0, 0, 0});
    p.configText(base + 0xF6, "Title", 10);
    EventTable t = p.table(2);
    for (const auto& [offset, member] : slots) {
        std::snprintf(text, sizeof text, "S%02X", unsigned(offset));
        EXPECT_EQ(t.*member, std::u16string(text, text + 3)) << std::hex << offset;
    }
    EXPECT_EQ(t.name, u"Title");
    for (int k = 0; k < EventTable::stateCount; ++k)
        EXPECT_FALSE(t.emergency[k]) << k;

    // Flag index (the member order above) by byte and bit.
    const std::tuple<std::uint32_t, int, int> flags[] = {
        {0xF0, 0, 0},  {0xF0, 1, 1},  {0xF0, 2, 2},  {0xF0, 3, 3},  {0xF0, 4, 4},  {0xF0, 5, 5},
        {0xF0, 6, 6},  {0xF0, 7, 7},  {0xF1, 0, 8},  {0xF1, 1, 9},  {0xF1, 2, 10}, {0xF1, 3, 11},
        {0xF1, 4, 12}, {0xF1, 5, 13}, {0xF1, 6, 14}, {0xF1, 7, 15}, {0xF2, 0, 16}, {0xF2, 1, 17},
        {0xF2, 7, 18}, {0xF3, 0, 19}, {0xF3, 1, 20}, {0xF3, 7, 21}, {0xF4, 0, 22}, {0xF4, 1, 23},
    };
    for (const auto& [offset, bit, flag] : flags) {
        p.config(base + 0xF0, {0, 0, 0, 0, 0, 0});
        p.config(offset + base, {std::uint8_t(1u << bit)});
        t = p.table(2);
        for (int k = 0; k < EventTable::stateCount; ++k)
            EXPECT_EQ(t.emergency[k], k == flag) << std::hex << offset << " bit " << bit << " flag " << std::dec << k;
    }
    // The bits no flag uses, and byte 0xF5, are not read.
    p.config(base + 0xF0, {0, 0, 0x7C, 0x7C, 0xFC, 0xFF});
    t = p.table(2);
    for (int k = 0; k < EventTable::stateCount; ++k)
        EXPECT_FALSE(t.emergency[k]) << k;

    // Title byte 0xFF: no title; ten spaces: an empty one.
    p.config(base + 0xF6, {0xFF});
    EXPECT_EQ(p.table(2).name, u"");
    p.configText(base + 0xF6, "", 10);
    EXPECT_EQ(p.table(2).name, u"");
    // An erased record reads as dots, not as the defaults.
    EXPECT_EQ(p.table(3).loop1Norm, u"..........");
}

TEST(EventTableDecoding, TextsFlagsAndTitles)
{
    PanelDescription d;
    d.eventTables.resize(4);
    EventTable& custom = d.eventTables[1];
    for (int k = 0; k < EventTable::stateCount; ++k) {
        custom.text(k) = u"S" + std::u16string(1, char16_t(u'A' + k));
        custom.emergency[k] = k % 3 == 0;
    }
    custom.name = u"\u041Fo\u0436ap";
    d.eventTables[3].emergency = {};
    d.eventTables[3].emergency[23] = true;
    auto memory = panel_sim::buildPanel(d);
    const std::uint32_t block3 = 0xEC00 + 3 * 256 - 0x3E00;
    for (int i = 0; i < 10; ++i)
        memory.config[block3 + 0xF6 + i] = ' ';  // a title of spaces is an empty title
    memory.config[block3 + 0xF2] |= 0x7C;        // bits that are not flags
    memory.config[block3] = 0xC8;                // a byte with no character

    const PanelImages images(memory);
    const ConfigDecoder decoder = images.decoder();
    const EventTable t1 = decoder.decodeEventTable(1);
    EXPECT_FALSE(t1 != custom);
    EXPECT_EQ(decoder.decodeEventTable(0).name, u"");
    EXPECT_FALSE(decoder.decodeEventTable(2) != defaultEventTable);
    EXPECT_FALSE(decoder.decodeEventTable(16) != defaultEventTable);
    const EventTable t3 = decoder.decodeEventTable(3);
    EXPECT_EQ(t3.name, u"");
    EXPECT_EQ(t3.loop1Norm, u".OPMA");
    for (int k = 0; k < EventTable::stateCount; ++k)
        EXPECT_EQ(t3.emergency[k], k == 23) << k;

    // After the rebuild: table 0, the custom one, and the one with changed flags.
    const Configuration c = decode(memory);
    ASSERT_EQ(c.eventTables.size(), 3u);
    EXPECT_EQ(c.eventTables[1].name, custom.name);
    EXPECT_EQ(c.eventTables[2].name, u"\u0054\u0061\u0431\u043B\u0438\u0446\u0061\u0020\u0032");
}

TEST(ArchiveDecoding, OnlyRecordsWithAValidCheckByteInAddressOrder)
{
    RawPanel p;
    std::vector<Event> events;
    decode(p.memory, &events);
    EXPECT_TRUE(events.empty()); // erased records

    const RecordBuilder last = RecordBuilder().date(2021, 3, 15, 9, 5, 7).address(5).eventClass(2).code(0x12);
    p.archive(8191, last.bytes());                             // the record at 0x40FFF8
    p.archive(0, RecordBuilder(last).badCheck().bytes());
    p.archive(1, std::vector<std::uint8_t>(8, 0x00));          // a zeroed record
    p.archive(2, RecordBuilder(last).code(0x02).bytes());
    p.archive(3, {0x2C, 0xDE, 0x91, 0x47, 0x85, 0x1A, 0x12, 0x00}); // check byte 0: wrong

    decode(p.memory, &events);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code(), 0x02);
    EXPECT_EQ(events[1].code(), 0x12);
    EXPECT_EQ(events[1].dateTimeText(), "2021/03/15 09:05:07");
    EXPECT_EQ(events[1].loopNumber(), 3);
}

TEST(ArchiveDecoding, TheDemoPanelDecodesCompletely)
{
    const PanelDescription d = panel_sim::demoPanel();
    Configuration c;
    const PanelImages images(panel_sim::buildPanel(d));
    const std::vector<Event> events = images.decodeInto(c);
    EXPECT_EQ(events.size(), d.records.size() - 1);
    EXPECT_TRUE(c.pultType);
    EXPECT_EQ(c.sections.size(), d.sections.size());
    EXPECT_EQ(c.eventTables.size(), 4u);
    EXPECT_EQ(c.commands.size(), d.commands.size());
    for (const Event& e : events) {
        EXPECT_EQ(e.configuration(), &c);
        EXPECT_FALSE(e.eventText().empty());
        EXPECT_EQ(e.dateTimeText().size(), 19u);
    }
}
