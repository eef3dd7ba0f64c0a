#pragma once

#include <config_quorvel/ProgressHandler.h>

namespace quorvel_archive {

// SIGINT and SIGTERM during a read ask it to stop instead of ending the
// program in the middle of a loader command: the read stops after the
// command in progress, the port is closed, and nothing is written or
// recorded. The program then ends with 128 + the signal's number (130, 143),
// as a shell reports a program the signal ended.
class StopSignals {
public:
    // Catches the two signals while it lives.
    StopSignals();
    ~StopSignals();

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The exit status for the signal that asked to stop; 0 while none has.
    static int exitStatus();
};

// The progress of a read that also stops it when a signal has asked.
class StoppableProgress : public config_quorvel::ProgressHandler {
public:
    explicit StoppableProgress(config_quorvel::ProgressHandler& shown) : shown(shown) {}

    void onProgress(float fraction) override { shown.onProgress(fraction); }
    bool cancelled() const override { return StopSignals::exitStatus() != 0; }

private:
    config_quorvel::ProgressHandler& shown;
};

} // namespace quorvel_archive
