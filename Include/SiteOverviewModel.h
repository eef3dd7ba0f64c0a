#pragma once

#include <site_history/SiteHistory.h>
#include <site_statistics/SiteOverview.h>

#include <QAbstractTableModel>
#include <QDate>

#include <vector>

// Every site of the history as one row: what the store holds of it (reads,
// events, the span of its reads) beside what the overview says (what the
// last read brought, the faults of the year before it, whether the site is
// due for its service). Sorting goes by sortRole, which gives numbers and
// times as such, so that "10" follows "9" and dates follow the calendar.
class SiteOverviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // What a visit is planned by comes first after the name, the span of
    // the reads last: on a small screen the columns to the right scroll.
    enum Column {
        NameColumn,
        ReadsColumn,
        EventsColumn,
        LastReadColumn,
        DaysSinceColumn,
        DueColumn,
        NewEventsColumn,
        NewEmergenciesColumn,
        DeviceFaultsColumn,
        ServiceDaysColumn,
        FirstReadColumn,
        ColumnCount
    };
    static constexpr int sortRole = Qt::UserRole;

    explicit SiteOverviewModel(QObject* parent = nullptr);

    // Both lists in name order, as the store gives them; days are counted
    // to `today`.
    void setSites(const std::vector<site_history::SiteInfo>& sites,
                  const std::vector<site_statistics::SiteOverview>& overview, const QDate& today);

    const site_history::SiteInfo& site(int row) const { return rows[std::size_t(row)].info; }
    const site_statistics::SiteOverview& overview(int row) const { return rows[std::size_t(row)].overview; }
    const QDate& today() const { return day; }
    // The row of the site named so, or -1.
    int rowOf(const QString& name) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        site_history::SiteInfo info;
        site_statistics::SiteOverview overview;
        bool due = false;
    };
    QVariant text(const Row& row, int column) const;
    QVariant sortKey(const Row& row, int column) const;

    std::vector<Row> rows;
    QDate day;
};
