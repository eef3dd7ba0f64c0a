#include <boot_loader/BufferedMemoryPage.h>

#include <boot_loader/BootloaderProtocol.h>

namespace boot_loader {

BufferedMemoryPage::BufferedMemoryPage(int space, std::uint32_t address, std::uint32_t size)
    : device(space, address, size), working(space, address, size)
{
}

void BufferedMemoryPage::read(BootloaderProtocol& protocol)
{
    protocol.readPage(device);
    working.space = device.space;
    working.address = device.address;
    working.data = device.data;
}

} // namespace boot_loader
