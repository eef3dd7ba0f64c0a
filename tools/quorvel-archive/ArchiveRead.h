#pragma once

#include <ArchiveOptions.h>
#include <ExitCode.h>

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventSpan.h>
#include <archive_table/TableSource.h>
#include <config_quorvel/Configuration.h>
#include <memory_dump/MemoryDump.h>
#include <site_statistics/EventTally.h>

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace config_quorvel {
class ProgressHandler;
}

namespace rs485 {
class SerialPlatform;
}

namespace quorvel_archive {

// A table as the window would show it: the events in the window's order,
// where they come from, and the configuration that names the panel and its
// devices. Whatever the events come from, the report is made of these.
struct ArchiveTable {
    std::vector<archive_table::ArchiveEvent> events;
    archive_table::TableSource source;
    config_quorvel::Configuration configuration;
    // A site's history: its events tallied, for the report's statistics.
    std::optional<site_statistics::Tallies> siteTallies;
};

// One read of a panel as the program reports it.
struct ReadResult {
    ExitCode exitCode = ExitCode::Success;
    std::string message; // a failure's text, as the window's error box shows it
    memory_dump::MemoryDump dump; // what a successful read of a panel brought back
    ArchiveTable table;  // what a successful read showed
};

// Reads the panel on the named port the way the window does (open at
// 19200 baud, the facade's read with or without the higher speed, close)
// and returns its table: the events in the order the window shows them right
// after the read. progress may be null.
ReadResult readArchive(rs485::SerialPlatform& platform, const std::string& portName, bool turbo,
                           config_quorvel::ProgressHandler* progress);

// Decodes a dump file the way the window opens it and returns the table
// that a read of that panel gives. A dump that cannot be used ends with
// ExitCode::DumpError and the reason.
ReadResult decodeDumpFile(const QString& dumpFile);

} // namespace quorvel_archive
