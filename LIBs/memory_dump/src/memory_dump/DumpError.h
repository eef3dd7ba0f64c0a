#pragma once

#include <stdexcept>
#include <string>

namespace memory_dump {

// A dump that cannot be used, or a dump file that cannot be read or
// written. what() is the message for the user, naming the fault.
class DumpError : public std::runtime_error {
public:
    enum class Fault {
        ShortHeader,      // the file ends inside the header
        WrongMagic,       // not a dump at all
        UnknownVersion,   // a format version this program does not know
        Truncated,        // the file or a field ends before its declared length
        ChecksumMismatch, // the content's CRC-32 differs from the header's
        RegionMismatch,   // a region is not where, or not as long as, the memory map says
        TrailingBytes,    // bytes after the content, or after the last region
        ReadTime,         // a read time no read can have had
        FileError,        // the file cannot be opened, read or written
    };

    DumpError(Fault fault, const std::string& message) : std::runtime_error(message), faultKind(fault) {}

    Fault fault() const noexcept { return faultKind; }

private:
    Fault faultKind;
};

} // namespace memory_dump
