#include <archive_table/EventCounts.h>

#include <algorithm>

namespace archive_table {

EventCounts countEvents(const std::vector<RowTexts>& rows)
{
    EventCounts counts;
    for (const RowTexts& row : rows) {
        const bool emergency = !row[emergencyColumn].isEmpty();
        Tally& place = counts.byPlace[placeOf(row)];
        for (Tally* tally : {&counts.all, &place}) {
            ++tally->events;
            tally->emergencies += emergency ? 1 : 0;
        }
        ++counts.byEventText[row[eventColumn]];
        if (row[dateTimeColumn].isEmpty())
            ++counts.undated;
    }
    return counts;
}

std::vector<std::pair<QString, int>> EventCounts::topEventTexts(std::size_t n) const
{
    std::vector<std::pair<QString, int>> texts(byEventText.begin(), byEventText.end());
    // Stable over the map's text order: equal counts stay in text order.
    std::stable_sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    texts.resize(std::min(n, texts.size()));
    return texts;
}

std::vector<std::pair<Place, Tally>> EventCounts::topDevices(std::size_t n) const
{
    std::vector<std::pair<Place, Tally>> devices;
    for (const auto& entry : byPlace)
        if (entry.first.address != 0)
            devices.push_back(entry);
    std::stable_sort(devices.begin(), devices.end(),
                     [](const auto& a, const auto& b) { return a.second.events > b.second.events; });
    devices.resize(std::min(n, devices.size()));
    return devices;
}

} // namespace archive_table
