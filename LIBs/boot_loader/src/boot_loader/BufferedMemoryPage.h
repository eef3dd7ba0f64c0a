#pragma once

#include <boot_loader/MemoryPage.h>

#include <cstdint>

namespace boot_loader {

class BootloaderProtocol;

// A page as the loader last delivered it and the working copy that queries
// read.
class BufferedMemoryPage {
public:
    BufferedMemoryPage(int space, std::uint32_t address, std::uint32_t size);
    virtual ~BufferedMemoryPage() = default;

    // Reads the device copy from the loader, then updates the working copy.
    // Throws BootloaderException; the working copy is then left as it was.
    void read(BootloaderProtocol& protocol);

    MemoryPage device;
    MemoryPage working;
};

} // namespace boot_loader
