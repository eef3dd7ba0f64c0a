#pragma once

#include <panel_sim/Fault.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace soak {

// A fault rule numbered from the start of one read: `first` counts the
// commands of its kind (or all commands) that the panel receives in it.
struct PlannedFault {
    panel_sim::Fault fault;
    panel_sim::CommandKind command = panel_sim::CommandKind::Any;
    int first = 1;
    int count = 1;
};

// What one read of the panel must come to under a fault plan, worked out
// from the loader's exchange rules alone: three attempts per command, the
// wake-up block after a silent first one, a lost converter ending the
// exchange at once, and the facade's order of commands with its speed
// switches around them. It also tracks the port and the panel's line speed,
// which faults change for everything after them.
class ReadModel {
public:
    ReadModel(std::vector<PlannedFault> plan, bool turbo);

    // Plays the read. Returns the ConfiguratorError code it must end in, or
    // nothing for a read that must succeed.
    std::optional<std::uint32_t> run();

    // Commands the panel received during the read.
    int exchanges() const { return received; }
    // Whether the panel is left listening at the fast speed.
    bool panelLeftFast() const { return panelBaud != normalBaud; }

    static constexpr std::uint32_t normalBaud = 19200;
    static constexpr std::uint32_t fastBaud = 345600;

private:
    // The loader code a command ends in, or nothing when it succeeds.
    std::optional<int> command(panel_sim::CommandKind kind, std::uint32_t switchesTo = 0);
    std::optional<int> attempt(panel_sim::CommandKind kind, std::uint32_t switchesTo);
    std::optional<panel_sim::Fault> faultFor(panel_sim::CommandKind kind) const;
    void leaveTurbo();

    std::vector<PlannedFault> plan;
    bool turbo;
    int received = 0;
    int receivedOf[4] = {};
    bool writeFails = false;
    bool readFails = false;
    std::uint32_t clientBaud = normalBaud;
    std::uint32_t panelBaud = normalBaud;
};

// The answer's length on the line for a command kind: status, data, checksum.
int answerLength(panel_sim::CommandKind kind);

} // namespace soak
