#pragma once

#include <boot_loader/ProgressHandler.h>

namespace config_quorvel {

class ProgressHandler;

// Counts the pages of a read against the total steps of the whole operation
// and passes the fraction on.
class ProgressHandlerAdapter : public boot_loader::ProgressHandler {
public:
    // handler is not owned and may be null.
    ProgressHandlerAdapter(int total, config_quorvel::ProgressHandler* handler);
    ~ProgressHandlerAdapter() override = default;

    void pageRead(const boot_loader::BufferedMemoryPage& page) override;
    void pageWritten(const boot_loader::BufferedMemoryPage& page) override;
    bool cancelled() const override;

    void step();
    // Reports exactly 1.0, however many steps were counted.
    void finish();

    int doneSteps() const { return done; }

private:
    int total;
    int done = 0;
    config_quorvel::ProgressHandler* handler;
};

} // namespace config_quorvel
