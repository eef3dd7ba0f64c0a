#pragma once

#include <config_quorvel/Device.h>

#include <map>
#include <string>

namespace config_quorvel {

// A section panel of a central panel, with its devices by address. A panel
// without sections keeps its devices in section 0.
class Section {
public:
    Section() = default;
    Section(const Section&) = default;
    Section& operator=(const Section&) = default;
    virtual ~Section() = default;

    // Names shown for a section 1..24 without a name of its own; empty for
    // any other number.
    static std::u16string defaultSectionName(int number);
    static std::u16string defaultDublerName(int number);

    int address = 0;
    int group = 1;
    bool dubler = false;
    std::u16string name;
    std::u16string dublerName;
    std::map<int, Device> devices;
};

} // namespace config_quorvel
