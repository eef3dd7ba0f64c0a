#pragma once

#include <archive_table/EventColumns.h>
#include <archive_table/EventCounts.h>
#include <archive_table/EventSpan.h>

#include <QDate>
#include <QString>

#include <cstdint>
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

// The events counted per period of one step, from the period of the
// earliest event to that of the latest, empty periods included, so that the
// bars stand on an even time axis.
class Timeline {
public:
    Timeline() = default;
    explicit Timeline(const EventSpan& events);

    TimeStep step() const { return timeStep; }
    int periodCount() const { return int(tallies.size()); }
    const Tally& tally(int period) const { return tallies[std::size_t(period)]; }
    int mostEvents() const { return most; }
    // Events left off the axis: those without a time and those whose time
    // rowTime cannot place.
    int unplaced() const { return unplacedRows; }

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
    struct Placed {
        std::int64_t hour;
        bool emergency;
    };
    void count(const std::vector<Placed>& placed);

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

} // namespace archive_table
