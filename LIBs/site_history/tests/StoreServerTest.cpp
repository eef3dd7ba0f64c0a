// The store on a server: its schema in a database that holds other things
// too, its version, and programs that make it at the same moment.

#include "EachStore.h"

#include <site_history/DriverWarnings.h>
#include <site_history/SiteHistory.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using site_history::HistoryError;
using site_history::SiteHistory;

namespace {

class StoreServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!(server = TestServer::get()))
            GTEST_SKIP() << "no test server: QUORVEL_TEST_POSTGRES is not set";
    }

    const TestServer* server = nullptr;
};

} // namespace

TEST_F(StoreServerTest, TheStoreLivesInASchemaOfItsOwnBesideOtherTables)
{
    const QString uri = server->newDatabase();
    const QString database = TestServer::databaseOf(uri);
    server->admin(database, {QStringLiteral("CREATE TABLE sites (other TEXT)"),
                             QStringLiteral("INSERT INTO sites VALUES ('not ours')")});
    {
        SiteHistory store(uri);
        store.record("Склад", readDump(ringPanel(20), 1'700'000'000'000));
    }
    EXPECT_EQ(SiteHistory(uri).table("Склад").events.size(), 20u);
    server->admin(database, {QStringLiteral("DO $$ BEGIN"
                                            " IF (SELECT COUNT(*) FROM public.sites) <> 1"
                                            " OR (SELECT version FROM quorvel.store_version) <> 3"
                                            " OR (SELECT COUNT(*) FROM quorvel.events) <> 20"
                                            " THEN RAISE EXCEPTION 'not as made'; END IF; END $$")});

    // A newer program's store, and a schema of that name holding something
    // else, are refused and left as they are.
    server->admin(database, {QStringLiteral("UPDATE quorvel.store_version SET version = 4")});
    std::string message;
    EXPECT_EQ(refusal(uri, &message), HistoryError::Fault::NewerVersion);
    EXPECT_NE(message.find("версия истории 4"), std::string::npos) << message;
    const QString foreign = server->newDatabase();
    server->admin(TestServer::databaseOf(foreign), {QStringLiteral("CREATE SCHEMA quorvel"),
                                                    QStringLiteral("CREATE TABLE quorvel.notes (line TEXT)")});
    EXPECT_EQ(refusal(foreign), HistoryError::Fault::NotAStore);
    server->admin(TestServer::databaseOf(foreign), {QStringLiteral("DO $$ BEGIN"
                                                                   " IF to_regclass('quorvel.sites') IS NOT NULL"
                                                                   " THEN RAISE EXCEPTION 'changed'; END IF; END $$")});
}

// Programs that find a new database at the same moment make one store.
TEST_F(StoreServerTest, ProgramsOpeningANewStoreAtOnceMakeItOnce)
{
    const QString uri = server->newDatabase();
    std::vector<std::thread> programs;
    std::vector<std::string> failures(6);
    for (std::size_t i = 0; i < failures.size(); ++i)
        programs.emplace_back([&, i] {
            try {
                SiteHistory store(uri);
                store.record("Склад", readDump(ringPanel(30 + int(i)), 1'700'000'000'000 + qint64(i)));
            } catch (const std::exception& error) {
                failures[i] = error.what();
            }
        });
    for (std::thread& program : programs)
        program.join();
    for (const std::string& failure : failures)
        EXPECT_EQ(failure, "");
    EXPECT_EQ(SiteHistory(uri).table("Склад").events.size(), 35u);
}


// A connection the server has ended fails the store's next use with the
// store's own error; Qt's driver adds nothing to standard error.
TEST_F(StoreServerTest, AConnectionTheServerEndedLeavesNoDriverWarnings)
{
    const QString uri = server->newDatabase();
    SiteHistory store(uri);
    store.record("Склад", readDump(ringPanel(20), 1'700'000'000'000));
    server->admin(QStringLiteral("postgres"),
                  {QStringLiteral("SELECT pg_catalog.pg_terminate_backend(pid) FROM pg_catalog.pg_stat_activity"
                                  " WHERE datname = '%1'")
                       .arg(TestServer::databaseOf(uri))});
    const site_history::QuietDriverWarnings quiet;
    testing::internal::CaptureStderr();
    for (int use = 0; use < 2; ++use) {
        try {
            store.record("Склад", readDump(ringPanel(40), 1'700'000'100'000));
        } catch (const HistoryError&) {
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Writers that keep losing against each other on a serializable server run
// their transactions again; the statements of each lost one are freed once
// it has been rolled back, and the driver has nothing to complain about.
TEST_F(StoreServerTest, TransactionsRunAgainLeaveNoStatementBehind)
{
    const QString uri = server->newDatabase();
    server->admin(QStringLiteral("postgres"), {QStringLiteral("ALTER DATABASE %1 SET default_transaction_isolation"
                                                              " TO 'serializable'")
                                                   .arg(TestServer::databaseOf(uri))});
    SiteHistory(uri).record("Склад", readDump(ringPanel(8192), 1'700'000'000'000));
    std::vector<memory_dump::MemoryDump> dumps;
    for (int i = 1; i <= 6; ++i)
        dumps.push_back(readDump(ringPanel(8192 + 200 * i), 1'700'000'000'000 + 3'600'000LL * i));
    testing::internal::CaptureStderr();
    std::vector<std::thread> writers;
    for (const memory_dump::MemoryDump& dump : dumps)
        writers.emplace_back([&uri, &dump] { SiteHistory(uri).record("Склад", dump); });
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(SiteHistory(uri).site("Склад")->reads, 7);
}

// After the server ends a connection (a restart, an administrator), the
// next use opens it again; while the server cannot be reached, each use
// says so with libpq's reason, and works again once it can.
TEST_F(StoreServerTest, ALostConnectionIsOpenedAgainOnTheNextUse)
{
    const QString database = TestServer::databaseOf(server->newDatabase());
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("server"));
    ASSERT_TRUE(QFile::link(server->socketFolder, link));
    SiteHistory store(server->uri(database, QString(), link));
    store.record("Склад", readDump(ringPanel(20), 1'700'000'000'000));
    const QStringList endConnections = {QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                                                       " WHERE datname = '%1' AND pid <> pg_backend_pid()").arg(database)};

    server->admin(QStringLiteral("postgres"), endConnections);
    EXPECT_EQ(store.sites().size(), 1u);
    server->admin(QStringLiteral("postgres"), endConnections);
    store.record("Склад", readDump(ringPanel(30), 1'700'086'400'000));
    EXPECT_EQ(store.table("Склад").events.size(), 30u);

    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(dir.path(), link)); // a folder without the server's socket
    server->admin(QStringLiteral("postgres"), endConnections);
    try {
        store.sites();
        ADD_FAILURE() << "a store without its server was read";
    } catch (const HistoryError& error) {
        EXPECT_EQ(error.fault(), HistoryError::Fault::Unreachable);
        EXPECT_NE(std::string(error.what()).find("No such file or directory"), std::string::npos) << error.what();
    }
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(server->socketFolder, link));
    EXPECT_EQ(store.site("Склад")->events, 30);
}
