#pragma once

namespace quorvel_archive {

// The program's exit status, one per class of outcome, so that a script
// can tell a bad line from a bad command line or a full disk.
enum ExitCode : int {
    Success = 0,
    ReadFailed = 1,  // the panel could not be read; the reason is the device model's text
    UsageError = 2,
    PortError = 3,   // the port could not be opened
    OutputError = 4, // the table or the dump could not be written
    DumpError = 5,   // the dump to decode cannot be used; the reason names the fault
    StoreError = 6,  // the site history cannot be opened, is not a store or cannot be written
    // A fault of the program itself, whatever it was doing (sysexits'
    // EX_SOFTWARE).
    InternalError = 70,
};

} // namespace quorvel_archive
