#pragma once

#include <config_quorvel/DeviceNames.h>

#include <memory>

namespace config_quorvel {

// A device on a panel's line. Copies never share names: each device owns a
// name set of its own.
class Device {
public:
    Device() = default;
    Device(const Device& other);
    Device& operator=(const Device& other);
    virtual ~Device() = default;

    int address = 1;
    int zone = 1;
    std::shared_ptr<DeviceNames> names; // empty: the device has no names
};

} // namespace config_quorvel
