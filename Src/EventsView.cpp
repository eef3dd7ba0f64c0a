#include <EventsView.h>

#include <EventTableModel.h>

#include <archive_table/CsvExport.h>
#include <archive_table/EventRows.h>
#include <archive_table/TextExport.h>

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QIODevice>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int eventRowHeight = 17;

// The widths the columns have at least; the date and event columns grow
// beyond theirs to fit their texts, the event column up to its maximum.
constexpr int emergencyColumnWidth = 17;
constexpr int dateTimeColumnWidth = 120;
constexpr int numberColumnWidth = 60;
constexpr int eventColumnWidth = 220;
constexpr int eventColumnMaximumWidth = 360;
// On a narrow screen the event column gives way to the source, down to this.
constexpr int eventColumnNarrowWidth = 120;

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

} // namespace

EventsView::EventsView(QWidget* parent)
    : QTableView(parent), tableModel(new EventTableModel(this)), fittedEventWidth(eventColumnWidth)
{
    setModel(tableModel);
    connect(tableModel, &QAbstractItemModel::modelReset, this, &EventsView::shownRowsChanged);

    // The style's minimum section sizes follow the font and may exceed the
    // narrow emergency column and the 17-pixel rows; lower them so the
    // table keeps its fixed sizes.
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()})
        header->setMinimumSectionSize(std::min(header->minimumSectionSize(), eventRowHeight));
    // One height for every row: the view never measures a row's cells.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(eventRowHeight);
    setItemDelegate(new CutTextDelegate(this));
    // The grid's lines are painted by paintEvent; the table keeps their room.
    setGridStyle(Qt::NoPen);

    setColumnWidth(archive_table::emergencyColumn, emergencyColumnWidth);
    setColumnWidth(archive_table::sectionColumn, numberColumnWidth);
    setColumnWidth(archive_table::addressColumn, numberColumnWidth);
    setColumnWidth(archive_table::loopColumn, numberColumnWidth);
    fitColumns();
}

int EventsView::fittingWidth(const QString& text, bool bold) const
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

void EventsView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!showGrid())
        return;
    // The grid's lines where the table leaves room for them, as one-pixel
    // rectangles: the raster engine fills them a hundred times faster than
    // it draws opaque lines, which made the grid half the cost of repainting
    // the table.
    const QStyleOptionViewItem option = viewOptions();
    const QColor colour = QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const QRect area = event->rect().intersected(
        QRect(0, 0, horizontalHeader()->length() - horizontalHeader()->offset(),
              verticalHeader()->length() - verticalHeader()->offset()));
    if (area.isEmpty())
        return;
    QPainter painter(viewport());
    const int lastRow = rowAt(area.bottom()) >= 0 ? rowAt(area.bottom()) : model()->rowCount() - 1;
    for (int row = std::max(0, rowAt(area.top())); row <= lastRow; ++row)
        painter.fillRect(area.left(), rowViewportPosition(row) + rowHeight(row) - 1, area.width(), 1, colour);
    for (int column = 0; column < archive_table::columnCount; ++column) {
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        if (x >= area.left() && x <= area.right())
            painter.fillRect(x, area.top(), 1, area.height(), colour);
    }
}

void EventsView::fitColumns()
{
    // Bold texts are wider: with new events in bold the columns fit those too.
    const bool bold = tableModel->showsNewInBold();
    setColumnWidth(archive_table::dateTimeColumn, std::max(dateTimeColumnWidth, fittingWidth(widestDateTime, bold)));
    // Measured once per distinct text: an archive repeats a few dozen event
    // texts thousands of times.
    int eventWidth = eventColumnWidth;
    const auto widen = [&](const std::vector<QString>& texts, bool inBold) {
        for (const QString& text : texts)
            eventWidth = std::max(eventWidth, std::min(eventColumnMaximumWidth, fittingWidth(text, inBold)));
    };
    widen(tableModel->events().eventTexts(), false);
    if (bold)
        widen(tableModel->events().eventTexts(true), true);
    fittedEventWidth = eventWidth;
    placeEventColumn();
}

void EventsView::placeEventColumn()
{
    // Shown on a narrow screen (a laptop's 1024 pixels with the devices'
    // dock open), the event and source columns share what the others leave
    // half and half, so that neither is squeezed to a few letters; their
    // cells elide with the whole text as tool tip.
    int width = fittedEventWidth;
    if (isVisible()) {
        int others = 0;
        for (int column = 0; column < archive_table::columnCount; ++column)
            if (column != archive_table::eventColumn && column != archive_table::objectColumn)
                others += columnWidth(column);
        width = std::min(width, std::max(eventColumnNarrowWidth, (viewport()->width() - others) / 2));
    }
    setColumnWidth(archive_table::eventColumn, width);
}

void EventsView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    placeEventColumn();
}

void EventsView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumns();
}

void EventsView::showDateSorted()
{
    // The rows come in the order a sort by the date would give them, so
    // that sort is not run: the indicator moves quietly.
    const QSignalBlocker blocker(horizontalHeader());
    horizontalHeader()->setSortIndicator(archive_table::dateTimeColumn, Qt::DescendingOrder);
}

void EventsView::showListedEvents(std::vector<archive_table::ArchiveEvent> listed)
{
    showDateSorted();
    tableModel->showListedEvents(std::move(listed));
    fitColumns();
}

void EventsView::showOrderedEvents(std::vector<archive_table::ArchiveEvent> events)
{
    showDateSorted();
    tableModel->showOrderedEvents(std::move(events));
    fitColumns();
}

void EventsView::markNewEvents(const std::vector<bool>& isNew, bool bold)
{
    tableModel->markNewEvents(isNew, bold);
    fitColumns();
}

void EventsView::setRowFilter(const archive_table::RowFilter& filter)
{
    tableModel->setRowFilter(filter);
}

const archive_table::RowFilter& EventsView::rowFilter() const
{
    return tableModel->events().filter();
}

int EventsView::eventCount() const
{
    return int(tableModel->events().eventCount());
}

int EventsView::shownRowCount() const
{
    return int(tableModel->events().shownCount());
}

archive_table::EventSpan EventsView::shownEvents() const
{
    return tableModel->events().shownEvents();
}

archive_table::RowTexts EventsView::headerTexts() const
{
    archive_table::RowTexts headers;
    for (int column = 0; column < archive_table::columnCount; ++column)
        headers[column] = tableModel->headerData(column, Qt::Horizontal).toString();
    return headers;
}

bool EventsView::exportToText(QIODevice* device) const
{
    return archive_table::writeText(*device, headerTexts(), tableModel->events().allEvents());
}

bool EventsView::exportToCsv(QIODevice* device) const
{
    return archive_table::writeCsv(*device, headerTexts(), shownEvents());
}

QString EventsView::selectedRowsText() const
{
    // From the selection's ranges: a million selected rows are one range.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.left() == 0 && range.right() == archive_table::columnCount - 1)
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows.push_back(row);
    if (rows.empty())
        return QString();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<archive_table::ArchiveEvent> selected;
    selected.reserve(rows.size());
    for (int row : rows)
        selected.push_back(tableModel->events().shownEvent(std::size_t(row)));
    return archive_table::tabSeparatedText(headerTexts(), selected);
}

void EventsView::copySelectedRows() const
{
    const QString text = selectedRowsText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}
