#include "LoaderLine.h"

#include <boot_loader/BootloaderException.h>
#include <boot_loader/MemoryPage.h>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using boot_loader::BootloaderException;
using boot_loader::MemoryPage;
using panel_sim::CommandKind;
using panel_sim::Fault;
using panel_sim::FaultRule;
using rs485::Parity;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes readInfoCode = {0xF1};
const Bytes readInfoRest = {0x7E, 0xC4};

std::vector<CommandKind> kinds(const std::vector<panel_sim::Exchange>& log)
{
    std::vector<CommandKind> result;
    for (const auto& e : log)
        result.push_back(e.kind);
    return result;
}

} // namespace

TEST(BootloaderProtocolTest, SilentLoaderGetsCommandThenWakeUpThenCommand)
{
    LoaderLine line;
    line.panel.addFault({Fault::silent(), CommandKind::Any, 1, -1});

    EXPECT_EQ(loaderErrorCode([&] { line.protocol.readInfo(); }), BootloaderException::NoDevice);

    const auto writes = line.writes();
    ASSERT_EQ(writes.size(), 7u);
    const std::vector<std::pair<Bytes, Parity>> expected = {
        {readInfoCode, Parity::Mark}, {readInfoRest, Parity::Space},
        {Bytes(261, 0), Parity::Space},
        {readInfoCode, Parity::Mark}, {readInfoRest, Parity::Space},
        {readInfoCode, Parity::Mark}, {readInfoRest, Parity::Space},
    };
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].bytes, expected[i].first) << i;
        EXPECT_EQ(writes[i].parity, expected[i].second) << i;
    }
    // The sleeps after each write at 19200 baud, with the character time the
    // open computed: 1 byte 10 ms, 2 bytes 11 ms, the wake-up block 159 ms.
    std::vector<std::uint32_t> sleeps;
    for (const auto& call : line.platform.callsOf(LoaderLine::Kind::Sleep))
        sleeps.push_back(call.ms);
    EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{10, 11, 159, 10, 11, 10, 11}));
    // The panel skipped the wake-up zeros and saw three attempts.
    const auto log = line.panel.log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].skippedBefore, 261u);
    EXPECT_EQ(log[2].skippedBefore, 0u);
    EXPECT_EQ(log[2].attempt, 3);
}

TEST(BootloaderProtocolTest, SilentPageReadsCostVirtualTimeOnly)
{
    LoaderLine line;
    line.panel.addFault({Fault::silent(), CommandKind::ReadPage, 1, -1});
    MemoryPage page(1, 0x400000, 256);
    EXPECT_EQ(loaderErrorCode([&] { line.protocol.readPage(page); }), BootloaderException::NoDevice);
    EXPECT_GE(line.platform.nowMs(), 3 * 1480);
    EXPECT_EQ(page.data, Bytes(256, 0xFF));
}

TEST(BootloaderProtocolTest, RefusalsAreRepeatedWithoutWakeUp)
{
    const std::pair<std::uint8_t, int> refusals[] = {
        {0xA1, BootloaderException::CommandChecksum},
        {0xA2, BootloaderException::CommandAddress},
        {0xA3, BootloaderException::LoaderInternal},
        {0x3C, BootloaderException::AnswerFormat},
    };
    for (const auto& [status, code] : refusals) {
        LoaderLine line;
        line.panel.addFault({Fault::answerStatus(status), CommandKind::Any, 1, -1});
        EXPECT_EQ(loaderErrorCode([&] { line.protocol.readInfo(); }), code);
        EXPECT_EQ(line.writes().size(), 6u) << "no wake-up block";
        EXPECT_EQ(line.panel.log().size(), 3u);
    }
}

TEST(BootloaderProtocolTest, DamagedAnswersAreRepeated)
{
    const Fault damages[] = {Fault::flipBit(3, 5), Fault::truncate(10), Fault::statusOnly()};
    const int codes[] = {BootloaderException::AnswerChecksum, BootloaderException::NoDevice,
                         BootloaderException::NoDevice};
    for (int i = 0; i < 3; ++i) {
        LoaderLine line;
        line.panel.addFault({damages[i], CommandKind::ReadInfo, 1, 2});
        EXPECT_EQ(line.protocol.readInfo().deviceType, "Q-QRV") << i;
        EXPECT_EQ(line.panel.log().size(), 3u);
    }
    for (int i = 0; i < 3; ++i) {
        LoaderLine line;
        line.panel.addFault({damages[i], CommandKind::ReadInfo, 1, -1});
        EXPECT_EQ(loaderErrorCode([&] { line.protocol.readInfo(); }), codes[i]) << i;
    }
}

TEST(BootloaderProtocolTest, OnlyASilentFirstAttemptWakesTheLoader)
{
    LoaderLine line;
    line.panel.addFault({Fault::flipBit(), CommandKind::Any, 1, 1});
    line.panel.addFault({Fault::silent(), CommandKind::Any, 2, -1});
    EXPECT_EQ(loaderErrorCode([&] { line.protocol.readInfo(); }), BootloaderException::NoDevice);
    EXPECT_EQ(line.writes().size(), 6u);
    for (const auto& w : line.writes())
        EXPECT_NE(w.bytes.size(), 261u);
}

TEST(BootloaderProtocolTest, WakeUpThenSuccess)
{
    LoaderLine line;
    line.panel.addFault({Fault::silent(), CommandKind::Any, 1, 1});
    EXPECT_EQ(line.protocol.readInfo().pageSize, 256);
    EXPECT_EQ(line.writes().size(), 5u);
    EXPECT_EQ(line.panel.log().back().skippedBefore, 261u);
}

TEST(BootloaderProtocolTest, LostConverterFailsAtOnce)
{
    {
        LoaderLine line;
        line.panel.addFault({Fault::failRead(), CommandKind::Any, 1, 1});
        EXPECT_EQ(loaderErrorCode([&] { line.protocol.readInfo(); }), BootloaderException::NoConverter);
        EXPECT_EQ(line.panel.log().size(), 1u);
    }
    {
        LoaderLine line;
        line.platform.setFailure(LoaderLine::Kind::Write, true);
        EXPECT_EQ(loaderErrorCode([&] { line.protocol.setSpeed(1); }), BootloaderException::NoConverter);
        EXPECT_EQ(line.platform.callsOf(LoaderLine::Kind::Write).size(), 1u);
    }
    {
        // Unplugged in the middle of a run of page reads.
        LoaderLine line;
        line.panel.addFault({Fault::unplug(), CommandKind::ReadPage, 2, 1});
        MemoryPage page(0, 0x3E00, 256);
        line.protocol.readPage(page);
        EXPECT_EQ(loaderErrorCode([&] { line.protocol.readPage(page); }), BootloaderException::NoConverter);
        EXPECT_EQ(line.panel.log().size(), 3u);
    }
}

TEST(BootloaderProtocolTest, InfoIsCachedReadInfoIsNot)
{
    LoaderLine line;
    line.protocol.info();
    line.protocol.info();
    EXPECT_EQ(line.panel.log().size(), 1u);
    line.protocol.readInfo();
    line.protocol.readInfo();
    EXPECT_EQ(line.panel.log().size(), 3u);
    // The 200 ms of ReadInfo equal what open left: no settings call.
    EXPECT_TRUE(line.timeoutsSet().empty());
}

TEST(BootloaderProtocolTest, FailedReadInfoKeepsTheCacheInvalid)
{
    LoaderLine line;
    line.panel.addFault({Fault::silent(), CommandKind::ReadInfo, 1, 3});
    EXPECT_EQ(loaderErrorCode([&] { line.protocol.info(); }), BootloaderException::NoDevice);
    EXPECT_EQ(line.protocol.info().deviceType, "Q-QRV");
    EXPECT_EQ(line.panel.log().size(), 4u);
}

TEST(BootloaderProtocolTest, FirstPageReadAsksForInfoAndSetsTimeoutOnce)
{
    LoaderLine line;
    for (std::size_t i = 0; i < 256; ++i)
        line.panel.memory().config[0x100 + i] = static_cast<std::uint8_t>(i ^ 0x5A);

    MemoryPage first(0, 0x3E00, 256);
    MemoryPage second(0, 0x3F00, 7); // any size: the loader's page size wins
    line.protocol.readPage(first);
    line.protocol.readPage(second);

    EXPECT_EQ(kinds(line.panel.log()),
              (std::vector<CommandKind>{CommandKind::ReadInfo, CommandKind::ReadPage, CommandKind::ReadPage}));
    EXPECT_EQ(line.timeoutsSet(), (std::vector<std::uint32_t>{1480}));
    EXPECT_EQ(first.data, Bytes(256, 0xFF));
    ASSERT_EQ(second.data.size(), 256u);
    EXPECT_EQ(second.data[0], 0x5A);
    EXPECT_EQ(second.data[255], 0xFF ^ 0x5A);
    EXPECT_EQ(line.panel.log()[2].address, 0x3F00u);
    EXPECT_EQ(line.panel.log()[2].space, 0);
}

TEST(BootloaderProtocolTest, TimeoutFollowsThePageSize)
{
    LoaderLine line;
    line.panel.loader().setPageSize(128);
    MemoryPage page(1, 0x400080, 256);
    line.protocol.readPage(page);
    EXPECT_EQ(page.data.size(), 128u);
    EXPECT_EQ(line.timeoutsSet(), (std::vector<std::uint32_t>{128 * 5 + 200}));
}

// Each kind of exchange runs under its own read time-out; the port is set
// only when the time-out changes.
TEST(BootloaderProtocolTest, EachExchangeKindSetsItsTimeoutWhenItChanges)
{
    LoaderLine line;
    MemoryPage page(0, 0x3E00, 256);
    const std::vector<std::tuple<const char*, std::function<void()>, std::uint32_t, std::size_t>> steps = {
        {"first page (info at 200 first)", [&] { line.protocol.readPage(page); }, 1480, 1},
        {"second page", [&] { line.protocol.readPage(page); }, 1480, 1},
        {"range checksum", [&] { line.protocol.rangeChecksum(1, 0, 0x100); }, 750, 2},
        {"second range checksum", [&] { line.protocol.rangeChecksum(0, 0x3E00, 0xBE00); }, 750, 2},
        {"speed", [&] { line.protocol.setSpeed(1); line.connection.setBaudRate(345600); }, 200, 3},
        {"info after speed", [&] { line.protocol.readInfo(); }, 200, 3},
        {"page", [&] { line.protocol.readPage(page); }, 1480, 4},
        {"info after a page", [&] { line.protocol.readInfo(); }, 200, 5},
        {"speed after info", [&] { line.protocol.setSpeed(35); line.connection.setBaudRate(19200); }, 200, 5},
        {"range checksum again", [&] { line.protocol.rangeChecksum(1, 0, 0x100); }, 750, 6},
        {"speed after a checksum", [&] { line.protocol.setSpeed(35); }, 200, 7},
    };
    for (const auto& [name, step, timeoutMs, settingsCalls] : steps) {
        SCOPED_TRACE(name);
        step();
        EXPECT_EQ(line.platform.currentTimeouts().totalConstantMs, timeoutMs);
        EXPECT_EQ(line.timeoutsSet().size(), settingsCalls);
    }
}

// The protocol starts from the time-out the connection has, not from 200.
TEST(BootloaderProtocolTest, StartsFromTheConnectionsOwnTimeout)
{
    LoaderLine line;
    line.connection.setReadTimeout(750);
    line.platform.clearCalls();
    boot_loader::BootloaderProtocol protocol(line.stream);
    protocol.rangeChecksum(1, 0, 0x100);
    EXPECT_TRUE(line.timeoutsSet().empty());
    protocol.readInfo();
    EXPECT_EQ(line.timeoutsSet(), (std::vector<std::uint32_t>{200}));
}

TEST(BootloaderProtocolTest, RangeChecksumsSetTheirTimeoutOnce)
{
    LoaderLine line;
    line.panel.memory().settings.assign(256, 0x01);
    EXPECT_EQ(line.protocol.rangeChecksum(1, 0, 0x100), 0x100u);
    line.panel.memory().config.assign(0xBE00, 0x02);
    EXPECT_EQ(line.protocol.rangeChecksum(0, 0x3E00, 0xBE00), 2u * 0xBE00);
    EXPECT_EQ(line.timeoutsSet(), (std::vector<std::uint32_t>{750}));

    const auto log = line.panel.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].length, 0xBE00u);
    EXPECT_EQ(log[1].address, 0x3E00u);
}

TEST(BootloaderProtocolTest, SpeedChangeNeedsThePortToFollow)
{
    LoaderLine line;
    line.protocol.setSpeed(1);
    EXPECT_EQ(line.panel.loader().requestedSpeed(), 345600u);
    line.connection.setBaudRate(345600);
    EXPECT_EQ(line.protocol.readInfo().loaderVersion, 0x12);

    line.protocol.setSpeed(35);
    EXPECT_EQ(line.panel.loader().requestedSpeed(), 19200u);
    // The port stayed fast: the loader no longer hears it.
    EXPECT_EQ(loaderErrorCode([&] { line.protocol.readInfo(); }), BootloaderException::NoDevice);
    line.connection.setBaudRate(19200);
    EXPECT_NO_THROW(line.protocol.readInfo());
    EXPECT_EQ(line.panel.loader().speedDivisors(), (std::vector<int>{1, 35}));
}
