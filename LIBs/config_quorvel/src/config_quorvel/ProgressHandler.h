#pragma once

namespace config_quorvel {

// Told how far a read of the panel has come.
class ProgressHandler {
public:
    // fraction: work done, 0.0 to 1.0.
    virtual void onProgress(float fraction) = 0;

protected:
    // Never deleted through this interface.
    ~ProgressHandler() = default;
};

} // namespace config_quorvel
