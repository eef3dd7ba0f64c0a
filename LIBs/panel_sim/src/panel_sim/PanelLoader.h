#pragma once

#include <panel_sim/Exchange.h>
#include <panel_sim/Fault.h>
#include <panel_sim/PanelMemory.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace panel_sim {

// What the loader does in reply to one command.
struct LoaderReply {
    enum class PortFault { None, FailWrite, FailRead, FailPort, HangUp };

    std::vector<std::uint8_t> bytes; // the answer as it goes on the line (may be empty)
    PortFault portFault = PortFault::None;
};

// The panel's loader, independent of how commands reach it: answers framed
// commands from the panel's memory, keeps an exchange log and applies
// scripted or random faults. Thread-safe, so a transport may serve it from
// its own thread while a test reads the log.
//
// Answers: status 0xA0 with the data for a good command, 0xA1 for a wrong
// command checksum, 0xA2 for an address outside the modelled regions, each
// followed by the CRC-16 low byte first.
// - ReadPage: the address must lie in a region and on a page boundary from
//   the region's start; bytes past the region's end read 0xFF.
// - RangeChecksum: the 32-bit sum of the bytes of the range (same rules:
//   start in a region, bytes past its end count as 0xFF).
// - SetSpeed: the loader answers at the current speed, then listens at
//   691200 / (divisor + 1) baud (1 -> 345600, 35 -> 19200).
class PanelLoader {
public:
    static constexpr std::uint32_t initialSpeed = 19200;

    explicit PanelLoader(PanelMemory memory = {});

    // Memory: change it only while no transport is serving from a thread.
    PanelMemory& memory() { return panelMemory; }
    const PanelMemory& memory() const { return panelMemory; }
    void setMemory(const PanelMemory& memory);

    // The information block: version 0x12, page size 256, type "Q-QRV"
    // unless changed. A raw block replaces the composed one as given (any
    // length, so the client's handling of odd blocks can be tried).
    void setLoaderVersion(std::uint8_t version);
    void setPageSize(std::uint16_t size);
    void setDeviceType(const std::string& type);
    void setRawInfoBlock(const std::vector<std::uint8_t>& block);
    std::vector<std::uint8_t> infoBlock() const;
    // A RangeChecksum of exactly this range answers `value` instead of the
    // sum, so a replayed panel gives the checksums its own loader gave.
    void setRangeChecksum(int space, std::uint32_t address, std::uint32_t length, std::uint32_t value);
    std::uint16_t pageSize() const;

    // Faults. Scripted rules are checked in the order added; the first that
    // matches applies. With random faults on, a command that no rule matches
    // gets, with the given probability, one of Silent, StatusOnly, Truncate,
    // FlipBit or a refusal (never a port fault), drawn from the seed.
    void addFault(const FaultRule& rule);
    void clearFaults();
    void setRandomFaults(std::uint32_t seed, double probability);
    void disableRandomFaults();

    // Line speed: the baud rate the loader listens at, and what it was asked for.
    std::uint32_t lineSpeed() const;
    void setLineSpeed(std::uint32_t baud);
    // Every divisor received in a SetSpeed that was acted on, in order.
    std::vector<int> speedDivisors() const;
    // The speed the last acted-on SetSpeed asked for; 0 before any.
    std::uint32_t requestedSpeed() const;
    static std::uint32_t speedForDivisor(int divisor);

    // Exchange numbers (and the counts that fault rules use) run on across
    // clearLog.
    std::vector<Exchange> log() const;
    std::size_t commandCount() const;
    void clearLog();

    // A complete command as framed by a transport. baudRate is the speed it
    // arrived at (0 where the transport has none); skippedBefore the bytes
    // the framer skipped before it.
    LoaderReply handle(const std::vector<std::uint8_t>& frame, std::uint32_t baudRate,
                       std::size_t skippedBefore);

private:
    struct Answer {
        std::uint8_t status;
        std::vector<std::uint8_t> data;
    };

    Answer answer(Exchange& exchange);
    std::vector<std::uint8_t> composeInfo() const;
    const std::vector<std::uint8_t>* region(int space, std::uint32_t address,
                                            std::uint32_t& start) const;
    std::optional<Fault> pickFault(const Exchange& exchange);
    Fault randomFault();
    int countOf(CommandKind kind) const;

    mutable std::mutex mutex;
    PanelMemory panelMemory;
    std::uint8_t loaderVersion = 0x12;
    std::uint16_t pageBytes = 256;
    std::string deviceType = "Q-QRV";
    std::optional<std::vector<std::uint8_t>> rawInfo;
    struct RecordedChecksum {
        int space;
        std::uint32_t address;
        std::uint32_t length;
        std::uint32_t value;
    };
    std::vector<RecordedChecksum> recordedChecksums;

    std::vector<FaultRule> rules;
    bool randomOn = false;
    double randomProbability = 0.0;
    std::mt19937 random;

    std::uint32_t speed = initialSpeed;
    std::vector<int> divisors;
    std::vector<Exchange> exchanges;
    std::size_t received = 0;
    int kindCounts[4] = {};
    std::vector<std::uint8_t> lastFrame;
    bool lastClean = true;
    int lastAttempt = 0;
};

} // namespace panel_sim
