#include <rs485/testing/FakeSerialPlatform.h>

#include <algorithm>

namespace rs485::testing {

FakeSerialPlatform::FakeSerialPlatform() = default;

PlatformCall& FakeSerialPlatform::record(Kind kind)
{
    PlatformCall call;
    call.kind = kind;
    call.atMs = now;
    log.push_back(call);
    return log.back();
}

void FakeSerialPlatform::setFailure(Kind kind, bool fail)
{
    if (fail)
        failures.insert(kind);
    else
        failures.erase(kind);
}

bool FakeSerialPlatform::failing(Kind kind) const
{
    return failures.count(kind) != 0;
}

std::vector<PlatformCall> FakeSerialPlatform::callsOf(Kind kind) const
{
    std::vector<PlatformCall> result;
    std::copy_if(log.begin(), log.end(), std::back_inserter(result),
                 [kind](const PlatformCall& c) { return c.kind == kind; });
    return result;
}

PortHandle FakeSerialPlatform::openExclusive(const std::string& portName)
{
    PlatformCall& call = record(Kind::Open);
    call.portName = portName;
    openFailure = busyPorts.count(portName) != 0 ? OpenFailure::Busy : OpenFailure::Other;
    if (failing(Kind::Open) || isOpen() || existingPorts.count(portName) == 0 || busyPorts.count(portName) != 0) {
        call.ok = false;
        return invalidPortHandle;
    }
    openHandle = nextHandle++;
    ++opens;
    line = LineSettings{};
    input.clear();
    return openHandle;
}

bool FakeSerialPlatform::getLineSettings(PortHandle port, LineSettings& settings)
{
    PlatformCall& call = record(Kind::GetLine);
    call.ok = check(port) && !failing(Kind::GetLine);
    if (call.ok)
        settings = line;
    call.line = settings;
    return call.ok;
}

bool FakeSerialPlatform::setLineSettings(PortHandle port, const LineSettings& settings)
{
    PlatformCall& call = record(Kind::SetLine);
    call.line = settings;
    call.ok = check(port) && !failing(Kind::SetLine);
    if (call.ok)
        line = settings;
    return call.ok;
}

bool FakeSerialPlatform::setReadTimeouts(PortHandle port, const ReadTimeouts& value)
{
    PlatformCall& call = record(Kind::SetTimeouts);
    call.timeouts = value;
    call.ok = check(port) && !failing(Kind::SetTimeouts);
    if (call.ok)
        timeouts = value;
    return call.ok;
}

bool FakeSerialPlatform::purge(PortHandle port, Purge what)
{
    PlatformCall& call = record(Kind::Purge);
    call.purge = what;
    call.ok = check(port) && !failing(Kind::Purge);
    if (call.ok) {
        // Only what has already arrived is discarded.
        while (!input.empty() && input.front().atMs <= now)
            input.pop_front();
    }
    return call.ok;
}

bool FakeSerialPlatform::write(PortHandle port, const std::uint8_t* data, std::size_t size,
                               std::size_t& written)
{
    PlatformCall& call = record(Kind::Write);
    call.data.assign(data, data + size);
    call.parity = line.parity;
    call.baudRate = line.baudRate;
    call.ok = check(port) && !failing(Kind::Write);
    written = call.ok ? size : 0;
    if (!call.ok)
        return false;
    // The peer may record calls of its own (faults), so copy what it needs
    // before the log can grow.
    const std::vector<std::uint8_t> bytes = call.data;
    const Parity parity = line.parity;
    const std::uint32_t baud = line.baudRate;
    if (peer)
        peer->onWrite(*this, bytes, parity, baud);
    return true;
}

bool FakeSerialPlatform::drain(PortHandle port)
{
    PlatformCall& call = record(Kind::Drain);
    call.ok = check(port) && !failing(Kind::Drain);
    return call.ok;
}

bool FakeSerialPlatform::read(PortHandle port, std::uint8_t* data, std::size_t size,
                              std::size_t& received)
{
    const std::size_t index = log.size();
    record(Kind::Read).requested = size;
    received = 0;
    if (!check(port) || failing(Kind::Read)) {
        log[index].ok = false;
        return false;
    }

    constexpr std::int64_t forever = std::numeric_limits<std::int64_t>::max() / 4;
    const bool atOnce = timeouts.intervalMs == ReadTimeouts::returnAtOnce
        && timeouts.totalConstantMs == 0 && timeouts.totalMultiplierMs == 0;
    const std::int64_t total = static_cast<std::int64_t>(timeouts.totalConstantMs)
        + static_cast<std::int64_t>(timeouts.totalMultiplierMs) * static_cast<std::int64_t>(size);
    const std::int64_t deadline = atOnce ? now : (total > 0 ? now + total : forever);
    const bool useInterval = !atOnce && timeouts.intervalMs != 0
        && timeouts.intervalMs != ReadTimeouts::returnAtOnce;
    std::int64_t lastByteAt = now;

    while (received < size) {
        if (!input.empty() && input.front().atMs <= now) {
            lastByteAt = std::max(lastByteAt, input.front().atMs);
            data[received++] = input.front().byte;
            input.pop_front();
            continue;
        }
        std::int64_t limit = deadline;
        if (useInterval && received > 0)
            limit = std::min(limit, lastByteAt + static_cast<std::int64_t>(timeouts.intervalMs));
        if (!input.empty() && input.front().atMs <= limit) {
            now = input.front().atMs;
            continue;
        }
        if (limit != forever)
            now = std::max(now, limit);
        break;
    }
    log[index].data.assign(data, data + received);
    return true;
}

void FakeSerialPlatform::sleepMs(std::uint32_t ms)
{
    record(Kind::Sleep).ms = ms;
    now += ms;
}

bool FakeSerialPlatform::close(PortHandle port)
{
    PlatformCall& call = record(Kind::Close);
    call.ok = check(port) && !failing(Kind::Close);
    if (call.ok) {
        openHandle = invalidPortHandle;
        input.clear();
    }
    return call.ok;
}

std::vector<std::string> FakeSerialPlatform::serialPortNames()
{
    std::vector<std::string> names = serialPorts;
    sortPortNames(names);
    return names;
}

std::vector<std::string> FakeSerialPlatform::converterPortNames()
{
    std::vector<std::string> names = converterPorts;
    sortPortNames(names);
    return names;
}

void FakeSerialPlatform::deliver(const std::vector<std::uint8_t>& bytes, std::int64_t delayMs,
                                 std::int64_t gapMs)
{
    std::int64_t at = now + delayMs;
    if (!input.empty())
        at = std::max(at, input.back().atMs);
    for (const std::uint8_t b : bytes) {
        input.push_back(Arrival{at, b});
        at += gapMs;
    }
}

} // namespace rs485::testing
