#include <archive_table/Timeline.h>

#include <algorithm>
#include <cstdint>
#include <limits>

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

std::int64_t hoursPer(TimeStep step)
{
    switch (step) {
    case TimeStep::Hour:
        return 1;
    case TimeStep::Day:
        return hoursPerDay;
    case TimeStep::Week:
        return hoursPerDay * daysPerWeek;
    }
    return 1;
}

RowTime timeOf(std::int64_t hour)
{
    return RowTime{QDate::fromJulianDay(hour / hoursPerDay), int(hour % hoursPerDay)};
}

// A placed event: its hour (hourIndex, which fits 32 bits for every year
// the panel counts) and whether it is an emergency.
struct Placed {
    std::int32_t hour;
    bool emergency;
};

// A zoom shows no fewer hours than this.
constexpr std::int64_t fewestZoomHours = 6;
// Events at most this many days from the bulk join it however short it is.
constexpr std::int64_t leastReachDays = 7;

// A run of days, both ends included.
struct DayRun {
    std::int64_t first;
    std::int64_t last;
};

// The bulk's days (see Timeline): the shortest run holding all but the
// allowed few, then widened. perDay counts the events of each day from the
// earliest placed one.
DayRun bulkDays(const std::vector<int>& perDay, std::int64_t placed)
{
    std::int64_t allowed = placed / 100;
    if (allowed == 0 && placed >= 10)
        allowed = 1;
    const std::int64_t needed = placed - allowed;

    const std::int64_t days = std::int64_t(perDay.size());
    DayRun core{0, days - 1};
    std::int64_t held = 0;
    std::int64_t left = 0;
    for (std::int64_t right = 0; right < days; ++right) {
        held += perDay[std::size_t(right)];
        while (left < right && held - perDay[std::size_t(left)] >= needed)
            held -= perDay[std::size_t(left++)];
        if (held >= needed && right - left <= core.last - core.first)
            core = {left, right};
    }

    const std::int64_t reach = std::max(core.last - core.first + 1, leastReachDays);
    DayRun bulk = core;
    for (std::int64_t day = core.first - 1; day >= 0 && bulk.first - day <= reach; --day)
        if (perDay[std::size_t(day)] > 0)
            bulk.first = day;
    for (std::int64_t day = core.last + 1; day < days && day - bulk.last <= reach; ++day)
        if (perDay[std::size_t(day)] > 0)
            bulk.last = day;
    return bulk;
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

// What the copies of a timeline share: the bulk's events per hour, from its
// first event's hour to its last one's, and the events outside it.
struct Timeline::Bulk {
    std::int64_t firstHour = 0;
    std::vector<Tally> perHour;
    int outside = 0;
    std::vector<TimeRange> outsideRanges;

    std::int64_t lastHour() const { return firstHour + std::int64_t(perHour.size()) - 1; }
};

Timeline::Timeline(const EventSpan& events)
{
    std::vector<Placed> placed;
    placed.reserve(events.size());
    for (const ArchiveEvent& event : events) {
        if (const std::optional<RowTime> time = rowTime(event.time))
            placed.push_back({std::int32_t(hourIndex(*time)), event.emergency});
        else
            ++unplacedRows;
    }
    if (placed.empty())
        return;

    const auto [earliest, latest] = std::minmax_element(
        placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.hour < b.hour; });
    const std::int64_t firstDay = earliest->hour / hoursPerDay;
    std::vector<int> perDay(std::size_t(latest->hour / hoursPerDay - firstDay + 1));
    for (const Placed& event : placed)
        ++perDay[std::size_t(event.hour / hoursPerDay - firstDay)];
    const DayRun run = bulkDays(perDay, std::int64_t(placed.size()));
    const DayRun days{run.first + firstDay, run.last + firstDay};

    auto counted = std::make_shared<Bulk>();
    counted->firstHour = days.first * hoursPerDay;
    counted->perHour.resize(std::size_t((days.last - days.first + 1) * hoursPerDay));
    DayRun before{std::numeric_limits<std::int64_t>::max(), 0};
    DayRun after = before;
    for (const Placed& event : placed) {
        const std::int64_t day = event.hour / hoursPerDay;
        if (day < days.first || day > days.last) {
            DayRun& side = day < days.first ? before : after;
            side = {std::min(side.first, day), std::max(side.last, day)};
            ++counted->outside;
            continue;
        }
        Tally& tally = counted->perHour[std::size_t(event.hour - counted->firstHour)];
        ++tally.events;
        tally.emergencies += event.emergency ? 1 : 0;
    }
    for (const DayRun& side : {before, after})
        if (side.first <= side.last)
            counted->outsideRanges.push_back({PanelTime::fromCalendar(QDate::fromJulianDay(side.first)),
                                              PanelTime::lastOfDay(QDate::fromJulianDay(side.last))});

    // The bars start at the hour of the bulk's first event and end at its last.
    const auto busy = [](const Tally& tally) { return tally.events > 0; };
    const auto first = std::find_if(counted->perHour.begin(), counted->perHour.end(), busy);
    const auto last = std::find_if(counted->perHour.rbegin(), counted->perHour.rend(), busy).base();
    counted->firstHour += first - counted->perHour.begin();
    counted->perHour.erase(last, counted->perHour.end());
    counted->perHour.erase(counted->perHour.begin(), first);

    bulk = std::move(counted);
    *this = over({bulk->firstHour, bulk->lastHour()});
}

Timeline Timeline::over(const View& hours) const
{
    if (!bulk)
        return *this;
    Timeline shownOver = *this;
    View& view = shownOver.shown;
    view = {std::max(hours.firstHour, bulk->firstHour), std::min(hours.lastHour, bulk->lastHour())};
    if (view.firstHour > view.lastHour)
        view = {bulk->firstHour, bulk->lastHour()};

    const RowTime first = timeOf(view.firstHour);
    shownOver.timeStep = timeStepFor(first, timeOf(view.lastHour));
    shownOver.startDay = shownOver.timeStep == TimeStep::Week ? weekStart(first.date) : first.date;
    shownOver.startHour = shownOver.timeStep == TimeStep::Hour ? first.hour : 0;
    const std::int64_t start = shownOver.periodStart(0);
    const std::int64_t perPeriod = shownOver.hoursPerPeriod();
    const std::int64_t periods = (view.lastHour - start) / perPeriod + 1;
    shownOver.tallies.assign(std::size_t(periods), Tally());
    // Whole periods, also where they reach past the hours asked for.
    const std::int64_t from = std::max(start, bulk->firstHour);
    const std::int64_t to = std::min(start + periods * perPeriod - 1, bulk->lastHour());
    for (std::int64_t hour = from; hour <= to; ++hour) {
        const Tally& counts = bulk->perHour[std::size_t(hour - bulk->firstHour)];
        Tally& tally = shownOver.tallies[std::size_t((hour - start) / perPeriod)];
        tally.events += counts.events;
        tally.emergencies += counts.emergencies;
    }
    shownOver.most = 0;
    for (const Tally& tally : shownOver.tallies)
        shownOver.most = std::max(shownOver.most, tally.events);
    return shownOver;
}

Timeline::View Timeline::zoomedIn(int period) const
{
    if (shown.lastHour - shown.firstHour + 1 <= fewestZoomHours)
        return shown;
    const std::int64_t middle =
        std::clamp(periodStart(period) + hoursPerPeriod() / 2, shown.firstHour, shown.lastHour);
    View zoomed{middle - (middle - shown.firstHour) / 2, middle + (shown.lastHour - middle) / 2};
    if (zoomed.lastHour - zoomed.firstHour + 1 < fewestZoomHours) {
        zoomed.firstHour =
            std::clamp(middle - fewestZoomHours / 2, shown.firstHour, shown.lastHour - fewestZoomHours + 1);
        zoomed.lastHour = zoomed.firstHour + fewestZoomHours - 1;
    }
    return zoomed;
}

Timeline::View Timeline::viewOf(int firstPeriod, int lastPeriod) const
{
    return {periodStart(firstPeriod), periodStart(lastPeriod) + hoursPerPeriod() - 1};
}

std::int64_t Timeline::periodStart(int period) const
{
    return hourIndex({startDay, startHour}) + period * hoursPerPeriod();
}

std::int64_t Timeline::hoursPerPeriod() const
{
    return hoursPer(timeStep);
}

int Timeline::outside() const
{
    return bulk ? bulk->outside : 0;
}

std::vector<TimeRange> Timeline::outsideRanges() const
{
    return bulk ? bulk->outsideRanges : std::vector<TimeRange>();
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

QString outsideText(int events)
{
    return QStringLiteral("ещё ") + eventCountText(events) + QStringLiteral(" вне шкалы");
}

} // namespace archive_table
