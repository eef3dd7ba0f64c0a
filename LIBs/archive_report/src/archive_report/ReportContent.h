#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventSpan.h>
#include <archive_table/RowFilter.h>
#include <archive_table/TableSource.h>
#include <site_statistics/EventTally.h>

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace config_quorvel {
class Configuration;
}

namespace archive_report {

// What a report shows: the events as the table shows them (after its
// filter, in its order) and what its header tells about them. Plain values,
// so that a report can be made again after the table has changed.
struct ReportContent {
    std::vector<archive_table::ArchiveEvent> events;
    std::vector<archive_table::DetailLine> panel; // type, firmware, settings revision
    QString panelLine;                            // the same in a line, for the running header
    archive_table::TableSource source;
    archive_table::DeviceDirectory devices;       // names for the summary
    QString filter;                               // the filter in words
    QDateTime madeAt;                             // when the report was made
    // Only for a site's history: all its events tallied, whatever the
    // filter shows, for the section of its last twelve months (the store's
    // SiteHistory::tallies, or site_statistics::tallyEvents of the history).
    std::optional<site_statistics::Tallies> siteTallies;
};

ReportContent reportContent(std::vector<archive_table::ArchiveEvent> events,
                            const config_quorvel::Configuration& configuration,
                            const archive_table::TableSource& source,
                            const archive_table::RowFilter& filter = {});

// The earliest and latest time of the events, as the report's header writes
// times ("18.01.2024 10:15:00"); empty when no event has one. Times no
// calendar has count where their digits put them, and are written as the
// panel wrote them.
struct Period {
    QString first;
    QString last;
};

Period periodOf(const archive_table::EventSpan& events);

} // namespace archive_report
