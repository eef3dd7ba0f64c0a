#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rs485 {

// Opaque port handle of a platform; invalidPortHandle when no port is open.
using PortHandle = std::intptr_t;
constexpr PortHandle invalidPortHandle = -1;

// Parity values as the Windows DCB numbers them; the ninth bit of a character
// travels as Mark (1) or Space (0).
enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };

// The part of the line settings that the connection reads and replaces.
// Every other setting is fixed by the platform: 8 data bits, one stop bit,
// no flow control, modem lines dropped, received parity not checked.
struct LineSettings {
    std::uint32_t baudRate = 0;
    Parity parity = Parity::Space;
};

// Read time-outs with the meaning of the Windows COMMTIMEOUTS record:
// - interval returnAtOnce with both totals 0: return at once with what has arrived;
// - otherwise a read waits up to totalConstantMs (+ multiplier per byte) for
//   its bytes, and with a non-zero interval also returns once more than
//   intervalMs pass between two received bytes.
struct ReadTimeouts {
    static constexpr std::uint32_t returnAtOnce = 0xFFFFFFFFu;
    std::uint32_t intervalMs = 0;
    std::uint32_t totalMultiplierMs = 0;
    std::uint32_t totalConstantMs = 0;
};

inline bool operator==(const LineSettings& a, const LineSettings& b)
{
    return a.baudRate == b.baudRate && a.parity == b.parity;
}
inline bool operator==(const ReadTimeouts& a, const ReadTimeouts& b)
{
    return a.intervalMs == b.intervalMs && a.totalMultiplierMs == b.totalMultiplierMs
        && a.totalConstantMs == b.totalConstantMs;
}

// Why a port could not be opened, as far as the system tells: Busy when it
// says that another program holds the port.
enum class OpenFailure { Other, Busy };

// What to discard: the input queue alone, or input and output.
enum class Purge : std::uint32_t { Input = 8, InputAndOutput = 12 };

// The few operations the serial logic needs of an operating system. Each
// returns false where the system reports a failure; none throws.
class SerialPlatform {
public:
    virtual ~SerialPlatform() = default;

    // Exclusive open of the named port (no sharing with other programs).
    virtual PortHandle openExclusive(const std::string& portName) = 0;
    // Why the last openExclusive failed; a platform that cannot tell says Other.
    virtual OpenFailure lastOpenFailure() const { return OpenFailure::Other; }
    virtual bool getLineSettings(PortHandle port, LineSettings& settings) = 0;
    // Applies the baud rate and parity together with the fixed settings.
    virtual bool setLineSettings(PortHandle port, const LineSettings& settings) = 0;
    virtual bool setReadTimeouts(PortHandle port, const ReadTimeouts& timeouts) = 0;
    virtual bool purge(PortHandle port, Purge what) = 0;
    // Synchronous write; written receives the count accepted.
    virtual bool write(PortHandle port, const std::uint8_t* data, std::size_t size,
                       std::size_t& written) = 0;
    // Waits until the driver has passed the written bytes on.
    virtual bool drain(PortHandle port) = 0;
    // Synchronous read under the current time-outs; received may be 0.
    virtual bool read(PortHandle port, std::uint8_t* data, std::size_t size,
                      std::size_t& received) = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
    virtual bool close(PortHandle port) = 0;

    // All serial ports, and the ports of FTDI-based converters, each sorted
    // byte-wise.
    virtual std::vector<std::string> serialPortNames() = 0;
    virtual std::vector<std::string> converterPortNames() = 0;
};

// The platform of the operating system the program runs on.
SerialPlatform& nativeSerialPlatform();

// Byte-wise ascending order, shared by every port lister (COM10 before COM2).
void sortPortNames(std::vector<std::string>& names);

// What the system opens for a port's name. On Linux a name without '/' is a
// device in /dev ("ttyUSB0" is "/dev/ttyUSB0"), and a path (a pseudo-terminal's
// "/dev/pts/3") stays as it is; Windows opens every name as it is given.
std::string portDevicePath(const std::string& portName);

} // namespace rs485
