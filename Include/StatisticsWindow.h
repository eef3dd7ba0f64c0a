#pragma once

#include <UserPrompts.h>

#include <archive_table/DeviceDirectory.h>
#include <site_statistics/EventTally.h>
#include <site_statistics/MonthTable.h>
#include <site_statistics/StatisticsTable.h>

#include <QDialog>

#include <vector>

class MonthChart;
class QTableWidget;

namespace Ui {
class StatisticsWindow;
}

// A site's statistics, or those of a read or a dump: the bars by month over
// the last twelve months or the whole history, the table by month and the
// devices ranked over the last twelve months, with the same columns and
// texts as the reader's --history-stats, so that its CSV is the reader's
// byte for byte. Made from counts alone, it holds no store and no events:
// it stays open beside the main window whatever that shows next. Shown
// with show(); whoever makes it with new sets Qt::WA_DeleteOnClose.
class StatisticsWindow : public QDialog {
    Q_OBJECT

public:
    // `title` names what is counted: a site, or a read or a dump as the
    // main window describes it. The devices are named from `devices`. The
    // name proposed for the CSV starts with `fileName`.
    StatisticsWindow(const QString& title, const QString& fileName, const site_statistics::Tallies& tallies,
                     const archive_table::DeviceDirectory& devices, UserPrompts prompts, QWidget* parent = nullptr);
    ~StatisticsWindow() override;

    const MonthChart& chart() const;
    // The chart over the whole history rather than the last twelve months.
    void showWholeHistory(bool whole);

    // The selected rows of the table in view as tab-separated text with the
    // header line; empty when no row is selected.
    QString selectedRowsText() const;

public slots:
    void copySelectedRows() const;
    // Asks for a name and saves the table in view as CSV.
    void onSaveCsv();

private:
    const site_statistics::StatisticsTable& tableInView() const;
    QTableWidget* viewInView() const;
    void showChart();

    Ui::StatisticsWindow* ui;
    UserPrompts prompts;
    QString fileName;
    std::vector<site_statistics::MonthCounts> months;
    site_statistics::StatisticsTable monthTexts;
    site_statistics::StatisticsTable deviceTexts;
};
