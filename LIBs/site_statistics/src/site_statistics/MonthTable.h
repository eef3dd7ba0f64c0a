#pragma once

#include <site_statistics/EventTally.h>
#include <site_statistics/StatisticsTable.h>

#include <QString>

#include <cstdint>
#include <vector>

namespace site_statistics {

// A month's events, and how many of them were of each sort.
struct MonthCounts {
    int month = 0; // YYYYMM; 0: the events without a date
    std::int64_t events = 0;
    std::int64_t emergencies = 0; // with the emergency flag, whatever their class
    std::int64_t faults = 0;      // class 1
    std::int64_t loopStates = 0;  // class 2
    std::int64_t commands = 0;    // classes 3, 4 and 5
    std::int64_t resets = 0;      // class 0
    std::int64_t others = 0;      // classes 6 and 7
};

// One row per calendar month from the month of the earliest dated event to
// that of the latest, oldest first, the months without events included with
// zeros; then always the row of the events without a date or with one no
// calendar has (month 0), zeros included.
std::vector<MonthCounts> monthTable(const Tallies& tallies);

// The `count` calendar months that end with the latest dated month of the
// table, oldest first, those before its first month with zeros; no undated
// row. Empty when no event has a date.
std::vector<MonthCounts> lastMonths(const std::vector<MonthCounts>& table, int count);

// A month (YYYYMM) as the tables write it: YYYY-MM; "без даты" for 0.
QString monthText(int month);

// The table's texts: the month as YYYY-MM, the undated row's words, counts
// in digits.
StatisticsTable monthTableTexts(const std::vector<MonthCounts>& months);

// YYYYMM as months since year 0 and back: the arithmetic of month windows.
inline int monthIndex(int month)
{
    return month / 100 * 12 + month % 100 - 1;
}
inline int monthOfIndex(int index)
{
    return index / 12 * 100 + index % 12 + 1;
}

} // namespace site_statistics
