#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace config_quorvel {

// A command of the panel menu: its name and the 8 bytes it sends.
class Command {
public:
    explicit Command(bool sectionMode);
    Command(const Command&) = default;
    Command& operator=(const Command&) = default;
    virtual ~Command() = default;

    bool sectionMode;
    std::u16string name;
    std::vector<std::uint8_t> data;
};

} // namespace config_quorvel
