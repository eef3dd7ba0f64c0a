#include <panel_sim/SimulatedPanel.h>

#include <rs485/Byte9Stream.h>
#include <rs485/Crc16.h>
#include <rs485/RS485Connection.h>

#include <gtest/gtest.h>

#include <algorithm>

using panel_sim::CommandKind;
using panel_sim::Fault;
using panel_sim::SimulatedPanel;
using rs485::testing::FakeSerialPlatform;
using Bytes = std::vector<std::uint8_t>;
using Chars = std::vector<std::uint16_t>;

namespace {

Chars command(Chars chars)
{
    chars.push_back(0);
    chars.push_back(0);
    rs485::appendCrcInPlace(chars);
    return chars;
}

const Chars readInfo = command({0x1F1});
Chars readPage(int space, std::uint32_t address)
{
    return command({0x1F2, static_cast<std::uint16_t>(address & 0xFF),
                    static_cast<std::uint16_t>((address >> 8) & 0xFF),
                    static_cast<std::uint16_t>(((address >> 16) & 0x7F) | (space ? 0x80 : 0))});
}

Bytes withCrc(Bytes bytes)
{
    const std::uint16_t crc = rs485::crc16Bytes(bytes.data(), bytes.size());
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

// A client written against the wire format only.
struct RawClient {
    FakeSerialPlatform platform;
    SimulatedPanel panel{platform};
    rs485::RS485Connection connection{platform};
    rs485::Byte9Stream stream{connection};

    RawClient()
    {
        connection.open("COM1", 19200);
        connection.setReadTimeout(500);
    }

    // Sends the characters and returns whatever comes back.
    Bytes exchange(const Chars& chars, std::size_t expect = 300)
    {
        stream << chars;
        Bytes answer(expect);
        try {
            stream >> answer;
        } catch (const rs485::ReceiveTimeoutException&) {
        }
        return answer;
    }
};

} // namespace

TEST(SimulatedPanelTest, AnswersWhatTheMemoryHolds)
{
    RawClient client;
    client.panel.memory().archive[0x100] = 0x42;
    const Bytes page = client.exchange(readPage(1, 0x400100));
    ASSERT_EQ(page.size(), 259u);
    EXPECT_EQ(page[0], 0xA0);
    EXPECT_EQ(page[1], 0x42);
    EXPECT_EQ(rs485::crc16Bytes(page.data(), page.size()), 0);

    const Bytes info = client.exchange(readInfo);
    EXPECT_EQ(info, withCrc({0xA0, 0x12, 0, 0, 0, 0x00, 0x01, 0, 0, 'Q', '-', 'Q', 'R', 'V', 0, 0, 0}));
}

TEST(SimulatedPanelTest, RefusesBadChecksumsAndAddresses)
{
    RawClient client;
    Chars damaged = readInfo;
    damaged[1] ^= 1;
    EXPECT_EQ(client.exchange(damaged), withCrc({0xA1}));
    EXPECT_EQ(client.exchange(readPage(1, 0x400080)), withCrc({0xA2})) << "not on a page boundary";
    EXPECT_EQ(client.exchange(readPage(0, 0x3D00)), withCrc({0xA2})) << "below the configuration";
    EXPECT_EQ(client.exchange(readPage(1, 0x3E00)), withCrc({0xA2})) << "wrong space";
    EXPECT_EQ(client.exchange(readPage(0, 0xFB00)).size(), 259u);
    EXPECT_EQ(client.exchange(readPage(0, 0xFC00)), withCrc({0xA2}));
}

TEST(SimulatedPanelTest, FramesOnlyByTheNinthBit)
{
    RawClient client;
    // The whole command under space parity is no command at all.
    const Bytes plain = {0xF1, 0x7E, 0xC4};
    client.stream << plain;
    Bytes answer(3);
    EXPECT_THROW(client.stream >> answer, rs485::ReceiveTimeoutException);
    EXPECT_EQ(client.panel.log().size(), 0u);

    // Zeros before a command are skipped.
    client.stream << Bytes(261, 0);
    EXPECT_EQ(client.exchange(readInfo).size(), 19u);
    const auto log = client.panel.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].skippedBefore, 3u + 261u);
    EXPECT_EQ(log[0].baudRate, 19200u);
}

TEST(SimulatedPanelTest, ListensOnlyAtTheSpeedItWasSwitchedTo)
{
    RawClient client;
    EXPECT_EQ(client.exchange(command({0x1F5, 1})), withCrc({0xA0}));
    EXPECT_EQ(client.panel.loader().lineSpeed(), 345600u);
    EXPECT_TRUE(client.exchange(readInfo).empty()) << "still at 19200";
    client.connection.setBaudRate(345600);
    EXPECT_EQ(client.exchange(readInfo).size(), 19u);
    EXPECT_EQ(client.exchange(command({0x1F5, 35})), withCrc({0xA0}));
    EXPECT_EQ(client.panel.loader().requestedSpeed(), 19200u);
    EXPECT_EQ(client.panel.log().size(), 3u);
}

TEST(SimulatedPanelTest, AnswersArriveAfterTheCommandAtLineSpeed)
{
    RawClient client;
    EXPECT_EQ(client.exchange(readPage(0, 0x3E00), 259).size(), 259u);
    // 6 + 259 characters of 11 bits at 19200 baud take about 152 ms.
    EXPECT_GE(client.platform.nowMs(), 150);
    EXPECT_LT(client.platform.nowMs(), 200);
}

TEST(SimulatedPanelTest, FaultRulesCountByKindOrByExchange)
{
    RawClient client;
    client.panel.addFault({Fault::silent(), CommandKind::ReadPage, 2, 2});
    client.panel.addFault({Fault::answerStatus(0xA3), CommandKind::Any, 6, 1});
    std::vector<std::size_t> sizes;
    for (int i = 0; i < 6; ++i)
        sizes.push_back(client.exchange(i == 3 ? readInfo : readPage(1, 0)).size());
    // Exchanges: page, page (2nd page: silent), page (3rd: silent), info, page, page (exchange 6).
    EXPECT_EQ(sizes, (std::vector<std::size_t>{259, 0, 0, 19, 259, 3}));
    const auto log = client.panel.log();
    ASSERT_EQ(log.size(), 6u);
    // A repeat of a command that went unanswered counts as a further attempt.
    EXPECT_EQ(log[1].attempt, 1);
    EXPECT_EQ(log[2].attempt, 2);
    EXPECT_EQ(log[4].attempt, 1);
    EXPECT_TRUE(log[1].fault.has_value());
    EXPECT_FALSE(log[3].fault.has_value());
}

TEST(SimulatedPanelTest, DamagingFaults)
{
    RawClient client;
    client.panel.addFault({Fault::statusOnly(), CommandKind::Any, 1, 1});
    client.panel.addFault({Fault::truncate(5), CommandKind::Any, 2, 1});
    client.panel.addFault({Fault::flipBit(2, 7), CommandKind::Any, 3, 1});
    client.panel.addFault({Fault::answerStatus(0x77), CommandKind::Any, 4, 1});
    EXPECT_EQ(client.exchange(readInfo), (Bytes{0xA0}));
    EXPECT_EQ(client.exchange(readInfo).size(), 5u);
    Bytes flipped = client.exchange(readInfo);
    ASSERT_EQ(flipped.size(), 19u);
    EXPECT_EQ(flipped[2], 0x80);
    EXPECT_EQ(client.exchange(readInfo), withCrc({0x77}));
}

TEST(SimulatedPanelTest, PortFaultsFailTheConverter)
{
    using Kind = FakeSerialPlatform::Kind;
    RawClient client;
    client.panel.addFault({Fault::unplug(), CommandKind::ReadInfo, 1, 1});
    client.stream << readInfo;
    Bytes answer(19);
    EXPECT_THROW(client.stream >> answer, rs485::DisconnectException);
    EXPECT_TRUE(client.platform.failing(Kind::Write));
    // Plugged in again.
    client.platform.setFailure(Kind::Write, false);
    client.platform.setFailure(Kind::Read, false);
    EXPECT_EQ(client.exchange(readInfo).size(), 19u);
}

TEST(SimulatedPanelTest, RandomFaultsRepeatWithTheSeed)
{
    auto run = [](std::uint32_t seed) {
        RawClient client;
        client.panel.loader().setRandomFaults(seed, 0.5);
        std::vector<std::size_t> sizes;
        for (int i = 0; i < 40; ++i)
            sizes.push_back(client.exchange(readInfo).size());
        return sizes;
    };
    const auto first = run(7);
    EXPECT_EQ(first, run(7));
    EXPECT_NE(std::count(first.begin(), first.end(), 19u), 0);
    EXPECT_NE(std::count(first.begin(), first.end(), 19u), 40);
}
