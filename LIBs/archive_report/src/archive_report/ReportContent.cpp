#include <archive_report/ReportContent.h>

#include <archive_report/ReportTexts.h>

#include <config_quorvel/Configuration.h>

#include <QStringList>

namespace archive_report {

namespace {

// "Прибор Q-QRV, ПО 2.1.5, ревизия настроек 17"; the type alone where no
// panel was decoded.
QString panelLine(const config_quorvel::Configuration& configuration)
{
    QStringList parts = {QString::fromUtf8(runningPanelLabel) + QLatin1Char(' ') + archive_table::panelTypeText()};
    if (!configuration.firmwareVersion.empty()) {
        parts << QString::fromUtf8(runningFirmwareFormat).arg(QString::fromStdString(configuration.firmwareVersion));
        parts << QString::fromUtf8(runningRevisionFormat).arg(configuration.settingsRevision);
    }
    return parts.join(QStringLiteral(", "));
}

// The fields as they are, so that a time no calendar has reads as written.
QString headerTime(const archive_table::PanelTime& time)
{
    if (time.isNone())
        return {};
    const auto two = [](int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1.%2.%3 %4:%5:%6")
        .arg(two(time.day()), two(time.month()))
        .arg(time.year())
        .arg(two(time.hour()), two(time.minute()), two(time.second()));
}

} // namespace

ReportContent reportContent(std::vector<archive_table::ArchiveEvent> events,
                            const config_quorvel::Configuration& configuration,
                            const archive_table::TableSource& source, const archive_table::RowFilter& filter)
{
    ReportContent content;
    content.events = std::move(events);
    content.panel = archive_table::panelIdentityLines(configuration);
    content.panelLine = panelLine(configuration);
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
    return {headerTime(first), headerTime(last)};
}

} // namespace archive_report
