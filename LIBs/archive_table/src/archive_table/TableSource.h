#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

namespace config_quorvel {
class Configuration;
}

namespace memory_dump {
struct MemoryDump;
}

namespace archive_table {

// Where the events of a table come from: a read of a panel, a dump file or
// a site's history. The window, the details dialog and the report describe
// it alike.
struct TableSource {
    enum class Kind { None, Read, Dump, History };

    Kind kind = Kind::None;
    QString port;
    bool turbo = false;
    QDateTime readTime; // UTC; of the read, or of the dump's read
    QString dumpFile;   // Dump: the file's name, without its folder
    // The site's name: a history's, or the one a read or a dump was recorded
    // under; empty when not known.
    QString site;
    int reads = 0;      // History: how many reads it holds
    QDateTime firstRead; // History: UTC
};

// The source of a read just made, or of a dump opened from a file.
TableSource readSource(const memory_dump::MemoryDump& dump);
TableSource dumpSource(const memory_dump::MemoryDump& dump, const QString& fileName);

// One labelled value of a description.
struct DetailLine {
    QString label;
    QString value;
};

// The panel type every readable panel reports.
QString panelTypeText();

// The panel itself: type, firmware version and date, settings revision.
std::vector<DetailLine> panelIdentityLines(const config_quorvel::Configuration& configuration);

// The rest of what a read decodes about the panel: the display's backlight
// and times, the clock synchronisation, the central unit, and how many
// sections, devices, named devices, menu commands and event tables it has.
std::vector<DetailLine> panelSettingsLines(const config_quorvel::Configuration& configuration);

// Where the events come from: the read's date and time, port and speed; the
// dump's file and read time; or the site, its reads and their span. A read
// or dump recorded under a site names it first.
std::vector<DetailLine> sourceLines(const TableSource& source);

// A time as the program shows it: local time with its offset from UTC,
// "18.01.2024 13:15:00 UTC+3", "UTC+5:30", or "UTC" where local time is UTC.
// Short on every system, where the zones' own names are not.
QString shownTime(const QDateTime& time);

} // namespace archive_table
