// The store as a file people keep: its version, and files it must refuse
// and never change.

#include "EachStore.h"

#include <site_history/SiteHistory.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

using site_history::HistoryError;
using site_history::SiteHistory;

namespace {

QByteArray content(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs statements on a SQLite file with a connection of the test's own.
QVariant onFile(const QString& path, const QStringList& statements)
{
    QVariant last;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
        db.setDatabaseName(path);
        if (db.open())
            for (const QString& statement : statements) {
                QSqlQuery query(db);
                if (query.exec(statement) && query.next())
                    last = query.value(0);
            }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test"));
    return last;
}

} // namespace

// A version-0 file is an empty database: it becomes a store of version 1.
TEST(StoreFileTest, AnEmptyDatabaseIsMigratedToTheCurrentVersion)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("old.sqlite");
    onFile(path, {QStringLiteral("PRAGMA user_version=0"), QStringLiteral("VACUUM")});
    ASSERT_TRUE(QFile::exists(path));
    {
        SiteHistory store(path);
        store.record("Склад", readDump(ringPanel(20), 1'700'000'000'000));
    }
    EXPECT_EQ(onFile(path, {QStringLiteral("PRAGMA user_version")}).toInt(), 1);
    EXPECT_EQ(onFile(path, {QStringLiteral("PRAGMA application_id")}).toInt(), 0x51525648);
    EXPECT_EQ(onFile(path, {QStringLiteral("SELECT COUNT(*) FROM events")}).toInt(), 20);
    SiteHistory reopened(path);
    EXPECT_EQ(reopened.table("Склад").events.size(), 20u);
}

TEST(StoreFileTest, FilesThatAreNoStoreOfThisProgramAreRefusedAndLeftAlone)
{
    QTemporaryDir dir;
    const QString newer = dir.filePath("newer.sqlite");
    { SiteHistory store(newer); }
    onFile(newer, {QStringLiteral("PRAGMA user_version=2")});
    const QString text = dir.filePath("archive.txt");
    ASSERT_TRUE(put(text, "| Дата и время | Событие |\n"));
    const QString foreign = dir.filePath("foreign.sqlite");
    onFile(foreign, {QStringLiteral("CREATE TABLE notes (line TEXT)"), QStringLiteral("INSERT INTO notes VALUES ('x')")});
    const QString damaged = dir.filePath("damaged.sqlite");
    {
        SiteHistory store(damaged);
        store.record("Склад", readDump(ringPanel(300), 1'700'000'000'000));
    }
    QByteArray bytes = content(damaged);
    ASSERT_GT(bytes.size(), 20000);
    for (int i = 4096; i < bytes.size(); i += 97)
        bytes[i] = char(0x5A);
    ASSERT_TRUE(put(damaged, bytes));

    std::string message;
    EXPECT_EQ(refusal(newer, &message), HistoryError::Fault::NewerVersion);
    EXPECT_NE(message.find("версия истории 2"), std::string::npos) << message;
    EXPECT_NE(message.find("до 1"), std::string::npos) << message;
    EXPECT_EQ(refusal(text), HistoryError::Fault::NotAStore);
    EXPECT_EQ(refusal(foreign), HistoryError::Fault::NotAStore);
    const HistoryError::Fault damage = refusal(damaged, &message);
    EXPECT_TRUE(damage == HistoryError::Fault::Damaged || damage == HistoryError::Fault::NotAStore) << message;
    EXPECT_EQ(refusal(dir.filePath("no-such-folder/history.sqlite")), HistoryError::Fault::CannotOpen);
    EXPECT_EQ(refusal(dir.path()), HistoryError::Fault::CannotOpen);

    // Not a byte changed, and no journal left beside them.
    EXPECT_EQ(onFile(newer, {QStringLiteral("PRAGMA user_version")}).toInt(), 2);
    EXPECT_EQ(content(text), QByteArray("| Дата и время | Событие |\n"));
    EXPECT_EQ(content(damaged), bytes);
    EXPECT_EQ(onFile(foreign, {QStringLiteral("SELECT line FROM notes")}).toString(), QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(text + "-wal"));
}

TEST(StoreFileTest, NetworkFoldersAreNoPlaceForAStore)
{
    EXPECT_TRUE(site_history::isNetworkPath(QStringLiteral("//server/share/history.sqlite")));
    QTemporaryDir dir;
    EXPECT_FALSE(site_history::isNetworkPath(dir.filePath("history.sqlite")));
}

// A new site's name follows the rule before anything is recorded; a site
// an older program let in under a breaking name keeps its reads coming and
// may be renamed to a sound name only.
TEST(StoreFileTest, ABreakingNameMakesNoSiteButAnOlderSiteKeepsItsName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("h.sqlite");
    const QString forged = QStringLiteral("Офис\t0\t0\t\nСклад №1\t99");
    {
        site_history::SiteHistory store(path);
        for (const QString& name : {QStringLiteral(" Склад "), QStringLiteral("   "), forged}) {
            try {
                store.record(name, readDump(ringPanel(10), 1'700'000'000'000));
                ADD_FAILURE() << name.toStdString();
            } catch (const site_history::HistoryError& error) {
                EXPECT_EQ(error.fault(), site_history::HistoryError::Fault::BadSiteName);
            }
        }
        EXPECT_TRUE(store.sites().empty());
        store.record(QStringLiteral("Склад"), readDump(ringPanel(10), 1'700'000'000'000));
    }
    onFile(path, {QStringLiteral("UPDATE sites SET name = 'Офис' || char(9) || '0' || char(9) || '0'"
                                 " || char(9) || char(10) || 'Склад №1' || char(9) || '99'")});

    site_history::SiteHistory store(path);
    EXPECT_EQ(store.record(forged, readDump(ringPanel(20), 1'700'000'060'000)).newEvents, 10);
    ASSERT_EQ(store.sites().size(), 1u);
    EXPECT_EQ(store.sites()[0].name, forged);
    EXPECT_EQ(store.sites()[0].reads, 2);
    EXPECT_THROW(store.renameSite(forged, QStringLiteral("Склад\n2")), site_history::HistoryError);
    store.renameSite(forged, QStringLiteral("Склад 2"));
    EXPECT_EQ(store.sites()[0].name, QStringLiteral("Склад 2"));
}
