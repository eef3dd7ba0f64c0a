#pragma once

#include <ArchiveRead.h>

#include <QString>

#include <optional>
#include <string>

namespace quorvel_archive {

// Writes the viewer's report of the table as a PDF file, as every output
// file is written (file_output::OutputFile): an earlier file stays whole
// when the write fails. Returns nothing on success, else the window's text
// for the failure. Needs a GUI application object (for its fonts).
std::optional<std::string> writeReportFile(const QString& fileName, const ArchiveTable& table);

// The table as --format asks, to --output or else to standard output: the
// text table in text mode, CSV byte for byte (it brings its own CR LF), the
// report to its file only, made of the table's events, source and
// configuration wherever they come from. Written as it is made, never whole
// in memory. Prints a failure and returns the exit code.
int writeTable(const ArchiveOptions& options, const ArchiveTable& table);

} // namespace quorvel_archive
