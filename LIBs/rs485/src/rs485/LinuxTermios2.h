#pragma once

#include <rs485/SerialPlatform.h>

#include <cstdint>

// The kernel's termios2 interface, the only one that takes any baud rate
// (345600 has no Bxxx constant). Its headers clash with glibc's <termios.h>,
// so they stay inside LinuxTermios2.cpp and callers see the line in plain
// terms only.
namespace rs485::termios2 {

// A port's line discipline settings as the kernel reports them.
struct LineState {
    std::uint32_t inputSpeed = 0;
    std::uint32_t outputSpeed = 0;
    bool speedIsNumber = false;     // the baud field says BOTHER: the speeds are plain numbers
    bool parityEnabled = false;     // PARENB
    bool parityOdd = false;         // PARODD
    bool stickParity = false;       // CMSPAR: the parity bit is fixed, mark with PARODD, else space
    int dataBits = 0;
    bool twoStopBits = false;
    bool hardwareFlow = false;      // CRTSCTS
    bool softwareFlow = false;      // IXON, IXOFF or IXANY
    bool ignoresModemLines = false; // CLOCAL
    bool receiverOn = false;        // CREAD
    bool checksInputParity = false; // INPCK or PARMRK
    bool raw = false;               // no canonical input, echo, signals, input translation or output processing
    std::uint8_t minChars = 0;      // VMIN
    std::uint8_t timeTenths = 0;    // VTIME
};

bool readLineState(int fd, LineState& state);

// Puts the port into raw mode with 8 data bits, one stop bit, no flow
// control, modem lines ignored, the receiver on and received parity left
// unchecked; baud goes in as a plain number, parity as given (Mark and Space
// as stick parity). Reads block until at least one byte is there.
bool applyRawLine(int fd, std::uint32_t baud, Parity parity);

} // namespace rs485::termios2
