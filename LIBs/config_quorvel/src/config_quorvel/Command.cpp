#include <config_quorvel/Command.h>

namespace config_quorvel {

Command::Command(bool sectionMode)
    : sectionMode(sectionMode), data(8, 0)
{
    data[0] = sectionMode ? 0xC1 : 0x81;
}

} // namespace config_quorvel
