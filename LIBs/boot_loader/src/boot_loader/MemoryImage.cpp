#include <boot_loader/MemoryImage.h>

#include <boot_loader/BootloaderException.h>
#include <boot_loader/ProgressHandler.h>

#include <cstddef>

namespace boot_loader {

MemoryImage::MemoryImage(int space, std::uint32_t start, std::uint32_t pageSize, int pageCount)
{
    if (pageCount > 0)
        pages.reserve(static_cast<std::size_t>(pageCount));
    for (int i = 0; i < pageCount; ++i)
        pages.emplace_back(space, start + static_cast<std::uint32_t>(i) * pageSize, pageSize);
}

void MemoryImage::read(BootloaderProtocol& protocol, ProgressHandler* handler)
{
    for (BufferedMemoryPage& page : pages) {
        page.read(protocol);
        if (handler) {
            handler->pageRead(page);
            if (handler->cancelled())
                throw BootloaderException(BootloaderException::Cancelled);
        }
    }
}

const MemoryPage* MemoryImage::pageFor(std::uint32_t address) const
{
    if (pages.empty())
        return nullptr;
    const MemoryPage& first = pages.front().working;
    // An empty first page (a loader that reported page size 0) would make
    // the lookup divide by zero; such an image has nothing to show.
    if (first.data.empty())
        return nullptr;
    // Unsigned difference: addresses below the start wrap to a huge index.
    const std::uint64_t index = static_cast<std::uint32_t>(address - first.address) / first.data.size();
    if (index >= pages.size())
        return nullptr;
    return &pages[static_cast<std::size_t>(index)].working;
}

std::uint8_t MemoryImage::byteAt(std::uint32_t address) const
{
    const MemoryPage* page = pageFor(address);
    return page ? page->byteAt(address) : 0;
}

std::uint16_t MemoryImage::wordAt(std::uint32_t address) const
{
    return static_cast<std::uint16_t>(byteAt(address) | (byteAt(address + 1) << 8));
}

int MemoryImage::bitAt(std::uint32_t address, int bit) const
{
    const MemoryPage* page = pageFor(address);
    return page ? page->bitAt(address, bit) : 0;
}

std::vector<std::uint8_t> MemoryImage::bytes(std::uint32_t address, std::uint32_t count) const
{
    std::vector<std::uint8_t> result;
    result.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        result.push_back(byteAt(address + i));
    return result;
}

std::vector<std::uint8_t> MemoryImage::contents() const
{
    std::vector<std::uint8_t> result;
    for (const BufferedMemoryPage& page : pages)
        result.insert(result.end(), page.working.data.begin(), page.working.data.end());
    return result;
}

void MemoryImage::assign(const std::vector<std::uint8_t>& bytes)
{
    std::size_t offset = 0;
    for (BufferedMemoryPage& page : pages) {
        const std::size_t size = page.device.data.size();
        if (bytes.size() - offset < size)
            break;
        page.device.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
        page.working = page.device;
        offset += size;
    }
}

} // namespace boot_loader
