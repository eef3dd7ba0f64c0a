#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventSpan.h>

#include <cstdint>
#include <tuple>
#include <vector>

namespace site_statistics {

// A site's events of one kind, counted: those of one month of the panel's
// time, one device, one event class and one emergency flag. Every statistic
// of a site is made from these alone, and a million events make a few
// thousand of them, which is what a server sends instead of its events.
struct Tally {
    int month = 0; // YYYYMM of the panel's time; 0: no time, or one no calendar has
    int section = 0;
    int address = 0; // the device's; 0: the panel or a section itself
    int eventClass = 0;
    bool emergency = false;
    std::int64_t events = 0;

    auto key() const { return std::make_tuple(month, section, address, eventClass, emergency); }
    bool operator==(const Tally& other) const { return key() == other.key() && events == other.events; }
};

// Each kind once, in the order of month, section, address, class, then
// emergency (false first): the store gives them so, and so does tallyEvents.
using Tallies = std::vector<Tally>;

// The month an event counts in: that of the time as the panel recorded it,
// with no shift of time zone; 0 for no time or one no calendar has.
int tallyMonth(const archive_table::PanelTime& time);

// The events of a read, a dump or a table, tallied as the store tallies
// its history.
Tallies tallyEvents(const archive_table::EventSpan& events);

} // namespace site_statistics
