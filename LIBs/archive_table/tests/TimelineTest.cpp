#include <archive_table/Timeline.h>

#include <QtTest>

#include "TestRows.h"

using namespace archive_table;

namespace {

ArchiveEvent at(const char* dateTime, bool emergency = false)
{
    return eventOf({emergency ? "+" : "", dateTime, "1", "5", "1", QStringLiteral("ПОЖАР"), ""});
}

Timeline timelineOf(const std::vector<ArchiveEvent>& events)
{
    return Timeline(events);
}

QList<int> events(const Timeline& timeline)
{
    QList<int> counts;
    for (int period = 0; period < timeline.periodCount(); ++period)
        counts << timeline.tally(period).events;
    return counts;
}

QList<int> emergencies(const Timeline& timeline)
{
    QList<int> counts;
    for (int period = 0; period < timeline.periodCount(); ++period)
        counts << timeline.tally(period).emergencies;
    return counts;
}

} // namespace

class TimelineTest : public QObject {
    Q_OBJECT

private slots:
    void datesNoCalendarHasAreNotPlaced()
    {
        const std::optional<RowTime> time = rowTime(at("2024/01/18 10:15:00").time);
        QVERIFY(time);
        QCOMPARE(time->date, QDate(2024, 1, 18));
        QCOMPARE(time->hour, 10);
        QVERIFY(rowTime(at("2024/02/29 23:59:59").time));
        // A minute past 59 still stands in its hour.
        QCOMPARE(rowTime(at("2024/01/18 10:60:00").time)->hour, 10);
        for (const char* text : {"", "2024/00/15 10:00:00", "2023/02/29 10:00:00", "2024/04/31 10:00:00",
                                 "2024/01/18 24:00:00", "2024/13/01 10:00:00"})
            QVERIFY2(!rowTime(at(text).time), text);
    }

    void theStepFollowsTheSpan()
    {
        const RowTime first{QDate(2024, 1, 18), 10};
        QCOMPARE(timeStepFor(first, first), TimeStep::Hour);
        QCOMPARE(timeStepFor(first, {QDate(2024, 1, 21), 9}), TimeStep::Hour);
        QCOMPARE(timeStepFor(first, {QDate(2024, 1, 21), 10}), TimeStep::Day);
        QCOMPARE(timeStepFor(first, {QDate(2025, 1, 18), 23}), TimeStep::Day);
        QCOMPARE(timeStepFor(first, {QDate(2025, 1, 19), 0}), TimeStep::Week);
    }

    void dayBarsCountEmergenciesAndLeaveGapsEmpty()
    {
        // Unordered, as a sorted table may hand them over.
        const Timeline timeline = timelineOf({
            at("2024/01/18 10:00:00", true), at("2024/01/15 08:00:00"), at("2024/01/19 23:59:59"),
            at("2024/01/17 12:00:00"), at("2024/01/18 00:00:00"), at("2024/01/15 09:00:00", true),
            at(""), at("2024/01/18 23:00:00", true), at("2024/02/30 10:00:00"), at("2024/01/15 23:00:00"),
            at("2024/01/17 13:00:00"), at("2024/01/18 12:00:00"),
        });
        QCOMPARE(timeline.step(), TimeStep::Day);
        QCOMPARE(events(timeline), (QList<int>{3, 0, 2, 4, 1}));
        QCOMPARE(emergencies(timeline), (QList<int>{1, 0, 0, 2, 0}));
        QCOMPARE(timeline.mostEvents(), 4);
        QCOMPARE(timeline.unplaced(), 2);
        QCOMPARE(timeline.firstDay(3), QDate(2024, 1, 18));
        QCOMPARE(timeline.lastDay(3), QDate(2024, 1, 18));
        QCOMPARE(timeline.periodSummary(3), QStringLiteral("18.01.2024: 4 события, из них 2 экстренных"));
        QCOMPARE(timeline.periodSummary(0), QStringLiteral("15.01.2024: 3 события, из них 1 экстренное"));
        QCOMPARE(timeline.periodSummary(1), QStringLiteral("16.01.2024: 0 событий"));
    }

    void hourBarsRunOverMidnight()
    {
        const Timeline timeline = timelineOf({at("2024/01/19 01:30:00"), at("2024/01/18 22:10:00"), at("2024/01/18 22:50:00")});
        QCOMPARE(timeline.step(), TimeStep::Hour);
        QCOMPARE(events(timeline), (QList<int>{2, 0, 0, 1}));
        QCOMPARE(timeline.hour(1), 23);
        QCOMPARE(timeline.periodText(1), QStringLiteral("18.01.2024 23:00–24:00"));
        QCOMPARE(timeline.hour(2), 0);
        QCOMPARE(timeline.firstDay(2), QDate(2024, 1, 19));
        QCOMPARE(timeline.lastDay(3), QDate(2024, 1, 19));
        // What a filter keeps for the bar of 23:00: that hour alone.
        QCOMPARE(timeline.startOf(1).text(), QStringLiteral("2024/01/18 23:00:00"));
        QCOMPARE(timeline.endOf(1).text(), QStringLiteral("2024/01/18 23:63:63"));
    }

    void weekBarsRunFromMondayToSunday()
    {
        // Wednesday 4 January 2023 to Friday 1 March 2024: 61 weeks, the
        // first from Monday 2 January, the last from Monday 26 February.
        const Timeline timeline = timelineOf({at("2024/03/01 10:00:00", true), at("2023/01/04 10:00:00"), at("2023/01/08 23:00:00")});
        QCOMPARE(timeline.step(), TimeStep::Week);
        QCOMPARE(timeline.periodCount(), 61);
        QCOMPARE(timeline.tally(0).events, 2);
        QCOMPARE(timeline.tally(60).emergencies, 1);
        QCOMPARE(timeline.firstDay(60), QDate(2024, 2, 26));
        QCOMPARE(timeline.lastDay(60), QDate(2024, 3, 3));
        QCOMPARE(timeline.periodText(0), QStringLiteral("02.01.2023–08.01.2023"));
        // A week's bar keeps Monday to Sunday, the whole last day.
        QCOMPARE(timeline.startOf(60).text(), QStringLiteral("2024/02/26 00:00:00"));
        QCOMPARE(timeline.endOf(60).text(), QStringLiteral("2024/03/03 31:63:63"));
    }

    void nothingToPlace()
    {
        const Timeline timeline = timelineOf({at(""), at("2024/13/01 10:00:00")});
        QCOMPARE(timeline.periodCount(), 0);
        QCOMPARE(timeline.unplaced(), 2);
        QCOMPARE(timeline.mostEvents(), 0);
    }

    void russianCounts()
    {
        const std::vector<std::pair<int, const char*>> expected = {
            {1, "1 событие"},    {2, "2 события"},    {4, "4 события"},    {5, "5 событий"},
            {11, "11 событий"},  {12, "12 событий"},  {14, "14 событий"},  {21, "21 событие"},
            {22, "22 события"},  {25, "25 событий"},  {104, "104 события"}, {111, "111 событий"},
        };
        for (const auto& [count, text] : expected)
            QCOMPARE(eventCountText(count), QString::fromUtf8(text));
    }
};

QTEST_APPLESS_MAIN(TimelineTest)
#include "TimelineTest.moc"
