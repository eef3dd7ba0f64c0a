#pragma once

#include <cstdint>
#include <vector>

namespace boot_loader {

// One page of panel memory in one of the loader's memory spaces.
class MemoryPage {
public:
    // The data starts as size bytes of 0xFF, as erased flash reads.
    MemoryPage(int space, std::uint32_t address, std::uint32_t size);
    virtual ~MemoryPage() = default;

    // 0 for addresses outside the page.
    std::uint8_t byteAt(std::uint32_t address) const;
    // Bit (bit AND 31) of the byte, so bits 8-31 read as 0.
    int bitAt(std::uint32_t address, int bit) const;

    std::int32_t space;
    std::uint32_t address;
    std::vector<std::uint8_t> data;
};

} // namespace boot_loader
