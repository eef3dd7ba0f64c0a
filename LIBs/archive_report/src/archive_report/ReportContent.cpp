#include <archive_report/ReportContent.h>

#include <archive_table/EventColumns.h>

namespace archive_report {

ReportContent reportContent(std::vector<archive_table::RowTexts> rows,
                            const config_quorvel::Configuration& configuration,
                            const archive_table::TableSource& source, const archive_table::RowFilter& filter)
{
    ReportContent content;
    content.rows = std::move(rows);
    content.panel = archive_table::panelIdentityLines(configuration);
    content.source = source;
    content.devices = archive_table::DeviceDirectory(configuration);
    content.filter = filter.description();
    content.madeAt = QDateTime::currentDateTime();
    return content;
}

Period periodOf(const std::vector<archive_table::RowTexts>& rows)
{
    // The table's date texts have fixed-width zero-filled fields, so the
    // text order is the time order, also for dates no calendar has.
    Period period;
    for (const archive_table::RowTexts& row : rows) {
        const QString& date = row[archive_table::dateTimeColumn];
        if (date.isEmpty())
            continue;
        if (period.first.isEmpty() || date < period.first)
            period.first = date;
        if (period.last.isEmpty() || date > period.last)
            period.last = date;
    }
    return period;
}

} // namespace archive_report
