#include <rs485/LinuxSerialPlatform.h>

#include <rs485/LinuxTermios2.h>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace rs485 {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int descriptorOf(PortHandle port)
{
    return port >= 0 && port <= INT_MAX ? static_cast<int>(port) : -1;
}

bool isOpenDescriptor(int fd)
{
    return fd >= 0 && ::fcntl(fd, F_GETFD) != -1;
}

// Time left until `until` in whole milliseconds, rounded up so that poll
// never wakes before the deadline; 0 once it has passed.
int msUntil(Clock::time_point until)
{
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

constexpr short pollFailure = POLLERR | POLLHUP | POLLNVAL;

// FTDI converters hold back the tail of each answer for their 16 ms latency
// timer unless the driver is asked for low latency. Drivers without the
// request simply refuse it, which is fine.
void requestLowLatency(int fd)
{
    struct serial_struct serial {};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

// The converter's transceiver must not see DTR or RTS raised by the open.
// A pseudo-terminal has no modem lines and refuses, which is fine.
void dropModemLines(int fd)
{
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &lines);
}

std::string linkBasename(const fs::path& link)
{
    std::error_code ec;
    const fs::path target = fs::read_symlink(link, ec);
    return ec ? std::string() : target.filename().string();
}

std::string driverOf(const fs::path& device)
{
    std::string driver = linkBasename(device / "driver");
    if (!driver.empty())
        return driver;
    std::ifstream uevent(device / "uevent");
    const std::string key = "DRIVER=";
    for (std::string line; std::getline(uevent, line);) {
        if (line.compare(0, key.size(), key) == 0)
            return line.substr(key.size());
    }
    return {};
}

struct TtyPort {
    std::string name;
    std::string driver;
};

// Every tty with a real device behind it. The legacy 8250 driver registers
// ttyS entries for ports that may not exist; their device is the
// serial8250 platform device, so the platform subsystem marks them.
std::vector<TtyPort> scanTtys(const std::string& root)
{
    std::vector<TtyPort> ports;
    std::error_code ec;
    fs::directory_iterator it(root, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path device = it->path() / "device";
        std::error_code existsError;
        if (!fs::exists(device, existsError))
            continue;
        if (linkBasename(device / "subsystem") == "platform")
            continue;
        ports.push_back(TtyPort{it->path().filename().string(), driverOf(device)});
    }
    return ports;
}

} // namespace

LinuxSerialPlatform::LinuxSerialPlatform(std::string root) : sysfsRoot(std::move(root)) {}

PortHandle LinuxSerialPlatform::openExclusive(const std::string& portName)
{
    openFailure = OpenFailure::Other;
    if (portName.empty())
        return invalidPortHandle;
    const std::string path = portDevicePath(portName);
    // Another program's TIOCEXCL makes the open itself fail with EBUSY, its
    // lock makes flock fail with EWOULDBLOCK: both say the port is taken.
    const auto failed = [this](int error) {
        openFailure = error == EBUSY || error == EWOULDBLOCK ? OpenFailure::Busy : OpenFailure::Other;
        return invalidPortHandle;
    };
    // Non-blocking, so that a port waiting for carrier cannot hang the open;
    // read and write wait with poll instead.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return failed(errno);

    // The lock first: TIOCEXCL marks the tty itself, and a refused opener
    // must not leave that mark on a port that another program holds. Root
    // passes TIOCEXCL, so the lock is what keeps a second instance out.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    dropModemLines(fd);
    requestLowLatency(fd);
    readTimeouts[fd] = ReadTimeouts{};
    return fd;
}

bool LinuxSerialPlatform::getLineSettings(PortHandle port, LineSettings& settings)
{
    termios2::LineState state;
    if (!termios2::readLineState(descriptorOf(port), state))
        return false;
    settings.baudRate = state.outputSpeed;
    if (state.stickParity)
        settings.parity = state.parityOdd ? Parity::Mark : Parity::Space;
    else if (state.parityEnabled)
        settings.parity = state.parityOdd ? Parity::Odd : Parity::Even;
    else
        settings.parity = Parity::None;
    return true;
}

bool LinuxSerialPlatform::setLineSettings(PortHandle port, const LineSettings& settings)
{
    return termios2::applyRawLine(descriptorOf(port), settings.baudRate, settings.parity);
}

bool LinuxSerialPlatform::setReadTimeouts(PortHandle port, const ReadTimeouts& timeouts)
{
    if (!isOpenDescriptor(descriptorOf(port)))
        return false;
    readTimeouts[port] = timeouts;
    return true;
}

bool LinuxSerialPlatform::purge(PortHandle port, Purge what)
{
    const int queue = what == Purge::Input ? TCIFLUSH : TCIOFLUSH;
    return ::tcflush(descriptorOf(port), queue) == 0;
}

bool LinuxSerialPlatform::write(PortHandle port, const std::uint8_t* data, std::size_t size,
                                std::size_t& written)
{
    written = 0;
    const int fd = descriptorOf(port);
    if (!isOpenDescriptor(fd))
        return false;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Writes have no time-out: wait as long as the driver needs.
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, -1);
            if (ready < 0 && errno != EINTR)
                return false;
            if (ready > 0 && (p.revents & pollFailure) != 0)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

bool LinuxSerialPlatform::drain(PortHandle port)
{
    const int fd = descriptorOf(port);
    for (;;) {
        if (::tcdrain(fd) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

bool LinuxSerialPlatform::read(PortHandle port, std::uint8_t* data, std::size_t size,
                               std::size_t& received)
{
    received = 0;
    const int fd = descriptorOf(port);
    if (!isOpenDescriptor(fd))
        return false;
    if (size == 0)
        return true;

    const auto found = readTimeouts.find(port);
    const ReadTimeouts timeouts = found != readTimeouts.end() ? found->second : ReadTimeouts{};
    const bool atOnce = timeouts.intervalMs == ReadTimeouts::returnAtOnce && timeouts.totalConstantMs == 0
        && timeouts.totalMultiplierMs == 0;
    const std::uint64_t totalMs = static_cast<std::uint64_t>(timeouts.totalConstantMs)
        + static_cast<std::uint64_t>(timeouts.totalMultiplierMs) * size;
    const bool hasDeadline = atOnce || totalMs > 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(atOnce ? 0 : totalMs);
    const bool useInterval = !atOnce && timeouts.intervalMs != 0 && timeouts.intervalMs != ReadTimeouts::returnAtOnce;
    const auto interval = std::chrono::milliseconds(timeouts.intervalMs);
    Clock::time_point lastByteAt;

    while (received < size) {
        bool bounded = hasDeadline;
        Clock::time_point until = deadline;
        if (useInterval && received > 0) {
            const Clock::time_point gapEnd = lastByteAt + interval;
            if (!bounded || gapEnd < until)
                until = gapEnd;
            bounded = true;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, bounded ? msUntil(until) : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (ready == 0)
            break;
        if ((p.revents & pollFailure) != 0)
            return false;
        const ssize_t n = ::read(fd, data + received, size - received);
        if (n > 0) {
            received += static_cast<std::size_t>(n);
            lastByteAt = Clock::now();
            continue;
        }
        // Readable yet empty is how an unplugged USB adapter shows itself.
        if (n == 0)
            return false;
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
    }
    return true;
}

void LinuxSerialPlatform::sleepMs(std::uint32_t ms)
{
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool LinuxSerialPlatform::close(PortHandle port)
{
    const int fd = descriptorOf(port);
    if (!isOpenDescriptor(fd))
        return false;
    readTimeouts.erase(port);
    // The exclusive mark belongs to the tty, not to the descriptor, and a
    // pseudo-terminal's slave outlives this close while its master is open.
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    // Linux releases the descriptor even when close reports EINTR.
    return ::close(fd) == 0 || errno == EINTR;
}

std::vector<std::string> LinuxSerialPlatform::serialPortNames()
{
    std::vector<std::string> names;
    for (const TtyPort& port : scanTtys(sysfsRoot))
        names.push_back(port.name);
    sortPortNames(names);
    return names;
}

std::vector<std::string> LinuxSerialPlatform::converterPortNames()
{
    std::vector<std::string> names;
    for (const TtyPort& port : scanTtys(sysfsRoot)) {
        if (port.driver == "ftdi_sio")
            names.push_back(port.name);
    }
    sortPortNames(names);
    return names;
}

} // namespace rs485
