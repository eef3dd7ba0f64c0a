#include <panel_sim/PtyPanelServer.h>

#include <rs485/Crc16.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using panel_sim::CommandKind;
using panel_sim::Fault;
using panel_sim::PtyPanelServer;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes readInfo = {0xF1, 0x7E, 0xC4};

// The client end of the pty, raw, with reads that give up after a while.
class PtyClient {
public:
    explicit PtyClient(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY))
    {
        termios tio{};
        if (fd >= 0 && ::tcgetattr(fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
    ~PtyClient()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool isOpen() const { return fd >= 0; }

    bool send(const Bytes& bytes) { return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()); }

    // Up to count bytes, or fewer when nothing more comes within waitMs;
    // hungUp reports a dead line.
    Bytes receive(std::size_t count, int waitMs, bool* hungUp = nullptr)
    {
        Bytes result;
        while (result.size() < count) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0)
                break;
            std::uint8_t buffer[512];
            const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - result.size()));
            if (n <= 0) {
                if (hungUp)
                    *hungUp = true;
                break;
            }
            result.insert(result.end(), buffer, buffer + n);
        }
        return result;
    }

private:
    int fd;
};

} // namespace

TEST(PtyPanelServerTest, FramesByCodeAndSkipsZeros)
{
    panel_sim::PanelMemory memory;
    memory.settings[4] = 0xB2;
    PtyPanelServer server(memory);
    ASSERT_TRUE(server.start());
    EXPECT_FALSE(server.slavePath().empty());
    PtyClient client(server.slavePath());
    ASSERT_TRUE(client.isOpen());

    ASSERT_TRUE(client.send(Bytes(261, 0)));
    ASSERT_TRUE(client.send(readInfo));
    const Bytes info = client.receive(19, 2000);
    ASSERT_EQ(info.size(), 19u);
    EXPECT_EQ(info[0], 0xA0);
    EXPECT_EQ(rs485::crc16Bytes(info.data(), info.size()), 0);

    // ReadPage of the settings page, sent in two pieces as the client's
    // parity switch does.
    ASSERT_TRUE(client.send({0xF2}));
    ASSERT_TRUE(client.send({0x00, 0x00, 0x80, 0x33, 0x3C}));
    const Bytes page = client.receive(259, 2000);
    ASSERT_EQ(page.size(), 259u);
    EXPECT_EQ(page[5], 0xB2);

    const auto log = server.loader().log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].skippedBefore, 261u);
    EXPECT_TRUE(log[1].checksumValid);
    EXPECT_EQ(log[1].space, 1);
}

TEST(PtyPanelServerTest, StopsAnsweringAfterKCommands)
{
    PtyPanelServer server;
    server.loader().addFault({Fault::silent(), CommandKind::Any, 3, -1});
    ASSERT_TRUE(server.start());
    PtyClient client(server.slavePath());
    for (int i = 0; i < 2; ++i) {
        client.send(readInfo);
        EXPECT_EQ(client.receive(19, 2000).size(), 19u);
    }
    client.send(readInfo);
    EXPECT_TRUE(client.receive(19, 200).empty());
    EXPECT_TRUE(server.running());
}

TEST(PtyPanelServerTest, HangsUpAfterKCommands)
{
    PtyPanelServer server;
    server.loader().addFault({Fault::hangUp(), CommandKind::Any, 2, 1});
    ASSERT_TRUE(server.start());
    PtyClient client(server.slavePath());
    client.send(readInfo);
    EXPECT_EQ(client.receive(19, 2000).size(), 19u);
    client.send(readInfo);
    bool hungUp = false;
    EXPECT_TRUE(client.receive(19, 2000, &hungUp).empty());
    EXPECT_TRUE(hungUp);
    EXPECT_TRUE(server.hungUp());
    server.stop();
    EXPECT_FALSE(server.running());
}

TEST(PtyPanelServerTest, StopsWhileAClientIsConnected)
{
    PtyPanelServer server;
    ASSERT_TRUE(server.start());
    PtyClient client(server.slavePath());
    client.send({0xF2, 0x00}); // half a command
    server.stop();
    EXPECT_FALSE(server.running());
    server.stop();
}
