// The Linux side of the Windows port tests under wine. It serves two
// pseudo-terminals and links each into the wine prefix as a COM port:
//   - the simulated panel, holding the pattern of PanelPattern.h, which
//     hears commands as the loader does on the RS-485 line: a command starts
//     with the one character whose ninth bit is 1. The ninth bit of each byte
//     is the parity the Windows side had set when the byte arrived;
//   - a parity reporter, which answers every byte with that byte and the
//     parity the Windows side has set on the line (M, S or ?). A pty carries
//     no parity bit, but the Linux driver keeps the CMSPAR and PARODD flags
//     that wine sets, and the master side can read them.
// Usage: wine-panel-host <wine dosdevices dir> <panel port> <parity port>
// Prints "ready" when both ports are linked; serves until terminated.
#include "../PanelPattern.h"

#include <panel_sim/CommandFramer.h>
#include <panel_sim/PanelLoader.h>
#include <panel_sim/PanelMemory.h>
#include <panel_sim/PtyPanelServer.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using rs485::wine_test::panelPatternByte;

panel_sim::PanelMemory patternMemory()
{
    using M = panel_sim::PanelMemory;
    M memory;
    for (std::uint32_t i = 0; i < M::settingsSize; ++i)
        memory.settings[i] = panelPatternByte(M::settingsSpace, M::settingsStart + i);
    for (std::uint32_t i = 0; i < M::configSize; ++i)
        memory.config[i] = panelPatternByte(M::configSpace, M::configStart + i);
    for (std::uint32_t i = 0; i < M::archiveSize; ++i)
        memory.archive[i] = panelPatternByte(M::archiveSpace, M::archiveStart + i);
    return memory;
}

std::uint8_t parityReport(int masterFd)
{
    // On Linux the master reports the termios of its slave.
    termios tio{};
    if (tcgetattr(masterFd, &tio) != 0 || (tio.c_cflag & CMSPAR) == 0)
        return rs485::wine_test::reportOther;
    return (tio.c_cflag & PARODD) != 0 ? rs485::wine_test::reportMark
                                       : rs485::wine_test::reportSpace;
}

// A pseudo-terminal pair in raw mode; the slave is kept open so that the
// master never sees a hang-up between two clients.
struct Pty {
    int master = -1;
    int slave = -1;
    char name[256] = {};

    bool open()
    {
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios tio{};
        if (tcgetattr(slave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(slave, TCSANOW, &tio);
        }
        return true;
    }
};

// The panel with the ninth bit taken from the line settings. The driver
// writes each run of equal ninth bit in one write and sleeps at least 10 ms
// after it before it switches the parity for the next run, so the bytes of
// one read arrived under the parity read right after it. A command whose code
// byte came under space parity is never heard (the loader stays silent), and
// a mark byte inside a command abandons it, as on the line; a byte under any
// other parity is garbled.
void serveNinthBitPanel(int masterFd, panel_sim::PanelLoader& loader)
{
    panel_sim::CommandFramer framer(panel_sim::CommandFramer::Mode::NinthBit);
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = read(masterFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        const std::uint8_t parity = parityReport(masterFd);
        for (ssize_t i = 0; i < n; ++i) {
            if (parity == rs485::wine_test::reportOther) {
                framer.garble();
                continue;
            }
            const auto frame = framer.feed(buffer[i], parity == rs485::wine_test::reportMark);
            if (!frame)
                continue;
            const panel_sim::LoaderReply reply = loader.handle(frame->bytes, 0, frame->skippedBefore);
            if (!panel_sim::writeAllBytes(masterFd, reply.bytes))
                return;
        }
    }
}

bool linkPort(const std::string& dosdevices, const std::string& port, const std::string& target)
{
    std::string name = port;
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string link = dosdevices + "/" + name;
    unlink(link.c_str());
    if (symlink(target.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "cannot link %s to %s: %s\n", link.c_str(), target.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <wine dosdevices dir> <panel port> <parity port>\n",
                     argv[0]);
        return 2;
    }

    panel_sim::PanelLoader loader(patternMemory());
    Pty panel;
    Pty reporter;
    if (!panel.open() || !reporter.open()) {
        std::fprintf(stderr, "cannot open the pseudo-terminals\n");
        return 1;
    }
    if (!linkPort(argv[1], argv[2], panel.name) || !linkPort(argv[1], argv[3], reporter.name))
        return 1;
    std::thread(serveNinthBitPanel, panel.master, std::ref(loader)).detach();
    std::printf("ready %s %s\n", panel.name, reporter.name);
    std::fflush(stdout);

    const int masterFd = reporter.master;
    std::uint8_t byte = 0;
    for (;;) {
        const ssize_t n = read(masterFd, &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const std::uint8_t reply[2] = {byte, parityReport(masterFd)};
        if (write(masterFd, reply, sizeof reply) != static_cast<ssize_t>(sizeof reply))
            break;
    }
    // The panel's thread still waits in its read: end without unwinding.
    _exit(0);
}
