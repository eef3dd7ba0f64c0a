#include <StatisticsWindow.h>

#include "ui_StatisticsWindow.h"

#include <MonthChart.h>
#include <SaveNames.h>

#include <archive_table/CsvExport.h>
#include <site_statistics/DeviceRanking.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

// The column of texts, left-aligned; the counts stand right-aligned.
constexpr int monthColumn = 0;
constexpr int deviceNameColumn = 2;

void fillTable(QTableWidget* view, const site_statistics::StatisticsTable& table, int textColumn,
               const std::vector<bool>& marked = {}, const QString& markNote = {})
{
    view->setColumnCount(int(table.headers.size()));
    view->setRowCount(int(table.rows.size()));
    for (int column = 0; column < int(table.headers.size()); ++column)
        view->setHorizontalHeaderItem(column, new QTableWidgetItem(table.headers[std::size_t(column)]));
    for (int row = 0; row < int(table.rows.size()); ++row) {
        const bool mark = std::size_t(row) < marked.size() && marked[std::size_t(row)];
        for (int column = 0; column < int(table.headers.size()); ++column) {
            auto* item = new QTableWidgetItem(table.rows[std::size_t(row)][std::size_t(column)]);
            if (column != textColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (mark) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setToolTip(markNote);
            }
            view->setItem(row, column, item);
        }
    }
    view->resizeColumnsToContents();
}

} // namespace

StatisticsWindow::StatisticsWindow(const QString& title, const QString& fileName, const site_statistics::Tallies& tallies,
                                   const archive_table::DeviceDirectory& devices, UserPrompts prompts,
                                   QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      ui(new Ui::StatisticsWindow), prompts(std::move(prompts)), fileName(fileName), months(site_statistics::monthTable(tallies))
{
    ui->setupUi(this);
    setWindowTitle(tr("Статистика — %1").arg(title));
    // The chart takes what the tables leave it, and more when the window
    // grows.
    ui->chartSplitter->setStretchFactor(0, 1);
    ui->chartSplitter->setStretchFactor(1, 1);

    monthTexts = site_statistics::monthTableTexts(months);
    fillTable(ui->months, monthTexts, monthColumn);
    // The latest months and the sum are what is looked for first.
    ui->months->scrollToBottom();

    const std::vector<site_statistics::DeviceCounts> ranking = site_statistics::deviceRanking(tallies, devices);
    deviceTexts = site_statistics::deviceRankingTexts(ranking);
    std::vector<bool> repeated;
    for (const site_statistics::DeviceCounts& device : ranking)
        repeated.push_back(device.repeatedFaults());
    const QString repeatedNote = tr("Повторяющиеся неисправности: неисправности в %1 разных месяцах и более")
                                     .arg(site_statistics::repeatedFaultMonths);
    fillTable(ui->devices, deviceTexts, deviceNameColumn, repeated, repeatedNote);
    const site_statistics::MonthWindow window = site_statistics::rankingWindow(tallies);
    ui->devicesNote->setText(window.last == 0 ? tr("Нет событий с датой.")
                                              : tr("С %1 по %2. Полужирным — неисправности в %3 месяцах и более.")
                                                    .arg(site_statistics::monthText(window.first))
                                                    .arg(site_statistics::monthText(window.last))
                                                    .arg(site_statistics::repeatedFaultMonths));

    for (QTableWidget* view : {ui->months, ui->devices})
        view->addAction(ui->copyRows);
    connect(ui->copyRows, &QAction::triggered, this, &StatisticsWindow::copySelectedRows);
    connect(ui->saveCsv, &QPushButton::clicked, this, &StatisticsWindow::onSaveCsv);
    connect(ui->closeWindow, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->wholeHistory, &QRadioButton::toggled, this, &StatisticsWindow::showChart);
    showChart();
}

StatisticsWindow::~StatisticsWindow()
{
    delete ui;
}

const MonthChart& StatisticsWindow::chart() const
{
    return *ui->chart;
}

void StatisticsWindow::showWholeHistory(bool whole)
{
    (whole ? ui->wholeHistory : ui->lastYear)->setChecked(true);
}

void StatisticsWindow::showChart()
{
    if (ui->wholeHistory->isChecked())
        // The table's rows but the undated one, which has no place in time.
        ui->chart->showMonths({months.begin(), months.end() - 1});
    else
        ui->chart->showMonths(site_statistics::lastMonths(months, site_statistics::rankingMonths));
}

const site_statistics::StatisticsTable& StatisticsWindow::tableInView() const
{
    return ui->tables->currentWidget() == ui->devicesTab ? deviceTexts : monthTexts;
}

QTableWidget* StatisticsWindow::viewInView() const
{
    return ui->tables->currentWidget() == ui->devicesTab ? ui->devices : ui->months;
}

QString StatisticsWindow::selectedRowsText() const
{
    const site_statistics::StatisticsTable& table = tableInView();
    std::vector<int> rows;
    for (const QModelIndex& index : viewInView()->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty())
        return QString();
    std::sort(rows.begin(), rows.end());
    std::vector<archive_table::CellTexts> selected;
    for (int row : rows)
        selected.push_back(table.rows[std::size_t(row)]);
    return archive_table::tabSeparatedText(table.headers, selected);
}

void StatisticsWindow::copySelectedRows() const
{
    const QString text = selectedRowsText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void StatisticsWindow::onSaveCsv()
{
    const bool byMonth = ui->tables->currentWidget() != ui->devicesTab;
    const QString proposed = tr("%1 статистика %2").arg(fileName, byMonth ? tr("по месяцам") : tr("приборов"));
    const QString saved = prompts.askSaveName(SavedFile::Csv, safeFileName(proposed.trimmed()));
    if (saved.isEmpty())
        return;
    const site_statistics::StatisticsTable& table = tableInView();
    // CSV has its CR LF line ends on every system, so no text mode.
    writeSavedFile(prompts, saved, false,
                   [&](QIODevice& device) { return archive_table::writeCsv(device, table.headers, table.rows); });
}
