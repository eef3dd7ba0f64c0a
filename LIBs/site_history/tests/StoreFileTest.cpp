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

#include <cstring>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

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

// A version-0 file is an empty database: it becomes a store of the current version.
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
    EXPECT_EQ(onFile(path, {QStringLiteral("PRAGMA user_version")}).toInt(), 3);
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
    onFile(newer, {QStringLiteral("PRAGMA user_version=4")});
    const QString text = dir.filePath("archive.txt");
    ASSERT_TRUE(put(text, "| Дата и время | Событие |\n"));
    // Another program's databases: with tables and version 0, with a
    // version of 1 or below 0 and no application id, in either journal.
    QStringList foreign;
    for (const char* version : {"0", "1", "-5"})
        for (const char* journal : {"DELETE", "WAL"}) {
            foreign << dir.filePath(QStringLiteral("foreign%1%2.sqlite").arg(QLatin1String(version), QLatin1String(journal)));
            onFile(foreign.back(), {QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(journal)),
                                    QStringLiteral("PRAGMA user_version=%1").arg(QLatin1String(version)),
                                    QStringLiteral("CREATE TABLE invoices (id INTEGER PRIMARY KEY, amount REAL)"),
                                    QStringLiteral("INSERT INTO invoices VALUES (1, 2.5)")});
        }
    // Ours, but with a version no program gives a store.
    const QString broken = dir.filePath("broken.sqlite");
    { SiteHistory store(broken); }
    onFile(broken, {QStringLiteral("PRAGMA user_version=-1")});
    const QByteArray brokenBytes = content(broken);
    std::vector<QByteArray> foreignBytes;
    for (const QString& file : foreign)
        foreignBytes.push_back(content(file));

    std::string message;
    EXPECT_EQ(refusal(newer, &message), HistoryError::Fault::NewerVersion);
    EXPECT_NE(message.find("версия истории 4"), std::string::npos) << message;
    EXPECT_NE(message.find("до 3"), std::string::npos) << message;
    EXPECT_EQ(refusal(text), HistoryError::Fault::NotAStore);
    for (const QString& file : foreign) {
        EXPECT_EQ(refusal(file, &message), HistoryError::Fault::NotAStore) << file.toStdString();
        EXPECT_NE(message.find("не является историей событий"), std::string::npos) << message;
    }
    EXPECT_EQ(refusal(broken), HistoryError::Fault::Damaged);
    EXPECT_EQ(content(broken), brokenBytes);
    EXPECT_EQ(refusal(dir.filePath("no-such-folder/history.sqlite")), HistoryError::Fault::CannotOpen);
    EXPECT_EQ(refusal(dir.path()), HistoryError::Fault::CannotOpen);

    // Not a byte changed, and nothing left beside them.
    EXPECT_EQ(onFile(newer, {QStringLiteral("PRAGMA user_version")}).toInt(), 4);
    EXPECT_EQ(content(text), QByteArray("| Дата и время | Событие |\n"));
    EXPECT_EQ(filesBeside(text), QStringList());
    for (std::size_t i = 0; i < foreignBytes.size(); ++i) {
        EXPECT_EQ(content(foreign[int(i)]), foreignBytes[i]) << foreign[int(i)].toStdString();
        EXPECT_EQ(filesBeside(foreign[int(i)]), QStringList());
    }
}

#ifndef _WIN32
// A FIFO would block the program until someone writes into it; a socket
// or a FIFO is refused at once.
TEST(StoreFileTest, OnlyARegularFileIsOpened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = dir.filePath("socket");
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // A hang ends the test program instead of the suite's run.
    ::alarm(20);
    EXPECT_EQ(refusal(fifo), HistoryError::Fault::CannotOpen);
    EXPECT_EQ(refusal(socketPath), HistoryError::Fault::CannotOpen);
    ::alarm(0);
    ::close(socketFd);
}
#endif

// Reading a store makes no file beside it: another user of a shared
// folder finds nothing of the reader's that would stop them writing. A
// store of version 1, kept with a write-ahead log, is switched to the
// rollback journal when it is migrated.
TEST(StoreFileTest, ReadingLeavesNothingBesideTheStore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.sqlite");
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVEL_VERSION1_STORE), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    {
        SiteHistory store(path);
        EXPECT_EQ(filesBeside(path), QStringList());
        store.sites();
        store.table("Склад");
        store.matchSite(readDump(ringPanel(100), 1'700'000'000'000));
        EXPECT_EQ(filesBeside(path), QStringList());
    }
    EXPECT_EQ(onFile(path, {QStringLiteral("PRAGMA journal_mode")}).toString(), QStringLiteral("delete"));
    EXPECT_EQ(filesBeside(path), QStringList());
}

// A damaged store is never shown short: reading its events, or the full
// check, says it is damaged; opening it stays cheap and changes nothing.
TEST(StoreFileTest, ADamagedStoreIsReportedNeverShownShort)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.sqlite");
    {
        SiteHistory store(path);
        store.record("Склад", readDump(ringPanel(8300), 1'700'000'000'000));
        const site_history::HistoryCheck check = store.check();
        EXPECT_TRUE(check.sound);
        EXPECT_EQ(check.text, QStringLiteral("История в порядке: объектов 1, чтений 1, событий 8192."));
    }
    loseEventsSilently(path);
    const QByteArray damaged = content(path);

    SiteHistory store(path);
    EXPECT_EQ(store.site("Склад")->events, 8192);
    std::size_t taken = 0;
    try {
        store.eachEvent("Склад", [&](const archive_table::ArchiveEvent&) { return ++taken, true; });
        ADD_FAILURE() << "a history of " << taken << " events was read whole";
    } catch (const HistoryError& error) {
        EXPECT_EQ(error.fault(), HistoryError::Fault::Damaged);
        EXPECT_NE(std::string(error.what()).find("учтено 8192 событий, а прочитано " + std::to_string(taken)),
                  std::string::npos) << error.what();
    }
    EXPECT_LT(taken, 8192u);
    EXPECT_THROW(store.table("Склад"), HistoryError);
    const site_history::HistoryCheck check = store.check();
    EXPECT_FALSE(check.sound);
    EXPECT_TRUE(check.text.startsWith(QStringLiteral("История повреждена:\n"))) << check.text.toStdString();
    EXPECT_TRUE(check.text.contains(QStringLiteral("объект «Склад»: учтено событий 8192, найдено "))) << check.text.toStdString();
    EXPECT_EQ(content(path), damaged);
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
