#pragma once

#include <panel_sim/Fault.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace panel_sim {

// One command as the simulated loader received it and what it did about it.
struct Exchange {
    std::size_t sequence = 0;        // exchange number: 1-based count of commands received
    CommandKind kind = CommandKind::Any;
    std::vector<std::uint8_t> frame; // the command's bytes, code first
    bool checksumValid = false;
    int space = 0;                   // ReadPage, RangeChecksum
    std::uint32_t address = 0;       // ReadPage, RangeChecksum (bits 0-22)
    std::uint32_t length = 0;        // RangeChecksum
    int divisor = -1;                // SetSpeed
    std::uint32_t baudRate = 0;      // line speed it arrived at; 0 over a pty
    std::size_t skippedBefore = 0;   // bytes outside commands since the previous one
    int attempt = 1;                 // 1 + number of failed identical commands just before
    std::uint8_t status = 0;         // status the loader answered with, before any fault
    std::optional<Fault> fault;      // the fault applied to this exchange
};

} // namespace panel_sim
