#include <rs485/RS485Connection.h>

#include <rs485/SerialPlatform.h>

namespace rs485 {

namespace {
// One character on the line is 11 bit times: start, 8 data, parity as the
// ninth bit, stop.
constexpr float bitsPerCharacter = 11000.0f;
constexpr std::uint32_t openIntervalTimeoutMs = 10;
} // namespace

struct RS485Connection::State {
    explicit State(SerialPlatform& p) : platform(p) {}

    SerialPlatform& platform;
    PortHandle handle = invalidPortHandle;
    std::int32_t readTimeoutMs = 200;
    float charTimeMs = 0.0f;
    OpenFailure openFailure = OpenFailure::Other;

    bool isOpen() const { return handle != invalidPortHandle; }
};

RS485Connection::RS485Connection() : RS485Connection(nativeSerialPlatform()) {}

RS485Connection::RS485Connection(SerialPlatform& platform) : state(std::make_unique<State>(platform)) {}

RS485Connection::~RS485Connection()
{
    if (state->isOpen())
        close();
}

SerialPlatform& RS485Connection::platform() const
{
    return state->platform;
}

bool RS485Connection::isOpen() const
{
    return state->isOpen();
}

bool RS485Connection::open(const std::string& portName, int baudRate)
{
    State& s = *state;
    s.handle = s.platform.openExclusive(portName);
    s.openFailure = s.isOpen() ? OpenFailure::Other : s.platform.lastOpenFailure();
    if (!s.isOpen())
        return false;

    s.charTimeMs = bitsPerCharacter / static_cast<float>(baudRate);

    auto fail = [&s] {
        if (s.platform.close(s.handle))
            s.handle = invalidPortHandle;
        return false;
    };

    LineSettings settings;
    settings.baudRate = static_cast<std::uint32_t>(baudRate);
    settings.parity = Parity::Space;
    if (!s.platform.setLineSettings(s.handle, settings))
        return fail();

    ReadTimeouts timeouts;
    timeouts.intervalMs = openIntervalTimeoutMs;
    timeouts.totalConstantMs = static_cast<std::uint32_t>(s.readTimeoutMs);
    if (!s.platform.setReadTimeouts(s.handle, timeouts))
        return fail();

    s.platform.purge(s.handle, Purge::InputAndOutput);
    return true;
}

OpenFailure RS485Connection::openFailure() const
{
    return state->openFailure;
}

bool RS485Connection::close()
{
    State& s = *state;
    if (!s.platform.close(s.handle))
        return false;
    s.handle = invalidPortHandle;
    ninthBit = false;
    return true;
}

void RS485Connection::setBaudRate(int baud)
{
    State& s = *state;
    if (!s.isOpen())
        return;
    LineSettings settings;
    if (!s.platform.getLineSettings(s.handle, settings))
        return;
    settings.baudRate = static_cast<std::uint32_t>(baud);
    s.platform.setLineSettings(s.handle, settings);
    s.charTimeMs = bitsPerCharacter / static_cast<float>(baud);
}

void RS485Connection::setReadTimeout(int milliseconds)
{
    State& s = *state;
    s.readTimeoutMs = milliseconds;
    if (!s.isOpen())
        return;
    ReadTimeouts timeouts;
    if (milliseconds == 0)
        timeouts.intervalMs = ReadTimeouts::returnAtOnce;
    else
        timeouts.totalConstantMs = static_cast<std::uint32_t>(milliseconds);
    s.platform.setReadTimeouts(s.handle, timeouts);
}

int RS485Connection::readTimeout() const
{
    return state->readTimeoutMs;
}

void RS485Connection::setNinthBit(bool bit)
{
    if (bit == ninthBit)
        return;
    State& s = *state;
    if (s.isOpen()) {
        LineSettings settings;
        if (s.platform.getLineSettings(s.handle, settings)) {
            if (bit && settings.parity == Parity::Space) {
                settings.parity = Parity::Mark;
                s.platform.setLineSettings(s.handle, settings);
            } else if (!bit && settings.parity == Parity::Mark) {
                settings.parity = Parity::Space;
                s.platform.setLineSettings(s.handle, settings);
            }
        }
    }
    ninthBit = bit;
}

int RS485Connection::write(const std::uint8_t* data, int size)
{
    State& s = *state;
    if (!s.isOpen())
        return 0;
    // Whatever the device sent before this write is stale.
    s.platform.purge(s.handle, Purge::Input);

    std::size_t written = 0;
    const std::size_t count = size > 0 ? static_cast<std::size_t>(size) : 0;
    if (!s.platform.write(s.handle, data, count, written))
        throw DisconnectException();
    s.platform.drain(s.handle);

    // The RS-485 driver turns the line around only after the last character
    // has left the UART, and the loader answers only after that: wait for the
    // transmit time plus a margin before the caller starts reading.
    const float sleep = static_cast<float>(size) * s.charTimeMs + 10.0f;
    s.platform.sleepMs(static_cast<std::uint32_t>(sleep));
    return static_cast<int>(written);
}

int RS485Connection::read(std::uint8_t* data, int size)
{
    State& s = *state;
    if (!s.isOpen() || size <= 0)
        return 0;
    std::size_t total = 0;
    const std::size_t wanted = static_cast<std::size_t>(size);
    while (total < wanted) {
        std::size_t received = 0;
        if (!s.platform.read(s.handle, data + total, wanted - total, received))
            throw DisconnectException();
        if (received == 0)
            break;
        total += received;
    }
    return static_cast<int>(total);
}

std::vector<std::string> RS485Connection::serialPortNames()
{
    return serialPortNames(nativeSerialPlatform());
}

std::vector<std::string> RS485Connection::converterPortNames()
{
    return converterPortNames(nativeSerialPlatform());
}

std::vector<std::string> RS485Connection::serialPortNames(SerialPlatform& platform)
{
    return platform.serialPortNames();
}

std::vector<std::string> RS485Connection::converterPortNames(SerialPlatform& platform)
{
    return platform.converterPortNames();
}

} // namespace rs485
