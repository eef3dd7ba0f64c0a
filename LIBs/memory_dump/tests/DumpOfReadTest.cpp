#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpFormat.h>

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/ConfiguratorError.h>

#include <panel_builder/PanelBuilder.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <gtest/gtest.h>

using config_quorvel::Configuration;
using config_quorvel::ConfiguratorError;
using config_quorvel::Event;
using memory_dump::MemoryDump;

namespace {

// The demo panel behind a loader whose information block also carries the
// bytes that the program does not interpret.
class DumpOfRead : public ::testing::Test {
protected:
    DumpOfRead() : memory(panel_sim::buildPanel(panel_sim::demoPanel())), panel(line, memory)
    {
        panel.loader().setRawInfoBlock(infoBlock);
        EXPECT_TRUE(facade.openPort("COM1"));
    }

    const std::vector<std::uint8_t> infoBlock = {0x12, 0xA1, 0xA2, 0xA3, 0x00, 0x01, 0x34, 0x12,
                                                 'Q',  '-',  'Q',  'R',  'V',  0x00, 0x5A, 0x07};
    panel_sim::PanelMemory memory;
    rs485::testing::FakeSerialPlatform line;
    panel_sim::SimulatedPanel panel;
    config_quorvel::ConfigQuorvel facade{line};
};

void expectSameEvents(const std::vector<Event>& actual, const std::vector<Event>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].dateTimeText(), expected[i].dateTimeText()) << i;
        EXPECT_EQ(actual[i].eventText(), expected[i].eventText()) << i;
        EXPECT_EQ(actual[i].objectText(), expected[i].objectText()) << i;
        EXPECT_EQ(actual[i].emergency(), expected[i].emergency()) << i;
        EXPECT_EQ(actual[i].sectionNumber(), expected[i].sectionNumber()) << i;
        EXPECT_EQ(actual[i].address(), expected[i].address()) << i;
        EXPECT_EQ(actual[i].loopNumber(), expected[i].loopNumber()) << i;
    }
}

std::uint32_t codeOf(const MemoryDump& dump, Configuration& configuration)
{
    try {
        memory_dump::decodeDump(dump, configuration);
    } catch (const ConfiguratorError& e) {
        return e.code();
    }
    ADD_FAILURE() << "the dump was decoded";
    return 99;
}

} // namespace

TEST_F(DumpOfRead, KeepsWhatTheReadBroughtBack)
{
    facade.setTurbo(true);
    Configuration configuration;
    facade.readArchive(configuration, nullptr);
    const MemoryDump dump = memory_dump::dumpOfRead(facade, "COM4", 1733650000000, "1.1.6.1107");

    EXPECT_EQ(dump.infoBlock, infoBlock);
    EXPECT_EQ(dump.settings.space, 1);
    EXPECT_EQ(dump.settings.start, 0x000000u);
    EXPECT_EQ(dump.settings.bytes, memory.settings);
    EXPECT_EQ(dump.configuration.space, 0);
    EXPECT_EQ(dump.configuration.start, 0x3E00u);
    EXPECT_EQ(dump.configuration.bytes, memory.config);
    EXPECT_EQ(dump.archive.space, 1);
    EXPECT_EQ(dump.archive.start, 0x400000u);
    EXPECT_EQ(dump.archive.bytes, memory.archive);
    EXPECT_EQ(dump.settingsChecksum, facade.settingsChecksumValue());
    EXPECT_EQ(dump.configChecksum, facade.configChecksumValue());
    EXPECT_NE(dump.configChecksum, 0u);
    EXPECT_TRUE(dump.turbo);
    EXPECT_EQ(dump.portName, "COM4");
}

TEST_F(DumpOfRead, KeepsTheChecksumsTheLoaderGaveNotTheSumOfTheBytes)
{
    // A replayed panel answers the checksums its own loader gave, which need
    // not be the sum of the bytes that were read.
    panel.loader().setRangeChecksum(1, 0x000000, static_cast<std::uint32_t>(memory.settings.size()),
                                    0x01020304);
    panel.loader().setRangeChecksum(0, 0x3E00, static_cast<std::uint32_t>(memory.config.size()),
                                    0xCAFEF00D);
    Configuration configuration;
    facade.readArchive(configuration, nullptr);
    const MemoryDump dump = memory_dump::dumpOfRead(facade, "COM4", 0, "1.1.6.1107");
    EXPECT_EQ(dump.settingsChecksum, 0x01020304u);
    EXPECT_EQ(dump.configChecksum, 0xCAFEF00Du);
}

TEST_F(DumpOfRead, AnOpenedDumpDecodesAsTheReadDid)
{
    Configuration read;
    const std::vector<Event> readEvents = facade.readArchive(read, nullptr);
    ASSERT_GT(readEvents.size(), 10u);
    const std::vector<std::uint8_t> file =
        memory_dump::serializeDump(memory_dump::dumpOfRead(facade, "COM4", 1'700'000'000'000, "1.1.6.1107"));

    Configuration opened;
    opened.firmwareDate = "earlier";
    const std::vector<Event> openedEvents = memory_dump::decodeDump(memory_dump::parseDump(file), opened);
    expectSameEvents(openedEvents, readEvents);
    EXPECT_EQ(openedEvents.front().configuration(), &opened);
    EXPECT_EQ(opened.firmwareDate, read.firmwareDate);
    EXPECT_EQ(opened.firmwareVersion, read.firmwareVersion);
    EXPECT_EQ(opened.sections.size(), read.sections.size());
    EXPECT_EQ(opened.eventTables.size(), read.eventTables.size());
    EXPECT_EQ(opened.commands.size(), read.commands.size());
}

TEST_F(DumpOfRead, DumpsOfPanelsThatAReadRejectsAreRejectedWithTheReadsCode)
{
    Configuration read;
    facade.readArchive(read, nullptr);
    const MemoryDump good = memory_dump::dumpOfRead(facade, "COM4", 0, "");

    Configuration configuration;
    configuration.firmwareDate = "earlier";
    MemoryDump dump = good;
    dump.infoBlock[0] = 0x11;
    EXPECT_EQ(codeOf(dump, configuration), ConfiguratorError::IncompatibleLoader);
    dump = good;
    dump.infoBlock[12] = 'X';
    EXPECT_EQ(codeOf(dump, configuration), ConfiguratorError::UnsupportedDevice);
    dump = good;
    dump.infoBlock[5] = 0x02;
    EXPECT_EQ(codeOf(dump, configuration), ConfiguratorError::UnsupportedDevice);
    dump = good;
    dump.settings.bytes[4] = 0xB3;
    EXPECT_EQ(codeOf(dump, configuration), ConfiguratorError::IncompatibleFirmware);
    EXPECT_EQ(configuration.firmwareDate, "earlier");
}
