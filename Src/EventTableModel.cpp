#include <EventTableModel.h>

#include <EventColours.h>

#include <archive_table/EventColumns.h>
#include <archive_table/EventRows.h>

#include <QBrush>
#include <QCoreApplication>
#include <QFont>

#include <unordered_map>

namespace {

bool isCentred(int column)
{
    return column == archive_table::emergencyColumn || archive_table::isNumberColumn(column);
}

} // namespace

EventTableModel::EventTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void EventTableModel::showListedEvents(std::vector<archive_table::ArchiveEvent> listed)
{
    beginResetModel();
    table.setListedEvents(std::move(listed));
    endResetModel();
}

void EventTableModel::showOrderedEvents(std::vector<archive_table::ArchiveEvent> events)
{
    beginResetModel();
    table.setEvents(std::move(events));
    endResetModel();
}

void EventTableModel::markNewEvents(const std::vector<bool>& isNew, bool bold)
{
    beginResetModel();
    table.setNewEvents(isNew);
    newInBold = bold;
    endResetModel();
}

void EventTableModel::setRowFilter(const archive_table::RowFilter& filter)
{
    beginResetModel();
    table.setFilter(filter);
    endResetModel();
}

int EventTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(table.shownCount());
}

int EventTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : archive_table::columnCount;
}

QVariant EventTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= table.shownCount())
        return {};
    const archive_table::ArchiveEvent& event = table.shownEvent(std::size_t(index.row()));
    switch (role) {
    case Qt::DisplayRole:
        return archive_table::cellText(event, index.column());
    case Qt::BackgroundRole:
        if (event.emergency)
            return QBrush(emergencyColour(), Qt::SolidPattern);
        break;
    case Qt::FontRole:
        if (newInBold && table.isShownNew(std::size_t(index.row()))) {
            // Only the weight: the view's own font gives the rest.
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        break;
    case Qt::TextAlignmentRole:
        if (isCentred(index.column()))
            return int(Qt::AlignHCenter | Qt::AlignVCenter);
        break;
    default:
        break;
    }
    return {};
}

QVariant EventTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= archive_table::columnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QCoreApplication::translate("EventsView", archive_table::columnHeaderSources[section]);
    if (role == Qt::ToolTipRole && section == archive_table::emergencyColumn)
        return QCoreApplication::translate("EventsView", "Экстренное");
    return {};
}

void EventTableModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= archive_table::columnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The selection and the current cell follow their events.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> events;
    for (const QModelIndex& index : before)
        events.push_back(table.shownPosition(std::size_t(index.row())));
    table.sort(column, order);
    std::unordered_map<std::uint32_t, int> rowOf;
    for (std::uint32_t event : events)
        rowOf.emplace(event, -1);
    if (!rowOf.empty())
        for (std::size_t row = 0; row < table.shownCount(); ++row)
            if (const auto found = rowOf.find(table.shownPosition(row)); found != rowOf.end())
                found->second = int(row);
    QModelIndexList after;
    for (std::size_t i = 0; i < events.size(); ++i)
        after << index(rowOf[events[i]], before[int(i)].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
