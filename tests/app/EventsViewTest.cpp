#include "ViewerTestSupport.h"

#include <archive_table/EventRows.h>
#include <EventsViewWidget.h>

#include <QHeaderView>
#include <QtTest>

#include <algorithm>

using config_quorvel::Event;

namespace {

const QColor emergencyColour(255, 164, 164, 255);

// Cells, alignments, backgrounds and heights, as far as a user can tell two
// tables apart.
QStringList tableState(const QTableWidget& table)
{
    QStringList state;
    for (int row = 0; row < table.rowCount(); ++row) {
        QString line = QString::number(table.rowHeight(row));
        for (int column = 0; column < table.columnCount(); ++column) {
            const QTableWidgetItem* item = table.item(row, column);
            if (!item) {
                line += QStringLiteral("|<none>");
                continue;
            }
            line += QStringLiteral("|%1 a%2 t%3 b%4")
                        .arg(item->text())
                        .arg(item->data(Qt::TextAlignmentRole).toInt())
                        .arg(item->type())
                        .arg(item->data(Qt::BackgroundRole).isValid()
                                 ? item->background().color().name(QColor::HexArgb)
                                 : QStringLiteral("none"));
        }
        state << line;
    }
    return state;
}

// The reference fill: every event added on its own with sorting off, then
// the table sorted by date and time, latest first.
void fillRowByRow(EventsViewWidget& table, const std::vector<Event>& events)
{
    table.setSortingEnabled(false);
    table.setRowCount(0);
    for (const Event& event : events)
        table.addEvent(event);
    table.sortByColumn(archive_table::dateTimeColumn, Qt::DescendingOrder);
}

} // namespace

class EventsViewTest : public QObject {
    Q_OBJECT

private:
    config_quorvel::Configuration configuration;

    std::vector<Event> mixedEvents()
    {
        // Dates out of order, equal dates, an unknown date, emergencies
        // between ordinary events.
        return {
            RecordBuilder().date(2021, 3, 15, 9, 5, 7).event(&configuration),
            RecordBuilder().date(2019, 1, 1, 0, 0, 0).section(3).address(17).eventClass(2).code(0x08).emergency().event(&configuration),
            RecordBuilder().date(2021, 3, 15, 9, 5, 7).section(2).address(5).eventClass(1).code(3).event(&configuration),
            RecordBuilder().section(1).address(9).eventClass(1).code(5).event(&configuration),
            RecordBuilder().date(2022, 12, 31, 23, 59, 59).address(10).eventClass(2).code(0x10).emergency().event(&configuration),
            RecordBuilder().date(2021, 3, 15, 9, 5, 7).section(4).address(1).eventClass(4).code(0x05).event(&configuration),
            RecordBuilder().date(2020, 6, 1, 12, 0, 0).eventClass(5).code(0x1A).event(&configuration),
        };
    }

private slots:
    void newTableHasSevenHeadedColumnsAndNoRows()
    {
        EventsViewWidget table;
        QCOMPARE(table.columnCount(), 7);
        QCOMPARE(table.rowCount(), 0);
        const QStringList expected = {
            QStringLiteral("Э"), QStringLiteral("Дата и время"), QStringLiteral("Секция"),
            QStringLiteral("Адрес"), QStringLiteral("Шл./Л.с."), QStringLiteral("Cобытие"),
            QStringLiteral("Источник/Описание")};
        for (int column = 0; column < 7; ++column)
            QCOMPARE(table.horizontalHeaderItem(column)->text(), expected[column]);
        // "Э" is one Cyrillic letter; the event header starts with a Latin C.
        QCOMPARE(table.horizontalHeaderItem(0)->text(), QString(QChar(0x042D)));
        QCOMPARE(table.horizontalHeaderItem(5)->text().at(0), QChar(0x0043));
        QCOMPARE(table.horizontalHeaderItem(5)->text().at(1), QChar(0x043E));
        QCOMPARE(table.horizontalHeaderItem(0)->toolTip(), QStringLiteral("Экстренное"));
        for (int column = 1; column < 7; ++column)
            QVERIFY(table.horizontalHeaderItem(column)->toolTip().isEmpty());

        // The date column is as wide as its texts need, 120 at least.
        const int widths[] = {17, -1, 60, 60, 60, 220};
        for (int column = 0; column < 6; ++column)
            if (widths[column] > 0)
                QCOMPARE(table.columnWidth(column), widths[column]);
        QCOMPARE(table.columnWidth(1), std::max(120, table.fittingWidth("0000/00/00 00:00:00")));
    }

    void addEventMakesOneRowOfSevenCells()
    {
        EventsViewWidget table;
        table.addEvent(
            RecordBuilder().date(2019, 3, 5, 8, 7, 9).section(3).address(17).eventClass(2).code(0x08).emergency().event(&configuration));
        QCOMPARE(table.rowCount(), 1);
        QCOMPARE(table.rowHeight(0), 17);

        const QStringList texts = {QStringLiteral("+"), QStringLiteral("2019/03/05 08:07:09"),
                                   QStringLiteral("3"), QStringLiteral("17"), QStringLiteral("2"),
                                   QString(), QString()};
        for (int column = 0; column < 7; ++column) {
            const QTableWidgetItem* item = table.item(0, column);
            QVERIFY(item);
            QCOMPARE(item->type(), 0);
            if (column != 5 && column != 6)
                QCOMPARE(item->text(), texts[column]);
            const bool centred = column == 0 || (column >= 2 && column <= 4);
            if (centred)
                QCOMPARE(item->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
            else
                QVERIFY(!item->data(Qt::TextAlignmentRole).isValid());
            QCOMPARE(item->background().color(), emergencyColour);
            QCOMPARE(item->background().style(), Qt::SolidPattern);
            QVERIFY(!item->data(Qt::UserRole).isValid());
        }
        // Object texts of a device without names use Latin look-alikes.
        QCOMPARE(table.item(0, 6)->text(), QStringLiteral("Aдpec 3.17 Шлeйф 2"));
    }

    void ordinaryEventHasNoBackgroundAndZeroNumbersGiveEmptyCells()
    {
        EventsViewWidget table;
        table.addEvent(RecordBuilder().date(2021, 3, 15, 9, 5, 7).event(&configuration));
        for (int column : {0, 2, 3, 4})
            QCOMPARE(table.item(0, column)->text(), QString());
        QCOMPARE(table.item(0, 1)->text(), QStringLiteral("2021/03/15 09:05:07"));
        QCOMPARE(table.item(0, 5)->text(), QStringLiteral("СБРОС"));
        for (int column = 0; column < 7; ++column)
            QVERIFY(!table.item(0, column)->data(Qt::BackgroundRole).isValid());
    }

    void rowsStayWholeWhileSorted_data()
    {
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("sorting");
        QTest::newRow("unsorted") << 1 << int(Qt::DescendingOrder) << false;
        QTest::newRow("by date, latest first") << 1 << int(Qt::DescendingOrder) << true;
        QTest::newRow("by emergency") << 0 << int(Qt::DescendingOrder) << true;
        QTest::newRow("by address") << 3 << int(Qt::AscendingOrder) << true;
        QTest::newRow("by object") << 6 << int(Qt::AscendingOrder) << true;
    }

    void rowsStayWholeWhileSorted()
    {
        QFETCH(int, sortColumn);
        QFETCH(int, order);
        QFETCH(bool, sorting);
        EventsViewWidget table;
        table.setSortingEnabled(sorting);
        table.sortByColumn(sortColumn, Qt::SortOrder(order));

        const std::vector<Event> events = mixedEvents();
        std::vector<archive_table::RowTexts> expected;
        for (const Event& event : events) {
            table.addEvent(event);
            expected.push_back(archive_table::eventRowTexts(event));
        }
        std::vector<archive_table::RowTexts> shown = tableRows(table);
        QCOMPARE(int(shown.size()), int(events.size()));
        if (!sorting)
            std::reverse(shown.begin(), shown.end()); // each new row went to the top
        else {
            std::sort(shown.begin(), shown.end());
            std::sort(expected.begin(), expected.end());
        }
        QCOMPARE(rowsAsText(shown), rowsAsText(expected));

        // Emergency rows are pink in every cell, the others in none.
        for (int row = 0; row < table.rowCount(); ++row) {
            const bool emergency = table.item(row, 0)->text() == QStringLiteral("+");
            for (int column = 0; column < 7; ++column)
                QCOMPARE(table.item(row, column)->data(Qt::BackgroundRole).isValid(), emergency);
        }
    }

    void showEventsLeavesTheTableAsTheRowByRowFill_data()
    {
        QTest::addColumn<int>("previousSortColumn");
        QTest::addColumn<int>("previousOrder");
        QTest::newRow("fresh table") << -1 << 0;
        QTest::newRow("after a read") << 1 << int(Qt::DescendingOrder);
        QTest::newRow("after the user sorted by address") << 3 << int(Qt::AscendingOrder);
        QTest::newRow("after the user sorted by date, oldest first") << 1 << int(Qt::AscendingOrder);
    }

    void showEventsLeavesTheTableAsTheRowByRowFill()
    {
        QFETCH(int, previousSortColumn);
        QFETCH(int, previousOrder);
        const std::vector<Event> events = mixedEvents();

        EventsViewWidget table;
        table.setSortingEnabled(true);
        // Rows of an earlier read, possibly re-sorted by the user.
        table.showEvents({events[6], events[0]});
        if (previousSortColumn >= 0)
            table.sortByColumn(previousSortColumn, Qt::SortOrder(previousOrder));
        table.showEvents(events);

        EventsViewWidget reference;
        fillRowByRow(reference, events);

        QCOMPARE(tableState(table), tableState(reference));
        QVERIFY(table.isSortingEnabled());
        QCOMPARE(table.horizontalHeader()->sortIndicatorSection(), 1);
        QCOMPARE(table.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

        // The order the command-line reader writes is the one shown.
        QCOMPARE(rowsAsText(archive_table::rowsAsShownAfterRead(events)), rowsAsText(tableRows(table)));
        // Latest first, equal dates in reverse list order, no date last.
        QCOMPARE(table.item(0, 1)->text(), QStringLiteral("2022/12/31 23:59:59"));
        QCOMPARE(table.item(1, 3)->text(), QStringLiteral("1"));
        QCOMPARE(table.item(2, 3)->text(), QStringLiteral("5"));
        QCOMPARE(table.item(3, 3)->text(), QString());
        QCOMPARE(table.item(6, 1)->text(), QString());
    }

    void fullArchiveShowsAsTheRowByRowFill()
    {
        config_quorvel::Configuration full;
        const std::vector<Event> events =
            readPanel(panel_sim::buildPanel(fullArchivePanel()), full);
        QCOMPARE(int(events.size()), 8192);

        EventsViewWidget table;
        table.setSortingEnabled(true);
        table.showEvents(events);
        EventsViewWidget reference;
        fillRowByRow(reference, events);
        QCOMPARE(tableState(table), tableState(reference));
    }

    void orderFallsBackToTheLocaleOrder()
    {
        // Code units put "B" before "a"; the locale-aware order does not.
        std::vector<archive_table::RowTexts> rows(5);
        const QStringList dates = {"a", "B", "c", "B", ""};
        for (int i = 0; i < 5; ++i)
            rows[std::size_t(i)][1] = dates[i];
        std::vector<std::size_t> expected = {4, 3, 2, 1, 0};
        std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
            return QTableWidgetItem(dates[int(b)]) < QTableWidgetItem(dates[int(a)]);
        });
        QCOMPARE(archive_table::orderAsShownAfterRead(rows), expected);
        QCOMPARE(archive_table::orderAsShownAfterRead(rows).back(), std::size_t(4));
    }

    void showEventsOfNothingEmptiesTheTable()
    {
        EventsViewWidget table;
        table.setSortingEnabled(true);
        table.showEvents(mixedEvents());
        table.showEvents({});
        QCOMPARE(table.rowCount(), 0);
    }

    void textComparisonIsTheTableItemComparison()
    {
        const QStringList texts = {QString(),
                                   QStringLiteral("10"),
                                   QStringLiteral("9"),
                                   QStringLiteral("2019/03/05 08:07:09"),
                                   QStringLiteral("2019/03/05 08:07:10"),
                                   QStringLiteral("2018/12/31 23:59:59"),
                                   QStringLiteral("+"),
                                   QStringLiteral("HOPMA"),
                                   QStringLiteral("Норма"),
                                   QStringLiteral("норма"),
                                   QStringLiteral("Aдpec 3.17"),
                                   QStringLiteral("Щит 5: выход 3")};
        for (const QString& a : texts)
            for (const QString& b : texts) {
                const bool itemLess = QTableWidgetItem(a) < QTableWidgetItem(b);
                QVERIFY2(archive_table::displayTextLess(a, b) == itemLess,
                         qPrintable(a + QStringLiteral(" <> ") + b));
            }
    }

    // Section, address and loop sort by value, empty cells after the
    // numbers; the date column keeps its text order.
    void numberColumnsSortAsNumbers()
    {
        EventsViewWidget table;
        table.setSortingEnabled(true);
        const std::vector<std::pair<int, int>> sectionAndAddress = {{2, 9}, {10, 40}, {1, 10}, {0, 0}, {3, 2}};
        for (std::size_t i = 0; i < sectionAndAddress.size(); ++i) {
            const auto [section, address] = sectionAndAddress[i];
            table.addEvent(RecordBuilder().date(2020, 1, 1, 0, 0, int(i)).section(section).address(address)
                               .eventClass(2).code(std::uint8_t(address % 3 ? 0x08 : 0x00)).event(&configuration));
        }
        const auto column = [&](int c) {
            QStringList texts;
            for (int row = 0; row < table.rowCount(); ++row)
                texts << table.item(row, c)->text();
            return texts;
        };
        table.sortByColumn(archive_table::addressColumn, Qt::AscendingOrder);
        QCOMPARE(column(archive_table::addressColumn), (QStringList{"2", "9", "10", "40", ""}));
        QCOMPARE(column(archive_table::dateTimeColumn).first(), QStringLiteral("2020/01/01 00:00:04"));
        table.sortByColumn(archive_table::sectionColumn, Qt::AscendingOrder);
        QCOMPARE(column(archive_table::sectionColumn), (QStringList{"1", "2", "3", "10", ""}));
        table.sortByColumn(archive_table::sectionColumn, Qt::DescendingOrder);
        QCOMPARE(column(archive_table::sectionColumn), (QStringList{"", "10", "3", "2", "1"}));
        table.sortByColumn(archive_table::loopColumn, Qt::AscendingOrder);
        QCOMPARE(column(archive_table::loopColumn), (QStringList{"1", "1", "2", "2", "2"}));
        table.sortByColumn(archive_table::dateTimeColumn, Qt::AscendingOrder);
        QCOMPARE(column(archive_table::addressColumn), (QStringList{"9", "40", "10", "", "2"}));
    }
};

QTEST_MAIN(EventsViewTest)
#include "EventsViewTest.moc"
