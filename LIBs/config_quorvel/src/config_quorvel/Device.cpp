#include <config_quorvel/Device.h>

namespace config_quorvel {

namespace {

std::shared_ptr<DeviceNames> copyOf(const std::shared_ptr<DeviceNames>& names)
{
    return names ? std::make_shared<DeviceNames>(*names) : nullptr;
}

} // namespace

Device::Device(const Device& other)
    : address(other.address), zone(other.zone), names(copyOf(other.names))
{
}

Device& Device::operator=(const Device& other)
{
    if (this != &other) {
        address = other.address;
        zone = other.zone;
        names = copyOf(other.names);
    }
    return *this;
}

} // namespace config_quorvel
