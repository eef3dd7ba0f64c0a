#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventTable.h>
#include <archive_table/RowFilter.h>

#include <QAbstractTableModel>

#include <vector>

// The archive table for a view: one row per event the filter keeps, in seven
// columns. Each cell's text is made when the view asks for it, so only the
// rows on screen cost texts; emergencies come with the pink background, new
// events in bold, the mark and the numbers centred. A sort by a column is
// the typed events' sort (see archive_table::EventTable::sort).
class EventTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit EventTableModel(QObject* parent = nullptr);

    // A read's or a dump's events, in the decoder's list order; shown as a
    // read leaves the table.
    void showListedEvents(std::vector<archive_table::ArchiveEvent> listed);
    // Events already in the order to show (a site's history).
    void showOrderedEvents(std::vector<archive_table::ArchiveEvent> events);
    // Which events are new to the site's history, by flags in the order of
    // the last fill, for the filter; bold: whether they also stand out in
    // bold (not on a site's first read, where every one is new).
    void markNewEvents(const std::vector<bool>& isNew, bool bold);
    void setRowFilter(const archive_table::RowFilter& filter);

    const archive_table::EventTable& events() const { return table; }
    bool showsNewInBold() const { return newInBold && table.hasNewEvents(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    archive_table::EventTable table;
    bool newInBold = false;
};
