#pragma once

namespace boot_loader {

class BufferedMemoryPage;

// Told about every page of a memory image once it has been read, and asked
// after each whether to go on.
class ProgressHandler {
public:
    virtual void pageRead(const BufferedMemoryPage& page) = 0;
    // Part of the interface for page writing, which this program never does.
    virtual void pageWritten(const BufferedMemoryPage& page) = 0;
    // Whether the user has asked to stop: the read ends after the command
    // that has just been answered.
    virtual bool cancelled() const { return false; }
    virtual ~ProgressHandler() = default;
};

} // namespace boot_loader
