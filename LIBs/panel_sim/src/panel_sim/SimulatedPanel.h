#pragma once

#include <panel_sim/CommandFramer.h>
#include <panel_sim/PanelLoader.h>
#include <panel_sim/PanelMemory.h>

#include <rs485/testing/FakeSerialPlatform.h>

#include <cstdint>
#include <vector>

namespace panel_sim {

// The panel's loader on the far side of a FakeSerialPlatform. It rebuilds
// the nine-bit characters from the parity of each write (mark = 1), frames
// commands by the ninth bit and answers on the test double's virtual clock:
// the answer starts when the command has been transmitted plus a turn-around
// time and runs at the line's character rate, so it lands while the client
// sleeps after its write and waits in the input for the client's read.
// Writes at a baud rate other than the loader's are garbage to it.
class SimulatedPanel : public rs485::testing::SerialPeer {
public:
    explicit SimulatedPanel(PanelMemory memory = {});
    // Attaches at once; the panel must be destroyed before the line.
    explicit SimulatedPanel(rs485::testing::FakeSerialPlatform& line, PanelMemory memory = {});
    ~SimulatedPanel() override;

    SimulatedPanel(const SimulatedPanel&) = delete;
    SimulatedPanel& operator=(const SimulatedPanel&) = delete;

    void attach(rs485::testing::FakeSerialPlatform& line);
    void detach();

    PanelLoader& loader() { return panelLoader; }
    const PanelLoader& loader() const { return panelLoader; }

    // Shortcuts to the loader.
    PanelMemory& memory() { return panelLoader.memory(); }
    void addFault(const FaultRule& rule) { panelLoader.addFault(rule); }
    std::vector<Exchange> log() const { return panelLoader.log(); }

    // Time from the end of a command to the answer's first character (default 1 ms).
    void setTurnaroundMs(double ms) { turnaroundMs = ms; }

    void onWrite(rs485::testing::FakeSerialPlatform& line, const std::vector<std::uint8_t>& bytes,
                 rs485::Parity parity, std::uint32_t baudRate) override;

private:
    void answer(rs485::testing::FakeSerialPlatform& line, const LoaderReply& reply,
                double commandEndMs, double charMs);

    PanelLoader panelLoader;
    CommandFramer framer{CommandFramer::Mode::NinthBit};
    rs485::testing::FakeSerialPlatform* attached = nullptr;
    double turnaroundMs = 1.0;
};

} // namespace panel_sim
