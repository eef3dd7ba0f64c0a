#include <archive_report/ReportContent.h>


namespace archive_report {

ReportContent reportContent(std::vector<archive_table::ArchiveEvent> events,
                            const config_quorvel::Configuration& configuration,
                            const archive_table::TableSource& source, const archive_table::RowFilter& filter)
{
    ReportContent content;
    content.events = std::move(events);
    content.panel = archive_table::panelIdentityLines(configuration);
    content.source = source;
    content.devices = archive_table::DeviceDirectory(configuration);
    content.filter = filter.description();
    content.madeAt = QDateTime::currentDateTime();
    return content;
}

Period periodOf(const archive_table::EventSpan& events)
{
    archive_table::PanelTime first;
    archive_table::PanelTime last;
    for (const archive_table::ArchiveEvent& event : events) {
        if (event.time.isNone())
            continue;
        if (first.isNone() || event.time < first)
            first = event.time;
        if (last < event.time)
            last = event.time;
    }
    return {first.text(), last.text()};
}

} // namespace archive_report
