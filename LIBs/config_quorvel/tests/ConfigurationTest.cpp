#include <config_quorvel/Configuration.h>

#include <gtest/gtest.h>

#include <memory>

using namespace config_quorvel;

namespace {

const std::u16string tablePrefix = u"\u0054\u0061\u0431\u043B\u0438\u0446\u0061\u0020";

// A configuration as a read leaves it before the rebuild: sixteen tables.
Configuration withSixteenTables(bool pultType = false)
{
    Configuration c;
    c.pultType = pultType;
    c.eventTables.assign(16, defaultEventTable);
    for (auto& table : c.eventTables)
        table.name.clear();
    if (pultType)
        c.sections.erase(0);
    return c;
}

void addDevice(Configuration& c, int section, int address, int table)
{
    Device device;
    device.address = address;
    device.names = std::make_shared<DeviceNames>();
    device.names->eventTable = table;
    c.sections[section].devices[address] = device;
}

int tableOf(const Configuration& c, int section, int address)
{
    return c.sections.at(section).devices.at(address).names->eventTable;
}

} // namespace

TEST(RebuildEventTables, DropsUnusedDefaultTablesAndRenumbersDevices)
{
    Configuration c = withSixteenTables();
    c.eventTables[0].name = u"zero";
    addDevice(c, 0, 1, 5);
    addDevice(c, 0, 2, 0);
    addDevice(c, 0, 3, 40);  // beyond the list: left alone
    Device unnamed;
    c.sections[0].devices[4] = unnamed;

    EXPECT_TRUE(c.rebuildEventTables());
    ASSERT_EQ(c.eventTables.size(), 2u);
    EXPECT_EQ(c.eventTables[0].name, u"");
    EXPECT_EQ(c.eventTables[1].name, tablePrefix + u"1");
    EXPECT_EQ(tableOf(c, 0, 1), 1);
    EXPECT_EQ(tableOf(c, 0, 2), 0);
    EXPECT_EQ(tableOf(c, 0, 3), 40 - 14); // one down for each of the 14 tables dropped
    EXPECT_FALSE(c.sections[0].devices[4].names);
}

TEST(RebuildEventTables, KeepsChangedTablesAndStoredTitles)
{
    Configuration c = withSixteenTables();
    c.eventTables[3].loop1Fire = u"FIRE";
    c.eventTables[7].emergency[0] = true;
    c.eventTables[7].name = u"Stored";
    c.eventTables[9].name = u"Only a title"; // the title alone does not keep it
    EXPECT_TRUE(c.rebuildEventTables());
    ASSERT_EQ(c.eventTables.size(), 3u);
    EXPECT_EQ(c.eventTables[1].loop1Fire, u"FIRE");
    EXPECT_EQ(c.eventTables[1].name, tablePrefix + u"1");
    EXPECT_EQ(c.eventTables[2].name, u"Stored");
}

TEST(RebuildEventTables, KeepsEveryUsedTableAndTitlesItByItsIndex)
{
    Configuration c = withSixteenTables();
    for (int t = 1; t < 16; ++t)
        addDevice(c, 0, t, t);
    EXPECT_FALSE(c.rebuildEventTables());
    ASSERT_EQ(c.eventTables.size(), 16u);
    EXPECT_EQ(c.eventTables[0].name, u"");
    EXPECT_EQ(c.eventTables[15].name, tablePrefix + u"15");
    EXPECT_EQ(tableOf(c, 0, 15), 15);
}

TEST(RebuildEventTables, CountsEverySectionOnACentralPanelButOnlySection0Otherwise)
{
    Configuration central = withSixteenTables(true);
    addDevice(central, 3, 7, 4);
    addDevice(central, 20, 1, 9);
    EXPECT_TRUE(central.rebuildEventTables());
    ASSERT_EQ(central.eventTables.size(), 3u);
    EXPECT_EQ(tableOf(central, 3, 7), 1);
    EXPECT_EQ(tableOf(central, 20, 1), 2);

    Configuration zones = withSixteenTables(false);
    addDevice(zones, 0, 1, 6);
    addDevice(zones, 3, 7, 4); // not a section of this kind of panel
    EXPECT_TRUE(zones.rebuildEventTables());
    ASSERT_EQ(zones.eventTables.size(), 2u);
    EXPECT_EQ(tableOf(zones, 0, 1), 1);
    EXPECT_EQ(tableOf(zones, 3, 7), 4);
}

TEST(RebuildEventTables, OnASingleTableOnlyClearsItsTitle)
{
    Configuration c;
    c.eventTables[0].name = u"x";
    EXPECT_FALSE(c.rebuildEventTables());
    EXPECT_EQ(c.eventTables.size(), 1u);
    EXPECT_EQ(c.eventTables[0].name, u"");
}

TEST(ConfigurationLookups, EventTableFallsBackToTable0ThenTheBuiltInTable)
{
    Configuration c;
    c.eventTables.assign(3, defaultEventTable);
    c.eventTables[0].loop1Norm = u"zero";
    c.eventTables[2].loop1Norm = u"two";
    EXPECT_EQ(c.eventTable(2).loop1Norm, u"two");
    EXPECT_EQ(c.eventTable(20).loop1Norm, u"zero");
    EXPECT_EQ(c.eventTable(0xFFFFFFFFu).loop1Norm, u"zero");
    c.eventTables.clear();
    EXPECT_EQ(&c.eventTable(0), &defaultEventTable);
}

TEST(ConfigurationLookups, ResetLeavesSection0AndTheBuiltInTableOnly)
{
    Configuration c;
    c.firmwareDate = "01.01.2020";
    c.clockSyncHour = 255;
    c.pultType = true;
    c.sections.clear();
    addDevice(c, 4, 1, 0);
    c.commands.emplace_back(true);
    c.eventTables.assign(5, EventTable());
    c.reset();

    EXPECT_EQ(c.firmwareDate, "");
    EXPECT_EQ(c.clockSyncHour, 2);
    EXPECT_FALSE(c.pultType);
    ASSERT_EQ(c.sections.size(), 1u);
    EXPECT_TRUE(c.sections.at(0).devices.empty());
    EXPECT_TRUE(c.commands.empty());
    ASSERT_EQ(c.eventTables.size(), 1u);
    EXPECT_FALSE(c.eventTables[0] != defaultEventTable);
}

TEST(DeviceValues, CopiesOwnTheirNames)
{
    Device a;
    a.address = 9;
    a.names = std::make_shared<DeviceNames>();
    a.names->deviceName = u"a";
    Device b = a;
    b.names->deviceName = u"b";
    EXPECT_EQ(a.names->deviceName, u"a");
    EXPECT_NE(a.names, b.names);

    Device c;
    c = a;
    EXPECT_EQ(c.address, 9);
    EXPECT_EQ(c.names->deviceName, u"a");
    c = Device();
    EXPECT_FALSE(c.names);
    const auto before = a.names;
    a = a;
    EXPECT_EQ(a.names, before);

    const Command sectionCommand(true), plainCommand(false);
    EXPECT_EQ(sectionCommand.data, (std::vector<std::uint8_t>{0xC1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(plainCommand.data[0], 0x81);
}
