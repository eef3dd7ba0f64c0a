// The Linux side of the Windows port tests under wine. It serves two
// pseudo-terminals and links each into the wine prefix as a COM port:
//   - the simulated panel, holding the pattern of PanelPattern.h;
//   - a parity reporter, which answers every byte with that byte and the
//     parity the Windows side has set on the line (M, S or ?). A pty carries
//     no parity bit, but the Linux driver keeps the CMSPAR and PARODD flags
//     that wine sets, and the master side can read them.
// Usage: wine-panel-host <wine dosdevices dir> <panel port> <parity port>
// Prints "ready" when both ports are linked; serves until terminated.
#include "../PanelPattern.h"

#include <panel_sim/PanelMemory.h>
#include <panel_sim/PtyPanelServer.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

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

    panel_sim::PtyPanelServer panel(patternMemory());
    if (!panel.start()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal for the panel\n");
        return 1;
    }

    int masterFd = -1;
    int slaveFd = -1; // held open so that the master never sees a hang-up
    char slaveName[256] = {};
    if (openpty(&masterFd, &slaveFd, slaveName, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "cannot open a pseudo-terminal for the parity reporter\n");
        return 1;
    }
    termios tio{};
    if (tcgetattr(slaveFd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slaveFd, TCSANOW, &tio);
    }

    if (!linkPort(argv[1], argv[2], panel.slavePath()) || !linkPort(argv[1], argv[3], slaveName))
        return 1;
    std::printf("ready %s %s\n", panel.slavePath().c_str(), slaveName);
    std::fflush(stdout);

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
    return 0;
}
