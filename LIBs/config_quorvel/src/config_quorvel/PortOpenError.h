#pragma once

#include <rs485/SerialPlatform.h>

#include <string>

namespace config_quorvel {

// The message for a port that could not be opened: that another program
// holds it, when the system said so.
std::string portOpenErrorText(const std::string& portName, rs485::OpenFailure failure);

} // namespace config_quorvel
