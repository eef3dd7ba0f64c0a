#pragma once

#include <string>

namespace quorvel_panel_sim {

// Tells whether a reader holds the pseudo-terminal. The server keeps a slave
// descriptor of its own, so the master never reports a hang-up when the
// reader closes; instead this looks at what the reader's port driver leaves
// on the terminal while it has the port: the exclusive-use mark and a lock.
// A reader that is gone leaves the mark behind (the server's descriptor keeps
// the terminal alive), and the mark would turn every later reader away, so
// clientPresent clears it once the lock has gone.
class ClientWatch {
public:
    explicit ClientWatch(const std::string& slavePath);
    ~ClientWatch();

    ClientWatch(const ClientWatch&) = delete;
    ClientWatch& operator=(const ClientWatch&) = delete;

    bool clientPresent();
    // Waits until a descriptor of the terminal is closed (a reader leaving,
    // also by being killed) or the time is up, so that the caller can clear
    // the mark before the next reader tries to open the port.
    void waitForClose(int timeoutMs);

private:
    int fd = -1;
    int closeEvents = -1;
};

} // namespace quorvel_panel_sim
