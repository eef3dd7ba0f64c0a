#include <rs485/Exceptions.h>
#include <rs485/RS485Connection.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

using rs485::DisconnectException;
using rs485::LineSettings;
using rs485::Parity;
using rs485::Purge;
using rs485::RS485Connection;
using rs485::ReadTimeouts;
using rs485::ReceiveTimeoutException;
using rs485::testing::FakeSerialPlatform;
using Kind = rs485::testing::PlatformCall::Kind;

namespace {

std::vector<Kind> kindsOf(const FakeSerialPlatform& platform)
{
    std::vector<Kind> kinds;
    for (const auto& call : platform.calls())
        kinds.push_back(call.kind);
    return kinds;
}

class ConnectionTest : public ::testing::Test {
protected:
    void openPort(int baud = 19200)
    {
        ASSERT_TRUE(connection.open("COM1", baud));
        platform.clearCalls();
    }

    FakeSerialPlatform platform;
    RS485Connection connection{platform};
};

} // namespace

TEST(SerialExceptionTest, TextsAreTheFixedRussianMessages)
{
    EXPECT_STREQ(DisconnectException().what(), "Нет связи с преобразователем USB-RS485");
    EXPECT_STREQ(ReceiveTimeoutException().what(), "Превышен тайм-аут ожидания данных");
}

TEST_F(ConnectionTest, OpenAppliesSpaceParityThenTimeoutsThenPurgesBothQueues)
{
    ASSERT_TRUE(connection.open("COM1", 19200));
    EXPECT_TRUE(connection.isOpen());
    EXPECT_EQ(kindsOf(platform), (std::vector<Kind>{Kind::Open, Kind::SetLine, Kind::SetTimeouts, Kind::Purge}));
    const auto& calls = platform.calls();
    EXPECT_EQ(calls[0].portName, "COM1");
    EXPECT_EQ(calls[1].line, (LineSettings{19200, Parity::Space}));
    EXPECT_EQ(calls[2].timeouts, (ReadTimeouts{10, 0, 200}));
    EXPECT_EQ(calls[3].purge, Purge::InputAndOutput);
}

TEST_F(ConnectionTest, ReadTimeoutSetWhileClosedIsUsedByTheNextOpen)
{
    connection.setReadTimeout(500);
    EXPECT_TRUE(platform.callsOf(Kind::SetTimeouts).empty());
    ASSERT_TRUE(connection.open("COM1", 19200));
    EXPECT_EQ(platform.currentTimeouts(), (ReadTimeouts{10, 0, 500}));
    EXPECT_EQ(connection.readTimeout(), 500);
}

TEST_F(ConnectionTest, SetReadTimeoutOnAnOpenPort)
{
    openPort();
    connection.setReadTimeout(0);
    EXPECT_EQ(platform.currentTimeouts(), (ReadTimeouts{ReadTimeouts::returnAtOnce, 0, 0}));
    connection.setReadTimeout(150);
    EXPECT_EQ(platform.currentTimeouts(), (ReadTimeouts{0, 0, 150}));
    EXPECT_EQ(connection.readTimeout(), 150);
}

TEST_F(ConnectionTest, OpenOfAMissingNameFailsAndLeavesThePortClosed)
{
    EXPECT_FALSE(connection.open("COM7", 19200));
    EXPECT_FALSE(connection.isOpen());
    const std::uint8_t byte = 0x55;
    EXPECT_EQ(connection.write(&byte, 1), 0);
    std::uint8_t in = 0;
    EXPECT_EQ(connection.read(&in, 1), 0);
    EXPECT_EQ(kindsOf(platform), std::vector<Kind>{Kind::Open});
}

TEST_F(ConnectionTest, RejectedSettingsOrTimeoutsCloseThePortAgain)
{
    for (const Kind failing : {Kind::SetLine, Kind::SetTimeouts}) {
        SCOPED_TRACE(static_cast<int>(failing));
        platform.setFailure(failing, true);
        EXPECT_FALSE(connection.open("COM1", 19200));
        EXPECT_FALSE(connection.isOpen());
        EXPECT_FALSE(platform.isOpen());
        EXPECT_EQ(platform.calls().back().kind, Kind::Close);
        platform.setFailure(failing, false);
        platform.clearCalls();
    }
    EXPECT_TRUE(connection.open("COM1", 19200));
}

TEST_F(ConnectionTest, CloseReleasesThePortAndResetsTheNinthBit)
{
    openPort();
    connection.setNinthBit(true);
    EXPECT_TRUE(connection.close());
    EXPECT_FALSE(platform.isOpen());
    EXPECT_FALSE(connection.ninthBitValue());
    EXPECT_FALSE(connection.close());

    // On a closed port the bit is only remembered.
    platform.clearCalls();
    connection.setNinthBit(true);
    EXPECT_TRUE(connection.ninthBitValue());
    EXPECT_TRUE(platform.calls().empty());

    {
        RS485Connection local(platform);
        ASSERT_TRUE(local.open("COM1", 19200));
    }
    EXPECT_FALSE(platform.isOpen()); // the destructor closed it
}

TEST_F(ConnectionTest, NinthBitChangesTheParityOnlyWhenItChanges)
{
    openPort();
    connection.setNinthBit(false);
    EXPECT_TRUE(platform.calls().empty());

    connection.setNinthBit(true);
    connection.setNinthBit(true);
    const auto sets = platform.callsOf(Kind::SetLine);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].line, (LineSettings{19200, Parity::Mark}));

    connection.setNinthBit(false);
    EXPECT_EQ(platform.currentLine().parity, Parity::Space);
    EXPECT_EQ(platform.callsOf(Kind::SetLine).size(), 2u);
}

// Only mark and space are switched; a port that reports any other parity
// keeps it, in either direction, while the requested bit is remembered.
TEST_F(ConnectionTest, NinthBitLeavesOtherParitiesAlone)
{
    for (const Parity other : {Parity::None, Parity::Odd, Parity::Even}) {
        SCOPED_TRACE(static_cast<int>(other));
        openPort();
        platform.setCurrentParity(other);
        connection.setNinthBit(true);
        EXPECT_TRUE(connection.ninthBitValue());
        connection.setNinthBit(false);
        EXPECT_FALSE(connection.ninthBitValue());
        EXPECT_TRUE(platform.callsOf(Kind::SetLine).empty());
        EXPECT_EQ(platform.currentLine().parity, other);

        // Already at mark when the bit is set, already at space when cleared:
        // the port is not written either.
        platform.setCurrentParity(Parity::Mark);
        connection.setNinthBit(true);
        platform.setCurrentParity(Parity::Space);
        connection.setNinthBit(false);
        EXPECT_TRUE(platform.callsOf(Kind::SetLine).empty());
        ASSERT_TRUE(connection.close());
    }
}

TEST_F(ConnectionTest, BaudRateChangeKeepsTheParity)
{
    openPort();
    connection.setNinthBit(true);
    connection.setBaudRate(345600);
    EXPECT_EQ(platform.currentLine(), (LineSettings{345600, Parity::Mark}));
}

// Without the current settings nothing is written, and the character time
// stays that of the old rate.
TEST_F(ConnectionTest, BaudRateChangeWithoutReadableSettingsDoesNothing)
{
    openPort();
    platform.setFailure(Kind::GetLine, true);
    connection.setBaudRate(345600);
    EXPECT_TRUE(platform.callsOf(Kind::SetLine).empty());
    EXPECT_EQ(platform.currentLine(), (LineSettings{19200, Parity::Space}));
    const std::vector<std::uint8_t> six(6, 0);
    connection.write(six.data(), 6);
    ASSERT_EQ(platform.callsOf(Kind::Sleep).size(), 1u);
    EXPECT_EQ(platform.callsOf(Kind::Sleep)[0].ms, 13u);
}

TEST_F(ConnectionTest, WritePurgesInputWritesDrainsAndSleeps)
{
    openPort();
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(connection.write(bytes, 3), 3);
    EXPECT_EQ(kindsOf(platform), (std::vector<Kind>{Kind::Purge, Kind::Write, Kind::Drain, Kind::Sleep}));
    EXPECT_EQ(platform.calls()[0].purge, Purge::Input);
    EXPECT_EQ(platform.calls()[1].data, (std::vector<std::uint8_t>{1, 2, 3}));
}

// The sleep covers the transmit time of 11-bit characters plus 10 ms, with
// the character time that open computes and the one setBaudRate sets.
TEST_F(ConnectionTest, SleepAfterWriteFollowsTheBaudRate)
{
    const std::vector<std::tuple<int, int, std::uint32_t>> cases = {
        {1, 19200, 10}, {6, 19200, 13}, {261, 19200, 159}, {6, 345600, 10}, {512, 345600, 26}};
    for (const bool viaSetBaudRate : {false, true}) {
        for (const auto& [size, baud, sleepMs] : cases) {
            SCOPED_TRACE(::testing::Message() << size << " bytes at " << baud << (viaSetBaudRate ? " set" : " open"));
            ASSERT_TRUE(connection.open("COM1", viaSetBaudRate ? 9600 : baud));
            if (viaSetBaudRate)
                connection.setBaudRate(baud);
            platform.clearCalls();
            const std::vector<std::uint8_t> data(static_cast<std::size_t>(size), 0);
            connection.write(data.data(), size);
            const auto sleeps = platform.callsOf(Kind::Sleep);
            ASSERT_EQ(sleeps.size(), 1u);
            EXPECT_EQ(sleeps[0].ms, sleepMs);
            ASSERT_TRUE(connection.close());
        }
    }
}

// The writes of a normal-speed read as the loader layer makes them, on a
// port that was only opened: ReadInfo (code, rest), the wake-up block,
// ReadPage, RangeChecksum and SetSpeed.
TEST_F(ConnectionTest, SleepsOfANormalSpeedReadInSequence)
{
    openPort();
    const std::vector<int> sizes = {1, 2, 261, 1, 2, 1, 5, 1, 7, 1, 3};
    for (const int size : sizes) {
        const std::vector<std::uint8_t> data(static_cast<std::size_t>(size), 0);
        connection.write(data.data(), size);
    }
    std::vector<std::uint32_t> sleeps;
    for (const auto& call : platform.callsOf(Kind::Sleep))
        sleeps.push_back(call.ms);
    EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{10, 11, 159, 10, 11, 10, 12, 10, 14, 10, 11}));
}

TEST_F(ConnectionTest, RejectedWriteOrReadThrowsAndLeavesThePortOpen)
{
    openPort();
    std::uint8_t byte = 0;
    platform.setFailure(Kind::Write, true);
    EXPECT_THROW(connection.write(&byte, 1), DisconnectException);
    platform.setFailure(Kind::Write, false);
    platform.setFailure(Kind::Read, true);
    EXPECT_THROW(connection.read(&byte, 1), DisconnectException);
    EXPECT_TRUE(connection.isOpen());
}

TEST_F(ConnectionTest, ReadOfNothingDoesNotTouchThePort)
{
    openPort();
    std::uint8_t byte = 0;
    EXPECT_EQ(connection.read(&byte, 0), 0);
    EXPECT_TRUE(platform.calls().empty());
}

// Each platform read starts the time-out afresh, so a device that trickles
// its answer keeps the read going until the count is complete.
TEST_F(ConnectionTest, TrickledAnswerLongerThanTheTimeoutStillCompletes)
{
    openPort();
    connection.setReadTimeout(200);
    std::vector<std::uint8_t> sent(100);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<std::uint8_t>(i);
    platform.deliver(sent, 5, 5);

    std::vector<std::uint8_t> got(100);
    EXPECT_EQ(connection.read(got.data(), 100), 100);
    EXPECT_EQ(got, sent);
    EXPECT_GT(platform.callsOf(Kind::Read).size(), 1u);
}

// Until the first setReadTimeout a gap of more than 10 ms ends one platform
// read; the connection asks again for the rest.
TEST_F(ConnectionTest, GapAfterOpenSplitsTheReadButNotTheResult)
{
    openPort();
    platform.deliver({1, 2, 3});
    platform.deliver({4, 5}, 50);
    std::uint8_t got[5] = {};
    EXPECT_EQ(connection.read(got, 5), 5);
    EXPECT_EQ(platform.callsOf(Kind::Read).size(), 2u);
    EXPECT_EQ(got[4], 5);
}

TEST_F(ConnectionTest, ShortAnswerEndsAfterTheTimeout)
{
    openPort();
    connection.setReadTimeout(200);
    platform.deliver({7, 8});
    std::uint8_t got[3] = {};
    const auto start = platform.nowMs();
    EXPECT_EQ(connection.read(got, 3), 2);
    // The read that got the two bytes waits out its time-out for the third,
    // and the one after it waits in vain.
    const auto reads = platform.callsOf(Kind::Read);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[1].data.size(), 0u);
    EXPECT_EQ(platform.nowMs() - start, 400);
}

TEST_F(ConnectionTest, ZeroTimeoutReturnsAtOnceWithWhatHasArrived)
{
    openPort();
    connection.setReadTimeout(0);
    platform.deliver({1, 2});
    platform.deliver({3}, 50);
    std::uint8_t got[3] = {};
    const auto start = platform.nowMs();
    EXPECT_EQ(connection.read(got, 3), 2);
    EXPECT_EQ(platform.nowMs(), start);
}
