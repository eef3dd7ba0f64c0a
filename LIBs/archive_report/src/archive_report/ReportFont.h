#pragma once

#include <QString>
#include <QStringList>

namespace archive_report {

// The report is painted in DejaVu Sans, whose files come with the program
// (free to redistribute, with the Cyrillic letters, embeddable), so that a
// report looks the same on every system and a system without the font
// still gets its texts.

// Where the font files may lie for a program in programDir: "fonts" beside
// it (the build folder, the Windows layout), then the data folder of an
// installed Linux build.
QStringList reportFontFolders(const QString& programDir);

// Adds the font files of the first folder that holds them to the
// application's fonts; the family they bring, empty when no folder holds
// them or they cannot be read.
QString addReportFonts(const QStringList& folders);

// The family to paint the report in: the program's own font, added once,
// else the system's DejaVu Sans, else a sans serif the system has.
QString reportFontFamily();

} // namespace archive_report
