#include "PanelImages.h"

#include <gtest/gtest.h>

using namespace config_quorvel;
using config_quorvel::testing::PanelImages;
using panel_sim::PanelDescription;

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

} // namespace

// Names below are spelt as the panel stores them: Cyrillic letters that look
// like Latin ones are Latin.

TEST(SettingsDecoding, FormatsAndFlags)
{
    PanelDescription d;
    d.settings.firmwareDay = 5;
    d.settings.firmwareMonth = 3;
    d.settings.firmwareYear = 2024;
    d.settings.versionMinor = 1;
    d.settings.versionBuild = 5;
    d.settings.settingsRevision = 200;
    d.settings.zummerConfig = 0xA5;
    d.settings.voltage = true;
    d.settings.individualReset = false;
    auto memory = panel_sim::buildPanel(d);
    memory.settings[7] = 0xFE;  // only bits 0-1 are the level
    memory.settings[16] = 0xE9; // only bits 0-4 are the address

    const Configuration c = decode(memory);
    EXPECT_EQ(c.firmwareDate, "05.03.2024");
    EXPECT_EQ(c.firmwareVersion, "2.1.5");
    EXPECT_EQ(c.settingsRevision, 200);
    EXPECT_EQ(c.zummerConfig, 0xA5);
    EXPECT_EQ(c.backlightLevel, 2);
    EXPECT_EQ(c.pultAddress, 9);
    EXPECT_FALSE(c.pultType);
    EXPECT_TRUE(c.voltage);
    EXPECT_TRUE(c.individualReset); // a panel without sections keeps the default

    EXPECT_EQ(ConfigDecoder::firmwareDateText(31, 12, 255), "31.12.2255");
    EXPECT_EQ(ConfigDecoder::firmwareVersionText(0xB2, 0xFA), "2.15.10");

    d.settings.pultType = true;
    EXPECT_FALSE(decode(panel_sim::buildPanel(d)).individualReset);
    d.settings.individualReset = true;
    EXPECT_TRUE(decode(panel_sim::buildPanel(d)).individualReset);
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
    PanelDescription d;
    std::vector<Event> events;
    decode(panel_sim::buildPanel(d), &events);
    EXPECT_TRUE(events.empty());

    panel_sim::ArchiveRecord last;
    last.dateTime = panel_sim::packDateTime(2021, 3, 15, 9, 5, 7);
    last.address = 5;
    last.eventClass = 2;
    last.code = 0x12;
    d.firstRecordSlot = 8191;
    d.records = {last, last, last, last};
    d.records[1].validCheck = false;
    d.records[2].code = 0x01;
    d.records[3].code = 0x02;
    auto memory = panel_sim::buildPanel(d);
    std::fill_n(memory.archive.begin() + 8 * 1, 8, 0x00); // a zeroed record

    decode(memory, &events);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code(), 0x02);  // slot 2 of the wrapped ring
    EXPECT_EQ(events[1].code(), 0x12);  // the record at 0x40FFF8
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
