// A site's statistics counted by the store: the same tallies as the
// events of its reads counted in memory, each event once.

#include "EachStore.h"

#include <site_history/SiteHistory.h>
#include <site_statistics/MonthTable.h>
#include <site_statistics/SiteOverview.h>

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

// The last read of each site, what it brought new, the device faults dated
// in the twelve months before it, and when the site is due: after 31 whole
// days, or after its own interval.
TEST_P(SiteStatisticsTest, TheOverviewTellsWhatTheLastReadBroughtAndWhenASiteIsDue)
{
    SiteHistory store(newStore());
    const std::int64_t march2024 = 1'709'294'400'000; // 2024-03-01 12:00 UTC
    store.record("Склад", readDump(statisticsPanel(false), march2024 - 3'600'000));
    store.record("Склад", readDump(statisticsPanel(true), march2024));
    store.record("Офис", readDump(ringPanel(20), march2024 - 86'400'000));
    store.setServiceDays("Офис", 7);

    const std::vector<site_statistics::SiteOverview> sites = store.overview();
    ASSERT_EQ(sites.size(), 2u);
    const site_statistics::SiteOverview& office = sites[0];
    const site_statistics::SiteOverview& store1 = sites[1];
    EXPECT_EQ(store1.name, QStringLiteral("Склад"));
    EXPECT_EQ(store1.lastRead, QDateTime::fromMSecsSinceEpoch(march2024, Qt::UTC));
    EXPECT_EQ(store1.newEvents, 2);
    EXPECT_EQ(store1.newEmergencies, 1);
    EXPECT_EQ(store1.deviceFaults, 1); // November's; the undated and the impossible one are no month's
    EXPECT_EQ(store1.serviceDays, 0);
    EXPECT_EQ(office.newEvents, 20);
    EXPECT_EQ(office.serviceDays, 7);

    const QDate readDay = store1.lastRead.toLocalTime().date();
    EXPECT_FALSE(site_statistics::isDue(store1, readDay.addDays(31)));
    EXPECT_TRUE(site_statistics::isDue(store1, readDay.addDays(32)));
    const QDate officeDay = office.lastRead.toLocalTime().date();
    EXPECT_FALSE(site_statistics::isDue(office, officeDay.addDays(7)));
    EXPECT_TRUE(site_statistics::isDue(office, officeDay.addDays(8)));
    store.setServiceDays("Офис", 0);
    EXPECT_FALSE(site_statistics::isDue(store.overview()[0], officeDay.addDays(31)));
}
