#include <archive_table/EventCounts.h>

#include <QHash>

#include <algorithm>

namespace archive_table {

EventCounts countEvents(const EventSpan& events)
{
    // Tallied into flat tables first: a history's million events would
    // otherwise take a million ordered-map look-ups of places and texts.
    constexpr int numbers = 256;
    std::vector<Tally> byNumbers(numbers * numbers);
    QHash<QString, int> byText;
    EventCounts counts;
    for (const ArchiveEvent& event : events) {
        Tally& place = byNumbers[std::size_t(event.section) * numbers + event.address];
        for (Tally* tally : {&counts.all, &place}) {
            ++tally->events;
            tally->emergencies += event.emergency ? 1 : 0;
        }
        ++byText[event.eventText];
        if (event.time.isNone())
            ++counts.undated;
    }
    for (int section = 0; section < numbers; ++section)
        for (int address = 0; address < numbers; ++address)
            if (const Tally& tally = byNumbers[std::size_t(section) * numbers + address]; tally.events > 0)
                counts.byPlace.emplace_hint(counts.byPlace.end(), Place{section, address}, tally);
    for (auto text = byText.cbegin(); text != byText.cend(); ++text)
        counts.byEventText.emplace(text.key(), text.value());
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
