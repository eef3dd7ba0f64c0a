#pragma once

// A history of many reads for the window's benchmarks, and the memory the
// process has allocated, for a figure per event.

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventRows.h>

#include <malloc.h>

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

// The bytes the process has allocated and not freed (glibc's count), which
// unlike the resident memory does not hide what the allocator kept of
// earlier runs.
inline std::size_t heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
