#include <boot_loader/BootloaderException.h>
#include <boot_loader/BootloaderProtocol.h>
#include <boot_loader/MemoryImage.h>
#include <boot_loader/ProgressHandler.h>
#include <panel_sim/PtyPanelServer.h>
#include <rs485/Byte9Stream.h>
#include <rs485/LinuxSerialPlatform.h>
#include <rs485/RS485Connection.h>

#include <gtest/gtest.h>

namespace {

struct CountingHandler : boot_loader::ProgressHandler {
    int pages = 0;
    void pageRead(const boot_loader::BufferedMemoryPage&) override { ++pages; }
    void pageWritten(const boot_loader::BufferedMemoryPage&) override {}
};

} // namespace

// The real port driver against the panel served on a pseudo-terminal: the
// whole configuration region, page by page.
TEST(PtyEndToEndTest, ReadsTheConfigurationRegion)
{
    panel_sim::PanelMemory memory;
    for (std::size_t i = 0; i < memory.config.size(); ++i)
        memory.config[i] = static_cast<std::uint8_t>((i * 31 + (i >> 8)) & 0xFF);
    panel_sim::PtyPanelServer server(memory);
    ASSERT_TRUE(server.start());

    rs485::LinuxSerialPlatform platform;
    rs485::RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(server.slavePath(), 19200)) << server.slavePath();
    rs485::Byte9Stream stream(connection);
    boot_loader::BootloaderProtocol protocol(stream);

    EXPECT_EQ(protocol.readInfo().deviceType, "Q-QRV");
    boot_loader::MemoryImage image(0, 0x3E00, 256, 190);
    CountingHandler handler;
    image.read(protocol, &handler);

    EXPECT_EQ(handler.pages, 190);
    EXPECT_EQ(image.bytes(0x3E00, 0xBE00), memory.config);
    EXPECT_EQ(server.loader().commandCount(), 191u);
    EXPECT_TRUE(connection.close());
}

// A line that goes dead in the middle of a read is a lost converter, not a
// silent panel.
TEST(PtyEndToEndTest, HangUpIsALostConverter)
{
    panel_sim::PtyPanelServer server;
    server.loader().addFault({panel_sim::Fault::hangUp(), panel_sim::CommandKind::Any, 3, 1});
    ASSERT_TRUE(server.start());

    rs485::LinuxSerialPlatform platform;
    rs485::RS485Connection connection(platform);
    ASSERT_TRUE(connection.open(server.slavePath(), 19200));
    rs485::Byte9Stream stream(connection);
    boot_loader::BootloaderProtocol protocol(stream);

    boot_loader::MemoryImage image(1, 0x400000, 256, 4);
    int code = -1;
    try {
        image.read(protocol, nullptr);
    } catch (const boot_loader::BootloaderException& e) {
        code = e.code();
    }
    EXPECT_EQ(code, boot_loader::BootloaderException::NoConverter);
    EXPECT_EQ(server.loader().commandCount(), 3u);
}
