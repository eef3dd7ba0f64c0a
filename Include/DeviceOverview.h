#pragma once

#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventCounts.h>
#include <archive_table/RowFilter.h>

#include <QDockWidget>
#include <QString>

#include <map>
#include <set>
#include <vector>

class QTreeWidgetItem;

namespace Ui {
class DeviceOverview;
}

// The dock beside the table that lists the panel's devices with the counts
// of their events among the rows shown: "Без адреса" on top, then the
// sections (or zones) with their devices by address. Selecting a line asks
// for its rows.
class DeviceOverview : public QDockWidget {
    Q_OBJECT

public:
    explicit DeviceOverview(QWidget* parent = nullptr);
    ~DeviceOverview() override;

    // The names and groups of the panel whose events are shown; the lines
    // start anew from its devices.
    void setDirectory(const archive_table::DeviceDirectory& directory);
    // The counts of the rows shown. A device or section the rows name gets
    // a line, which stays until the next directory: a narrower filter shows
    // it with no events instead of taking it away under the selection.
    void showCounts(const archive_table::EventCounts& counts);

public slots:
    // Leaves no line selected, without asking for anything.
    void clearChoice();

signals:
    void placeChosen(const archive_table::PlaceChoice& choice);

private:
    struct Line;
    std::vector<Line> linesFor(const archive_table::EventCounts& counts) const;
    QTreeWidgetItem* addItem(const Line& line);
    void onSelectionChanged();

    Ui::DeviceOverview* ui;
    archive_table::DeviceDirectory directory;
    // Devices with an address, and on a panel with sections the sections,
    // that the rows shown since the directory came have named.
    std::set<archive_table::Place> places;
    std::set<int> sections;
    // What each line asks for, by the key its item carries.
    std::map<QString, archive_table::PlaceChoice> choices;
    std::map<QString, QTreeWidgetItem*> items;
};
