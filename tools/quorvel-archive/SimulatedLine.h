#pragma once

#include <panel_sim/PanelMemory.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <string>

namespace quorvel_archive {

// A panel on the test double's line: the whole stack above the platform
// interface runs as with a real port, on a virtual clock, so a read takes
// no real time.
class SimulatedLine {
public:
    explicit SimulatedLine(panel_sim::PanelMemory memory);

    rs485::testing::FakeSerialPlatform& platform() { return line; }
    panel_sim::SimulatedPanel& panel() { return simulated; }
    static std::string portName() { return "COM1"; }

private:
    // The panel detaches from the line, so it goes first.
    rs485::testing::FakeSerialPlatform line;
    panel_sim::SimulatedPanel simulated;
};

// The demo panel's memory: named section panels and devices, custom event
// tables, commands and a mix of every kind of event.
panel_sim::PanelMemory demoPanelMemory();

} // namespace quorvel_archive
