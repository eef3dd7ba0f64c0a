#include <archive_table/EventTable.h>

#include <archive_table/EventColumns.h>
#include <archive_table/EventRows.h>

#include <QHash>

#include <algorithm>
#include <numeric>

namespace archive_table {

void EventTable::setListedEvents(std::vector<ArchiveEvent> listed)
{
    std::vector<std::size_t> shownOrder = orderAsShownAfterRead(listed);
    fill(std::move(listed), std::vector<std::uint32_t>(shownOrder.begin(), shownOrder.end()));
}

void EventTable::setEvents(std::vector<ArchiveEvent> given)
{
    std::vector<std::uint32_t> rows(given.size());
    std::iota(rows.begin(), rows.end(), 0u);
    fill(std::move(given), std::move(rows));
}

void EventTable::fill(std::vector<ArchiveEvent> given, std::vector<std::uint32_t> rows)
{
    events = std::move(given);
    order = std::move(rows);
    newFlags.clear();
    newCount = 0;

    // Equal texts end up sharing one string, however they came.
    QHash<QString, std::uint32_t> ids;
    texts.clear();
    foldedTexts.clear();
    const auto idOf = [&](QString& text) {
        const auto found = ids.constFind(text);
        if (found != ids.constEnd()) {
            text = texts[found.value()];
            return found.value();
        }
        const auto id = std::uint32_t(texts.size());
        ids.insert(text, id);
        texts.push_back(text);
        foldedTexts.push_back(searchFold(text));
        return id;
    };
    eventTextIds.resize(events.size());
    sourceTextIds.resize(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        eventTextIds[i] = idOf(events[i].eventText);
        sourceTextIds[i] = idOf(events[i].sourceText);
    }
    applyFilter();
}

void EventTable::setNewEvents(const std::vector<bool>& isNew)
{
    newFlags = isNew;
    newFlags.resize(std::min(newFlags.size(), events.size()));
    newCount = std::size_t(std::count(newFlags.begin(), newFlags.end(), true));
    if (rowFilter.isNewOnly())
        applyFilter();
}

void EventTable::setFilter(const RowFilter& filter)
{
    rowFilter = filter;
    applyFilter();
}

void EventTable::applyFilter()
{
    shown.clear();
    if (rowFilter.isEmpty()) {
        kept.assign(events.size(), true);
        shown = order;
        return;
    }
    const bool searched = !rowFilter.text().isEmpty();
    std::vector<char> holding(texts.size(), 0);
    if (searched)
        for (std::size_t id = 0; id < texts.size(); ++id)
            holding[id] = rowFilter.textHolds(texts[id], foldedTexts[id]) ? 1 : 0;
    kept.resize(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ArchiveEvent& event = events[i];
        kept[i] = rowFilter.keepsFields(event, isNew(std::uint32_t(i)))
            && (!searched || holding[eventTextIds[i]] || holding[sourceTextIds[i]]
                || rowFilter.numberCellsHold(event));
    }
    for (std::uint32_t event : order)
        if (kept[event])
            shown.push_back(event);
}

std::vector<std::uint32_t> EventTable::sortKeys(int column) const
{
    std::vector<std::uint32_t> keys(events.size());
    if (column == eventColumn || column == objectColumn) {
        // The distinct texts in the locale's order once; texts the locale
        // finds equal share a rank, so that their rows keep their order.
        std::vector<std::uint32_t> byText(texts.size());
        std::iota(byText.begin(), byText.end(), 0u);
        std::sort(byText.begin(), byText.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return displayTextLess(texts[a], texts[b]); });
        std::vector<std::uint32_t> rank(texts.size());
        for (std::size_t i = 1; i < byText.size(); ++i)
            rank[byText[i]] = rank[byText[i - 1]] + (displayTextLess(texts[byText[i - 1]], texts[byText[i]]) ? 1 : 0);
        const std::vector<std::uint32_t>& ids = column == eventColumn ? eventTextIds : sourceTextIds;
        for (std::size_t i = 0; i < events.size(); ++i)
            keys[i] = rank[ids[i]];
        return keys;
    }
    // An empty number cell sorts after every number.
    const auto number = [](std::uint8_t value) { return value != 0 ? std::uint32_t(value) : 256u; };
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ArchiveEvent& event = events[i];
        switch (column) {
        case emergencyColumn:
            keys[i] = event.emergency ? 1 : 0;
            break;
        case dateTimeColumn:
            keys[i] = event.time.recordValue();
            break;
        case sectionColumn:
            keys[i] = number(event.section);
            break;
        case addressColumn:
            keys[i] = number(event.address);
            break;
        case loopColumn:
            keys[i] = number(event.loop);
            break;
        default:
            break;
        }
    }
    return keys;
}

void EventTable::sort(int column, Qt::SortOrder sortOrder)
{
    if (column < 0 || column >= columnCount)
        return;
    const std::vector<std::uint32_t> keys = sortKeys(column);
    if (sortOrder == Qt::AscendingOrder)
        std::stable_sort(order.begin(), order.end(), [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    else
        std::stable_sort(order.begin(), order.end(), [&keys](std::uint32_t a, std::uint32_t b) { return keys[b] < keys[a]; });
    shown.clear();
    for (std::uint32_t event : order)
        if (kept[event])
            shown.push_back(event);
}

std::vector<QString> EventTable::eventTexts(bool newOnly) const
{
    std::vector<bool> used(texts.size());
    for (std::size_t i = 0; i < events.size(); ++i)
        if (!newOnly || isNew(std::uint32_t(i)))
            used[eventTextIds[i]] = true;
    std::vector<QString> distinct;
    for (std::size_t id = 0; id < texts.size(); ++id)
        if (used[id])
            distinct.push_back(texts[id]);
    return distinct;
}

} // namespace archive_table
