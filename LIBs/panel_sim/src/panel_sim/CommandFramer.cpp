#include <panel_sim/CommandFramer.h>

namespace panel_sim {

std::size_t CommandFramer::commandLength(std::uint8_t code)
{
    switch (code) {
    case 0xF1: return 3; // ReadInfo
    case 0xF2: return 6; // ReadPage
    case 0xF5: return 4; // SetSpeed
    case 0xF6: return 8; // RangeChecksum
    default: return 0;
    }
}

void CommandFramer::drop()
{
    skipped += partial.size();
    partial.clear();
    expected = 0;
}

void CommandFramer::garble()
{
    drop();
    ++skipped;
}

std::optional<CommandFramer::Frame> CommandFramer::feed(std::uint8_t byte, bool ninthBit)
{
    const bool inCommand = expected != 0;
    const bool starts = mode == Mode::NinthBit ? ninthBit : (!inCommand && commandLength(byte) != 0);

    if (starts) {
        // A new start character abandons whatever came before it.
        drop();
        expected = commandLength(byte);
        if (expected == 0) {
            ++skipped;
            return std::nullopt;
        }
        partial.push_back(byte);
        return std::nullopt;
    }
    if (!inCommand) {
        ++skipped;
        return std::nullopt;
    }
    partial.push_back(byte);
    if (partial.size() < expected)
        return std::nullopt;

    Frame frame;
    frame.bytes.swap(partial);
    frame.skippedBefore = skipped;
    skipped = 0;
    expected = 0;
    return frame;
}

} // namespace panel_sim
