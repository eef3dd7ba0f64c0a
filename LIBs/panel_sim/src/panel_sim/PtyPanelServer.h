#pragma once

#include <panel_sim/PanelLoader.h>
#include <panel_sim/PanelMemory.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace panel_sim {

// The simulated loader behind a pseudo-terminal, for the real port driver.
// A pty carries no parity, so commands are framed by their code byte and
// length; the wake-up zeros are skipped all the same. Answers go out as soon
// as a command is complete. Faults come from the loader's rules; the port
// faults (FailWrite, FailRead, FailPort, HangUp) all hang the line up: the
// master side closes and the client's next read or write fails.
class PtyPanelServer {
public:
    explicit PtyPanelServer(PanelMemory memory = {});
    ~PtyPanelServer();

    PtyPanelServer(const PtyPanelServer&) = delete;
    PtyPanelServer& operator=(const PtyPanelServer&) = delete;

    // Opens the pseudo-terminal and starts serving it on a thread of its own.
    bool start();
    // Stops serving and closes the pseudo-terminal; also after a hang-up.
    void stop();

    // The path a client opens, e.g. /dev/pts/7; empty before start.
    const std::string& slavePath() const { return slaveName; }
    bool running() const { return serving.load(); }
    bool hungUp() const { return lineDead.load(); }

    PanelLoader& loader() { return panelLoader; }

private:
    void serve();
    void hangUp();

    PanelLoader panelLoader;
    std::string slaveName;
    int masterFd = -1;
    int slaveFd = -1;
    int wakePipe[2] = {-1, -1};
    std::thread worker;
    std::atomic<bool> serving{false};
    std::atomic<bool> lineDead{false};
};

// Writes all of the bytes to a descriptor, resuming after signals; false
// when the descriptor takes no more (the far side gone).
bool writeAllBytes(int fd, const std::vector<std::uint8_t>& bytes);

} // namespace panel_sim
