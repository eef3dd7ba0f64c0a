#pragma once

#include <archive_table/EventColumns.h>

#include <QBrush>
#include <QTableWidget>

#include <vector>

class QIODevice;

namespace config_quorvel {
class Event;
}

// The archive table: one row per event in seven fixed columns, emergencies
// on a pink background.
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

    // Writes the table as text, rows in the order shown. Returns false when
    // the device did not take every byte.
    bool exportToText(QIODevice* device) const;

private:
    void setRowItems(int row, const archive_table::RowTexts& texts, bool emergency, int lastColumn);

    QBrush emergencyBrush;
};
