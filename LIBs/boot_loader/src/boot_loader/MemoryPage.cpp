#include <boot_loader/MemoryPage.h>

namespace boot_loader {

MemoryPage::MemoryPage(int space, std::uint32_t address, std::uint32_t size)
    : space(space), address(address), data(size, 0xFF)
{
}

std::uint8_t MemoryPage::byteAt(std::uint32_t at) const
{
    if (at < address)
        return 0;
    const std::uint64_t offset = at - address;
    if (offset >= data.size())
        return 0;
    return data[static_cast<std::size_t>(offset)];
}

int MemoryPage::bitAt(std::uint32_t at, int bit) const
{
    return (byteAt(at) >> (bit & 31)) & 1;
}

} // namespace boot_loader
