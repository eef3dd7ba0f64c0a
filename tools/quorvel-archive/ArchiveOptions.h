#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel_archive {

// What the command line asks for.
struct ArchiveOptions {
    enum class Action {
        Help,
        Version,
        ListPorts,
        ReadPort,
        ReadSimulated,
        ReadDump,
        Import,
        ListSites,
        HistoryTable,
        HistoryStats,
        Overview,
        CheckHistory,
        SendPending,
        MergeSite,
    };
    enum class Format { Text, Csv, Pdf };
    enum class Statistic { Months, Devices };

    Action action = Action::Help;
    std::string port;                  // ReadPort: passed to the port driver unchanged
    bool turbo = true;                 // as the connect dialog's box starts
    std::optional<std::string> output; // the file to write; standard output when absent
    Format format = Format::Text;      // the window's text table, its CSV export, or the report
    std::optional<std::string> saveDump; // ReadPort, ReadSimulated: also keep the read's dump here
    std::string dumpFile;                // ReadDump: the dump to decode instead of a panel
    std::optional<std::string> history;  // the site history's store: reads and dumps are recorded in it
    std::optional<std::string> site;     // the site a read belongs to, or whose history to write
    Statistic statistic = Statistic::Months; // HistoryStats: the table by month, or the device ranking
    std::vector<std::string> importDumps; // Import: the dumps to record
    bool keepPending = false;             // a read or dump the history's server cannot take is kept for SendPending
    std::string mergeFrom;                // MergeSite: the site that goes
    std::optional<std::string> mergeInto; // MergeSite: the site that takes its reads and events
};

// A command line that makes no sense; what() says why.
class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Throws CommandLineError.
ArchiveOptions parseArchiveOptions(const std::vector<std::string>& args);

std::string usageText();

} // namespace quorvel_archive
