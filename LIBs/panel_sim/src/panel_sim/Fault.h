#pragma once

#include <cstddef>
#include <cstdint>

namespace panel_sim {

// The commands the simulated loader understands; Any matches each of them
// in fault rules.
enum class CommandKind { ReadInfo, ReadPage, SetSpeed, RangeChecksum, Any };

// Something going wrong with one exchange, from the panel's side.
struct Fault {
    enum class Kind {
        Silent,      // the command is not heard: no answer, no effect
        StatusOnly,  // only the status byte is sent
        Truncate,    // only the first `keep` bytes of the answer are sent
        FlipBit,     // bit `bit` of answer byte `byteIndex` is inverted
        Status,      // a refusal with status byte `status` and a correct checksum; no effect
        FailWrite,   // the converter fails the client's writes from now on (answer still sent)
        FailRead,    // the converter fails the client's reads from now on
        FailPort,    // both, as an unplugged converter does; no answer, no effect
        HangUp,      // the line goes dead (the pty closes; on the fake line as FailPort)
    };
    // Silent, Status, FailPort and HangUp leave the loader as it was (a
    // SetSpeed does not switch); with the others it acts on the command.

    Kind kind = Kind::Silent;
    std::size_t keep = 0;
    std::size_t byteIndex = 1;
    int bit = 0;
    std::uint8_t status = 0;

    static Fault silent() { return Fault{Kind::Silent}; }
    static Fault statusOnly() { return Fault{Kind::StatusOnly}; }
    static Fault truncate(std::size_t keep) { Fault f{Kind::Truncate}; f.keep = keep; return f; }
    // Index 1 is the first data byte (or the checksum's low byte of a refusal).
    static Fault flipBit(std::size_t byteIndex = 1, int bit = 0)
    {
        Fault f{Kind::FlipBit};
        f.byteIndex = byteIndex;
        f.bit = bit;
        return f;
    }
    // 0xA1, 0xA2, 0xA3 are the loader's refusals; any other value is an
    // answer the client cannot understand.
    static Fault answerStatus(std::uint8_t status) { Fault f{Kind::Status}; f.status = status; return f; }
    static Fault failWrite() { return Fault{Kind::FailWrite}; }
    static Fault failRead() { return Fault{Kind::FailRead}; }
    static Fault unplug() { return Fault{Kind::FailPort}; }
    static Fault hangUp() { return Fault{Kind::HangUp}; }
};

// Applies a fault to commands of one kind (or of any kind), counted 1-based
// in the order the panel receives them: `first` is the number of the first
// matching command that gets it, `count` how many in a row (-1: all from
// `first` on). With CommandKind::Any the number is the exchange number, the
// count of all commands received.
struct FaultRule {
    Fault fault;
    CommandKind command = CommandKind::Any;
    int first = 1;
    int count = 1;
};

} // namespace panel_sim
