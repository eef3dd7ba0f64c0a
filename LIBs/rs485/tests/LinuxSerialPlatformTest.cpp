// The Linux port driver against a pseudo-terminal pair: the driver opens the
// slave by its path, the test plays the device on the master.
#include <rs485/Exceptions.h>
#include <rs485/LinuxSerialPlatform.h>
#include <rs485/LinuxTermios2.h>
#include <rs485/RS485Connection.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using rs485::DisconnectException;
using rs485::LineSettings;
using rs485::LinuxSerialPlatform;
using rs485::OpenFailure;
using rs485::Parity;
using rs485::PortHandle;
using rs485::RS485Connection;
using rs485::ReadTimeouts;
using rs485::invalidPortHandle;
using rs485::termios2::LineState;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

namespace {

long long msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class PseudoTerminalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[256] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        slavePath = name;
    }

    void TearDown() override
    {
        if (master >= 0)
            ::close(master);
        ::close(slave);
    }

    // The kernel's view of the line; the slave's settings are shared by every
    // descriptor of it, so the test's own one shows what the driver set.
    LineState line() const
    {
        LineState state;
        EXPECT_TRUE(rs485::termios2::readLineState(slave, state));
        return state;
    }

    void sendFromDevice(const Bytes& bytes)
    {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        // Wait until the bytes are queued on the slave, so reads see them.
        pollfd p{slave, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 2000), 1);
    }

    Bytes receiveOnDevice(std::size_t count)
    {
        Bytes got;
        while (got.size() < count) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 2000) != 1)
                break;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    int master = -1;
    int slave = -1;
    std::string slavePath;
    LinuxSerialPlatform platform;
};

} // namespace

TEST_F(PseudoTerminalTest, OpenSetsARawEightBitLineWithSpaceParity)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 19200));
    const LineState state = line();
    EXPECT_EQ(state.dataBits, 8);
    EXPECT_FALSE(state.twoStopBits);
    EXPECT_TRUE(state.stickParity);
    EXPECT_FALSE(state.parityOdd);
    EXPECT_FALSE(state.hardwareFlow);
    EXPECT_FALSE(state.softwareFlow);
    EXPECT_TRUE(state.ignoresModemLines);
    EXPECT_TRUE(state.receiverOn);
    EXPECT_FALSE(state.checksInputParity);
    EXPECT_TRUE(state.raw);
    EXPECT_EQ(state.minChars, 1);
    EXPECT_TRUE(state.speedIsNumber);
    EXPECT_EQ(state.outputSpeed, 19200u);
}

TEST_F(PseudoTerminalTest, NinthBitSwitchesBetweenMarkAndSpaceOnTheOpenPort)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 19200));
    connection.setNinthBit(true);
    EXPECT_TRUE(line().stickParity);
    EXPECT_TRUE(line().parityOdd);
    connection.setNinthBit(false);
    EXPECT_TRUE(line().stickParity);
    EXPECT_FALSE(line().parityOdd);
}

TEST_F(PseudoTerminalTest, FastModeBaudRateGoesThroughAsAPlainNumber)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 19200));
    connection.setNinthBit(true);
    connection.setBaudRate(345600);
    EXPECT_TRUE(line().speedIsNumber);
    EXPECT_EQ(line().outputSpeed, 345600u);
    EXPECT_EQ(line().inputSpeed, 345600u);
    EXPECT_TRUE(line().parityOdd); // the parity stays as it was
    connection.setBaudRate(19200);
    EXPECT_EQ(line().outputSpeed, 19200u);
}

TEST_F(PseudoTerminalTest, BytesTravelBothWays)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 345600));

    const Bytes command = {0xF1, 0x00, 0x0A, 0x0D, 0xFF, 0x7E};
    EXPECT_EQ(connection.write(command.data(), static_cast<int>(command.size())), 6);
    EXPECT_EQ(receiveOnDevice(command.size()), command);

    const Bytes answer = {0x00, 0x0D, 0x0A, 0x11, 0x13, 0x80, 0xFF};
    sendFromDevice(answer);
    Bytes got(answer.size());
    EXPECT_EQ(connection.read(got.data(), static_cast<int>(got.size())), 7);
    EXPECT_EQ(got, answer);
}

TEST_F(PseudoTerminalTest, WriteDiscardsWhatTheDeviceSentBefore)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 345600));
    connection.setReadTimeout(0);
    sendFromDevice({0x01, 0x02});
    const std::uint8_t out = 0x55;
    connection.write(&out, 1);
    std::uint8_t in[2] = {};
    EXPECT_EQ(connection.read(in, 2), 0);
}

// Far more than the pseudo-terminal buffers: the non-blocking descriptor
// refuses part of it, and the write must wait and go on until all is out.
TEST_F(PseudoTerminalTest, LargeWriteWaitsUntilTheDriverTakesEverything)
{
    const PortHandle port = platform.openExclusive(slavePath);
    ASSERT_NE(port, invalidPortHandle);
    ASSERT_TRUE(platform.setLineSettings(port, LineSettings{345600, Parity::Space}));
    Bytes data(256 * 1024);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 31 + i / 256);

    Bytes got;
    std::thread device([&] { got = receiveOnDevice(data.size()); });
    std::size_t written = 0;
    EXPECT_TRUE(platform.write(port, data.data(), data.size(), written));
    device.join();
    EXPECT_EQ(written, data.size());
    EXPECT_TRUE(got == data);
    platform.close(port);
}

TEST_F(PseudoTerminalTest, ZeroTimeoutReturnsAtOnceWithWhatHasArrived)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 19200));
    connection.setReadTimeout(0);
    std::uint8_t got[8] = {};

    auto start = Clock::now();
    EXPECT_EQ(connection.read(got, 8), 0);
    EXPECT_LT(msSince(start), 150);

    sendFromDevice({0x31, 0x32, 0x33});
    start = Clock::now();
    EXPECT_EQ(connection.read(got, 8), 3);
    EXPECT_LT(msSince(start), 150);
    EXPECT_EQ(got[2], 0x33);
}

TEST_F(PseudoTerminalTest, TotalTimeoutBoundsAReadOfMissingBytes)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 19200));
    connection.setReadTimeout(200);
    sendFromDevice({0x41});
    std::uint8_t got[4] = {};
    const auto start = Clock::now();
    EXPECT_EQ(connection.read(got, 4), 1);
    const auto elapsed = msSince(start);
    // The platform read that got the byte waits out its time-out for the
    // rest, and the connection's next read waits once more in vain.
    EXPECT_GE(elapsed, 190);
    EXPECT_LT(elapsed, 2000);
}

TEST_F(PseudoTerminalTest, GapBetweenBytesEndsAReadBeforeTheTotal)
{
    const PortHandle port = platform.openExclusive(slavePath);
    ASSERT_NE(port, invalidPortHandle);
    ASSERT_TRUE(platform.setLineSettings(port, LineSettings{19200, Parity::Space}));
    ASSERT_TRUE(platform.setReadTimeouts(port, ReadTimeouts{100, 0, 10000}));
    sendFromDevice({0x01, 0x02});
    std::uint8_t got[10] = {};
    std::size_t received = 0;
    const auto start = Clock::now();
    EXPECT_TRUE(platform.read(port, got, 10, received));
    const auto elapsed = msSince(start);
    EXPECT_EQ(received, 2u);
    EXPECT_GE(elapsed, 90);
    EXPECT_LT(elapsed, 3000);
    platform.close(port);
}

TEST_F(PseudoTerminalTest, SecondOpenerIsRefusedUntilTheFirstCloses)
{
    const PortHandle first = platform.openExclusive(slavePath);
    ASSERT_NE(first, invalidPortHandle);
    LinuxSerialPlatform other;
    EXPECT_EQ(other.openExclusive(slavePath), invalidPortHandle);
    EXPECT_EQ(other.lastOpenFailure(), OpenFailure::Busy);
    EXPECT_TRUE(platform.close(first));
    const PortHandle again = other.openExclusive(slavePath);
    EXPECT_NE(again, invalidPortHandle);
    EXPECT_TRUE(other.close(again));
    EXPECT_FALSE(other.close(again));
}

TEST_F(PseudoTerminalTest, LostDeviceFailsReadsAndWrites)
{
    RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(slavePath, 19200));
    ::close(master);
    master = -1;
    std::uint8_t byte = 0x55;
    EXPECT_THROW(connection.read(&byte, 1), DisconnectException);
    EXPECT_THROW(connection.write(&byte, 1), DisconnectException);
    EXPECT_TRUE(connection.isOpen());
    EXPECT_TRUE(connection.close());
}

TEST(LinuxPortOpenTest, NamesWithoutSlashAreLookedUpInDevAndMustBeTerminals)
{
    LinuxSerialPlatform platform;
    EXPECT_EQ(platform.openExclusive("no-such-tty-name"), invalidPortHandle);
    EXPECT_EQ(platform.openExclusive("/dev/no-such-tty-name"), invalidPortHandle);
    EXPECT_EQ(platform.lastOpenFailure(), OpenFailure::Other);
    EXPECT_EQ(platform.openExclusive(""), invalidPortHandle);
    // A file of the test's own, which is no terminal.
    char plainFile[] = "/tmp/quorvel-not-a-tty.XXXXXX";
    const int fd = ::mkstemp(plainFile);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(platform.openExclusive(plainFile), invalidPortHandle);
    ::unlink(plainFile);
    // The multiplexer /dev/ptmx is a tty that every system has.
    const PortHandle port = platform.openExclusive("ptmx");
    EXPECT_NE(port, invalidPortHandle);
    EXPECT_TRUE(platform.close(port));
}

// An unplugged USB adapter polls readable and then reads nothing; a socket
// whose peer stopped sending behaves the same way.
TEST(LinuxPortReadTest, ReadableButEmptyCountsAsALostDevice)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ASSERT_EQ(::shutdown(pair[1], SHUT_WR), 0);
    LinuxSerialPlatform platform;
    std::uint8_t byte = 0;
    std::size_t received = 0;
    EXPECT_FALSE(platform.read(pair[0], &byte, 1, received));
    ::close(pair[0]);
    ::close(pair[1]);
}

TEST(LinuxPortOpenTest, ClosedHandlesFailEveryOperation)
{
    LinuxSerialPlatform platform;
    std::uint8_t byte = 0;
    std::size_t count = 0;
    LineSettings settings;
    EXPECT_FALSE(platform.read(invalidPortHandle, &byte, 1, count));
    EXPECT_FALSE(platform.write(invalidPortHandle, &byte, 1, count));
    EXPECT_FALSE(platform.getLineSettings(invalidPortHandle, settings));
    EXPECT_FALSE(platform.setLineSettings(invalidPortHandle, settings));
    EXPECT_FALSE(platform.setReadTimeouts(invalidPortHandle, ReadTimeouts{}));
    EXPECT_FALSE(platform.close(invalidPortHandle));
}
