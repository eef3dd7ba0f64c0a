#pragma once

#include <ArchiveOptions.h>
#include <ExitCode.h>

#include <QByteArray>

#include <string>

namespace config_quorvel {
class ProgressHandler;
}

namespace rs485 {
class SerialPlatform;
}

namespace quorvel_archive {

// One read of a panel as the program reports it.
struct ReadResult {
    ExitCode exitCode = ExitCode::Success;
    std::string message; // a failure's text, as the window's error box shows it
    QByteArray text;     // the export of a successful read
};

// Reads the panel on the named port the way the window does (open at
// 19200 baud, the facade's read with or without the higher speed, close)
// and returns the text table that its "save to file" would write: rows in
// the order the window shows them right after the read, or with Csv what its
// CSV export would write of the same rows. progress may be null.
ReadResult readArchiveText(rs485::SerialPlatform& platform, const std::string& portName, bool turbo,
                           config_quorvel::ProgressHandler* progress,
                           ArchiveOptions::Format format = ArchiveOptions::Format::Text);

} // namespace quorvel_archive
