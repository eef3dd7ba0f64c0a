#include <archive_table/EventTable.h>

#include <QtTest>

#include "TestRows.h"

using namespace archive_table;

namespace {

// The events' event texts (which name them here), top first.
QStringList names(const EventSpan& events)
{
    QStringList texts;
    for (const ArchiveEvent& event : events)
        texts << event.eventText;
    return texts;
}

QStringList column(const EventTable& table, int column)
{
    QStringList texts;
    for (const ArchiveEvent& event : table.allEvents())
        texts << cellText(event, column);
    return texts;
}

// Listed as the decoder lists them: equal times, no time, a time no
// calendar has, texts as the panel spells them.
std::vector<ArchiveEvent> listed()
{
    return {
        eventOf({"", "2021/03/15 09:05:07", "2", "9", "1", "a", QStringLiteral("Cклaд")}),
        eventOf({"+", "2019/01/01 00:00:00", "10", "40", "", "b", QStringLiteral("Пульт")}),
        eventOf({"", "", "1", "10", "2", "c", QStringLiteral("склад 2")}),
        eventOf({"", "2021/03/15 09:05:07", "", "", "", "d", QStringLiteral("Пульт")}),
        eventOf({"+", "2024/02/31 10:00:00", "3", "2", "1", "e", QStringLiteral("Ворота")}),
        eventOf({"", "", "", "5", "", "f", ""}),
    };
}

} // namespace

class EventTableTest : public QObject {
    Q_OBJECT

private slots:
    void aReadIsShownLatestFirstAndAHistoryAsGiven()
    {
        EventTable table;
        table.setListedEvents(listed());
        // Equal times in reverse list order, no time last and in reverse too.
        QCOMPARE(names(table.allEvents()), (QStringList{"e", "d", "a", "b", "f", "c"}));
        QCOMPARE(names(table.shownEvents()), names(table.allEvents()));
        table.setEvents(listed());
        QCOMPARE(names(table.allEvents()), (QStringList{"a", "b", "c", "d", "e", "f"}));
        QCOMPARE(table.shownCount(), std::size_t(6));
        QCOMPARE(table.shownEvent(2).eventText, QStringLiteral("c"));
    }

    void sortsByWhatTheCellsMean()
    {
        EventTable table;
        table.setEvents(listed());
        table.sort(addressColumn, Qt::AscendingOrder);
        QCOMPARE(column(table, addressColumn), (QStringList{"2", "5", "9", "10", "40", ""}));
        table.sort(sectionColumn, Qt::DescendingOrder);
        QCOMPARE(column(table, sectionColumn), (QStringList{"", "", "10", "3", "2", "1"}));
        // Stable both ways: equal loops keep the order the last sort left.
        table.sort(loopColumn, Qt::AscendingOrder);
        QCOMPARE(names(table.allEvents()), (QStringList{"e", "a", "c", "f", "d", "b"}));
        table.sort(loopColumn, Qt::DescendingOrder);
        QCOMPARE(names(table.allEvents()), (QStringList{"f", "d", "b", "c", "e", "a"}));
        table.sort(emergencyColumn, Qt::DescendingOrder);
        QCOMPARE(names(table.allEvents()), (QStringList{"b", "e", "f", "d", "c", "a"}));
        table.sort(dateTimeColumn, Qt::AscendingOrder);
        QCOMPARE(names(table.allEvents()), (QStringList{"f", "c", "b", "d", "a", "e"}));
        // Texts in the locale's order, Latin and Cyrillic look-alikes apart.
        table.sort(objectColumn, Qt::AscendingOrder);
        const QStringList sources = column(table, objectColumn);
        QCOMPARE(sources.first(), QString());
        for (int i = 1; i < sources.size(); ++i)
            QVERIFY(sources[i - 1].localeAwareCompare(sources[i]) <= 0);
    }

    void theFilterKeepsItsRowsThroughSortsAndFills()
    {
        EventTable table;
        table.setListedEvents(listed());
        RowFilter filter;
        filter.setText(QStringLiteral("склад"));
        table.setFilter(filter);
        QCOMPARE(names(table.shownEvents()), (QStringList{"a", "c"}));
        table.sort(dateTimeColumn, Qt::AscendingOrder);
        QCOMPARE(names(table.shownEvents()), (QStringList{"c", "a"}));
        QCOMPARE(table.eventCount(), std::size_t(6));

        // New events by flags in list order; only they, when asked.
        filter = RowFilter();
        filter.setNewOnly(true);
        table.setFilter(filter);
        QCOMPARE(table.shownCount(), std::size_t(0));
        table.setNewEvents({false, true, false, false, true, false});
        QVERIFY(table.hasNewEvents());
        QCOMPARE(names(table.shownEvents()), (QStringList{"b", "e"}));
        QVERIFY(table.isShownNew(1));
        QCOMPARE(table.eventTexts(true), (std::vector<QString>{"b", "e"}));
        QCOMPARE(table.eventTexts().size(), std::size_t(6));

        // Another fill forgets what was new but keeps the filter.
        table.setListedEvents(listed());
        QVERIFY(!table.hasNewEvents());
        QCOMPARE(table.shownCount(), std::size_t(0));
        table.setFilter(RowFilter());
        QCOMPARE(table.shownCount(), std::size_t(6));
    }
};

QTEST_APPLESS_MAIN(EventTableTest)
#include "EventTableTest.moc"
