// Two sites that are one place, merged: the history is the one all their
// reads recorded under one name give, whichever is merged into which.

#include "EachStore.h"

#include <site_history/SiteHistory.h>

#include <archive_table/EventRows.h>

#include <gtest/gtest.h>

using site_history::HistoryError;
using site_history::SiteHistory;

namespace {

class SiteMergeTest : public EachStore {};

constexpr std::int64_t day = 86'400'000;
constexpr std::int64_t firstDay = 1'700'000'000'000;

// One panel read on four days; its device renamed after the first read, so
// that an event's texts tell which read saw it first.
struct FourReads {
    memory_dump::MemoryDump a = readDump(ringPanel(100, u"Bxoд"), firstDay);
    memory_dump::MemoryDump b = readDump(ringPanel(110, u"Bыxoд"), firstDay + day);
    memory_dump::MemoryDump c = readDump(ringPanel(130, u"Bыxoд"), firstDay + 2 * day);
    memory_dump::MemoryDump d = readDump(ringPanel(150, u"Bыxoд"), firstDay + 3 * day);
    memory_dump::MemoryDump next = readDump(ringPanel(170, u"Bыxoд"), firstDay + 4 * day);
};

const FourReads& fourReads()
{
    static const FourReads reads;
    return reads;
}

std::vector<std::int64_t> readTimes(const SiteHistory& store, const QString& site)
{
    std::vector<std::int64_t> times;
    for (const site_history::ReadInfo& read : store.reads(site))
        times.push_back(read.readTime.toMSecsSinceEpoch());
    return times;
}

} // namespace

QUORVEL_FOR_EACH_STORE(SiteMergeTest);

// "Склад 1" read on the first and third day, "Склад №1" on the second, third
// and fourth: the third day's dump is in both, each site saw some events
// first, and only the first day's read has the device's old name.
TEST_P(SiteMergeTest, TheMergedHistoryIsThatOfAllReadsRecordedInOneSite)
{
    const FourReads& r = fourReads();
    SiteHistory single(newStore());
    for (const auto* dump : {&r.a, &r.b, &r.c, &r.d})
        single.record("Склад", *dump);
    const auto expectedRows = archive_table::rowTexts(single.table("Склад").events);
    const site_statistics::SiteOverview expectedOverview = single.overview().front();
    const std::vector<bool> expectedNew = single.record("Склад", r.next).isNew;

    struct Case {
        const char* from;
        const char* into;
        int reads, keptReads, events, sharedEvents;
    };
    for (const Case& merge : {Case{"Склад №1", "Склад 1", 2, 1, 20, 130}, Case{"Склад 1", "Склад №1", 1, 1, 0, 130}}) {
        SCOPED_TRACE(merge.from);
        SiteHistory store(newStore());
        for (const auto* dump : {&r.a, &r.c})
            store.record("Склад 1", *dump);
        for (const auto* dump : {&r.b, &r.c, &r.d})
            store.record("Склад №1", *dump);
        store.record("Гараж", readDump(ringPanel(40, u"Bopoтa"), firstDay));

        const site_history::MergedSites merged = store.mergeSite(merge.from, merge.into);
        EXPECT_EQ(merged.reads, merge.reads);
        EXPECT_EQ(merged.keptReads, merge.keptReads);
        EXPECT_EQ(merged.events, merge.events);
        EXPECT_EQ(merged.sharedEvents, merge.sharedEvents);

        EXPECT_FALSE(store.site(merge.from));
        EXPECT_EQ(store.sites().size(), 2u);
        const auto table = store.table(merge.into);
        EXPECT_EQ(table.site.events, 150);
        EXPECT_EQ(table.site.reads, 4);
        EXPECT_EQ(archive_table::rowTexts(table.events), expectedRows);
        EXPECT_EQ(readTimes(store, merge.into), (std::vector<std::int64_t>{firstDay, firstDay + day, firstDay + 2 * day,
                                                                            firstDay + 3 * day}));
        const site_statistics::SiteOverview overview = store.overview()[1];
        EXPECT_EQ(overview.newEvents, expectedOverview.newEvents);
        EXPECT_EQ(overview.newEmergencies, expectedOverview.newEmergencies);
        EXPECT_EQ(store.record(merge.into, r.next).isNew, expectedNew);
        EXPECT_TRUE(store.record(merge.into, r.a).alreadyKept);
        EXPECT_EQ(store.table("Гараж").events.size(), 40u);
    }
}

TEST_P(SiteMergeTest, AnUnknownSiteOrASiteIntoItselfIsRefusedAndNothingChanges)
{
    SiteHistory store(newStore());
    store.record("Склад 1", readDump(ringPanel(20), firstDay));
    store.record("Склад №1", readDump(ringPanel(30), firstDay + day));
    const auto refused = [&](const QString& from, const QString& into) {
        try {
            store.mergeSite(from, into);
        } catch (const HistoryError& error) {
            return error.fault();
        }
        ADD_FAILURE() << "merged " << from.toStdString() << " into " << into.toStdString();
        return HistoryError::Fault::CannotWrite;
    };
    EXPECT_EQ(refused("Склад 1", "Склад 1"), HistoryError::Fault::SameSite);
    EXPECT_EQ(refused("Склад 1", "Склад"), HistoryError::Fault::NoSuchSite);
    EXPECT_EQ(refused("Склад", "Склад №1"), HistoryError::Fault::NoSuchSite);
    const auto sites = store.sites();
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(sites[0].events, 20);
    EXPECT_EQ(sites[1].events, 30);
}
