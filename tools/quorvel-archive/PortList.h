#pragma once

#include <string>

namespace rs485 {
class SerialPlatform;
}

namespace quorvel_archive {

// The serial ports the connect dialog offers, one per line in byte-wise
// order; a port of a USB-RS485 converter is followed by a tab and
// "USB-RS485".
std::string portListText(rs485::SerialPlatform& platform);

} // namespace quorvel_archive
