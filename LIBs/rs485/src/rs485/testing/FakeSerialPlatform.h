#pragma once

#include <rs485/SerialPlatform.h>

#include <cstdint>
#include <deque>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace rs485::testing {

class FakeSerialPlatform;

// Something on the far side of the fake line (a simulated panel). It sees
// every write with the parity and baud rate in force and answers by
// scheduling bytes with FakeSerialPlatform::deliver.
class SerialPeer {
public:
    virtual ~SerialPeer() = default;
    virtual void onWrite(FakeSerialPlatform& line, const std::vector<std::uint8_t>& bytes,
                         Parity parity, std::uint32_t baudRate) = 0;
};

// One recorded platform call.
struct PlatformCall {
    enum class Kind { Open, GetLine, SetLine, SetTimeouts, Purge, Write, Drain, Read, Sleep, Close };
    Kind kind;
    std::int64_t atMs = 0;              // virtual time when the call began
    std::string portName;               // Open
    LineSettings line;                  // SetLine, and GetLine's result
    ReadTimeouts timeouts;              // SetTimeouts
    Purge purge = Purge::Input;         // Purge
    std::vector<std::uint8_t> data;     // Write: bytes written; Read: bytes delivered
    Parity parity = Parity::Space;      // Write: parity in force
    std::uint32_t baudRate = 0;         // Write: baud rate in force
    std::size_t requested = 0;          // Read: bytes asked for
    std::uint32_t ms = 0;               // Sleep
    bool ok = true;                     // what the call returned
};

// A scriptable serial platform on a virtual clock: records every call, serves
// scheduled input under the read time-out rules, and never really sleeps.
class FakeSerialPlatform : public SerialPlatform {
public:
    using Kind = PlatformCall::Kind;

    FakeSerialPlatform();

    // SerialPlatform
    PortHandle openExclusive(const std::string& portName) override;
    OpenFailure lastOpenFailure() const override { return openFailure; }
    bool getLineSettings(PortHandle port, LineSettings& settings) override;
    bool setLineSettings(PortHandle port, const LineSettings& settings) override;
    bool setReadTimeouts(PortHandle port, const ReadTimeouts& timeouts) override;
    bool purge(PortHandle port, Purge what) override;
    bool write(PortHandle port, const std::uint8_t* data, std::size_t size,
               std::size_t& written) override;
    bool drain(PortHandle port) override;
    bool read(PortHandle port, std::uint8_t* data, std::size_t size,
              std::size_t& received) override;
    void sleepMs(std::uint32_t ms) override;
    bool close(PortHandle port) override;
    std::vector<std::string> serialPortNames() override;
    std::vector<std::string> converterPortNames() override;

    // Virtual clock.
    std::int64_t nowMs() const { return now; }
    void advanceMs(std::int64_t ms) { now += ms; }

    // Schedules input: the first byte arrives delayMs from now, each further
    // byte gapMs after the one before it.
    void deliver(const std::vector<std::uint8_t>& bytes, std::int64_t delayMs = 0,
                 std::int64_t gapMs = 0);
    std::size_t pendingInput() const { return input.size(); }

    void setPeer(SerialPeer* peer) { this->peer = peer; }

    // Ports that exist (open of any other name fails); both lists are
    // returned sorted, as a real lister does.
    std::set<std::string> existingPorts{"COM1"};
    // Ports that exist but another program holds.
    std::set<std::string> busyPorts;
    std::vector<std::string> serialPorts;
    std::vector<std::string> converterPorts;

    // Faults: an operation of the given kind fails while its flag is set.
    void setFailure(Kind kind, bool fail);
    bool failing(Kind kind) const;

    const std::vector<PlatformCall>& calls() const { return log; }
    std::vector<PlatformCall> callsOf(Kind kind) const;
    void clearCalls() { log.clear(); }

    // State of the open port as the system holds it.
    bool isOpen() const { return openHandle != invalidPortHandle; }
    LineSettings currentLine() const { return line; }
    // A driver that reports a parity of its own (none, odd, even).
    void setCurrentParity(Parity parity) { line.parity = parity; }
    ReadTimeouts currentTimeouts() const { return timeouts; }
    int openCount() const { return opens; }

private:
    struct Arrival {
        std::int64_t atMs;
        std::uint8_t byte;
    };

    bool check(PortHandle port) const { return port != invalidPortHandle && port == openHandle; }
    PlatformCall& record(Kind kind);

    std::int64_t now = 0;
    std::deque<Arrival> input;
    SerialPeer* peer = nullptr;
    PortHandle openHandle = invalidPortHandle;
    PortHandle nextHandle = 3;
    int opens = 0;
    OpenFailure openFailure = OpenFailure::Other;
    LineSettings line;
    ReadTimeouts timeouts;
    std::set<Kind> failures;
    std::vector<PlatformCall> log;
};

} // namespace rs485::testing
