// The merge of a site's reads into one history, and which site a read
// belongs to.

#include "EachStore.h"

#include <site_history/SiteHistory.h>

#include <archive_table/EventRows.h>
#include <memory_dump/DumpError.h>

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using site_history::SiteHistory;
using site_history::SiteMatch;

namespace {

// Each read an hour after the one before; the ring moves on by 300
// records between them.
struct WrappingReads {
    memory_dump::MemoryDump full = readDump(ringPanel(8192), 1'700'000'000'000);
    memory_dump::MemoryDump later = readDump(ringPanel(8492), 1'700'003'600'000);
    memory_dump::MemoryDump latest = readDump(ringPanel(8792), 1'700'007'200'000);
};

const WrappingReads& wrappingReads()
{
    static const WrappingReads reads;
    return reads;
}

std::vector<archive_table::RowTexts> tableOfRead(const memory_dump::MemoryDump& dump)
{
    config_quorvel::Configuration configuration;
    return archive_table::rowsAsShownAfterRead(memory_dump::decodeDump(dump, configuration));
}

// Every distinct record of the reads (address and bytes) with the texts
// the oldest of them gave it.
std::map<std::pair<std::uint32_t, std::vector<std::uint8_t>>, archive_table::RowTexts>
distinctEvents(std::vector<memory_dump::MemoryDump> dumps)
{
    std::sort(dumps.begin(), dumps.end(), [](const auto& a, const auto& b) { return a.readTimeMs > b.readTimeMs; });
    std::map<std::pair<std::uint32_t, std::vector<std::uint8_t>>, archive_table::RowTexts> events;
    for (const memory_dump::MemoryDump& dump : dumps) {
        config_quorvel::Configuration configuration;
        const auto decoded = memory_dump::decodeDump(dump, configuration);
        const auto records = memory_dump::validRecords(dump);
        for (std::size_t i = 0; i < records.size(); ++i)
            events[{records[i].address, records[i].bytes}] = archive_table::eventRowTexts(decoded[i]);
    }
    return events;
}

// A history as the window shows it, made here from the reads themselves:
// every distinct event with the oldest read that saw it, listed by address
// and then by that read's time, in the order archive_table gives a read's
// list.
std::vector<archive_table::RowTexts> historyOf(std::vector<memory_dump::MemoryDump> dumps)
{
    std::sort(dumps.begin(), dumps.end(), [](const auto& a, const auto& b) { return a.readTimeMs > b.readTimeMs; });
    std::map<std::pair<std::uint32_t, std::vector<std::uint8_t>>, std::pair<std::int64_t, archive_table::ArchiveEvent>> seen;
    for (const memory_dump::MemoryDump& dump : dumps) {
        config_quorvel::Configuration configuration;
        const auto decoded = memory_dump::decodeDump(dump, configuration);
        const auto records = memory_dump::validRecords(dump);
        for (std::size_t i = 0; i < records.size(); ++i)
            seen[{records[i].address, records[i].bytes}] = {dump.readTimeMs, archive_table::archiveEvent(decoded[i])};
    }
    std::vector<std::pair<std::pair<std::uint32_t, std::int64_t>, archive_table::ArchiveEvent>> listed;
    for (const auto& [key, event] : seen)
        listed.push_back({{key.first, event.first}, event.second});
    std::stable_sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<archive_table::ArchiveEvent> events;
    for (auto& entry : listed)
        events.push_back(std::move(entry.second));
    return archive_table::rowTexts(archive_table::eventsAsShownAfterRead(std::move(events)));
}

std::multiset<std::vector<QString>> asSet(const std::vector<archive_table::RowTexts>& rows)
{
    std::multiset<std::vector<QString>> set;
    for (const auto& row : rows)
        set.insert(std::vector<QString>(row.begin(), row.end()));
    return set;
}

class SiteHistoryTest : public EachStore {};

} // namespace

QUORVEL_FOR_EACH_STORE(SiteHistoryTest);

TEST_P(SiteHistoryTest, OneReadsHistoryIsThatReadsTable)
{
    SiteHistory store(newStore());
    const auto recorded = store.record("Склад", wrappingReads().full);
    EXPECT_EQ(recorded.newEvents, 8192);
    EXPECT_FALSE(recorded.previousRead.isValid());
    EXPECT_EQ(archive_table::rowTexts(store.table("Склад").events), tableOfRead(wrappingReads().full));
}

// A full ring, then reads after 300 and 600 more records: every event any
// of them saw is kept once, in whatever order they are recorded.
TEST_P(SiteHistoryTest, ReadsAcrossAWrappingRingMergeTheSameInAnyOrder)
{
    const WrappingReads& r = wrappingReads();
    const auto expected = distinctEvents({r.full, r.later, r.latest});
    ASSERT_EQ(expected.size(), 8792u);
    std::vector<archive_table::RowTexts> expectedRows;
    for (const auto& entry : expected)
        expectedRows.push_back(entry.second);

    std::vector<archive_table::RowTexts> first;
    const std::vector<std::vector<const memory_dump::MemoryDump*>> orders = {
        {&r.full, &r.later, &r.latest}, {&r.latest, &r.full, &r.later}, {&r.later, &r.latest, &r.full}};
    for (std::size_t n = 0; n < orders.size(); ++n) {
        SCOPED_TRACE(n);
        SiteHistory store(newStore());
        int added = 0;
        for (const memory_dump::MemoryDump* dump : orders[n])
            added += store.record("Склад", *dump).newEvents;
        EXPECT_EQ(added, 8792);
        const auto table = store.table("Склад");
        EXPECT_EQ(table.site.reads, 3);
        EXPECT_EQ(table.site.events, 8792);
        EXPECT_EQ(asSet(archive_table::rowTexts(table.events)), asSet(expectedRows));
        if (n == 0)
            first = archive_table::rowTexts(table.events);
        else
            EXPECT_EQ(archive_table::rowTexts(table.events), first); // the same order too

        // Recording a dump again changes nothing.
        const auto again = store.record("Склад", r.later);
        EXPECT_TRUE(again.alreadyKept);
        EXPECT_EQ(again.newEvents, 0);
        EXPECT_EQ(archive_table::rowTexts(store.table("Склад").events), archive_table::rowTexts(table.events));
    }
    // Newest first, as a read's table: the latest read's newest record on top.
    EXPECT_EQ(first.front(), tableOfRead(r.latest).front());
}

TEST_P(SiteHistoryTest, NewEventsAndThePreviousReadAreReported)
{
    const WrappingReads& r = wrappingReads();
    SiteHistory store(newStore());
    store.record("Склад", r.full);
    const auto later = store.record("Склад", r.later);
    EXPECT_EQ(later.newEvents, 300);
    EXPECT_EQ(later.previousRead.toMSecsSinceEpoch(), r.full.readTimeMs);
    ASSERT_EQ(later.isNew.size(), 8192u);
    // The 300 new records are the latest ones, which the ring put in slots
    // 0..299: the first 300 events of the read's list.
    EXPECT_EQ(std::count(later.isNew.begin(), later.isNew.begin() + 300, true), 300);
    EXPECT_EQ(std::count(later.isNew.begin() + 300, later.isNew.end(), true), 0);
}

// The history keeps the texts a read gave: a device renamed later keeps its
// old name on the old events, also when the older read comes in last.
TEST_P(SiteHistoryTest, EventsKeepTheTextsOfTheOldestReadThatSawThem)
{
    const auto before = readDump(ringPanel(100, u"Bxoд"), 1'700'000'000'000);
    const auto after = readDump(ringPanel(110, u"Bыxoд"), 1'700'086'400'000);
    for (const bool oldestFirst : {true, false}) {
        SiteHistory store(newStore());
        store.record("Склад", oldestFirst ? before : after);
        store.record("Склад", oldestFirst ? after : before);
        const auto rows = archive_table::rowTexts(store.table("Склад").events);
        ASSERT_EQ(rows.size(), 110u);
        const auto named = [&](const QString& name) {
            return std::count_if(rows.begin(), rows.end(), [&](const archive_table::RowTexts& row) {
                return row[archive_table::objectColumn].startsWith(name + " ");
            });
        };
        EXPECT_EQ(named(QString::fromStdU16String(u"Bxoд")), 100) << oldestFirst;
        EXPECT_EQ(named(QString::fromStdU16String(u"Bыxoд")), 10) << oldestFirst;
    }
}

// A read belongs to the one site that holds at least 8 of its records.
TEST_P(SiteHistoryTest, ASiteIsKnownByEightSharedRecords)
{
    SiteHistory store(newStore());
    EXPECT_EQ(store.matchSite(wrappingReads().later).kind, SiteMatch::Kind::None);
    store.record("Склад", readDump(ringPanel(100), 1'700'000'000'000));

    // The same panel later, 92 more records: its first 100 are kept.
    const SiteMatch known = store.matchSite(readDump(ringPanel(192), 1'700'086'400'000));
    EXPECT_EQ(known.kind, SiteMatch::Kind::One);
    EXPECT_EQ(known.site, QStringLiteral("Склад"));

    // A panel that shares exactly 8, and one that shares 7.
    const auto sharing = [](int shared) {
        panel_sim::PanelDescription d = ringPanel(100);
        for (std::size_t i = std::size_t(shared); i < d.records.size(); ++i)
            d.records[i].code = static_cast<std::uint8_t>(d.records[i].code ^ 0x40);
        return d;
    };
    EXPECT_EQ(store.matchSite(readDump(sharing(8), 1'700'000'000'001)).kind, SiteMatch::Kind::One);
    EXPECT_EQ(store.matchSite(readDump(sharing(7), 1'700'000'000'001)).kind, SiteMatch::Kind::None);

    // A panel with an empty archive belongs nowhere: it must be named.
    panel_sim::PanelDescription empty = ringPanel(0);
    EXPECT_EQ(store.matchSite(readDump(empty, 1'700'000'000'002)).kind, SiteMatch::Kind::None);

    // The same panel kept under two names cannot be told apart.
    store.record("Склад (копия)", readDump(ringPanel(100), 1'700'000'000'000));
    EXPECT_EQ(store.matchSite(readDump(ringPanel(192), 1'700'086'400'000)).kind, SiteMatch::Kind::Several);
}

TEST_P(SiteHistoryTest, SitesAreListedRenamedAndDeleted)
{
    SiteHistory store(newStore());
    store.record("Склад", readDump(ringPanel(100), 1'700'000'000'000));
    store.record("Склад", readDump(ringPanel(150), 1'700'086'400'000));
    store.record("Гараж", readDump(ringPanel(40, u"Bopoтa"), 1'700'000'000'000));
    auto sites = store.sites();
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(sites[1].name, QStringLiteral("Склад"));
    EXPECT_EQ(sites[1].reads, 2);
    EXPECT_EQ(sites[1].events, 150);
    EXPECT_EQ(sites[1].lastRead.toMSecsSinceEpoch(), 1'700'086'400'000);
    const auto reads = store.reads("Склад");
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(store.readDump(reads[0].id).readTimeMs, 1'700'000'000'000);

    EXPECT_THROW(store.renameSite("Склад", "Гараж"), site_history::HistoryError);
    store.renameSite("Склад", "Склад №2 — ✓");
    EXPECT_EQ(store.table("Склад №2 — ✓").events.size(), 150u);
    store.deleteSite("Склад №2 — ✓");
    sites = store.sites();
    ASSERT_EQ(sites.size(), 1u);
    EXPECT_EQ(sites[0].name, QStringLiteral("Гараж"));
    EXPECT_THROW(store.table("Склад №2 — ✓"), site_history::HistoryError);
}

// A history is in the order archive_table gives a list of events, and the
// events handed out one at a time are the table's, in its order, stopping
// where the taker says.
TEST_P(SiteHistoryTest, EventsStreamInTheWindowsOrderAndStopWhenAsked)
{
    const WrappingReads& r = wrappingReads();
    SiteHistory store(newStore());
    store.record("Склад", r.latest);
    store.record("Склад", r.full);
    const std::vector<archive_table::RowTexts> table = archive_table::rowTexts(store.table("Склад").events);
    EXPECT_EQ(table, historyOf({r.full, r.latest}));
    std::vector<archive_table::RowTexts> streamed;
    store.eachEvent("Склад", [&](const archive_table::ArchiveEvent& event) {
        streamed.push_back(archive_table::rowTexts(event));
        return true;
    });
    EXPECT_EQ(streamed, table);
    ASSERT_EQ(streamed.size(), 8792u);
    int taken = 0;
    store.eachEvent("Склад", [&](const archive_table::ArchiveEvent&) { return ++taken < 10; });
    EXPECT_EQ(taken, 10);
}

// Another program holding the store is waited for 10 seconds, as long as
// SQLite's busy time-out and the server's lock time-out, and then named.
TEST_P(SiteHistoryTest, AStoreHeldByAnotherProgramIsBusyAfterTenSeconds)
{
    const QString location = newStore();
    SiteHistory store(location);
    const QString holderName = QStringLiteral("holder");
    {
        QSqlDatabase holder;
        QStringList hold;
        if (GetParam() == StoreKind::Server) {
            const TestServer& s = *TestServer::get();
            holder = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), holderName);
            holder.setConnectOptions(QStringLiteral("host=%1 port=%2 user=%3 dbname=%4")
                                         .arg(s.socketFolder, s.port, s.adminRole, TestServer::databaseOf(location)));
            hold = QStringList{QStringLiteral("BEGIN"), QStringLiteral("LOCK TABLE quorvel.sites IN EXCLUSIVE MODE")};
        } else {
            holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), holderName);
            holder.setDatabaseName(location);
            hold = QStringList{QStringLiteral("BEGIN EXCLUSIVE")};
        }
        ASSERT_TRUE(holder.open()) << holder.lastError().text().toStdString();
        for (const QString& statement : hold)
            ASSERT_TRUE(QSqlQuery(holder).exec(statement)) << statement.toStdString();
        QElapsedTimer waited;
        waited.start();
        try {
            store.record("Склад", readDump(ringPanel(20), 1'700'000'000'000));
            ADD_FAILURE() << "recorded in a store another program held";
        } catch (const site_history::HistoryError& error) {
            EXPECT_EQ(error.fault(), site_history::HistoryError::Fault::Busy) << error.what();
            EXPECT_NE(std::string(error.what()).find("история занята другой программой"), std::string::npos) << error.what();
        }
        EXPECT_GE(waited.elapsed(), 9500);
        EXPECT_LT(waited.elapsed(), 30000);
        QSqlQuery(holder).exec(QStringLiteral("ROLLBACK"));
        holder.close();
    }
    QSqlDatabase::removeDatabase(holderName);
    EXPECT_EQ(store.record("Склад", readDump(ringPanel(20), 1'700'000'000'000)).newEvents, 20);
}

// A dump whose read time no read can have had changes nothing.
TEST_P(SiteHistoryTest, AReadAtAnImpossibleTimeIsRefused)
{
    SiteHistory store(newStore());
    memory_dump::MemoryDump dump = readDump(ringPanel(20), 1'700'000'000'000);
    dump.readTimeMs = 631151999999; // a millisecond before 1990
    EXPECT_THROW(store.record("Склад", dump), memory_dump::DumpError);
    EXPECT_TRUE(store.sites().empty());
}
