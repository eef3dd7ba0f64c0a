#pragma once

#include <string>

namespace config_quorvel {

// The display names of one device and its parts, and the number of the
// event table whose state texts apply to it.
class DeviceNames {
public:
    DeviceNames() = default;
    DeviceNames(const DeviceNames&) = default;
    DeviceNames& operator=(const DeviceNames&) = default;
    virtual ~DeviceNames() = default;

    // Names shown for a device without names of its own. The address must be
    // 1..127 for a non-empty name; a section 1..24 is written before it.
    static std::u16string defaultDeviceName(int address, int section);
    static std::u16string defaultOutsName(int address, int section);
    static std::u16string defaultLoop1Name(int address, int section);
    static std::u16string defaultLoop2Name(int address, int section);
    static std::u16string defaultLine3Name(int address, int section);
    static std::u16string defaultLine4Name(int address, int section);

    int eventTable = 0;
    std::u16string deviceName;
    std::u16string outsName;
    std::u16string loop1Name;
    std::u16string loop2Name;
    std::u16string line3Name;
    std::u16string line4Name;
};

} // namespace config_quorvel
