// The Win32 port calls against a real port of wine: a pseudo-terminal whose
// far end reports, for every byte, the parity the line was set to. The
// port's name comes from QUORVEL_WINE_PARITY_PORT (scripts/test-windows).
#include "PanelPattern.h"
#include "PtyParityPlatform.h"

#include <rs485/RS485Connection.h>
#include <rs485/WindowsSerialPlatform.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using rs485::invalidPortHandle;
using rs485::LineSettings;
using rs485::Parity;
using rs485::PortHandle;
using rs485::ReadTimeouts;

class WindowsSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* name = std::getenv("QUORVEL_WINE_PARITY_PORT");
        if (name == nullptr || *name == '\0') {
            GTEST_SKIP() << "QUORVEL_WINE_PARITY_PORT names no port; scripts/test-windows "
                            "serves one on a pseudo-terminal";
        }
        portName = name;
        port = platform.openExclusive(portName);
        ASSERT_NE(port, invalidPortHandle)
            << "CreateFileA(\\\\.\\" << portName << ") failed, GetLastError " << GetLastError();
        // A pseudo-terminal drops PARENB, and the C library then reports a
        // mark or space parity that is already in force as EINVAL, which wine
        // returns as ERROR_INVALID_PARAMETER. Passing through no parity
        // makes the space setting a change, whatever the last test left.
        ASSERT_TRUE(platform.setLineSettings(port, {19200, Parity::None}))
            << "SetCommState failed, GetLastError " << GetLastError();
        ASSERT_TRUE(platform.setLineSettings(port, {19200, Parity::Space}))
            << "SetCommState failed, GetLastError " << GetLastError();
        ASSERT_TRUE(platform.setReadTimeouts(port, {0, 0, 2000}))
            << "SetCommTimeouts failed, GetLastError " << GetLastError();
        ASSERT_TRUE(platform.purge(port, rs485::Purge::InputAndOutput))
            << "PurgeComm failed, GetLastError " << GetLastError();
    }

    void TearDown() override
    {
        if (port != invalidPortHandle) {
            EXPECT_TRUE(platform.close(port));
        }
    }

    bool send(std::uint8_t byte)
    {
        std::size_t written = 0;
        return platform.write(port, &byte, 1, written) && written == 1 && platform.drain(port);
    }

    // Reads until count bytes are there or one read returns nothing.
    std::vector<std::uint8_t> receive(std::size_t count)
    {
        std::vector<std::uint8_t> bytes(count);
        std::size_t total = 0;
        while (total < count) {
            std::size_t received = 0;
            EXPECT_TRUE(platform.read(port, bytes.data() + total, count - total, received))
                << "ReadFile failed, GetLastError " << GetLastError();
            if (received == 0)
                break;
            total += received;
        }
        bytes.resize(total);
        return bytes;
    }

    rs485::WindowsSerialPlatform platform;
    std::string portName;
    PortHandle port = invalidPortHandle;
};

TEST_F(WindowsSerialPortTest, openPortCarriesTheFixedLineSettings)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(port), &dcb));
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_FALSE(dcb.fParity);
    EXPECT_FALSE(dcb.fOutxCtsFlow);
    EXPECT_FALSE(dcb.fOutxDsrFlow);
    EXPECT_FALSE(dcb.fOutX);
    EXPECT_FALSE(dcb.fInX);
    // DTR and RTS are not checked: a pseudo-terminal has no modem lines, and
    // wine then reports them as enabled whatever was set.

    LineSettings settings;
    ASSERT_TRUE(platform.getLineSettings(port, settings));
    EXPECT_EQ(settings.baudRate, 19200u);
}

TEST_F(WindowsSerialPortTest, parityFollowsEachSettingOnTheOpenPort)
{
    // Each setting a change (see SetUp for why not twice the same).
    const Parity sequence[] = {Parity::Mark, Parity::Space, Parity::Mark, Parity::Space};
    std::uint8_t byte = 0x40;
    for (Parity parity : sequence) {
        ASSERT_TRUE(platform.setLineSettings(port, {19200, parity}))
            << "SetCommState failed, GetLastError " << GetLastError();
        ASSERT_TRUE(send(byte));
        const std::uint8_t expected = parity == Parity::Mark ? rs485::wine_test::reportMark
                                                             : rs485::wine_test::reportSpace;
        EXPECT_EQ(receive(2), (std::vector<std::uint8_t>{byte, expected}))
            << "parity " << static_cast<int>(parity);
        ++byte;
    }
}

TEST_F(WindowsSerialPortTest, readTimeoutsShapeWhatOneReadReturns)
{
    // Return at once: nothing there, nothing read.
    ASSERT_TRUE(platform.setReadTimeouts(port, {ReadTimeouts::returnAtOnce, 0, 0}));
    EXPECT_TRUE(receive(4).empty());

    // Return at once with what has arrived, even if more was asked for.
    ASSERT_TRUE(send(0x11));
    Sleep(200);
    EXPECT_EQ(receive(8).size(), 2u);

    // A total time-out ends a read that gets nothing, without failing.
    ASSERT_TRUE(platform.setReadTimeouts(port, {0, 0, 50}));
    EXPECT_TRUE(receive(1).empty());

    // The interval of the open settings ends a read after the last byte.
    ASSERT_TRUE(platform.setReadTimeouts(port, {10, 0, 2000}));
    ASSERT_TRUE(send(0x22));
    std::uint8_t bytes[8];
    std::size_t received = 0;
    ASSERT_TRUE(platform.read(port, bytes, sizeof bytes, received));
    EXPECT_EQ(received, 2u);
}

TEST_F(WindowsSerialPortTest, purgeDropsInputThatArrivedBefore)
{
    ASSERT_TRUE(send(0x33));
    Sleep(200);
    ASSERT_TRUE(platform.purge(port, rs485::Purge::Input));
    ASSERT_TRUE(platform.setReadTimeouts(port, {ReadTimeouts::returnAtOnce, 0, 0}));
    EXPECT_TRUE(receive(2).empty());
}

TEST(WindowsConnectionParityTest, ninthBitSwitchesTheParityOfTheOpenPort)
{
    const char* name = std::getenv("QUORVEL_WINE_PARITY_PORT");
    if (name == nullptr || *name == '\0') {
        GTEST_SKIP() << "QUORVEL_WINE_PARITY_PORT names no port";
    }
    // The connection switches the parity only from a mark or space parity
    // that it reads back; wine on a pseudo-terminal reads back another value,
    // so the port's read-back is replaced by the parity last set (see
    // PtyParityPlatform.h). The pty keeps the parity of its last client:
    // start from none so that open's space parity is a change.
    rs485::wine_test::PtyParityPlatform platform;
    {
        const PortHandle port = platform.openExclusive(name);
        ASSERT_NE(port, invalidPortHandle);
        platform.setLineSettings(port, {19200, Parity::None});
        ASSERT_TRUE(platform.close(port));
    }

    rs485::RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(name, 19200));
    const auto reportFor = [&connection](bool ninthBit, std::uint8_t byte) {
        connection.setNinthBit(ninthBit);
        connection.write(&byte, 1);
        std::uint8_t reply[2] = {};
        return connection.read(reply, 2) == 2 && reply[0] == byte ? reply[1] : 0;
    };
    EXPECT_EQ(reportFor(true, 0x51), rs485::wine_test::reportMark);
    EXPECT_EQ(reportFor(true, 0x52), rs485::wine_test::reportMark);
    EXPECT_EQ(reportFor(false, 0x53), rs485::wine_test::reportSpace);
}

TEST(WindowsSerialPortOpenTest, missingPortCannotBeOpenedNorClosed)
{
    rs485::WindowsSerialPlatform platform;
    EXPECT_EQ(platform.openExclusive("COM97"), invalidPortHandle);
    EXPECT_FALSE(platform.close(invalidPortHandle));
}

} // namespace
