#include <EventsViewWidget.h>

#include <archive_table/EventRows.h>
#include <archive_table/TextExport.h>

#include <config_quorvel/Event.h>

#include <QHeaderView>
#include <QIODevice>
#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr int eventRowHeight = 17;

bool isCentred(int column)
{
    return column == archive_table::emergencyColumn || column == archive_table::sectionColumn
        || column == archive_table::addressColumn || column == archive_table::loopColumn;
}

} // namespace

EventsViewWidget::EventsViewWidget(QWidget* parent)
    : QTableWidget(parent), emergencyBrush(QColor(255, 164, 164, 255), Qt::SolidPattern)
{
    setColumnCount(archive_table::columnCount);
    for (int column = 0; column < archive_table::columnCount; ++column)
        setHorizontalHeaderItem(column,
                                new QTableWidgetItem(tr(archive_table::columnHeaderSources[column])));
    horizontalHeaderItem(archive_table::emergencyColumn)->setToolTip(tr("Экстренное"));

    // The style's minimum section sizes follow the font and may exceed the
    // narrow emergency column and the 17-pixel rows; lower them so the
    // table keeps its fixed sizes.
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()})
        header->setMinimumSectionSize(std::min(header->minimumSectionSize(), eventRowHeight));

    verticalHeader()->setDefaultSectionSize(eventRowHeight);

    setColumnWidth(0, 17);
    setColumnWidth(1, 120);
    setColumnWidth(2, 60);
    setColumnWidth(3, 60);
    setColumnWidth(4, 60);
    setColumnWidth(5, 220);
}

void EventsViewWidget::setRowItems(int row, const archive_table::RowTexts& texts, bool emergency,
                                   int lastColumn)
{
    const auto makeItem = [&](int column) {
        auto* item = new QTableWidgetItem(texts[column]);
        if (isCentred(column))
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        if (emergency)
            item->setBackground(emergencyBrush);
        setItem(row, column, item);
    };
    for (int column = 0; column < archive_table::columnCount; ++column)
        if (column != lastColumn)
            makeItem(column);
    if (lastColumn >= 0 && lastColumn < archive_table::columnCount)
        makeItem(lastColumn);
}

void EventsViewWidget::addEvent(const config_quorvel::Event& event)
{
    insertRow(0);
    setRowHeight(0, eventRowHeight);
    // A sorted table moves a row as soon as the item of its sort column is
    // set; setting that item last moves the whole row instead of splitting it.
    const int sortColumn = isSortingEnabled() ? horizontalHeader()->sortIndicatorSection() : -1;
    setRowItems(0, archive_table::eventRowTexts(event), event.emergency(), sortColumn);
}

void EventsViewWidget::showEvents(const std::vector<config_quorvel::Event>& events)
{
    std::vector<archive_table::RowTexts> texts;
    texts.reserve(events.size());
    for (const config_quorvel::Event& event : events)
        texts.push_back(archive_table::eventRowTexts(event));
    const std::vector<std::size_t> order = archive_table::orderAsShownAfterRead(texts);

    // The rows go straight to the places the table's sort would give them,
    // so that sort is skipped. While they go in, the sort indicator stands on
    // no column, because a sorted table moves a row whenever an item of its
    // sort column is set; then it moves to the date column, quietly, as the
    // sort it would trigger has nothing left to move.
    QHeaderView* header = horizontalHeader();
    const auto setIndicatorQuietly = [header](int column, Qt::SortOrder order) {
        const QSignalBlocker blocker(header);
        header->setSortIndicator(column, order);
    };
    setIndicatorQuietly(-1, Qt::DescendingOrder);
    setRowCount(0);
    setRowCount(static_cast<int>(order.size()));
    for (std::size_t row = 0; row < order.size(); ++row) {
        const std::size_t index = order[row];
        setRowItems(static_cast<int>(row), texts[index], events[index].emergency(), -1);
    }
    setIndicatorQuietly(archive_table::dateTimeColumn, Qt::DescendingOrder);
}

bool EventsViewWidget::exportToText(QIODevice* device) const
{
    archive_table::RowTexts headers;
    for (int column = 0; column < archive_table::columnCount; ++column)
        headers[column] = horizontalHeaderItem(column)->text();

    std::vector<archive_table::RowTexts> rows(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < archive_table::columnCount; ++column)
            if (const QTableWidgetItem* cell = item(row, column))
                rows[static_cast<std::size_t>(row)][column] = cell->text();

    const QByteArray text = archive_table::exportText(headers, rows);
    return device->write(text) == text.size();
}
