#include <EventsViewWidget.h>

#include <EventColours.h>

#include <archive_table/CsvExport.h>
#include <archive_table/EventRows.h>
#include <archive_table/TextExport.h>

#include <config_quorvel/Event.h>

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QIODevice>
#include <QSet>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int eventRowHeight = 17;

// Kept on the first cell of a row: its index in the event list of the fill,
// and whether the site's history lacked it before.
constexpr int listIndexRole = Qt::UserRole;
constexpr int newEventRole = Qt::UserRole + 1;

// The widths the columns have at least; the date and event columns grow
// beyond theirs to fit their texts, the event column up to its maximum.
constexpr int emergencyColumnWidth = 17;
constexpr int dateTimeColumnWidth = 120;
constexpr int numberColumnWidth = 60;
constexpr int eventColumnWidth = 220;
constexpr int eventColumnMaximumWidth = 360;

// The form of every date-and-time text, measured with zeros: digits share
// one width in the usual fonts.
const QString widestDateTime = QStringLiteral("0000/00/00 00:00:00");

// Shows the whole text of a cell as its tool tip when the cell cuts it.
class CutTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data(Qt::DisplayRole).toString();
        // The view wraps words, and a wrapped size always fits the cell's
        // width; a 17-pixel row shows one line, so measure the text unwrapped.
        QStyleOptionViewItem oneLine = option;
        oneLine.features &= ~QStyleOptionViewItem::WrapText;
        if (!text.isEmpty() && sizeHint(oneLine, index).width() > option.rect.width()) {
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
};

bool isCentred(int column)
{
    return column == archive_table::emergencyColumn || archive_table::isNumberColumn(column);
}

// A cell of a number column: sorts by the number it shows, so that 2 comes
// before 10; the text stays what the table shows and exports.
class NumberItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;

    bool operator<(const QTableWidgetItem& other) const override
    {
        return archive_table::numberCellLess(text(), other.text());
    }
    QTableWidgetItem* clone() const override { return new NumberItem(*this); }
};

} // namespace

EventsViewWidget::EventsViewWidget(QWidget* parent)
    : QTableWidget(parent), emergencyBrush(emergencyColour(), Qt::SolidPattern)
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
    setItemDelegate(new CutTextDelegate(this));

    setColumnWidth(archive_table::emergencyColumn, emergencyColumnWidth);
    setColumnWidth(archive_table::sectionColumn, numberColumnWidth);
    setColumnWidth(archive_table::addressColumn, numberColumnWidth);
    setColumnWidth(archive_table::loopColumn, numberColumnWidth);
    fitColumns();
}

int EventsViewWidget::fittingWidth(const QString& text, bool bold) const
{
    QStyleOptionViewItem option = viewOptions();
    option.font.setBold(bold);
    option.fontMetrics = QFontMetrics(option.font);
    option.text = text;
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.features &= ~QStyleOptionViewItem::WrapText;
    const int cell = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
    // A cell's rectangle leaves out the grid line at its right edge.
    return cell + (showGrid() ? 1 : 0);
}

void EventsViewWidget::fitColumns()
{
    setColumnWidth(archive_table::dateTimeColumn,
                   std::max(dateTimeColumnWidth, fittingWidth(widestDateTime)));
    setColumnWidth(archive_table::eventColumn, eventColumnWidth);
    // An archive repeats a few dozen event texts thousands of times.
    QSet<QString> texts;
    for (int row = 0; row < rowCount(); ++row)
        if (const QTableWidgetItem* cell = item(row, archive_table::eventColumn))
            texts.insert(cell->text());
    for (const QString& text : texts)
        widenEventColumn(text);
}

void EventsViewWidget::widenEventColumn(const QString& text)
{
    const int width = std::min(eventColumnMaximumWidth, fittingWidth(text));
    if (width > columnWidth(archive_table::eventColumn))
        setColumnWidth(archive_table::eventColumn, width);
}

void EventsViewWidget::changeEvent(QEvent* event)
{
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumns();
}

void EventsViewWidget::setRowItems(int row, const archive_table::RowTexts& texts, bool emergency,
                                   int lastColumn, int listIndex)
{
    const auto makeItem = [&](int column) {
        auto* item = archive_table::isNumberColumn(column) ? new NumberItem(texts[column])
                                                           : new QTableWidgetItem(texts[column]);
        if (isCentred(column))
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        if (emergency)
            item->setBackground(emergencyBrush);
        if (column == 0 && listIndex >= 0)
            item->setData(listIndexRole, listIndex);
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
    const archive_table::RowTexts texts = archive_table::eventRowTexts(event);
    setRowItems(0, texts, event.emergency(), sortColumn);
    widenEventColumn(texts[archive_table::eventColumn]);
    // A new row is shown; only a filter can hide it.
    if (!filter.isEmpty())
        applyRowFilter();
    else
        emit shownRowsChanged();
}

void EventsViewWidget::showEvents(const std::vector<config_quorvel::Event>& events)
{
    std::vector<archive_table::RowTexts> texts;
    texts.reserve(events.size());
    for (const config_quorvel::Event& event : events)
        texts.push_back(archive_table::eventRowTexts(event));
    showRows(std::move(texts));
}

void EventsViewWidget::showRows(std::vector<archive_table::RowTexts> texts)
{
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
        setRowItems(static_cast<int>(row), texts[index], !texts[index][archive_table::emergencyColumn].isEmpty(), -1,
                    static_cast<int>(index));
    }
    setIndicatorQuietly(archive_table::dateTimeColumn, Qt::DescendingOrder);
    fitColumns();
    applyRowFilter();
}

archive_table::RowTexts EventsViewWidget::headerTexts() const
{
    archive_table::RowTexts headers;
    for (int column = 0; column < archive_table::columnCount; ++column)
        headers[column] = horizontalHeaderItem(column)->text();
    return headers;
}

archive_table::RowTexts EventsViewWidget::rowTexts(int row) const
{
    archive_table::RowTexts texts;
    for (int column = 0; column < archive_table::columnCount; ++column)
        if (const QTableWidgetItem* cell = item(row, column))
            texts[column] = cell->text();
    return texts;
}

std::vector<archive_table::RowTexts> EventsViewWidget::shownRows() const
{
    std::vector<archive_table::RowTexts> rows;
    for (int row = 0; row < rowCount(); ++row)
        if (!isRowHidden(row))
            rows.push_back(rowTexts(row));
    return rows;
}

bool EventsViewWidget::exportToText(QIODevice* device) const
{
    // Always the whole table, whatever the filter hides.
    std::vector<archive_table::RowTexts> rows;
    rows.reserve(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        rows.push_back(rowTexts(row));

    const QByteArray text = archive_table::exportText(headerTexts(), rows);
    return device->write(text) == text.size();
}

bool EventsViewWidget::exportToCsv(QIODevice* device) const
{
    const QByteArray text = archive_table::exportCsv(headerTexts(), shownRows());
    return device->write(text) == text.size();
}

void EventsViewWidget::markNewEvents(const std::vector<bool>& isNew)
{
    QFont bold = font();
    bold.setBold(true);
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    for (int row = 0; row < rowCount(); ++row) {
        QTableWidgetItem* first = item(row, 0);
        const int index = first ? first->data(listIndexRole).toInt() : -1;
        if (!first || index < 0 || std::size_t(index) >= isNew.size() || !isNew[std::size_t(index)])
            continue;
        first->setData(newEventRole, true);
        for (int column = 0; column < archive_table::columnCount; ++column)
            if (QTableWidgetItem* cell = item(row, column))
                cell->setFont(bold);
    }
    // Bold texts are wider: the date and event columns fit them too.
    if (std::find(isNew.begin(), isNew.end(), true) != isNew.end()) {
        setColumnWidth(archive_table::dateTimeColumn,
                       std::max(columnWidth(archive_table::dateTimeColumn), fittingWidth(widestDateTime, true)));
        QSet<QString> texts;
        for (int row = 0; row < rowCount(); ++row)
            if (isNewRow(row))
                texts.insert(item(row, archive_table::eventColumn)->text());
        for (const QString& text : texts)
            setColumnWidth(archive_table::eventColumn,
                           std::max(columnWidth(archive_table::eventColumn),
                                    std::min(eventColumnMaximumWidth, fittingWidth(text, true))));
    }
    setUpdatesEnabled(updates);
    if (filter.isNewOnly())
        applyRowFilter();
}

bool EventsViewWidget::isNewRow(int row) const
{
    const QTableWidgetItem* first = item(row, 0);
    return first && first->data(newEventRole).toBool();
}

void EventsViewWidget::setRowFilter(const archive_table::RowFilter& newFilter)
{
    filter = newFilter;
    applyRowFilter();
}

int EventsViewWidget::shownRowCount() const
{
    int shown = 0;
    for (int row = 0; row < rowCount(); ++row)
        shown += isRowHidden(row) ? 0 : 1;
    return shown;
}

void EventsViewWidget::applyRowFilter()
{
    // Hiding a row makes the header recompute the positions of all rows
    // when it repaints; with updates off that waits until every row is done.
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    for (int row = 0; row < rowCount(); ++row) {
        const bool keep = filter.isEmpty() || filter.matches(rowTexts(row), isNewRow(row));
        if (isRowHidden(row) == keep)
            setRowHidden(row, !keep);
    }
    setUpdatesEnabled(updates);
    emit shownRowsChanged();
}

QString EventsViewWidget::selectedRowsText() const
{
    std::vector<int> selected;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        if (!isRowHidden(index.row()))
            selected.push_back(index.row());
    if (selected.empty())
        return QString();
    std::sort(selected.begin(), selected.end());
    std::vector<archive_table::RowTexts> rows;
    for (int row : selected)
        rows.push_back(rowTexts(row));
    return archive_table::tabSeparatedText(headerTexts(), rows);
}

void EventsViewWidget::copySelectedRows() const
{
    const QString text = selectedRowsText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}
