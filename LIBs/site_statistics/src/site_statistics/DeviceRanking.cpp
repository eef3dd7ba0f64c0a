#include <site_statistics/DeviceRanking.h>

#include <site_statistics/MonthTable.h>

#include <algorithm>
#include <map>
#include <set>

namespace site_statistics {

MonthWindow rankingWindow(const Tallies& tallies)
{
    MonthWindow window;
    for (const Tally& tally : tallies)
        window.last = std::max(window.last, tally.month);
    if (window.last != 0)
        window.first = monthOfIndex(monthIndex(window.last) - (rankingMonths - 1));
    return window;
}

std::vector<DeviceCounts> deviceRanking(const Tallies& tallies, const archive_table::DeviceDirectory& devices)
{
    const MonthWindow window = rankingWindow(tallies);
    std::map<archive_table::Place, DeviceCounts> byPlace;
    std::map<archive_table::Place, std::set<int>> faultMonths;
    for (const Tally& tally : tallies) {
        if (tally.address == 0 || tally.month == 0 || tally.month < window.first || tally.month > window.last)
            continue;
        const archive_table::Place place{tally.section, tally.address};
        DeviceCounts& device = byPlace[place];
        device.events += tally.events;
        if (tally.emergency)
            device.emergencies += tally.events;
        if (tally.eventClass == 1) {
            device.faults += tally.events;
            faultMonths[place].insert(tally.month);
        }
    }
    std::vector<DeviceCounts> ranking;
    ranking.reserve(byPlace.size());
    for (auto& [place, device] : byPlace) {
        device.place = place;
        device.name = devices.deviceName(place);
        device.faultMonths = int(faultMonths[place].size());
        ranking.push_back(std::move(device));
    }
    // byPlace gave them in section and address order.
    std::stable_sort(ranking.begin(), ranking.end(), [](const DeviceCounts& a, const DeviceCounts& b) {
        return a.faults != b.faults ? a.faults > b.faults : a.emergencies > b.emergencies;
    });
    return ranking;
}

StatisticsTable deviceRankingTexts(const std::vector<DeviceCounts>& ranking)
{
    StatisticsTable table;
    table.headers = {QStringLiteral("Секция"),         QStringLiteral("Адрес"),
                     QStringLiteral("Прибор"),         QStringLiteral("Событий"),
                     QStringLiteral("Экстренных"),     QStringLiteral("Неисправностей"),
                     QStringLiteral("Месяцев с неисправностями")};
    for (const DeviceCounts& d : ranking)
        table.rows.push_back({d.place.section == 0 ? QString() : QString::number(d.place.section),
                              QString::number(d.place.address), d.name, QString::number(d.events),
                              QString::number(d.emergencies), QString::number(d.faults),
                              QString::number(d.faultMonths)});
    return table;
}

} // namespace site_statistics
