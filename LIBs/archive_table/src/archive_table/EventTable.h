#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventSpan.h>
#include <archive_table/RowFilter.h>

#include <QString>
#include <Qt>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace archive_table {

// The events behind the window's table: the order they are shown in, which
// of them are new to the site's history, the rows the filter keeps, and the
// sort by a column. Each distinct text is kept and folded for the search
// once per fill, so that a filter change over a million events is one pass
// over a few bytes per event; the texts the table shows are made only for
// the rows on screen.
class EventTable {
public:
    // Replaces the events by a read's or a dump's, given in the decoder's list
    // order, and shows them as a read leaves the table (see
    // orderAsShownAfterRead). The filter stays.
    void setListedEvents(std::vector<ArchiveEvent> listed);
    // Replaces the events by ones already in the order to show them in (a
    // site's history comes in the order of its store).
    void setEvents(std::vector<ArchiveEvent> events);
    // Which events are new to the site's history, by flags in the order the
    // last fill was given its events; no flags: none is new.
    void setNewEvents(const std::vector<bool>& isNew);
    void setFilter(const RowFilter& filter);
    const RowFilter& filter() const { return rowFilter; }

    // Sorts every row by the column as a table widget sorts its items:
    // stable, the time by its digits with no time first, the section,
    // address and loop by value with no number after the numbers, the
    // emergencies after the others, the texts in the locale's order. Sorted
    // descending, each of these orders is reversed and equal rows still keep
    // their order.
    void sort(int column, Qt::SortOrder order);

    std::size_t eventCount() const { return events.size(); }
    std::size_t shownCount() const { return shown.size(); }
    const ArchiveEvent& shownEvent(std::size_t row) const { return events[shown[row]]; }
    bool isShownNew(std::size_t row) const { return isNew(shown[row]); }
    // Where a shown row's event stands among the events of the fill, which
    // a sort does not change.
    std::uint32_t shownPosition(std::size_t row) const { return shown[row]; }
    bool hasNewEvents() const { return newCount > 0; }
    // Every event in the order shown, those the filter hides included; the
    // events the filter keeps.
    EventSpan allEvents() const { return {events, order}; }
    EventSpan shownEvents() const { return {events, shown}; }
    // The distinct texts of the event column, of every event or only of the
    // new ones.
    std::vector<QString> eventTexts(bool newOnly = false) const;

private:
    void fill(std::vector<ArchiveEvent> given, std::vector<std::uint32_t> rows);
    bool isNew(std::uint32_t event) const { return event < newFlags.size() && newFlags[event]; }
    // The sort keys of a column, per event: numbers that order as the column does.
    std::vector<std::uint32_t> sortKeys(int column) const;
    void applyFilter();

    std::vector<ArchiveEvent> events;
    // The events (positions in `events`) of all rows, top first; of the rows
    // the filter keeps.
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> shown;
    std::vector<bool> newFlags;
    std::size_t newCount = 0;
    std::vector<bool> kept;
    // Per event, its event and source texts as positions in `texts`, the
    // distinct texts, and their folds for the search.
    std::vector<std::uint32_t> eventTextIds;
    std::vector<std::uint32_t> sourceTextIds;
    std::vector<QString> texts;
    std::vector<QString> foldedTexts;
    RowFilter rowFilter;
};

} // namespace archive_table
