#pragma once

#include <archive_table/EventColumns.h>
#include <archive_table/RowFilter.h>

#include <QBrush>
#include <QTableWidget>

#include <vector>

class QIODevice;

namespace config_quorvel {
class Event;
}

// The archive table: one row per event in seven columns, emergencies on a
// pink background. The date and event columns widen to show their texts
// whole; a cell still too narrow shows its text as a tool tip. A row filter
// hides the rows it does not keep.
class EventsViewWidget : public QTableWidget {
    Q_OBJECT

public:
    explicit EventsViewWidget(QWidget* parent = nullptr);

    // Adds the event's row at the top. All seven cells stay in one row even
    // while the table is sorted: the item of the sort column is set last, so
    // the table moves the complete row to its sorted place.
    void addEvent(const config_quorvel::Event& event);

    // Replaces all rows by the events and sorts them latest first: the
    // table ends exactly as emptying it, adding every event in list order
    // and sorting by the date-and-time column descending would leave it, but
    // fast enough for a full archive.
    void showEvents(const std::vector<config_quorvel::Event>& events);
    // The same for rows given as texts, in the order of an event list (a
    // site's history); "+" in the first cell marks an emergency.
    void showRows(std::vector<archive_table::RowTexts> listed);

    // Marks in bold the events that the site's history lacked before, and
    // lets the filter keep only them; flags in the order of the event list
    // of the last fill.
    void markNewEvents(const std::vector<bool>& isNew);
    bool isNewRow(int row) const;

    // Writes the table as text, rows in the order shown. Returns false when
    // the device did not take every byte.
    bool exportToText(QIODevice* device) const;

    // Writes the rows the filter keeps as CSV, in the order shown. Returns
    // false when the device did not take every byte.
    bool exportToCsv(QIODevice* device) const;

    // Hides the rows the filter does not keep, now and after every refill;
    // a sort moves the rows with their hidden state.
    void setRowFilter(const archive_table::RowFilter& filter);
    const archive_table::RowFilter& rowFilter() const { return filter; }
    int shownRowCount() const;
    // The texts of the rows the filter keeps, in the order shown.
    std::vector<archive_table::RowTexts> shownRows() const;

    // The selected rows that are not hidden, as tab-separated text with
    // the header line; empty when no shown row is selected.
    QString selectedRowsText() const;
    // Puts that text on the clipboard, when there is any.
    void copySelectedRows() const;

    // The width a column needs to show the text whole in the current font,
    // cell margins and grid line included.
    int fittingWidth(const QString& text, bool bold = false) const;

signals:
    // The rows shown changed: a new fill, a new filter, or an added row.
    void shownRowsChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    void setRowItems(int row, const archive_table::RowTexts& texts, bool emergency, int lastColumn,
                     int listIndex = -1);
    archive_table::RowTexts headerTexts() const;
    archive_table::RowTexts rowTexts(int row) const;
    void applyRowFilter();
    void fitColumns();
    void widenEventColumn(const QString& text);

    QBrush emergencyBrush;
    archive_table::RowFilter filter;
};
