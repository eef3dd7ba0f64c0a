// A site's month table and device ranking, counted from events whose
// months, classes and emergencies are known.

#include <site_statistics/DeviceRanking.h>
#include <site_statistics/MonthTable.h>

#include <gtest/gtest.h>

#include <vector>

using archive_table::ArchiveEvent;
using archive_table::PanelTime;
using site_statistics::tallyEvents;

namespace {

ArchiveEvent event(std::int64_t digits, int eventClass, bool emergency = false, int section = 0, int address = 0)
{
    ArchiveEvent e;
    e.time = PanelTime::fromDigits(digits);
    e.eventClass = std::uint8_t(eventClass);
    e.emergency = emergency;
    e.section = std::uint8_t(section);
    e.address = std::uint8_t(address);
    return e;
}

std::vector<archive_table::CellTexts> monthRows(const std::vector<ArchiveEvent>& events)
{
    return site_statistics::monthTableTexts(site_statistics::monthTable(tallyEvents(events))).rows;
}

std::vector<archive_table::CellTexts> rankingRows(const std::vector<ArchiveEvent>& events)
{
    return site_statistics::deviceRankingTexts(site_statistics::deviceRanking(tallyEvents(events), {})).rows;
}

} // namespace

// November and January across a year's end with an empty December between
// them; a time with no date and two no calendar has count apart, whatever
// their digits say.
TEST(MonthTableTest, MonthsRunFromTheEarliestToTheLatestThenTheUndatedRow)
{
    const std::vector<ArchiveEvent> events = {
        event(20240115080000, 6),         event(20231105100000, 1),        event(20240131235959, 3, true),
        event(20231130235959, 2, true),   event(20240101000000, 0),        event(20240102000000, 4),
        event(20240103000000, 5),         event(20240104000000, 7),        event(0, 1),
        event(20240230120000, 1, true),   event(20241301000000, 2),
    };
    const std::vector<archive_table::CellTexts> expected = {
        {"2023-11", "2", "1", "1", "1", "0", "0", "0"},
        {"2023-12", "0", "0", "0", "0", "0", "0", "0"},
        {"2024-01", "6", "1", "0", "0", "3", "1", "2"},
        {"без даты", "3", "1", "2", "1", "0", "0", "0"},
    };
    EXPECT_EQ(monthRows(events), expected);
}

TEST(MonthTableTest, AHistoryWithoutDatesHasTheUndatedRowAlone)
{
    EXPECT_EQ(monthRows({}), (std::vector<archive_table::CellTexts>{{"без даты", "0", "0", "0", "0", "0", "0", "0"}}));
    EXPECT_EQ(monthRows({event(0, 3)}),
              (std::vector<archive_table::CellTexts>{{"без даты", "1", "0", "0", "0", "1", "0", "0"}}));
}

// The window is March 2023 to February 2024: February 2023 is out, and so are
// the events without a device or a date. Device 1/4 faults in three months,
// 2/9 in two with more faults; 1/7 and 1/5 tie on faults and differ in
// emergencies; 1/6 and 1/8 tie on both and go by address.
TEST(DeviceRankingTest, DevicesRankByFaultsThenEmergenciesInTheLastTwelveMonths)
{
    const std::vector<ArchiveEvent> events = {
        event(20230228235959, 1, false, 1, 8), event(20230301000000, 1, false, 1, 4),
        event(20230415000000, 1, false, 1, 4), event(20240201000000, 1, true, 1, 4),
        event(20231001000000, 1, false, 2, 9), event(20231002000000, 1, false, 2, 9),
        event(20231103000000, 1, false, 2, 9), event(20231104000000, 1, false, 2, 9),
        event(20230601000000, 1, false, 1, 5), event(20230601000000, 2, true, 1, 7),
        event(20230602000000, 1, false, 1, 7), event(20230701000000, 3, false, 1, 8),
        event(20230701000000, 3, false, 1, 6), event(20240229000000, 0, true, 1, 0),
        event(0, 1, true, 1, 6),               event(20240230000000, 1, false, 1, 6),
    };
    const std::vector<archive_table::CellTexts> expected = {
        {"2", "9", "", "4", "0", "4", "2"},
        {"1", "4", "", "3", "1", "3", "3"},
        {"1", "7", "", "2", "1", "1", "1"},
        {"1", "5", "", "1", "0", "1", "1"},
        {"1", "6", "", "1", "0", "0", "0"},
        {"1", "8", "", "1", "0", "0", "0"},
    };
    auto rows = rankingRows(events);
    for (auto& row : rows)
        row[2].clear(); // names are the directory's, tested with the reader
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(site_statistics::deviceRanking(tallyEvents(events), {})[1].repeatedFaults());
    EXPECT_FALSE(site_statistics::deviceRanking(tallyEvents(events), {})[0].repeatedFaults());
}

// The chart's last twelve months end with the latest dated month: a history
// of three months is padded before its start across the year's end, a longer
// one cut; the undated events are in neither.
TEST(MonthTableTest, TheLastMonthsEndWithTheLatestDatedMonth)
{
    const auto monthsOf = [](const std::vector<ArchiveEvent>& events, int count) {
        std::vector<std::pair<int, std::int64_t>> months;
        for (const site_statistics::MonthCounts& m :
             site_statistics::lastMonths(site_statistics::monthTable(tallyEvents(events)), count))
            months.emplace_back(m.month, m.events);
        return months;
    };
    const std::vector<ArchiveEvent> events = {event(20240301000000, 1), event(20240115000000, 2),
                                              event(20240116000000, 2), event(0, 1)};
    EXPECT_EQ(monthsOf(events, 4),
              (std::vector<std::pair<int, std::int64_t>>{{202312, 0}, {202401, 2}, {202402, 0}, {202403, 1}}));
    EXPECT_EQ(monthsOf(events, 2), (std::vector<std::pair<int, std::int64_t>>{{202402, 0}, {202403, 1}}));
    EXPECT_TRUE(monthsOf({event(0, 1)}, 12).empty());
}
