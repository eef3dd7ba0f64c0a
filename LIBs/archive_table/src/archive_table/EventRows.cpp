#include <archive_table/EventRows.h>

#include <config_quorvel/Event.h>

#include <algorithm>
#include <numeric>

namespace archive_table {

RowTexts eventRowTexts(const config_quorvel::Event& event)
{
    return rowTexts(archiveEvent(event));
}

std::vector<RowTexts> rowTexts(const std::vector<ArchiveEvent>& events)
{
    std::vector<RowTexts> rows;
    rows.reserve(events.size());
    for (const ArchiveEvent& event : events)
        rows.push_back(rowTexts(event));
    return rows;
}

bool displayTextLess(const QString& a, const QString& b)
{
    return a.localeAwareCompare(b) < 0;
}

bool isNumberColumn(int column)
{
    return column == sectionColumn || column == addressColumn || column == loopColumn;
}

std::vector<std::size_t> orderAsShownAfterRead(const std::vector<ArchiveEvent>& events)
{
    std::vector<std::size_t> order(events.size());
    std::iota(order.rbegin(), order.rend(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&events](std::size_t a, std::size_t b) { return events[b].time < events[a].time; });
    return order;
}

std::vector<ArchiveEvent> eventsAsShownAfterRead(std::vector<ArchiveEvent> listed)
{
    std::vector<ArchiveEvent> shown;
    shown.reserve(listed.size());
    for (std::size_t row : orderAsShownAfterRead(listed))
        shown.push_back(std::move(listed[row]));
    return shown;
}

std::vector<RowTexts> rowsAsShownAfterRead(const std::vector<config_quorvel::Event>& events)
{
    return rowTexts(eventsAsShownAfterRead(archiveEvents(events)));
}

} // namespace archive_table
