#include "ViewerTestSupport.h"

#include <archive_table/EventRows.h>
#include <EventsView.h>

#include <QHeaderView>
#include <QImage>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>

using config_quorvel::Event;

namespace {

const QColor emergencyColour(255, 164, 164, 255);

std::vector<archive_table::ArchiveEvent> typed(const std::vector<Event>& events)
{
    return archive_table::archiveEvents(events);
}

// The order a table widget gives the events' texts when each is inserted at
// the top and the table is then sorted by date and time, latest first: the
// window's order since its first version.
std::vector<archive_table::RowTexts> widgetOrder(const std::vector<Event>& events)
{
    QTableWidget table(0, archive_table::columnCount);
    for (const Event& event : events) {
        const archive_table::RowTexts texts = archive_table::rowTexts(archive_table::archiveEvent(event));
        table.insertRow(0);
        for (int column = 0; column < archive_table::columnCount; ++column)
            table.setItem(0, column, new QTableWidgetItem(texts[column]));
    }
    table.sortByColumn(archive_table::dateTimeColumn, Qt::DescendingOrder);
    std::vector<archive_table::RowTexts> rows(std::size_t(table.rowCount()));
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < archive_table::columnCount; ++column)
            rows[std::size_t(row)][column] = table.item(row, column)->text();
    return rows;
}

QStringList columnTexts(const EventsView& table, int column)
{
    QStringList texts;
    for (const archive_table::RowTexts& row : shownRows(table))
        texts << row[column];
    return texts;
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
        EventsView table;
        const QAbstractItemModel& model = *table.model();
        QCOMPARE(model.columnCount(), 7);
        QCOMPARE(model.rowCount(), 0);
        const QStringList expected = {
            QStringLiteral("Э"), QStringLiteral("Дата и время"), QStringLiteral("Секция"),
            QStringLiteral("Адрес"), QStringLiteral("Шл./Л.с."), QStringLiteral("Cобытие"),
            QStringLiteral("Источник/Описание")};
        const auto header = [&](int column, int role = Qt::DisplayRole) {
            return model.headerData(column, Qt::Horizontal, role).toString();
        };
        for (int column = 0; column < 7; ++column)
            QCOMPARE(header(column), expected[column]);
        // "Э" is one Cyrillic letter; the event header starts with a Latin C.
        QCOMPARE(header(0), QString(QChar(0x042D)));
        QCOMPARE(header(5).at(0), QChar(0x0043));
        QCOMPARE(header(5).at(1), QChar(0x043E));
        QCOMPARE(header(0, Qt::ToolTipRole), QStringLiteral("Экстренное"));
        for (int column = 1; column < 7; ++column)
            QVERIFY(header(column, Qt::ToolTipRole).isEmpty());

        // The date column is as wide as its texts need, 120 at least.
        const int widths[] = {17, -1, 60, 60, 60, 220};
        for (int column = 0; column < 6; ++column)
            if (widths[column] > 0)
                QCOMPARE(table.columnWidth(column), widths[column]);
        QCOMPARE(table.columnWidth(1), std::max(120, table.fittingWidth("0000/00/00 00:00:00")));
    }

    // On a narrow screen the event column gives way, so that the source
    // keeps half of what the other columns leave; wide again, it fits its
    // texts once more.
    void theEventColumnGivesWayOnANarrowScreen()
    {
        EventsView table;
        table.showListedEvents(typed(mixedEvents()));
        table.resize(1400, 300);
        table.show();
        const int wide = table.columnWidth(archive_table::eventColumn);
        QVERIFY(wide >= 220);
        table.resize(600, 300);
        const int others = 17 + table.columnWidth(archive_table::dateTimeColumn) + 3 * 60;
        const int half = (table.viewport()->width() - others) / 2;
        QVERIFY(half < wide);
        QCOMPARE(table.columnWidth(archive_table::eventColumn), std::max(120, half));
        table.resize(1400, 300);
        QCOMPARE(table.columnWidth(archive_table::eventColumn), wide);
    }

    // Texts, the pink, the bold of new events and the alignment, as roles.
    void cellsShowTheirEventThroughRoles()
    {
        EventsView table;
        table.showListedEvents(typed({
            RecordBuilder().date(2019, 3, 5, 8, 7, 9).section(3).address(17).eventClass(2).code(0x08).emergency().event(&configuration),
            RecordBuilder().date(2021, 3, 15, 9, 5, 7).event(&configuration),
        }));
        QCOMPARE(table.model()->rowCount(), 2);
        QCOMPARE(table.rowHeight(0), 17);
        QCOMPARE(table.rowHeight(1), 17);

        const QStringList emergency = {QStringLiteral("+"), QStringLiteral("2019/03/05 08:07:09"),
                                       QStringLiteral("3"), QStringLiteral("17"), QStringLiteral("2")};
        const QStringList ordinary = {QString(), QStringLiteral("2021/03/15 09:05:07"), QString(), QString(), QString(),
                                      QStringLiteral("СБРОС")};
        for (int column = 0; column < 7; ++column) {
            const QModelIndex pink = cell(table, 1, column);
            const QModelIndex plain = cell(table, 0, column);
            if (column < emergency.size())
                QCOMPARE(pink.data().toString(), emergency[column]);
            if (column < ordinary.size())
                QCOMPARE(plain.data().toString(), ordinary[column]);
            const bool centred = column == 0 || (column >= 2 && column <= 4);
            for (const QModelIndex& index : {pink, plain}) {
                if (centred)
                    QCOMPARE(index.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignHCenter | Qt::AlignVCenter));
                else
                    QVERIFY(!index.data(Qt::TextAlignmentRole).isValid());
                QVERIFY(!index.data(Qt::FontRole).isValid());
            }
            const QBrush brush = pink.data(Qt::BackgroundRole).value<QBrush>();
            QCOMPARE(brush.color(), emergencyColour);
            QCOMPARE(brush.style(), Qt::SolidPattern);
            QVERIFY(!plain.data(Qt::BackgroundRole).isValid());
        }
        // Object texts of a device without names use Latin look-alikes.
        QCOMPARE(cell(table, 1, 6).data().toString(), QStringLiteral("Aдpec 3.17 Шлeйф 2"));

        // New events in bold when asked, by their place in the list.
        table.markNewEvents({true, false}, true);
        for (int column = 0; column < 7; ++column) {
            QVERIFY(cell(table, 1, column).data(Qt::FontRole).value<QFont>().bold());
            QVERIFY(!cell(table, 0, column).data(Qt::FontRole).isValid());
        }
        table.markNewEvents({true, true}, false);
        QVERIFY(!cell(table, 1, 0).data(Qt::FontRole).isValid());
        QVERIFY(table.eventModel().events().isShownNew(0));
    }

    // A read is shown as a table widget sorted it, for a few events and for
    // a full archive; the command-line reader writes the same order.
    void aReadShowsInTheTableWidgetsOrder()
    {
        const std::vector<Event> events = mixedEvents();
        EventsView table;
        table.showListedEvents(typed({events[6], events[0]}));
        table.sortByColumn(archive_table::addressColumn, Qt::AscendingOrder);
        table.showListedEvents(typed(events));
        QCOMPARE(rowsAsText(shownRows(table)), rowsAsText(widgetOrder(events)));
        QCOMPARE(table.horizontalHeader()->sortIndicatorSection(), 1);
        QCOMPARE(table.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(rowsAsText(archive_table::rowsAsShownAfterRead(events)), rowsAsText(shownRows(table)));
        // Latest first, equal dates in reverse list order, no date last.
        QCOMPARE(cell(table, 0, 1).data().toString(), QStringLiteral("2022/12/31 23:59:59"));
        QCOMPARE(columnTexts(table, 3).mid(1, 3), (QStringList{"1", "5", ""}));
        QCOMPARE(cell(table, 6, 1).data().toString(), QString());

        config_quorvel::Configuration full;
        const std::vector<Event> archive = readPanel(panel_sim::buildPanel(fullArchivePanel()), full);
        QCOMPARE(int(archive.size()), 8192);
        table.showListedEvents(typed(archive));
        QCOMPARE(rowsAsText(shownRows(table)), rowsAsText(widgetOrder(archive)));

        table.showListedEvents({});
        QCOMPARE(table.model()->rowCount(), 0);
    }

    // A history comes in its store's order, which the table keeps.
    void orderedEventsKeepTheirOrder()
    {
        const std::vector<archive_table::ArchiveEvent> events = typed(mixedEvents());
        EventsView table;
        table.showOrderedEvents(events);
        QCOMPARE(rowsAsText(shownRows(table)), rowsAsText(archive_table::rowTexts(events)));
    }

    // The view fills its grid's lines itself, pixel for pixel where the
    // table would draw them.
    void theGridIsTheTablesOwn()
    {
        config_quorvel::Configuration full;
        EventsView table;
        table.resize(600, 300);
        table.showListedEvents(typed(readPanel(panel_sim::buildPanel(fullArchivePanel()), full)));
        table.selectRow(2);
        const QImage filled = table.viewport()->grab().toImage();
        table.setGridStyle(Qt::SolidLine);
        QCOMPARE(table.viewport()->grab().toImage(), filled);
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
    // numbers; the date column by time; rows stay whole, pink with their
    // emergency.
    void columnsSortByWhatTheyShow()
    {
        EventsView table;
        std::vector<Event> events;
        const std::vector<std::pair<int, int>> sectionAndAddress = {{2, 9}, {10, 40}, {1, 10}, {0, 0}, {3, 2}};
        for (std::size_t i = 0; i < sectionAndAddress.size(); ++i) {
            const auto [section, address] = sectionAndAddress[i];
            events.push_back(RecordBuilder().date(2020, 1, 1, 0, 0, int(i)).section(section).address(address)
                                 .eventClass(2).code(std::uint8_t(address % 3 ? 0x08 : 0x00)).event(&configuration));
        }
        table.showListedEvents(typed(events));
        const std::vector<archive_table::RowTexts> before = shownRows(table);
        table.sortByColumn(archive_table::addressColumn, Qt::AscendingOrder);
        QCOMPARE(columnTexts(table, archive_table::addressColumn), (QStringList{"2", "9", "10", "40", ""}));
        QCOMPARE(columnTexts(table, archive_table::dateTimeColumn).first(), QStringLiteral("2020/01/01 00:00:04"));
        table.sortByColumn(archive_table::sectionColumn, Qt::AscendingOrder);
        QCOMPARE(columnTexts(table, archive_table::sectionColumn), (QStringList{"1", "2", "3", "10", ""}));
        table.sortByColumn(archive_table::sectionColumn, Qt::DescendingOrder);
        QCOMPARE(columnTexts(table, archive_table::sectionColumn), (QStringList{"", "10", "3", "2", "1"}));
        table.sortByColumn(archive_table::loopColumn, Qt::AscendingOrder);
        QCOMPARE(columnTexts(table, archive_table::loopColumn), (QStringList{"1", "1", "2", "2", "2"}));
        table.sortByColumn(archive_table::dateTimeColumn, Qt::AscendingOrder);
        QCOMPARE(columnTexts(table, archive_table::addressColumn), (QStringList{"9", "40", "10", "", "2"}));

        table.sortByColumn(archive_table::objectColumn, Qt::AscendingOrder);
        std::vector<archive_table::RowTexts> after = shownRows(table);
        std::vector<archive_table::RowTexts> expected = before;
        std::sort(after.begin(), after.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(rowsAsText(after), rowsAsText(expected));
        for (int row = 0; row < table.model()->rowCount(); ++row)
            QCOMPARE(cell(table, row, 6).data(Qt::BackgroundRole).isValid(),
                     cell(table, row, 0).data().toString() == QStringLiteral("+"));
    }
};

QTEST_MAIN(EventsViewTest)
#include "EventsViewTest.moc"
