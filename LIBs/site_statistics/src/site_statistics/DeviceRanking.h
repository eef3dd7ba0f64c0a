#pragma once

#include <site_statistics/EventTally.h>
#include <site_statistics/StatisticsTable.h>

#include <archive_table/DeviceDirectory.h>

#include <QString>

#include <cstdint>
#include <vector>

namespace site_statistics {

// The ranking looks at the twelve calendar months that end with the month of
// the site's latest dated event.
constexpr int rankingMonths = 12;
// A device with faults in this many different months of them keeps failing.
constexpr int repeatedFaultMonths = 3;

// One device's events in the ranking's months.
struct DeviceCounts {
    archive_table::Place place;
    QString name; // as the table shows it
    std::int64_t events = 0;
    std::int64_t emergencies = 0;
    std::int64_t faults = 0; // class 1
    int faultMonths = 0;     // the months with at least one fault

    bool repeatedFaults() const { return faultMonths >= repeatedFaultMonths; }
};

// The first and last month (YYYYMM) of the ranking's window; both 0 when no
// event has a date.
struct MonthWindow {
    int first = 0;
    int last = 0;
};
MonthWindow rankingWindow(const Tallies& tallies);

// One row per device (an event with an address) that has events in the
// window: most faults first, then most emergencies, then by section and
// address. Names from `devices`, the configuration of the site's latest read.
std::vector<DeviceCounts> deviceRanking(const Tallies& tallies, const archive_table::DeviceDirectory& devices);

StatisticsTable deviceRankingTexts(const std::vector<DeviceCounts>& ranking);

} // namespace site_statistics
