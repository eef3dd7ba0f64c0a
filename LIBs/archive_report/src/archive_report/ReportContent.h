#pragma once

#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventColumns.h>
#include <archive_table/RowFilter.h>
#include <archive_table/TableSource.h>

#include <QDateTime>
#include <QString>

#include <vector>

namespace config_quorvel {
class Configuration;
}

namespace archive_report {

// What a report shows: the rows as the table shows them (after its filter,
// in its order) and what its header tells about them. Plain values, so that
// a report can be made again after the table has changed.
struct ReportContent {
    std::vector<archive_table::RowTexts> rows;
    std::vector<archive_table::DetailLine> panel; // type, firmware, settings revision
    archive_table::TableSource source;
    archive_table::DeviceDirectory devices;       // names for the summary
    QString filter;                               // the filter in words
    QDateTime madeAt;                             // when the report was made
};

ReportContent reportContent(std::vector<archive_table::RowTexts> rows,
                            const config_quorvel::Configuration& configuration,
                            const archive_table::TableSource& source,
                            const archive_table::RowFilter& filter = {});

// The earliest and latest date and time of the rows, as the table writes
// them; empty when no row has one.
struct Period {
    QString first;
    QString last;
};

Period periodOf(const std::vector<archive_table::RowTexts>& rows);

} // namespace archive_report
