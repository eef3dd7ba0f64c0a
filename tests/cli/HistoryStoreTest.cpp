// quorvel-archive and the history's store as a file people keep and share:
// files of other programs and special files are never touched, a store
// others may only read is read, a reader leaves nothing in a shared folder,
// a damaged store is never shown short, eight programs make one new store,
// and reads a server could not take are kept and sent later.

#include <HistoryTestSupport.h>
#include <ProgramProcess.h>
#include <TestFiles.h>
#include <TestServer.h>

#include <memory_dump/DumpFile.h>
#include <memory_dump/DumpFormat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

ProgramResult archive(const QStringList& args)
{
    return runProgram(archiveProgram(), args);
}

// The program run as an ordinary user, whom permissions bind: as nobody
// when the tests run as root.
ProgramResult archiveAsUser(const QStringList& args)
{
    if (::geteuid() == 0)
        return runProgram(QStringLiteral("runuser"), QStringList{"-u", "nobody", "--", archiveProgram()} + args);
    return archive(args);
}

// A folder others may enter, for the program run as another user.
bool openToOthers(const QTemporaryDir& dir, mode_t mode)
{
    return ::chmod(QFile::encodeName(dir.path()).constData(), mode) == 0
        && runProgram(QStringLiteral("runuser"), {"-u", "nobody", "--", "test", "-x", dir.path()}).exitCode == 0;
}

} // namespace

TEST(HistoryStoreTest, AnotherProgramsDatabaseOrASpecialFileIsRefusedUntouched)
{
    QTemporaryDir dir;
    // As the other program left it: a negative version, its table, a
    // write-ahead log; and one of version 1 without our application id.
    const QString invoices = dir.filePath("other.db");
    const QString versionOne = dir.filePath("version1.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        for (const auto& [file, version] : {std::pair{invoices, "-5"}, std::pair{versionOne, "1"}}) {
            db.setDatabaseName(file);
            ASSERT_TRUE(db.open());
            for (const QString& statement : {QStringLiteral("PRAGMA user_version=%1").arg(QLatin1String(version)),
                                             QStringLiteral("PRAGMA journal_mode=WAL"),
                                             QStringLiteral("CREATE TABLE invoices(id INTEGER PRIMARY KEY, amount REAL)")})
                QSqlQuery(db).exec(statement);
            db.close();
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }
    for (const QString& file : {invoices, versionOne}) {
        const QByteArray before = fileContent(file);
        for (const QStringList& args : {QStringList{"--history", file, "--list-sites"},
                                        QStringList{"--history", file, "--site", "Склад", "--simulate", "-o",
                                                    dir.filePath("table.txt")}}) {
            const ProgramResult run = archive(args);
            EXPECT_EQ(run.exitCode, 6) << args.join(' ').toStdString();
            EXPECT_TRUE(run.err.contains("не является историей событий")) << run.err.toStdString();
        }
        EXPECT_EQ(fileContent(file), before);
        EXPECT_EQ(filesBeside(file), QStringList());
    }

    // A FIFO named as the store is refused at once, not waited on.
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const ProgramResult onFifo = runProgram(archiveProgram(), {"--history", fifo, "--list-sites"}, 20000);
    ASSERT_TRUE(onFifo.finished) << "the program waited on a FIFO";
    EXPECT_EQ(onFifo.exitCode, 6);
    EXPECT_TRUE(onFifo.err.contains("не обычный файл")) << onFifo.err.toStdString();
}

// A store on a medium or in a folder this user may not write is listed,
// shown and checked; recording into it is refused for want of the right,
// never as damage.
TEST(HistoryStoreTest, AStoreThisUserMayOnlyReadIsReadAndRecordingIsRefused)
{
    QTemporaryDir dir;
    const QStringList dumps = writeRingDumps(dir, 3);
    const QString store = dir.filePath("history.sqlite");
    ASSERT_EQ(archive({"--history", store, "--site", "Склад", "--import", dumps[0], dumps[1]}).exitCode, 0);
    const QByteArray table = archive({"--history", store, "--site", "Склад", "--history-table"}).out;
    ASSERT_FALSE(table.isEmpty());
    // As root the folder is root's and nobody reads; otherwise neither the
    // file nor the folder may be written.
    if (::geteuid() != 0) {
        QFile::setPermissions(store, QFile::ReadOwner);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    } else {
        ASSERT_TRUE(openToOthers(dir, 0755));
    }

    const ProgramResult listed = archiveAsUser({"--history", store, "--list-sites"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.startsWith("Склад\t2\t8492\t")) << listed.out.toStdString();
    const ProgramResult shown = archiveAsUser({"--history", store, "--site", "Склад", "--history-table"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.out, table);
    EXPECT_EQ(archiveAsUser({"--history", store, "--check-history"}).exitCode, 0);
    const ProgramResult recorded = archiveAsUser({"--history", store, "--site", "Склад", "--import", dumps[2]});
    EXPECT_EQ(recorded.exitCode, 6);
    EXPECT_TRUE(recorded.err.contains("Нет права записи")) << recorded.err.toStdString();
    EXPECT_FALSE(recorded.err.contains("повреждён")) << recorded.err.toStdString();
    // A file others may write is no help in a folder they may not: the
    // journal could not be made.
    if (::geteuid() == 0) {
        QFile::setPermissions(store, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther);
        EXPECT_TRUE(archiveAsUser({"--history", store, "--site", "Склад", "--import", dumps[2]}).err.contains("Нет права записи"));
    }
    EXPECT_EQ(filesBeside(store), QStringList());

    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A store of an older version this user may not write cannot be migrated:
// said at once, and the file stays as it was.
TEST(HistoryStoreTest, AnOlderStoreThisUserMayNotWriteIsNamedSoUntouched)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("history.sqlite");
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVEL_VERSION1_STORE), store));
    QFile::setPermissions(store, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (::geteuid() == 0)
        ASSERT_TRUE(openToOthers(dir, 0755));
    else
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray before = fileContent(store);
    const ProgramResult listed = archiveAsUser({"--history", store, "--list-sites"});
    EXPECT_EQ(listed.exitCode, 6);
    EXPECT_TRUE(listed.err.contains("История версии 1 должна быть переведена в версию 3")) << listed.err.toStdString();
    EXPECT_EQ(fileContent(store), before);
    EXPECT_EQ(filesBeside(store), QStringList());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// In a folder everyone shares, another user who lists the store or shows
// its history, whether the file lets them write or not, leaves nothing
// behind that would stop its owner recording.
TEST(HistoryStoreTest, AnotherUsersReadingLeavesNothingInASharedFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(::geteuid() != 0 || openToOthers(dir, 01777));
    const QStringList dumps = writeRingDumps(dir, 3);
    const QString store = dir.filePath("history.sqlite");
    ASSERT_EQ(archive({"--history", store, "--site", "Склад", "--import", dumps[0]}).exitCode, 0);
    for (const QFile::Permissions others : {QFile::Permissions(QFile::ReadOther),
                                            QFile::Permissions(QFile::ReadOther | QFile::WriteOther)}) {
        QFile::setPermissions(store, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | others);
        EXPECT_EQ(archiveAsUser({"--history", store, "--list-sites"}).exitCode, 0);
        EXPECT_EQ(archiveAsUser({"--history", store, "--site", "Склад", "--history-table"}).exitCode, 0);
        EXPECT_EQ(filesBeside(store), QStringList());
    }
    const ProgramResult owner = archive({"--history", store, "--site", "Склад", "--import", dumps[1], dumps[2]});
    EXPECT_EQ(owner.exitCode, 0) << owner.err.toStdString();
    EXPECT_TRUE(archive({"--history", store, "--list-sites"}).out.startsWith("Склад\t3\t8792\t"));
}

// A store that lost events in a damaged page is never written out as a
// shorter history: the table is refused and the check says what is wrong.
TEST(HistoryStoreTest, ADamagedStoreExitsWith6AndTheCheckSaysWhy)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("history.sqlite");
    ASSERT_EQ(archive(QStringList{"--history", store, "--site", "Склад", "--import"} + writeRingDumps(dir, 2, 8192)).exitCode, 0);
    const ProgramResult sound = archive({"--history", store, "--check-history"});
    EXPECT_EQ(sound.exitCode, 0);
    EXPECT_EQ(sound.out, QByteArray("История в порядке: объектов 1, чтений 2, событий 16384.\n"));

    loseEventsSilently(store);
    const QString table = dir.filePath("history.txt");
    const ProgramResult shown = archive({"--history", store, "--site", "Склад", "--history-table", "-o", table});
    EXPECT_EQ(shown.exitCode, 6);
    EXPECT_TRUE(shown.err.contains("История повреждена")) << shown.err.toStdString();
    EXPECT_FALSE(QFile::exists(table));
    const ProgramResult checked = archive({"--history", store, "--check-history"});
    EXPECT_EQ(checked.exitCode, 6);
    EXPECT_TRUE(checked.out.startsWith("История повреждена:\n")) << checked.out.toStdString();
}

// Eight programs that find no store yet all make and use the one store.
TEST(HistoryStoreTest, EightProgramsCreatingOneNewStoreAtOnceAllSucceed)
{
    QTemporaryDir dir;
    const QStringList dumps = writeRingDumps(dir, 8);
    const QString store = dir.filePath("new.sqlite");
    std::vector<std::unique_ptr<QProcess>> programs;
    for (const QString& dump : dumps) {
        programs.push_back(std::make_unique<QProcess>());
        programs.back()->start(archiveProgram(), {"--history", store, "--site", "Склад", "--import", dump});
    }
    for (auto& program : programs) {
        ASSERT_TRUE(program->waitForFinished(120000));
        const QByteArray err = program->readAllStandardError();
        EXPECT_EQ(program->exitCode(), 0) << err.toStdString();
        EXPECT_FALSE(err.contains("locked")) << err.toStdString();
    }
    EXPECT_TRUE(archive({"--history", store, "--list-sites"}).out.startsWith("Склад\t8\t10292\t"));
}

// A read time no read can have had is a damaged dump: refused, not recorded.
TEST(HistoryStoreTest, ADumpReadAtAnImpossibleTimeIsRefusedWith5)
{
    QTemporaryDir dir;
    memory_dump::MemoryDump dump = readDump(ringPanel(100), 1'700'000'000'000);
    dump.readTimeMs = std::numeric_limits<std::int64_t>::max();
    const QString file = dir.filePath("impossible.qrvdump");
    const std::vector<std::uint8_t> bytes = memory_dump::serializeDump(dump);
    ASSERT_TRUE(writeFile(file, QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()))));
    const QString store = dir.filePath("history.sqlite");
    const ProgramResult imported = archive({"--history", store, "--site", "Склад", "--import", file});
    EXPECT_EQ(imported.exitCode, 5);
    EXPECT_TRUE(imported.err.contains("время чтения")) << imported.err.toStdString();
    EXPECT_EQ(archive({"--history", store, "--list-sites"}).out, QByteArray());
    EXPECT_EQ(archive({"--from-dump", file}).exitCode, 5);
}

// A read or dump the server cannot take for now is kept with
// --keep-pending (the exit status still says it was not recorded), and
// --send-pending records it once the server can be reached.
TEST(HistoryStoreTest, ReadsTheServerCouldNotTakeAreKeptAndSentLater)
{
    const TestServer* server = TestServer::get();
    if (!server)
        GTEST_SKIP() << "no test server: QUORVEL_TEST_POSTGRES is not set";
    QTemporaryDir dir;
    const QString database = TestServer::databaseOf(server->newDatabase());
    const QString link = dir.filePath("server");
    ASSERT_TRUE(QFile::link(dir.path(), link)); // no socket there: the server is away
    const QString store = server->uri(database, QString(), link);
    const QString pendingFolder = dir.filePath("pending");
    qputenv("QUORVEL_PENDING_DIR", QFile::encodeName(pendingFolder));
    const QStringList dumps = writeRingDumps(dir, 2);

    const ProgramResult lost = archive({"--history", store, "--site", "Склад", "--import", dumps[0]});
    EXPECT_EQ(lost.exitCode, 6);
    EXPECT_FALSE(QDir(pendingFolder).exists());
    const ProgramResult read = archive({"--simulate", "--history", store, "--site", "Главный корпус", "--keep-pending",
                                        "-o", dir.filePath("table.txt")});
    EXPECT_EQ(read.exitCode, 6);
    EXPECT_TRUE(read.err.contains("No such file or directory")) << read.err.toStdString();
    EXPECT_TRUE(read.err.contains("отложенных чтений этой истории: 1")) << read.err.toStdString();
    EXPECT_EQ(fileContent(dir.filePath("table.txt")), demoWindowExport());
    const ProgramResult imported = archive({"--history", store, "--site", "Склад", "--import", dumps[0], dumps[1],
                                            "--keep-pending"});
    EXPECT_EQ(imported.exitCode, 6);
    EXPECT_TRUE(imported.err.contains("отложенных чтений этой истории: 3")) << imported.err.toStdString();
    EXPECT_EQ(archive({"--history", store, "--send-pending"}).exitCode, 6);

    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(server->socketFolder, link));
    const ProgramResult sent = archive({"--history", store, "--send-pending"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(archive({"--history", store, "--list-sites"}).out.split('\n').size(), 3);
    EXPECT_TRUE(archive({"--history", store, "--list-sites"}).out.contains("Склад\t2\t8492\t"));
    EXPECT_EQ(QDir(pendingFolder).entryList(QDir::Files), QStringList());
    const ProgramResult again = archive({"--history", store, "--send-pending"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.err.contains("отложенных чтений этой истории нет")) << again.err.toStdString();
    qunsetenv("QUORVEL_PENDING_DIR");
}
