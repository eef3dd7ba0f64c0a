#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace panel_sim {

// Cuts the loader's input into commands. On the RS-485 line a command starts
// with the only character whose ninth bit is 1; over a pseudo-terminal,
// which carries no ninth bit, it starts with a command code. Either way the
// code fixes the length. Bytes outside a command (the wake-up zeros,
// garbage) are skipped and counted.
class CommandFramer {
public:
    enum class Mode { NinthBit, CodeByte };

    struct Frame {
        std::vector<std::uint8_t> bytes;
        std::size_t skippedBefore = 0; // bytes skipped since the previous command
    };

    explicit CommandFramer(Mode mode) : mode(mode) {}

    // Returns a command when this character completes one.
    std::optional<Frame> feed(std::uint8_t byte, bool ninthBit = false);
    // A character the loader could not receive properly: the command in
    // progress is lost.
    void garble();

    // Characters in a command with this code, 0 for a code not understood.
    static std::size_t commandLength(std::uint8_t code);

private:
    void drop();

    Mode mode;
    std::vector<std::uint8_t> partial;
    std::size_t expected = 0;
    std::size_t skipped = 0;
};

} // namespace panel_sim
