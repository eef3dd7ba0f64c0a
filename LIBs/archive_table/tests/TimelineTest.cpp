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

// The same event many times, as a busy hour has them.
std::vector<ArchiveEvent> times(int count, const char* dateTime)
{
    return std::vector<ArchiveEvent>(std::size_t(count), at(dateTime));
}

std::vector<ArchiveEvent> joined(std::initializer_list<std::vector<ArchiveEvent>> parts)
{
    std::vector<ArchiveEvent> all;
    for (const std::vector<ArchiveEvent>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// 13 events a day from 2 to 29 January 2024, one an hour from 8:00, and
// one whose clock had lost power, on 1 January 2011.
std::vector<ArchiveEvent> januaryAndOneIn2011()
{
    std::vector<ArchiveEvent> events;
    for (int day = 2; day <= 29; ++day)
        for (int hour = 8; hour <= 20; ++hour)
            events.push_back(at(QStringLiteral("2024/01/%1 %2:30:00")
                                    .arg(day, 2, 10, QLatin1Char('0'))
                                    .arg(hour, 2, 10, QLatin1Char('0'))
                                    .toLatin1()
                                    .constData()));
    events.insert(events.begin() + 200, at("2011/01/01 00:00:12"));
    return events;
}

QStringList rangeTexts(const Timeline& timeline)
{
    QStringList texts;
    for (const TimeRange& range : timeline.outsideRanges())
        texts << range.from.text() + QStringLiteral("–") + range.to.text();
    return texts;
}

int placedIn(const Timeline& timeline)
{
    int events = 0;
    for (int period = 0; period < timeline.periodCount(); ++period)
        events += timeline.tally(period).events;
    return events;
}

// The period that holds the hour of that day.
int periodOf(const Timeline& timeline, const QDate& day, int hour)
{
    for (int period = 0; period < timeline.periodCount(); ++period)
        if (timeline.firstDay(period) <= day && day <= timeline.lastDay(period)
            && (timeline.step() != TimeStep::Hour || timeline.hour(period) == hour))
            return period;
    return -1;
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

    // 364 events of January 2024 and one of 2011: the bars hold January,
    // the one event is outside, where a filter's range finds it alone.
    void oneWrongDateStaysOutsideTheBars()
    {
        const Timeline timeline = timelineOf(januaryAndOneIn2011());
        QCOMPARE(timeline.step(), TimeStep::Day);
        QCOMPARE(timeline.periodCount(), 28);
        QCOMPARE(timeline.firstDay(0), QDate(2024, 1, 2));
        QCOMPARE(timeline.lastDay(27), QDate(2024, 1, 29));
        QCOMPARE(placedIn(timeline), 364);
        QCOMPARE(timeline.mostEvents(), 13);
        QCOMPARE(timeline.outside(), 1);
        QCOMPARE(timeline.unplaced(), 0);
        QCOMPARE(rangeTexts(timeline), QStringList{QStringLiteral("2011/01/01 00:00:00–2011/01/01 31:63:63")});
    }

    // 495 events on 10 January, five elsewhere: 1 % may lie outside, and
    // the bars reach out to the events at most a week from the days they
    // hold, one such step after another.
    void theBarsReachOutAWeekAtATime()
    {
        const Timeline timeline = timelineOf(joined({
            times(495, "2024/01/10 10:00:00"),
            {at("2024/01/03 09:00:00"), at("2023/12/27 23:00:00")}, // 7 days, then 7 more
            {at("2024/01/18 01:00:00"), at("2024/01/26 12:00:00")}, // 8 days on
            {at("2011/01/01 00:00:12")},
        }));
        QCOMPARE(timeline.step(), TimeStep::Day);
        QCOMPARE(timeline.firstDay(0), QDate(2023, 12, 27));
        QCOMPARE(timeline.periodCount(), 15);
        QCOMPARE(placedIn(timeline), 497);
        QCOMPARE(timeline.outside(), 3);
        QCOMPARE(rangeTexts(timeline), (QStringList{QStringLiteral("2011/01/01 00:00:00–2011/01/01 31:63:63"),
                                                    QStringLiteral("2024/01/18 00:00:00–2024/01/26 31:63:63")}));

        // Below ten events every one is on the bars; from ten, one may not be.
        const std::vector<ArchiveEvent> nine = joined({times(8, "2024/01/10 10:00:00"), {at("2011/01/01 00:00:12")}});
        QCOMPARE(timelineOf(nine).outside(), 0);
        QCOMPARE(timelineOf(nine).step(), TimeStep::Week);
        const Timeline ten = timelineOf(joined({nine, {at("2024/01/10 11:00:00")}}));
        QCOMPARE(ten.outside(), 1);
        QCOMPARE(ten.step(), TimeStep::Hour);
        QCOMPARE(ten.periodCount(), 2);
    }

    void aZoomHalvesTheHoursAroundABarAndComesBack()
    {
        const Timeline all = timelineOf(januaryAndOneIn2011());
        const Timeline::View whole = all.view();
        // Around noon of the 15th, down to six hour bars.
        QList<int> hours;
        Timeline zoomed = all;
        for (;;) {
            const Timeline::View view = zoomed.zoomedIn(periodOf(zoomed, QDate(2024, 1, 15), 12));
            if (view == zoomed.view())
                break;
            zoomed = zoomed.over(view);
            hours << int(view.lastHour - view.firstHour + 1);
            QVERIFY(periodOf(zoomed, QDate(2024, 1, 15), 12) >= 0);
        }
        QCOMPARE(hours, (QList<int>{331, 166, 83, 41, 20, 10, 6}));
        QCOMPARE(zoomed.step(), TimeStep::Hour);
        QCOMPARE(zoomed.periodCount(), 6);
        QCOMPARE(zoomed.outside(), 1);
        QCOMPARE(zoomed.over(whole).periodCount(), 28);

        // The bars of the 4th and 5th shown by the hour, and no hours beyond
        // the bulk.
        const Timeline twoDays = all.over(all.viewOf(2, 3));
        QCOMPARE(twoDays.step(), TimeStep::Hour);
        QCOMPARE(twoDays.periodCount(), 48);
        QCOMPARE(twoDays.firstDay(0), QDate(2024, 1, 4));
        QCOMPARE(twoDays.tally(8).events, 1);
        QCOMPARE(placedIn(twoDays), 26);
        QCOMPARE(all.over({0, whole.lastHour + 1000}).view(), whole);
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
        QCOMPARE(outsideText(1), QStringLiteral("ещё 1 событие вне шкалы"));
        QCOMPARE(outsideText(3), QStringLiteral("ещё 3 события вне шкалы"));
    }
};

QTEST_APPLESS_MAIN(TimelineTest)
#include "TimelineTest.moc"
