#pragma once

#include <archive_table/EventColumns.h>
#include <archive_table/EventCounts.h>
#include <archive_table/EventSpan.h>

#include <QDate>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace archive_table {

// How much time one bar of the timeline covers.
enum class TimeStep { Hour, Day, Week };

// Where an event's time puts it on the calendar, to the hour.
struct RowTime {
    QDate date;
    int hour = 0;
};

// The day and hour of an event's time. None for no time and for a date or
// hour that no calendar has (month 0, the 31st of a short month, hour 24):
// the panel's clock can write those, and a bar for them would stand on a day
// that does not exist.
std::optional<RowTime> rowTime(const PanelTime& time);

// Per hour when first and last lie less than three days apart, per week when
// more than a year apart, per day otherwise.
TimeStep timeStepFor(const RowTime& first, const RowTime& last);

// A stretch of panel times, both ends included.
struct TimeRange {
    PanelTime from;
    PanelTime to;
};

// The events counted per period of one step, empty periods included, so
// that the bars stand on an even time axis.
//
// The bars cover the bulk of the events, not every one of them: a panel
// whose clock lost power writes a few events years before the others, and a
// strip stretched over those years would leave the real bars a line at its
// edge. The bulk is the shortest run of days that holds all but 1 % of the
// placed events (rounded down; all but one from ten events on, all of them
// below ten; of equally short runs the latest, as a clock that lost power
// restarts in the past), widened day by day to every event at most that
// run's length, and at least a week, away from the days taken so far.
// The bars run from the hour of the earliest event of the bulk to that of
// the latest; the placed events before or after those days are outside.
// Counting takes a pass over the events, a few over their hours and one
// over their days, with no sorting.
//
// A timeline can show part of the bulk (a zoom) without counting again: its
// copies share the counts per hour.
class Timeline {
public:
    // The hours a timeline shows, to come back to them (see over).
    struct View {
        std::int64_t firstHour = 0;
        std::int64_t lastHour = -1;
        bool operator==(const View& other) const
        {
            return firstHour == other.firstHour && lastHour == other.lastHour;
        }
        bool operator!=(const View& other) const { return !(*this == other); }
    };

    Timeline() = default;
    // The bulk of the events, in periods of the step its span calls for.
    explicit Timeline(const EventSpan& events);

    View view() const { return shown; }
    // The same events over other hours, kept within the bulk (the whole bulk
    // when none of them lies in it), in periods of the step they call for.
    Timeline over(const View& hours) const;
    // Half the hours shown, and no fewer than six, with the middle of the
    // period where it stood among them.
    View zoomedIn(int period) const;
    // The hours of the periods from first to last.
    View viewOf(int firstPeriod, int lastPeriod) const;

    TimeStep step() const { return timeStep; }
    int periodCount() const { return int(tallies.size()); }
    const Tally& tally(int period) const { return tallies[std::size_t(period)]; }
    int mostEvents() const { return most; }
    // Events left off the axis: those without a time and those whose time
    // rowTime cannot place.
    int unplaced() const { return unplacedRows; }
    // Placed events outside the bulk, and where they lie: the days from the
    // first to the last of them before the bulk, then after it, one range
    // for each side that has any; a time range of the filter set to them
    // keeps exactly those events (and impossible times of their days).
    int outside() const;
    std::vector<TimeRange> outsideRanges() const;

    // The days a period covers, as a date filter can keep them: the day of
    // a day or of an hour; Monday to Sunday of a week.
    QDate firstDay(int period) const;
    QDate lastDay(int period) const;
    // The first hour of an hour period, 0 for the others.
    int hour(int period) const;
    // The times a filter keeps for the periods from first to last: from the
    // first one's start to the latest time the panel can write in the last
    // one (see PanelTime::lastOfDay), so that a click on an hour's bar shows
    // that hour, on a week's bar Monday to Sunday.
    PanelTime startOf(int period) const;
    PanelTime endOf(int period) const;

    // "18.01.2024", "18.01.2024 10:00–11:00", "15.01.2024–21.01.2024".
    QString periodText(int period) const;
    // "18.01.2024: 45 событий, из них 3 экстренных".
    QString periodSummary(int period) const;

private:
    struct Bulk;
    // The first hour of a period, and how many hours each period has.
    std::int64_t periodStart(int period) const;
    std::int64_t hoursPerPeriod() const;

    std::shared_ptr<const Bulk> bulk;
    View shown;
    TimeStep timeStep = TimeStep::Day;
    // The first period: its first day, and its hour for hour periods.
    QDate startDay;
    int startHour = 0;
    std::vector<Tally> tallies;
    int most = 0;
    int unplacedRows = 0;
};

// "1 событие", "3 события", "45 событий".
QString eventCountText(int events);
// "ещё 1 событие вне шкалы": what the strip says of the events outside it.
QString outsideText(int events);

} // namespace archive_table
