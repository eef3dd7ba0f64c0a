#pragma once

#include <ArchiveOptions.h>
#include <ExitCode.h>

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventSpan.h>
#include <archive_table/TableSource.h>
#include <config_quorvel/Configuration.h>
#include <memory_dump/MemoryDump.h>

#include <QByteArray>
#include <QString>

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
};

// One read of a panel as the program reports it.
struct ReadResult {
    ExitCode exitCode = ExitCode::Success;
    std::string message; // a failure's text, as the window's error box shows it
    QByteArray text;     // the export of a successful read (none for the report)
    memory_dump::MemoryDump dump; // what a successful read of a panel brought back
    ArchiveTable table;  // what a successful read showed
};

// The window's text table of the events, or with Csv its CSV export;
// nothing for Pdf, whose report is written by writeReportFile.
QByteArray exportTable(const archive_table::EventSpan& events, ArchiveOptions::Format format);

// Reads the panel on the named port the way the window does (open at
// 19200 baud, the facade's read with or without the higher speed, close)
// and returns the text table that its "save to file" would write: rows in
// the order the window shows them right after the read, or with Csv what its
// CSV export would write of the same rows. progress may be null.
ReadResult readArchiveText(rs485::SerialPlatform& platform, const std::string& portName, bool turbo,
                           config_quorvel::ProgressHandler* progress,
                           ArchiveOptions::Format format = ArchiveOptions::Format::Text);

// Decodes a dump file the way the window opens it and returns the text table
// that a read of that panel gives. A dump that cannot be used ends with
// ExitCode::DumpError and the reason.
ReadResult decodeDumpText(const QString& dumpFile,
                          ArchiveOptions::Format format = ArchiveOptions::Format::Text);

} // namespace quorvel_archive
