#include <site_statistics/EventTally.h>

#include <map>

namespace site_statistics {

int tallyMonth(const archive_table::PanelTime& time)
{
    return time.isCalendar() ? time.year() * 100 + time.month() : 0;
}

Tallies tallyEvents(const archive_table::EventSpan& events)
{
    std::map<decltype(Tally().key()), std::int64_t> counts;
    for (const archive_table::ArchiveEvent& event : events)
        ++counts[std::make_tuple(tallyMonth(event.time), int(event.section), int(event.address), int(event.eventClass),
                                 event.emergency)];
    Tallies tallies;
    tallies.reserve(counts.size());
    for (const auto& [key, count] : counts)
        tallies.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), std::get<3>(key), std::get<4>(key), count});
    return tallies;
}

} // namespace site_statistics
