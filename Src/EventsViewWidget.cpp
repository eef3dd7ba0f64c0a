#include <EventsViewWidget.h>

#include <EventRows.h>
#include <TextExport.h>

#include <config_quorvel/Event.h>

#include <QHeaderView>
#include <QIODevice>

#include <algorithm>

namespace {

constexpr int eventRowHeight = 17;

bool isCentred(int column)
{
    return column == viewer_core::emergencyColumn || column == viewer_core::sectionColumn
        || column == viewer_core::addressColumn || column == viewer_core::loopColumn;
}

} // namespace

EventsViewWidget::EventsViewWidget(QWidget* parent)
    : QTableWidget(parent), emergencyBrush(QColor(255, 164, 164, 255), Qt::SolidPattern)
{
    setColumnCount(viewer_core::columnCount);
    for (int column = 0; column < viewer_core::columnCount; ++column)
        setHorizontalHeaderItem(column,
                                new QTableWidgetItem(tr(viewer_core::columnHeaderSources[column])));
    horizontalHeaderItem(viewer_core::emergencyColumn)->setToolTip(tr("Экстренное"));

    // The style's minimum section sizes follow the font and may exceed the
    // narrow emergency column and the 17-pixel rows; lower them so the
    // table keeps its fixed sizes.
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()})
        header->setMinimumSectionSize(std::min(header->minimumSectionSize(), eventRowHeight));

    setColumnWidth(0, 17);
    setColumnWidth(1, 120);
    setColumnWidth(2, 60);
    setColumnWidth(3, 60);
    setColumnWidth(4, 60);
    setColumnWidth(5, 220);
}

void EventsViewWidget::setRowItems(int row, const config_quorvel::Event& event, int lastColumn)
{
    const viewer_core::RowTexts texts = viewer_core::eventRowTexts(event);
    const auto makeItem = [&](int column) {
        auto* item = new QTableWidgetItem(texts[column]);
        if (isCentred(column))
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        if (event.emergency())
            item->setBackground(emergencyBrush);
        setItem(row, column, item);
    };
    for (int column = 0; column < viewer_core::columnCount; ++column)
        if (column != lastColumn)
            makeItem(column);
    if (lastColumn >= 0 && lastColumn < viewer_core::columnCount)
        makeItem(lastColumn);
}

void EventsViewWidget::addEvent(const config_quorvel::Event& event)
{
    insertRow(0);
    setRowHeight(0, eventRowHeight);
    // A sorted table moves a row as soon as the item of its sort column is
    // set; setting that item last moves the whole row instead of splitting it.
    const int sortColumn = isSortingEnabled() ? horizontalHeader()->sortIndicatorSection() : -1;
    setRowItems(0, event, sortColumn);
}

void EventsViewWidget::showEvents(const std::vector<config_quorvel::Event>& events)
{
    const bool sorting = isSortingEnabled();
    setSortingEnabled(false);
    setRowCount(0);
    const int count = int(events.size());
    setRowCount(count);
    // Each added row goes to the top, so the list stands in reverse order
    // before the sort.
    for (int i = 0; i < count; ++i) {
        const int row = count - 1 - i;
        setRowHeight(row, eventRowHeight);
        setRowItems(row, events[i], -1);
    }
    if (sorting) {
        // With sorting off the indicator does not sort; switching sorting
        // back on sorts once, by the indicator.
        horizontalHeader()->setSortIndicator(viewer_core::dateTimeColumn, Qt::DescendingOrder);
        setSortingEnabled(true);
    } else {
        sortByColumn(viewer_core::dateTimeColumn, Qt::DescendingOrder);
    }
}

bool EventsViewWidget::exportToText(QIODevice* device) const
{
    viewer_core::RowTexts headers;
    for (int column = 0; column < viewer_core::columnCount; ++column)
        headers[column] = horizontalHeaderItem(column)->text();

    std::vector<viewer_core::RowTexts> rows(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < viewer_core::columnCount; ++column)
            if (const QTableWidgetItem* cell = item(row, column))
                rows[static_cast<std::size_t>(row)][column] = cell->text();

    const QByteArray text = viewer_core::exportText(headers, rows);
    return device->write(text) == text.size();
}
