#pragma once

#include <boot_loader/BufferedMemoryPage.h>

#include <cstdint>
#include <vector>

namespace boot_loader {

class BootloaderProtocol;
class ProgressHandler;

// A contiguous run of equal-sized pages in one memory space, read page by
// page and then queried by absolute address. Queries never fail: addresses
// outside the image read as 0.
class MemoryImage {
public:
    MemoryImage(int space, std::uint32_t start, std::uint32_t pageSize, int pageCount);
    virtual ~MemoryImage() = default;

    // Reads every page in address order and reports each one to the handler
    // (which may be null). A failing page stops the read with its
    // BootloaderException: earlier pages hold their new contents, it and
    // the later ones keep the old. So does a handler that says cancelled()
    // after a page, with the code Cancelled.
    void read(BootloaderProtocol& protocol, ProgressHandler* handler);

    std::uint8_t byteAt(std::uint32_t address) const;
    // Little-endian; the two halves may lie on different pages.
    std::uint16_t wordAt(std::uint32_t address) const;
    int bitAt(std::uint32_t address, int bit) const;
    std::vector<std::uint8_t> bytes(std::uint32_t address, std::uint32_t count) const;

    // The working copies of all pages, in address order.
    std::vector<std::uint8_t> contents() const;
    // Sets both copies of the pages from consecutive bytes, as if the loader
    // had delivered them; pages past the end of `bytes` keep their data.
    void assign(const std::vector<std::uint8_t>& bytes);

    // Ascending addresses, page i at start + i * pageSize.
    std::vector<BufferedMemoryPage> pages;

private:
    const MemoryPage* pageFor(std::uint32_t address) const;
};

} // namespace boot_loader
