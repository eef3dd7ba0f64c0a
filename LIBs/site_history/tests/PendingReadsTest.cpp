// Reads kept on this computer while their store's server cannot be
// reached, and sent to it later.

#include "HistoryTestSupport.h"

#include <site_history/PendingReads.h>
#include <site_history/SiteHistory.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using site_history::PendingReads;
using site_history::SiteHistory;

TEST(PendingReadsTest, KeptReadsWaitForTheirStoreAndGoOnceRecorded)
{
    QTemporaryDir dir;
    const QString office = dir.filePath(QStringLiteral("office.sqlite"));
    PendingReads pending(dir.filePath(QStringLiteral("pending")));
    const auto first = readDump(ringPanel(100), 1'700'000'000'000);
    const auto later = readDump(ringPanel(150), 1'700'086'400'000);
    panel_sim::PanelDescription another = ringPanel(60);
    for (panel_sim::ArchiveRecord& record : another.records)
        record.address = 9;
    const auto stranger = readDump(another, 1'700'000'000'000);
    // Kept newest first; the same read kept twice is kept once; a read for
    // another store waits for that one.
    pending.keep(office, QString(), later);
    pending.keep(office, QStringLiteral("Склад"), first);
    pending.keep(office, QStringLiteral("Склад"), first);
    pending.keep(office, QString(), stranger);
    pending.keep(QStringLiteral("postgresql://db/company"), QStringLiteral("Гараж"), first);

    const auto waiting = pending.waiting(office);
    ASSERT_EQ(waiting.size(), 3u);
    EXPECT_EQ(waiting[0].readTime.toMSecsSinceEpoch(), 1'700'000'000'000);
    EXPECT_EQ(waiting[2].readTime.toMSecsSinceEpoch(), 1'700'086'400'000);

    // The oldest read names its site; the later one is known by the
    // records it shares with it; the stranger's site cannot be told.
    SiteHistory store(office);
    std::vector<PendingReads::Sent> sent;
    pending.sendTo(store, [&](const PendingReads::Sent& one) { sent.push_back(one); });
    ASSERT_EQ(sent.size(), 3u);
    int recorded = 0;
    for (const PendingReads::Sent& one : sent) {
        if (one.recorded) {
            ++recorded;
            EXPECT_EQ(one.site, QStringLiteral("Склад"));
        } else {
            EXPECT_EQ(one.problem, "объект не найден в истории");
            EXPECT_EQ(one.read.readTime.toMSecsSinceEpoch(), 1'700'000'000'000);
        }
    }
    EXPECT_EQ(recorded, 2);
    EXPECT_EQ(store.site("Склад")->events, 150);
    EXPECT_EQ(store.site("Склад")->reads, 2);

    // The stranger stays, and so does the other store's read: two reads,
    // each a dump and its note.
    ASSERT_EQ(pending.waiting(office).size(), 1u);
    EXPECT_EQ(QDir(pending.folder()).entryList(QDir::Files).size(), 4);
    EXPECT_EQ(pending.waiting(QStringLiteral("postgresql://db/company")).front().site, QStringLiteral("Гараж"));
}
