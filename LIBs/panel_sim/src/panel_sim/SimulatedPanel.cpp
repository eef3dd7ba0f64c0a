#include <panel_sim/SimulatedPanel.h>

#include <bitset>
#include <cmath>

namespace panel_sim {

namespace {

using rs485::Parity;
using rs485::testing::FakeSerialPlatform;

// Start bit, eight data bits, the ninth bit, stop bit.
constexpr double bitsPerCharacter = 11.0;

// The ninth bit as the receiving UART sees it, or nothing when the
// character has no ninth bit at all (no parity: a ten-bit character).
bool ninthBitOf(std::uint8_t byte, Parity parity, bool& ninth)
{
    const bool odd = std::bitset<8>(byte).count() % 2 != 0;
    switch (parity) {
    case Parity::Mark: ninth = true; return true;
    case Parity::Space: ninth = false; return true;
    case Parity::Even: ninth = odd; return true;
    case Parity::Odd: ninth = !odd; return true;
    case Parity::None: break;
    }
    return false;
}

} // namespace

SimulatedPanel::SimulatedPanel(PanelMemory memory) : panelLoader(std::move(memory)) {}

SimulatedPanel::SimulatedPanel(FakeSerialPlatform& line, PanelMemory memory)
    : panelLoader(std::move(memory))
{
    attach(line);
}

SimulatedPanel::~SimulatedPanel()
{
    detach();
}

void SimulatedPanel::attach(FakeSerialPlatform& line)
{
    detach();
    line.setPeer(this);
    attached = &line;
}

void SimulatedPanel::detach()
{
    if (attached)
        attached->setPeer(nullptr);
    attached = nullptr;
}

void SimulatedPanel::onWrite(FakeSerialPlatform& line, const std::vector<std::uint8_t>& bytes,
                             Parity parity, std::uint32_t baudRate)
{
    const double charMs = baudRate > 0 ? bitsPerCharacter * 1000.0 / baudRate : 0.0;
    const bool sameSpeed = baudRate == panelLoader.lineSpeed();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bool ninth = false;
        if (!sameSpeed || !ninthBitOf(bytes[i], parity, ninth)) {
            framer.garble();
            continue;
        }
        const std::optional<CommandFramer::Frame> frame = framer.feed(bytes[i], ninth);
        if (!frame)
            continue;
        const LoaderReply reply = panelLoader.handle(frame->bytes, baudRate, frame->skippedBefore);
        answer(line, reply, static_cast<double>(i + 1) * charMs, charMs);
    }
}

void SimulatedPanel::answer(FakeSerialPlatform& line, const LoaderReply& reply,
                            double commandEndMs, double charMs)
{
    using Kind = FakeSerialPlatform::Kind;
    switch (reply.portFault) {
    case LoaderReply::PortFault::None:
        break;
    case LoaderReply::PortFault::FailWrite:
        line.setFailure(Kind::Write, true);
        break;
    case LoaderReply::PortFault::FailRead:
        line.setFailure(Kind::Read, true);
        break;
    case LoaderReply::PortFault::FailPort:
    case LoaderReply::PortFault::HangUp:
        line.setFailure(Kind::Write, true);
        line.setFailure(Kind::Read, true);
        break;
    }
    // Each character is there once its last bit has arrived; the clock
    // counts whole milliseconds, so round up.
    for (std::size_t k = 0; k < reply.bytes.size(); ++k) {
        const double at = commandEndMs + turnaroundMs + static_cast<double>(k + 1) * charMs;
        line.deliver({reply.bytes[k]}, static_cast<std::int64_t>(std::ceil(at)));
    }
}

} // namespace panel_sim
