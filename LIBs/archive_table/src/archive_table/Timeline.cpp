#include <archive_table/Timeline.h>

#include <algorithm>
#include <cstdint>

namespace archive_table {

namespace {

constexpr int hoursPerDay = 24;
constexpr int daysPerWeek = 7;
// Less than three days between the first and the last row: hour bars.
constexpr std::int64_t hourStepSpan = 3 * hoursPerDay;

// Hours since the start of the Julian day count: one number per hour that
// orders and subtracts as time does.
std::int64_t hourIndex(const RowTime& time)
{
    return time.date.toJulianDay() * hoursPerDay + time.hour;
}

QDate weekStart(const QDate& day)
{
    return day.addDays(1 - day.dayOfWeek());
}

QString dayText(const QDate& day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

// The Russian form of a noun after a number: one (1, 21), few (2–4, 22–24),
// many (0, 5–20, 25–30).
QString countText(int count, const char* one, const char* few, const char* many)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    const char* form = many;
    if (last == 1 && lastTwo != 11)
        form = one;
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        form = few;
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(form);
}

} // namespace

std::optional<RowTime> rowTime(const PanelTime& time)
{
    // Minutes and seconds past 59 still stand in a real hour.
    if (time.isNone() || time.hour() >= hoursPerDay)
        return std::nullopt;
    const QDate date(time.year(), time.month(), time.day());
    if (!date.isValid())
        return std::nullopt;
    return RowTime{date, time.hour()};
}

TimeStep timeStepFor(const RowTime& first, const RowTime& last)
{
    if (hourIndex(last) - hourIndex(first) < hourStepSpan)
        return TimeStep::Hour;
    if (last.date > first.date.addYears(1))
        return TimeStep::Week;
    return TimeStep::Day;
}

Timeline::Timeline(const EventSpan& events)
{
    std::vector<Placed> placed;
    placed.reserve(events.size());
    for (const ArchiveEvent& event : events) {
        if (const std::optional<RowTime> time = rowTime(event.time))
            placed.push_back({hourIndex(*time), event.emergency});
        else
            ++unplacedRows;
    }
    count(placed);
}

void Timeline::count(const std::vector<Placed>& placed)
{
    if (placed.empty())
        return;

    const auto [earliest, latest] = std::minmax_element(
        placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.hour < b.hour; });
    const auto timeOf = [](std::int64_t hour) {
        return RowTime{QDate::fromJulianDay(hour / hoursPerDay), int(hour % hoursPerDay)};
    };
    const RowTime first = timeOf(earliest->hour);
    timeStep = timeStepFor(first, timeOf(latest->hour));

    startDay = timeStep == TimeStep::Week ? weekStart(first.date) : first.date;
    startHour = timeStep == TimeStep::Hour ? first.hour : 0;
    const std::int64_t start = hourIndex({startDay, startHour});
    const std::int64_t hoursPerPeriod = timeStep == TimeStep::Hour ? 1
        : timeStep == TimeStep::Day                                ? hoursPerDay
                                                                   : hoursPerDay * daysPerWeek;
    tallies.resize(std::size_t((latest->hour - start) / hoursPerPeriod + 1));
    for (const Placed& row : placed) {
        Tally& tally = tallies[std::size_t((row.hour - start) / hoursPerPeriod)];
        ++tally.events;
        tally.emergencies += row.emergency ? 1 : 0;
    }
    for (const Tally& tally : tallies)
        most = std::max(most, tally.events);
}

QDate Timeline::firstDay(int period) const
{
    switch (timeStep) {
    case TimeStep::Hour:
        return startDay.addDays((startHour + period) / hoursPerDay);
    case TimeStep::Day:
        return startDay.addDays(period);
    case TimeStep::Week:
        return startDay.addDays(qint64(period) * daysPerWeek);
    }
    return {};
}

QDate Timeline::lastDay(int period) const
{
    return timeStep == TimeStep::Week ? firstDay(period).addDays(daysPerWeek - 1) : firstDay(period);
}

int Timeline::hour(int period) const
{
    return timeStep == TimeStep::Hour ? (startHour + period) % hoursPerDay : 0;
}

PanelTime Timeline::startOf(int period) const
{
    return PanelTime::fromCalendar(firstDay(period), hour(period));
}

PanelTime Timeline::endOf(int period) const
{
    return timeStep == TimeStep::Hour ? PanelTime::lastOfHour(lastDay(period), hour(period))
                                      : PanelTime::lastOfDay(lastDay(period));
}

QString Timeline::periodText(int period) const
{
    switch (timeStep) {
    case TimeStep::Hour:
        return QStringLiteral("%1 %2:00–%3:00")
            .arg(dayText(firstDay(period)))
            .arg(hour(period), 2, 10, QLatin1Char('0'))
            .arg(hour(period) + 1, 2, 10, QLatin1Char('0'));
    case TimeStep::Day:
        return dayText(firstDay(period));
    case TimeStep::Week:
        return dayText(firstDay(period)) + QStringLiteral("–") + dayText(lastDay(period));
    }
    return {};
}

QString Timeline::periodSummary(int period) const
{
    const Tally& counts = tally(period);
    QString text = periodText(period) + QStringLiteral(": ") + eventCountText(counts.events);
    if (counts.emergencies > 0)
        text += QStringLiteral(", из них ") + countText(counts.emergencies, "экстренное", "экстренных", "экстренных");
    return text;
}

QString eventCountText(int events)
{
    return countText(events, "событие", "события", "событий");
}

} // namespace archive_table
