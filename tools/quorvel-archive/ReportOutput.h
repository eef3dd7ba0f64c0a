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

} // namespace quorvel_archive
