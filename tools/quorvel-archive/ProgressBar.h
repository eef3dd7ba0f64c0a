#pragma once

#include <config_quorvel/ProgressHandler.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace quorvel_archive {

// The read's progress as one line redrawn in place on a terminal:
// "[#######.............]  35%  00:04". Silent when not enabled, so that a
// log of standard error holds only the outcome.
class ProgressBar : public config_quorvel::ProgressHandler {
public:
    ProgressBar(std::FILE* stream, bool enabled);

    void onProgress(float fraction) override;
    // Ends the line, if one was drawn, so that what follows starts afresh.
    void finish();

    static std::string line(float fraction, std::chrono::seconds elapsed);

private:
    std::FILE* stream;
    bool enabled;
    bool drawn = false;
    std::string lastLine;
    std::chrono::steady_clock::time_point start;
};

} // namespace quorvel_archive
