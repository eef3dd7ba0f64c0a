// The statistics window made from known counts: its tables as the reader
// writes them, the mark of repeated faults, the chart's months, its CSV and
// its size on a small screen.

#include <HistoryOpening.h>
#include <HistoryTestSupport.h>
#include <MonthChart.h>
#include <StatisticsWindow.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFont>
#include <QLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using site_statistics::Tally;

// Device 1.4 faults in November, January (with the emergency flag) and
// February: three months, a repeated fault. Device 2.9 faults once among its
// commands. A reset of the panel has no device; two loop states no date.
const site_statistics::Tallies knownTallies = {
    {202311, 1, 4, 1, false, 2}, {202401, 1, 4, 1, true, 1}, {202401, 2, 9, 1, false, 1},
    {202401, 2, 9, 3, false, 5}, {202402, 0, 0, 0, false, 1}, {202402, 1, 4, 1, false, 1},
    {0, 1, 4, 2, false, 2},
};

QStringList rowTexts(const QTableWidget& table, int row)
{
    QStringList texts;
    for (int column = 0; column < table.columnCount(); ++column)
        texts << table.item(row, column)->text();
    return texts;
}

QStringList tableTexts(const QTableWidget& table)
{
    QStringList rows;
    for (int column = 0; column < table.columnCount(); ++column)
        rows << table.horizontalHeaderItem(column)->text();
    rows = QStringList{rows.join(QLatin1Char('|'))};
    for (int row = 0; row < table.rowCount(); ++row)
        rows << rowTexts(table, row).join(QLatin1Char('|'));
    return rows;
}

struct Window {
    QTemporaryDir folder;
    QString csvName;
    QStringList criticals;
    std::unique_ptr<StatisticsWindow> window;

    explicit Window(const site_statistics::Tallies& tallies, const archive_table::DeviceDirectory& devices = {})
    {
        UserPrompts prompts;
        prompts.askSaveName = [this](SavedFile, const QString&) { return csvName; };
        prompts.showCritical = [this](const QString& text) { criticals << text; };
        window = std::make_unique<StatisticsWindow>(QStringLiteral("Склад №1"), QStringLiteral("Склад №1"), tallies, devices, prompts);
    }
    QTableWidget& table(const char* name) { return *window->findChild<QTableWidget*>(QLatin1String(name)); }
    void showTab(const char* name)
    {
        auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("tables"));
        tabs->setCurrentWidget(window->findChild<QWidget*>(QLatin1String(name)));
    }
    QByteArray savedCsv(const QString& name)
    {
        csvName = folder.filePath(name);
        window->findChild<QPushButton*>(QStringLiteral("saveCsv"))->click();
        QFile file(csvName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

class StatisticsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void tablesShowTheReadersRowsWithRepeatedFaultsMarked();
    void copyAndCsvTakeTheTableInView();
    void theSwitchShowsTwelveMonthsOrTheWholeHistory();
    void opensOnASmallScreenWithEveryMonthLabelled();
    void aSitesCountsComeFromTheStoreNamedByItsLatestRead();
};

void StatisticsWindowTest::tablesShowTheReadersRowsWithRepeatedFaultsMarked()
{
    Window w(knownTallies);
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Статистика — Склад №1"));
    QCOMPARE(tableTexts(w.table("months")),
             (QStringList{"Месяц|Событий|Экстренных|Неисправностей|Состояний шлейфов|Команд|Сбросов|Прочих",
                          "2023-11|2|0|2|0|0|0|0", "2023-12|0|0|0|0|0|0|0", "2024-01|7|1|2|0|5|0|0",
                          "2024-02|2|0|1|0|0|1|0", "без даты|2|0|0|2|0|0|0"}));
    const QTableWidget& devices = w.table("devices");
    QCOMPARE(tableTexts(devices),
             (QStringList{"Секция|Адрес|Прибор|Событий|Экстренных|Неисправностей|Месяцев с неисправностями",
                          "1|4|Aдpec 1.4|4|1|4|3", "2|9|Aдpec 2.9|6|0|1|1"}));
    for (int column = 0; column < devices.columnCount(); ++column) {
        QVERIFY(devices.item(0, column)->font().bold());
        QVERIFY(!devices.item(1, column)->font().bold());
    }
}

void StatisticsWindowTest::copyAndCsvTakeTheTableInView()
{
    Window w(knownTallies);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.table("months").setFocus();
    w.table("months").selectRow(3);
    QTest::keyClick(&w.table("months"), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("Месяц\tСобытий\tЭкстренных\tНеисправностей\tСостояний шлейфов\tКоманд\tСбросов\tПрочих\n"
                            "2024-02\t2\t0\t1\t0\t0\t1\t0\n"));
    QCOMPARE(w.savedCsv(QStringLiteral("months.csv")),
             QByteArray("\xEF\xBB\xBF"
                        "Месяц;Событий;Экстренных;Неисправностей;Состояний шлейфов;Команд;Сбросов;Прочих\r\n"
                        "2023-11;2;0;2;0;0;0;0\r\n2023-12;0;0;0;0;0;0;0\r\n2024-01;7;1;2;0;5;0;0\r\n"
                        "2024-02;2;0;1;0;0;1;0\r\nбез даты;2;0;0;2;0;0;0\r\n"));

    // The names in the reader's spelling, as all CSV and copies write them.
    w.showTab("devicesTab");
    w.table("devices").selectRow(1);
    QCOMPARE(w.window->selectedRowsText(),
             QStringLiteral("Секция\tАдрес\tПрибор\tСобытий\tЭкстренных\tНеисправностей\tМесяцев с неисправностями\n"
                            "2\t9\tАдрес 2.9\t6\t0\t1\t1\n"));
    QCOMPARE(w.savedCsv(QStringLiteral("devices.csv")),
             QByteArray("\xEF\xBB\xBF"
                        "Секция;Адрес;Прибор;Событий;Экстренных;Неисправностей;Месяцев с неисправностями\r\n"
                        "1;4;Адрес 1.4;4;1;4;3\r\n2;9;Адрес 2.9;6;0;1;1\r\n"));
    QVERIFY(w.criticals.isEmpty());
}

// Thirty-three months from June 2021; a history of three months still shows
// twelve, the nine before it empty.
void StatisticsWindowTest::theSwitchShowsTwelveMonthsOrTheWholeHistory()
{
    Window w({{202106, 0, 0, 0, false, 1}, {202402, 0, 0, 0, false, 1}, {0, 0, 0, 0, false, 1}});
    const MonthChart& chart = w.window->chart();
    QCOMPARE(chart.monthCount(), 12);
    QCOMPARE(chart.monthSummary(0), QStringLiteral("2023-03: событий 0, экстренных 0, неисправностей 0"));
    w.window->showWholeHistory(true);
    QCOMPARE(chart.monthCount(), 33);
    QCOMPARE(chart.monthSummary(0), QStringLiteral("2021-06: событий 1, экстренных 0, неисправностей 0"));
    QCOMPARE(chart.monthSummary(32), QStringLiteral("2024-02: событий 1, экстренных 0, неисправностей 0"));
    w.window->showWholeHistory(false);
    QCOMPARE(chart.monthCount(), 12);

    Window shortHistory(knownTallies);
    QCOMPARE(shortHistory.window->chart().monthCount(), 12);
    QCOMPARE(shortHistory.window->chart().monthSummary(11),
             QStringLiteral("2024-02: событий 2, экстренных 0, неисправностей 1"));
}

// A 1024×600 screen less a title bar and a panel. At the size the window
// opens with, each of the twelve months has its label.
void StatisticsWindowTest::opensOnASmallScreenWithEveryMonthLabelled()
{
    Window w(knownTallies);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    const QSize small(1024, 600 - 60);
    QVERIFY2(w.window->width() <= small.width() && w.window->height() <= small.height(),
             qPrintable(QStringLiteral("%1×%2").arg(w.window->width()).arg(w.window->height())));
    const QSize least = w.window->layout()->totalMinimumSize();
    QVERIFY(least.width() <= small.width() && least.height() <= small.height());
    const MonthChart& chart = w.window->chart();
    QCOMPARE(chart.labelEvery(), 1);
    QCOMPARE(chart.monthLabel(0), QStringLiteral("мар\n2023"));
    QCOMPARE(chart.monthLabel(9), QStringLiteral("дек"));
    QCOMPARE(chart.monthLabel(10), QStringLiteral("янв\n2024"));
}

// Two reads of one site, the device renamed in the later one (in the
// panel's letters, Latin where they look alike); the events
// of both counted once, in the twelve months up to February 2024.
void StatisticsWindowTest::aSitesCountsComeFromTheStoreNamedByItsLatestRead()
{
    QTemporaryDir folder;
    const QString location = folder.filePath(QStringLiteral("history.sqlite"));
    {
        site_history::SiteHistory store(location);
        store.record(QStringLiteral("Склад"), readDump(statisticsPanel(false), 1'700'000'000'000));
        panel_sim::PanelDescription later = statisticsPanel(true);
        later.zoneDevices[0].names->deviceName = u"Kyxня";
        store.record(QStringLiteral("Склад"), readDump(later, 1'700'003'600'000));
    }
    const SiteTallies counted = talliesAside(location, QStringLiteral("Склад"));
    QVERIFY2(counted.error.isEmpty(), qPrintable(counted.error));
    Window w(counted.tallies, counted.devices);
    QCOMPARE(tableTexts(w.table("devices")).value(1), QStringLiteral("|3|Kyxня|4|1|1|1"));
    QCOMPARE(w.table("months").rowCount(), 5);

    QVERIFY(!talliesAside(location, QStringLiteral("Офис")).error.isEmpty());
}

QTEST_MAIN(StatisticsWindowTest)
#include "StatisticsWindowTest.moc"
