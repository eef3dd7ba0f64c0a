#include <rs485/Byte9Stream.h>
#include <rs485/Exceptions.h>
#include <rs485/RS485Connection.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using rs485::Byte9Stream;
using rs485::DisconnectException;
using rs485::Parity;
using rs485::RS485Connection;
using rs485::ReceiveTimeoutException;
using rs485::testing::FakeSerialPlatform;
using Kind = rs485::testing::PlatformCall::Kind;
using Bytes = std::vector<std::uint8_t>;
using Chars = std::vector<std::uint16_t>;

namespace {

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(connection.open("COM1", 19200));
        connection.setReadTimeout(200);
        platform.clearCalls();
    }

    std::vector<rs485::testing::PlatformCall> writes() const { return platform.callsOf(Kind::Write); }

    FakeSerialPlatform platform;
    RS485Connection connection{platform};
    Byte9Stream stream{connection};
};

const Chars command = {0x1F1, 0x07E, 0x0C4};

} // namespace

TEST_F(StreamTest, CommandGoesOutAsAMarkByteThenASpaceRun)
{
    stream << command;
    const auto w = writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].data, Bytes{0xF1});
    EXPECT_EQ(w[0].parity, Parity::Mark);
    EXPECT_EQ(w[1].data, (Bytes{0x7E, 0xC4}));
    EXPECT_EQ(w[1].parity, Parity::Space);
    EXPECT_EQ(stream.pendingCount(), 0);
}

TEST_F(StreamTest, LongRunIsCutIntoWritesOf512)
{
    stream << Chars(600, 0x055);
    const auto w = writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].data.size(), 512u);
    EXPECT_EQ(w[1].data.size(), 88u);
    EXPECT_TRUE(platform.callsOf(Kind::SetLine).empty());
}

TEST_F(StreamTest, ByteVectorAfterACommandIsOneSpaceWrite)
{
    stream << command;
    platform.clearCalls();
    stream << Bytes(261, 0);
    const auto w = writes();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].data, Bytes(261, 0));
    EXPECT_EQ(w[0].parity, Parity::Space);
    EXPECT_TRUE(platform.callsOf(Kind::SetLine).empty());
}

TEST_F(StreamTest, ByteVectorAfterAMarkRunSwitchesBackToSpace)
{
    stream << Chars{0x1AA};
    stream << Bytes{1, 2};
    const auto w = writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[1].parity, Parity::Space);
    EXPECT_FALSE(connection.ninthBitValue());
}

TEST_F(StreamTest, ShortReadsShrinkTheVectorAndThrow)
{
    platform.deliver({0x10, 0x20});
    Chars chars(3, 0xFFFF);
    EXPECT_THROW(stream >> chars, ReceiveTimeoutException);
    EXPECT_EQ(chars, (Chars{0x10, 0x20}));

    platform.deliver({0x30});
    Bytes bytes(4, 0xEE);
    EXPECT_THROW(stream >> bytes, ReceiveTimeoutException);
    EXPECT_EQ(bytes, Bytes{0x30});

    std::uint8_t byte = 0;
    EXPECT_THROW(stream >> byte, ReceiveTimeoutException);
}

TEST_F(StreamTest, ReadsDeliverTheBytesAsTheyArrived)
{
    Bytes sent(600);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<std::uint8_t>(i * 7);
    platform.deliver(sent);
    platform.deliver({0x42});

    Chars chars(600);
    stream >> chars; // more than the initial reception buffer
    for (std::size_t i = 0; i < sent.size(); ++i)
        ASSERT_EQ(chars[i], sent[i]) << i;
    std::uint8_t byte = 0;
    stream >> byte;
    EXPECT_EQ(byte, 0x42);
}

// A run left by a failed write goes out first, under its own parity, before
// each kind of read and before a byte write, and before any port read.
TEST_F(StreamTest, FailedFlushKeepsTheRunUntilTheNextOperation)
{
    const std::vector<std::pair<const char*, std::function<void(Byte9Stream&)>>> operations = {
        {"read one byte", [](Byte9Stream& s) { std::uint8_t b = 0; s >> b; }},
        {"read bytes", [](Byte9Stream& s) { Bytes b(1); s >> b; }},
        {"read characters", [](Byte9Stream& s) { Chars c(1); s >> c; }},
        {"read no characters", [](Byte9Stream& s) { Chars none; s >> none; }},
        {"write bytes", [](Byte9Stream& s) { s << Bytes{0x00}; }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        platform.setFailure(Kind::Write, true);
        EXPECT_THROW(stream << command, DisconnectException);
        EXPECT_EQ(stream.pendingCount(), 1);

        platform.setFailure(Kind::Write, false);
        platform.clearCalls();
        try {
            operation(stream); // nothing arrives: the reads time out
        } catch (const ReceiveTimeoutException&) {
        }
        const auto& calls = platform.calls();
        const auto firstWrite = std::find_if(calls.begin(), calls.end(),
                                             [](const auto& c) { return c.kind == Kind::Write; });
        const auto firstRead = std::find_if(calls.begin(), calls.end(),
                                            [](const auto& c) { return c.kind == Kind::Read; });
        ASSERT_NE(firstWrite, calls.end());
        EXPECT_LT(firstWrite - calls.begin(), firstRead - calls.begin());
        EXPECT_EQ(firstWrite->data, Bytes{0xF1});
        EXPECT_EQ(firstWrite->parity, Parity::Mark);
        EXPECT_EQ(stream.pendingCount(), 0);
    }
}

// A flush that failed on a full buffer leaves 512 bytes pending; the next
// character of the same ninth bit must not land past the buffer's end.
TEST_F(StreamTest, FullRunLeftByAFailedFlushIsWrittenBeforeMoreIsQueued)
{
    platform.setFailure(Kind::Write, true);
    EXPECT_THROW(stream << Chars(600, 0x011), DisconnectException);
    EXPECT_EQ(stream.pendingCount(), 512);

    platform.setFailure(Kind::Write, false);
    platform.clearCalls();
    stream << Chars{0x022};
    const auto w = writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].data, Bytes(512, 0x11));
    EXPECT_EQ(w[1].data, Bytes{0x22});
    EXPECT_EQ(stream.pendingCount(), 0);
}

TEST(StreamLifetimeTest, DestructorSwallowsALostConverter)
{
    FakeSerialPlatform platform;
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open("COM1", 19200));
    auto lostWhileWriting = [&] {
        Byte9Stream stream(connection);
        platform.setFailure(Kind::Write, true);
        try {
            stream << command;
        } catch (const DisconnectException&) {
        }
        EXPECT_GT(stream.pendingCount(), 0);
    };
    EXPECT_NO_THROW(lostWhileWriting());
    // The destructor tried once more.
    EXPECT_EQ(platform.callsOf(Kind::Write).size(), 2u);
}
