// A whole read through the Win32 port driver: connection, nine-bit stream
// and loader against the simulated panel on a pseudo-terminal that wine maps
// to the port named by QUORVEL_WINE_PANEL_PORT (scripts/test-windows). The
// panel takes the ninth bit of each byte from the parity in force when it
// arrives, so the read succeeds only if the first character of every command
// goes out under mark parity and the rest under space.
#include "PanelPattern.h"
#include "PtyParityPlatform.h"

#include <boot_loader/BootloaderProtocol.h>
#include <boot_loader/MemoryImage.h>
#include <rs485/Byte9Stream.h>
#include <rs485/RS485Connection.h>
#include <rs485/WindowsSerialPlatform.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using rs485::wine_test::panelPatternByte;

constexpr std::uint32_t pageSize = 256;


// The first address at which the image differs from the panel's pattern, or
// the end of the image.
std::uint32_t firstMismatch(const boot_loader::MemoryImage& image, int space, std::uint32_t start,
                            std::uint32_t size)
{
    for (std::uint32_t a = start; a < start + size; ++a) {
        if (image.byteAt(a) != panelPatternByte(space, a))
            return a;
    }
    return start + size;
}

std::uint32_t patternSum(int space, std::uint32_t start, std::uint32_t size)
{
    std::uint32_t sum = 0;
    for (std::uint32_t a = start; a < start + size; ++a)
        sum += panelPatternByte(space, a);
    return sum;
}

TEST(WindowsPanelReadTest, readsWholeImagesAtNormalAndHighSpeed)
{
    const char* name = std::getenv("QUORVEL_WINE_PANEL_PORT");
    if (name == nullptr || *name == '\0') {
        GTEST_SKIP() << "QUORVEL_WINE_PANEL_PORT names no port; scripts/test-windows serves "
                        "the simulated panel on a pseudo-terminal";
    }

    rs485::wine_test::PtyParityPlatform platform;
    // The pseudo-terminal keeps the parity of its last client, and wine fails
    // a SetCommState that asks for the mark or space parity already in force
    // there (the pty drops PARENB; see WindowsSerialPortTest). Leave it
    // without parity so that open's space parity is a change.
    const rs485::PortHandle line = platform.openExclusive(name);
    ASSERT_NE(line, rs485::invalidPortHandle);
    EXPECT_TRUE(platform.setLineSettings(line, {19200, rs485::Parity::None}));
    ASSERT_TRUE(platform.close(line));

    rs485::RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(name, 19200));
    rs485::Byte9Stream stream(connection);
    boot_loader::BootloaderProtocol protocol(stream);

    const boot_loader::BootloaderInfo& info = protocol.readInfo();
    EXPECT_EQ(info.loaderVersion, 0x12);
    EXPECT_EQ(info.pageSize, pageSize);
    EXPECT_EQ(info.deviceType, "Q-QRV");
    // Open's space parity, then mark for the code byte and space for the rest.
    EXPECT_GE(platform.settingsWritten, 4);

    boot_loader::MemoryImage settings(1, 0x000000, pageSize, 1);
    settings.read(protocol, nullptr);
    EXPECT_EQ(firstMismatch(settings, 1, 0x000000, 0x100), 0x100u);

    boot_loader::MemoryImage config(0, 0x3E00, pageSize, 190);
    config.read(protocol, nullptr);
    EXPECT_EQ(firstMismatch(config, 0, 0x3E00, 190 * pageSize), 0xFC00u);

    // The fast mode as the facade enters it: the loader first, then the port.
    protocol.setSpeed(1);
    connection.setBaudRate(345600);
    boot_loader::MemoryImage archive(1, 0x400000, pageSize, 256);
    archive.read(protocol, nullptr);
    EXPECT_EQ(firstMismatch(archive, 1, 0x400000, 256 * pageSize), 0x410000u);
    EXPECT_EQ(protocol.rangeChecksum(1, 0x000000, 0x100), patternSum(1, 0x000000, 0x100));

    protocol.setSpeed(35);
    connection.setBaudRate(19200);
    EXPECT_EQ(protocol.readInfo().pageSize, pageSize);
    EXPECT_TRUE(connection.close());
}

} // namespace
