#pragma once

#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventColumns.h>
#include <archive_table/EventSpan.h>

#include <QString>

#include <map>
#include <utility>
#include <vector>

namespace archive_table {

// How many events, and how many of them emergencies.
struct Tally {
    int events = 0;
    int emergencies = 0;
};

// The counts behind the device overview and the report's summary, over the
// events they are given (those the filter leaves).
struct EventCounts {
    Tally all;
    int undated = 0;
    // By place; events without an address count under their section with
    // address 0.
    std::map<Place, Tally> byPlace;
    std::map<QString, int> byEventText;

    // The n most frequent event texts, most first; equal counts in text order.
    std::vector<std::pair<QString, int>> topEventTexts(std::size_t n) const;
    // The n devices (rows with an address) with the most events, most first;
    // equal counts in section and address order.
    std::vector<std::pair<Place, Tally>> topDevices(std::size_t n) const;
};

EventCounts countEvents(const EventSpan& events);

} // namespace archive_table
