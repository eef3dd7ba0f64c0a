#pragma once

#include <string>

namespace quorvel_panel_sim {

// Tells whether a reader holds the pseudo-terminal. The server keeps a slave
// descriptor of its own, so the master never reports a hang-up when the
// reader closes; instead this looks at what the reader's port driver leaves
// on the terminal while it has the port: the exclusive-use mark and a lock.
class ClientWatch {
public:
    explicit ClientWatch(const std::string& slavePath);
    ~ClientWatch();

    ClientWatch(const ClientWatch&) = delete;
    ClientWatch& operator=(const ClientWatch&) = delete;

    bool clientPresent();

private:
    int fd = -1;
};

} // namespace quorvel_panel_sim
