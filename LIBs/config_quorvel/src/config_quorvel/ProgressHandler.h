#pragma once

namespace config_quorvel {

// Told how far a read of the panel has come, and asked whether to go on.
class ProgressHandler {
public:
    // fraction: work done, 0.0 to 1.0.
    virtual void onProgress(float fraction) = 0;
    // Whether the user has asked to stop. Asked after each loader command;
    // a yes ends the read with ConfiguratorError::Cancelled, the panel's
    // line back at its normal speed (one more command).
    virtual bool cancelled() const { return false; }

protected:
    // Never deleted through this interface.
    ~ProgressHandler() = default;
};

} // namespace config_quorvel
