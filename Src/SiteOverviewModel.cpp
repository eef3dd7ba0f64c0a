#include <SiteOverviewModel.h>

#include <archive_table/TableSource.h>

#include <QColor>
#include <QHash>

#include <limits>

namespace {

// Amber, apart from the emergency pink: a site to visit, not an alarm.
const QColor dueBackground = QColor::fromRgb(0xFFE0A0);

bool isCount(int column)
{
    return column != SiteOverviewModel::NameColumn && column != SiteOverviewModel::FirstReadColumn
        && column != SiteOverviewModel::LastReadColumn && column != SiteOverviewModel::DueColumn;
}

// Never read sorts before any read.
qint64 timeKey(const QDateTime& time)
{
    return time.isValid() ? time.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

} // namespace

SiteOverviewModel::SiteOverviewModel(QObject* parent) : QAbstractTableModel(parent) {}

void SiteOverviewModel::setSites(const std::vector<site_history::SiteInfo>& sites,
                                 const std::vector<site_statistics::SiteOverview>& overview, const QDate& today)
{
    QHash<QString, const site_statistics::SiteOverview*> byName;
    for (const site_statistics::SiteOverview& one : overview)
        byName.insert(one.name, &one);
    beginResetModel();
    rows.clear();
    day = today;
    for (const site_history::SiteInfo& info : sites) {
        Row row{info, {}, false};
        // A site made between the two queries has no overview yet: shown as
        // never read, which is what it is.
        if (const site_statistics::SiteOverview* found = byName.value(info.name))
            row.overview = *found;
        else
            row.overview.name = info.name;
        row.due = site_statistics::isDue(row.overview, today);
        rows.push_back(row);
    }
    endResetModel();
}

int SiteOverviewModel::rowOf(const QString& name) const
{
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (rows[row].info.name == name)
            return int(row);
    return -1;
}

int SiteOverviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int SiteOverviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SiteOverviewModel::text(const Row& row, int column) const
{
    const site_statistics::SiteOverview& overview = row.overview;
    switch (column) {
    case NameColumn:
        return row.info.name;
    case ReadsColumn:
        return QString::number(row.info.reads);
    case EventsColumn:
        return QString::number(row.info.events);
    case FirstReadColumn:
        return archive_table::shownTime(row.info.firstRead);
    case LastReadColumn:
        return archive_table::shownTime(overview.lastRead);
    case DaysSinceColumn:
        return overview.lastRead.isValid() ? QString::number(site_statistics::daysSince(overview.lastRead, day))
                                           : QString();
    case NewEventsColumn:
        return QString::number(overview.newEvents);
    case NewEmergenciesColumn:
        return QString::number(overview.newEmergencies);
    case DeviceFaultsColumn:
        return QString::number(overview.deviceFaults);
    case ServiceDaysColumn:
        return QString::number(overview.serviceDays > 0 ? overview.serviceDays : site_statistics::defaultServiceDays);
    case DueColumn:
        return row.due ? tr("да") : QString();
    }
    return QVariant();
}

QVariant SiteOverviewModel::sortKey(const Row& row, int column) const
{
    const site_statistics::SiteOverview& overview = row.overview;
    switch (column) {
    case NameColumn:
        return row.info.name;
    case ReadsColumn:
        return row.info.reads;
    case EventsColumn:
        return row.info.events;
    case FirstReadColumn:
        return timeKey(row.info.firstRead);
    case LastReadColumn:
        return timeKey(overview.lastRead);
    case DaysSinceColumn:
        // Never read is the longest ago.
        return overview.lastRead.isValid() ? site_statistics::daysSince(overview.lastRead, day)
                                           : std::numeric_limits<int>::max();
    case NewEventsColumn:
        return overview.newEvents;
    case NewEmergenciesColumn:
        return overview.newEmergencies;
    case DeviceFaultsColumn:
        return overview.deviceFaults;
    case ServiceDaysColumn:
        return overview.serviceDays > 0 ? overview.serviceDays : site_statistics::defaultServiceDays;
    case DueColumn:
        return int(row.due);
    }
    return QVariant();
}

QVariant SiteOverviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows.size()))
        return QVariant();
    const Row& row = rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return text(row, index.column());
    case sortRole:
        return sortKey(row, index.column());
    case Qt::ToolTipRole:
        // A long name is elided in its column.
        return index.column() == NameColumn ? row.info.name : QVariant();
    case Qt::TextAlignmentRole:
        return isCount(index.column()) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::BackgroundRole:
        return row.due ? QVariant(dueBackground) : QVariant();
    }
    return QVariant();
}

QVariant SiteOverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    // Two lines where a header would be wider than its numbers, so that
    // all columns fit a small screen.
    static const char* const headers[ColumnCount] = {
        QT_TR_NOOP("Объект"),          QT_TR_NOOP("Чтений"),          QT_TR_NOOP("Событий"),
        QT_TR_NOOP("Последнее\nчтение"), QT_TR_NOOP("Дней\nназад"),      QT_TR_NOOP("Пора\nобслуживать"),
        QT_TR_NOOP("Новых\nсобытий"),   QT_TR_NOOP("Новых\nэкстренных"), QT_TR_NOOP("Неисправностей\nза 12 месяцев"),
        QT_TR_NOOP("Интервал,\nдней"),  QT_TR_NOOP("Первое\nчтение")};
    static const char* const toolTips[ColumnCount] = {
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        QT_TR_NOOP("Дней от последнего чтения до сегодня"),
        QT_TR_NOOP("Последнее чтение старше интервала обслуживания"),
        QT_TR_NOOP("События, которые принесло последнее чтение"),
        QT_TR_NOOP("Экстренные из событий, которые принесло последнее чтение"),
        QT_TR_NOOP("Неисправности приборов за 12 месяцев до последнего чтения"),
        nullptr,
        nullptr};
    if (role == Qt::DisplayRole)
        return tr(headers[section]);
    if (role == Qt::ToolTipRole && section == ServiceDaysColumn)
        return tr("Интервал обслуживания объекта в днях; по умолчанию %1").arg(site_statistics::defaultServiceDays);
    if (role == Qt::ToolTipRole && toolTips[section])
        return tr(toolTips[section]);
    return QVariant();
}
