#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventColumns.h>
#include <archive_table/EventSpan.h>
#include <archive_table/RowFilter.h>

#include <QTableView>

#include <vector>

class EventTableModel;
class QIODevice;

// The archive table on screen: the events of its model in seven columns,
// rows of one height. The date and event columns widen to show their texts
// whole, the event column up to a limit; a cell still too narrow shows its
// text as a tool tip. Exports and copies read the model's events.
class EventsView : public QTableView {
    Q_OBJECT

public:
    explicit EventsView(QWidget* parent = nullptr);

    // A read's or a dump's events in the decoder's list order, shown latest
    // first as a read leaves the table; a site's history in its own order.
    // The sort indicator stands on the date, latest first, either way.
    void showListedEvents(std::vector<archive_table::ArchiveEvent> listed);
    void showOrderedEvents(std::vector<archive_table::ArchiveEvent> events);
    // See EventTableModel::markNewEvents.
    void markNewEvents(const std::vector<bool>& isNew, bool bold);

    // Shows only the events the filter keeps, now and after every refill.
    void setRowFilter(const archive_table::RowFilter& filter);
    const archive_table::RowFilter& rowFilter() const;
    int eventCount() const;
    int shownRowCount() const;
    // The events the filter keeps, in the order shown.
    archive_table::EventSpan shownEvents() const;
    const EventTableModel& eventModel() const { return *tableModel; }

    // Writes every event as the text table, in the order shown, whatever
    // the filter hides; the CSV of the events shown. False when the device
    // did not take every byte.
    bool exportToText(QIODevice* device) const;
    bool exportToCsv(QIODevice* device) const;

    // The selected rows as tab-separated text with the header line; empty
    // when no row is selected.
    QString selectedRowsText() const;
    // Puts that text on the clipboard, when there is any.
    void copySelectedRows() const;

    // The width a column needs to show the text whole in the current font,
    // cell margins and grid line included.
    int fittingWidth(const QString& text, bool bold = false) const;

signals:
    // The rows shown changed: a new fill, a new filter, new events marked.
    void shownRowsChanged();

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    archive_table::RowTexts headerTexts() const;
    void showDateSorted();
    void fitColumns();
    void placeEventColumn();

    EventTableModel* tableModel;
    // The width the event column's texts ask for, up to its maximum.
    int fittedEventWidth;
};
