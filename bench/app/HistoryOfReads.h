#pragma once

// A history of many reads for the window's benchmarks, and the memory the
// process holds, for a figure per event.

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventRows.h>

#include <QFile>

#include <cstddef>
#include <vector>

// The read's events as a site's history of `reads` such reads shows them:
// each read four weeks after the one before, latest first, the texts shared
// among the reads as a history's are.
inline std::vector<archive_table::ArchiveEvent> historyOfReads(const std::vector<archive_table::ArchiveEvent>& read,
                                                               int reads)
{
    const std::vector<archive_table::ArchiveEvent> shown = archive_table::eventsAsShownAfterRead(read);
    std::vector<archive_table::ArchiveEvent> history;
    history.reserve(shown.size() * std::size_t(reads));
    for (int later = reads - 1; later >= 0; --later)
        for (archive_table::ArchiveEvent event : shown) {
            if (event.time.isCalendar())
                event.time = archive_table::PanelTime::fromCalendar(
                    event.time.date().addDays(28 * later), event.time.hour(), event.time.minute(), event.time.second());
            history.push_back(event);
        }
    return history;
}

// The process's resident memory in bytes (Linux), 0 where it cannot be read.
inline std::size_t residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? std::size_t(fields[1].toULongLong()) * 4096 : 0;
}
