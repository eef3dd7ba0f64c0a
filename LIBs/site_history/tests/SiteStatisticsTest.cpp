// A site's statistics counted by the store: the same tallies as the
// events of its reads counted in memory, each event once.

#include "EachStore.h"

#include <site_history/SiteHistory.h>
#include <site_statistics/MonthTable.h>

#include <archive_table/ArchiveEvent.h>

#include <gtest/gtest.h>

using site_history::SiteHistory;

namespace {

class SiteStatisticsTest : public EachStore {};

} // namespace

QUORVEL_FOR_EACH_STORE(SiteStatisticsTest);

TEST_P(SiteStatisticsTest, TheStoreTalliesEachEventOnceAsTheReadsEventsTallyInMemory)
{
    SiteHistory store(newStore());
    const memory_dump::MemoryDump latest = readDump(statisticsPanel(true), 1'700'003'600'000);
    store.record("Склад", readDump(statisticsPanel(false), 1'700'000'000'000));
    store.record("Склад", latest);

    config_quorvel::Configuration configuration;
    const auto events = archive_table::archiveEvents(memory_dump::decodeDump(latest, configuration));
    ASSERT_EQ(events.size(), 7u);
    const site_statistics::Tallies tallies = store.tallies("Склад");
    EXPECT_EQ(tallies, site_statistics::tallyEvents(events));

    const std::vector<archive_table::CellTexts> expected = {
        {"2023-11", "2", "1", "1", "1", "0", "0", "0"},  {"2023-12", "0", "0", "0", "0", "0", "0", "0"},
        {"2024-01", "2", "0", "0", "0", "1", "1", "0"},  {"2024-02", "1", "0", "0", "0", "0", "0", "1"},
        {"без даты", "2", "1", "2", "0", "0", "0", "0"},
    };
    EXPECT_EQ(site_statistics::monthTableTexts(site_statistics::monthTable(tallies)).rows, expected);
}
