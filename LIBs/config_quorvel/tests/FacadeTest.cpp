#include "PanelImages.h"

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/ProgressHandler.h>

#include <panel_builder/PanelBuilder.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <gtest/gtest.h>

#include <numeric>

using namespace config_quorvel;
using panel_sim::CommandKind;
using panel_sim::Exchange;
using panel_sim::Fault;
using panel_sim::FaultRule;

namespace {

struct RecordingHandler : ProgressHandler {
    void onProgress(float fraction) override { fractions.push_back(fraction); }
    std::vector<float> fractions;
};

std::uint32_t sum(const std::vector<std::uint8_t>& bytes)
{
    return std::accumulate(bytes.begin(), bytes.end(), 0u);
}

class FacadeRead : public ::testing::Test {
protected:
    FacadeRead() : memory(panel_sim::buildPanel(panel_sim::demoPanel())), panel(line, memory)
    {
        EXPECT_TRUE(facade.openPort("COM1"));
        // A configuration as an earlier read left it; failed reads keep it.
        previous.firmwareDate = "earlier";
        previous.sections[0].devices[3].zone = 4;
    }

    // Reads and expects a ConfiguratorError; returns its code.
    std::uint32_t failingRead()
    {
        try {
            facade.readArchive(previous, &progress);
        } catch (const ConfiguratorError& e) {
            return e.code();
        }
        ADD_FAILURE() << "the read did not fail";
        return 99;
    }

    void expectPreviousConfiguration() const
    {
        EXPECT_EQ(previous.firmwareDate, "earlier");
        EXPECT_EQ(previous.sections.at(0).devices.at(3).zone, 4);
    }

    std::vector<CommandKind> kinds() const
    {
        std::vector<CommandKind> result;
        for (const Exchange& e : panel.log())
            result.push_back(e.kind);
        return result;
    }

    panel_sim::PanelMemory memory;
    rs485::testing::FakeSerialPlatform line;
    panel_sim::SimulatedPanel panel;
    ConfigQuorvel facade{line};
    Configuration previous;
    RecordingHandler progress;
};

} // namespace

TEST_F(FacadeRead, ReadsTheThreeRegionsInOrderAndDecodesThem)
{
    Configuration configuration;
    const std::vector<Event> events = facade.readArchive(configuration, &progress);

    const std::vector<Exchange> log = panel.log();
    ASSERT_EQ(log.size(), 450u);
    EXPECT_EQ(log[0].kind, CommandKind::ReadInfo);
    EXPECT_EQ(log[1].kind, CommandKind::ReadPage);
    EXPECT_EQ(log[1].space, 1);
    EXPECT_EQ(log[1].address, 0u);
    for (int i = 0; i < 190; ++i) {
        EXPECT_EQ(log[2 + i].space, 0);
        EXPECT_EQ(log[2 + i].address, 0x3E00u + 256u * i);
    }
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(log[192 + i].space, 1);
        EXPECT_EQ(log[192 + i].address, 0x400000u + 256u * i);
    }
    EXPECT_EQ(log[448].kind, CommandKind::RangeChecksum);
    EXPECT_EQ(log[448].space, 1);
    EXPECT_EQ(log[448].address, 0u);
    EXPECT_EQ(log[448].length, 0x100u);
    EXPECT_EQ(log[449].kind, CommandKind::RangeChecksum);
    EXPECT_EQ(log[449].space, 0);
    EXPECT_EQ(log[449].address, 0x3E00u);
    EXPECT_EQ(log[449].length, 0xBE00u);
    EXPECT_TRUE(panel.loader().speedDivisors().empty());
    EXPECT_EQ(facade.settingsChecksumValue(), sum(memory.settings));
    EXPECT_EQ(facade.configChecksumValue(), sum(memory.config));

    ASSERT_EQ(progress.fractions.size(), 449u);
    for (int k = 1; k <= 448; ++k)
        EXPECT_EQ(progress.fractions[k - 1], static_cast<float>(k / 449.0)) << k;
    EXPECT_EQ(progress.fractions.back(), 1.0f);

    // The same as decoding the panel's memory directly.
    Configuration expected;
    const auto expectedEvents = config_quorvel::testing::PanelImages(memory).decodeInto(expected);
    ASSERT_EQ(events.size(), expectedEvents.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].configuration(), &configuration);
        EXPECT_EQ(events[i].dateTimeText(), expectedEvents[i].dateTimeText());
        EXPECT_EQ(events[i].objectText(), expectedEvents[i].objectText());
        EXPECT_EQ(events[i].eventText(), expectedEvents[i].eventText());
    }
    EXPECT_EQ(configuration.sections.size(), expected.sections.size());
    EXPECT_EQ(configuration.eventTables.size(), expected.eventTables.size());
}

TEST_F(FacadeRead, TurboSwitchesTheLineOnceEachWayAroundTheTraffic)
{
    facade.setTurbo(true);
    Configuration configuration;
    EXPECT_FALSE(facade.readArchive(configuration, nullptr).empty());

    const std::vector<Exchange> log = panel.log();
    ASSERT_EQ(log.size(), 452u);
    EXPECT_EQ(log[1].kind, CommandKind::SetSpeed);
    EXPECT_EQ(log[1].divisor, 0x01);
    EXPECT_EQ(log[2].baudRate, 345600u);
    EXPECT_EQ(log[451].kind, CommandKind::SetSpeed);
    EXPECT_EQ(log[451].divisor, 0x23);
    EXPECT_EQ(panel.loader().speedDivisors(), (std::vector<int>{0x01, 0x23}));
    EXPECT_EQ(line.currentLine().baudRate, 19200u);
}

TEST_F(FacadeRead, WrongFirmwareStopsAfterTheSettingsPage)
{
    panel.memory().settings[4] = 0xB3;
    EXPECT_EQ(failingRead(), 6u);
    EXPECT_EQ(kinds(), (std::vector<CommandKind>{CommandKind::ReadInfo, CommandKind::ReadPage}));
    EXPECT_EQ(progress.fractions, (std::vector<float>{float(1 / 449.0), float(2 / 449.0)}));
    expectPreviousConfiguration();

    facade.setTurbo(true);
    panel.loader().clearLog();
    EXPECT_EQ(failingRead(), 6u);
    EXPECT_EQ(panel.loader().speedDivisors(), (std::vector<int>{0x01, 0x23}));
    EXPECT_EQ(line.currentLine().baudRate, 19200u);
}

TEST_F(FacadeRead, IdentificationFailuresTouchNothing)
{
    panel.loader().setLoaderVersion(0x11);
    EXPECT_EQ(failingRead(), 3u);
    panel.loader().setLoaderVersion(0x12);
    for (const char* type : {"Q-QRV1", "Q-QR", "q-qrv"}) {
        panel.loader().setDeviceType(type);
        EXPECT_EQ(failingRead(), 4u) << type;
    }
    panel.loader().setDeviceType("Q-QRV");
    panel.loader().setPageSize(128);
    EXPECT_EQ(failingRead(), 4u);

    EXPECT_EQ(panel.log().size(), 5u);
    for (CommandKind kind : kinds())
        EXPECT_EQ(kind, CommandKind::ReadInfo);
    EXPECT_TRUE(progress.fractions.empty());
    expectPreviousConfiguration();
}

struct LoaderFailure {
    Fault fault;
    std::uint32_t code;
};

class FacadeLoaderFailure : public FacadeRead, public ::testing::WithParamInterface<LoaderFailure> {};

TEST_P(FacadeLoaderFailure, ReachesTheCallerAsItsConfiguratorCode)
{
    panel.addFault(FaultRule{GetParam().fault, CommandKind::ReadPage, 5, -1});
    EXPECT_EQ(failingRead(), GetParam().code);
    // The identification step and the four pages before the failing one.
    EXPECT_EQ(progress.fractions.size(), 5u);
    expectPreviousConfiguration();
}

INSTANTIATE_TEST_SUITE_P(EveryLoaderCode, FacadeLoaderFailure,
                         ::testing::Values(LoaderFailure{Fault::unplug(), 0},
                                           LoaderFailure{Fault::silent(), 1},
                                           LoaderFailure{Fault::flipBit(), 2},
                                           LoaderFailure{Fault::answerStatus(0xA1), 2},
                                           LoaderFailure{Fault::answerStatus(0xA2), 7},
                                           LoaderFailure{Fault::answerStatus(0xA3), 5},
                                           LoaderFailure{Fault::answerStatus(0x55), 2}));

TEST_F(FacadeRead, ASilentLoaderFailsTheIdentification)
{
    panel.addFault(FaultRule{Fault::silent(), CommandKind::ReadInfo, 1, -1});
    EXPECT_EQ(failingRead(), 1u);
    EXPECT_TRUE(progress.fractions.empty());
}

TEST_F(FacadeRead, AFailedReadInTurboStillSwitchesBack)
{
    facade.setTurbo(true);
    panel.addFault(FaultRule{Fault::answerStatus(0xA3), CommandKind::RangeChecksum, 1, -1});
    EXPECT_EQ(failingRead(), 5u);
    EXPECT_EQ(panel.loader().speedDivisors(), (std::vector<int>{0x01, 0x23}));
    EXPECT_EQ(line.currentLine().baudRate, 19200u);
    expectPreviousConfiguration();
}

TEST_F(FacadeRead, LeaveTurboDropsItsOwnFailure)
{
    facade.setTurbo(true);
    panel.addFault(FaultRule{Fault::silent(), CommandKind::SetSpeed, 2, -1});
    Configuration configuration;
    EXPECT_FALSE(facade.readArchive(configuration, &progress).empty());
    EXPECT_EQ(progress.fractions.back(), 1.0f);
    // The panel never heard the request, so the port stays fast until closed.
    EXPECT_EQ(line.currentLine().baudRate, 345600u);
}

TEST_F(FacadeRead, AFailedReadReportsItsOwnFailureNotTheSwitchBack)
{
    facade.setTurbo(true);
    panel.addFault(FaultRule{Fault::answerStatus(0xA2), CommandKind::ReadPage, 3, -1});
    panel.addFault(FaultRule{Fault::silent(), CommandKind::SetSpeed, 2, -1});
    EXPECT_EQ(failingRead(), 7u);
    EXPECT_EQ(line.currentLine().baudRate, 345600u);
}

TEST(Facade, OpenPortReportsAMissingPortWithoutThrowing)
{
    rs485::testing::FakeSerialPlatform line;
    ConfigQuorvel facade(line);
    EXPECT_FALSE(facade.openPort("COM9"));
    EXPECT_TRUE(facade.openPort("COM1"));
    EXPECT_EQ(line.currentLine().baudRate, 19200u);
    EXPECT_TRUE(facade.closePort());
    EXPECT_FALSE(line.isOpen());
}

// Asked to stop, a read ends after the command just answered, the line put
// back to its normal speed, and the configuration as the last read left it.
TEST(FacadeCancelTest, AReadAskedToStopEndsAfterTheCommandJustAnswered)
{
    // Asked once after the information block, after each of the 447 pages
    // and after the settings' checksum; says yes from the stopAt-th time.
    struct Stopping : ProgressHandler {
        explicit Stopping(int stopAt) : stopAt(stopAt) {}
        void onProgress(float) override {}
        bool cancelled() const override { return ++asked >= stopAt; }
        int stopAt;
        mutable int asked = 0;
    };
    const struct {
        bool turbo;
        int stopAt;
        std::size_t commands;
    } cases[] = {
        {true, 1, 1},     // the information block: the speed was never raised
        {true, 11, 13},   // it, the speed up, 10 pages, the speed back
        {false, 11, 11},  // it and 10 pages
        {true, 449, 451}, // everything up to the settings' checksum, the speed back
    };
    const panel_sim::PanelMemory memory = panel_sim::buildPanel(panel_sim::demoPanel());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stopAt);
        rs485::testing::FakeSerialPlatform line;
        panel_sim::SimulatedPanel panel(line, memory);
        ConfigQuorvel facade(line);
        facade.setTurbo(c.turbo);
        ASSERT_TRUE(facade.openPort("COM1"));
        Configuration configuration;
        configuration.firmwareDate = "earlier";
        Stopping stopping(c.stopAt);
        try {
            facade.readArchive(configuration, &stopping);
            ADD_FAILURE() << "the read went on";
        } catch (const ConfiguratorError& error) {
            EXPECT_EQ(error.code(), ConfiguratorError::Cancelled);
            EXPECT_STREQ(error.what(), "Чтение прервано");
        }
        const std::vector<Exchange> log = panel.log();
        ASSERT_EQ(log.size(), c.commands);
        if (c.commands > 1) {
            EXPECT_EQ(log.back().kind, c.turbo ? CommandKind::SetSpeed : CommandKind::ReadPage);
            EXPECT_EQ(line.currentLine().baudRate, 19200u);
        }
        EXPECT_EQ(configuration.firmwareDate, "earlier");
    }
}
