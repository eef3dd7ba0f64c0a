#pragma once

namespace boot_loader {

class BufferedMemoryPage;

// Told about every page of a memory image once it has been read.
class ProgressHandler {
public:
    virtual void pageRead(const BufferedMemoryPage& page) = 0;
    // Part of the interface for page writing, which this program never does.
    virtual void pageWritten(const BufferedMemoryPage& page) = 0;
    virtual ~ProgressHandler() = default;
};

} // namespace boot_loader
