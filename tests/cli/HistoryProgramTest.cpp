// quorvel-archive with a site history: recording reads and dumps, listing
// sites, writing a site's history, and the store under processes that are
// killed or write at the same time.

#include <HistoryTestSupport.h>
#include <PdfTools.h>
#include <ProgramProcess.h>
#include <TestServer.h>
#include <TestFiles.h>

#include <memory_dump/DumpFile.h>
#include <site_history/SiteHistory.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QStringList importArgs(const QString& store, const QStringList& dumps)
{
    return QStringList{"--history", store, "--site", "Склад", "--import"} + dumps;
}

} // namespace

TEST(HistoryProgramTest, ReadsAreRecordedUnderTheirSiteAndWrittenAsOneTable)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("history.sqlite");
    const QString table = dir.filePath("read.txt");
    // A panel the history does not know must be named; nothing is recorded.
    const ProgramResult unnamed = runProgram(archiveProgram(), {"--simulate", "--history", store, "-o", table});
    EXPECT_EQ(unnamed.exitCode, 2);
    EXPECT_TRUE(unnamed.err.contains("--site")) << unnamed.err.toStdString();
    EXPECT_EQ(runProgram(archiveProgram(), {"--history", store, "--list-sites"}).out, QByteArray());

    const QString dump = dir.filePath("site.qrvdump");
    const ProgramResult named = runProgram(archiveProgram(), {"--simulate", "--history", store, "--site", "Главный корпус",
                                                              "--save-dump", dump, "-o", table});
    EXPECT_EQ(named.exitCode, 0) << named.err.toStdString();
    // The panel is known now by its records; the same dump again adds nothing.
    EXPECT_EQ(runProgram(archiveProgram(), {"--simulate", "--history", store, "-o", dir.filePath("again.txt")}).exitCode, 0);
    const ProgramResult imported = runProgram(archiveProgram(), {"--history", store, "--import", dump});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_TRUE(imported.err.contains("уже есть")) << imported.err.toStdString();

    const ProgramResult sites = runProgram(archiveProgram(), {"--history", store, "--list-sites"});
    const QList<QByteArray> fields = sites.out.trimmed().split('\t');
    ASSERT_EQ(fields.size(), 4) << sites.out.toStdString();
    EXPECT_EQ(QString::fromUtf8(fields[0]), QStringLiteral("Главный корпус"));
    EXPECT_EQ(fields[1], "2");
    EXPECT_EQ(fields[2], "319");
    EXPECT_TRUE(QDateTime::fromString(QString::fromLatin1(fields[3]), Qt::ISODate).isValid());
    EXPECT_TRUE(fields[3].endsWith('Z'));

    const ProgramResult history =
        runProgram(archiveProgram(), {"--history", store, "--site", "Главный корпус", "--history-table"});
    EXPECT_EQ(history.exitCode, 0);
    EXPECT_EQ(history.out.toStdString(), demoWindowExport().toStdString());
    const ProgramResult csv = runProgram(archiveProgram(), {"--history", store, "--site", "Главный корпус",
                                                            "--history-table", "--format", "csv"});
    EXPECT_EQ(csv.out.toStdString(), demoWindowCsv().toStdString());

    // The report of a history names its site under the title...
    const QString report = dir.filePath("history.pdf");
    EXPECT_EQ(runProgram(archiveProgram(), {"--history", store, "--site", "Главный корпус", "--history-table",
                                            "--format", "pdf", "-o", report}).exitCode, 0);
    const QStringList lines = pdfLines(pdfLayoutText(report));
    const int title = lines.indexOf(QStringLiteral("Отчёт о событиях прибора «Quorvel»"));
    ASSERT_GE(title, 0);
    ASSERT_GT(lines.size(), title + 1);
    EXPECT_EQ(lines[title + 1], QStringLiteral("Главный корпус"));
    // ... and ends with its last twelve months, counted by the store.
    EXPECT_TRUE(lines.contains(QStringLiteral("Статистика за 12 месяцев")));
}

// The month table and the device ranking of a site read twice, each event
// counted once; the device named as the latest read names it.
TEST(HistoryProgramTest, SiteStatisticsAreWrittenAsTextAndCsvTables)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("history.sqlite");
    const QString first = dir.filePath("first.qrvdump");
    const QString later = dir.filePath("later.qrvdump");
    memory_dump::saveDumpFile(first, readDump(statisticsPanel(false), 1'700'000'000'000));
    memory_dump::saveDumpFile(later, readDump(statisticsPanel(true), 1'700'003'600'000));
    ASSERT_EQ(runProgram(archiveProgram(), importArgs(store, {first, later})).exitCode, 0);

    const ProgramResult months = runProgram(archiveProgram(), {"--history", store, "--site", "Склад", "--history-stats"});
    EXPECT_EQ(months.exitCode, 0) << months.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(months.out),
              QStringLiteral("|----------|---------|------------|----------------|-------------------|--------|---------|--------|\n"
                             "| Месяц    | Событий | Экстренных | Неисправностей | Состояний шлейфов | Команд | Сбросов | Прочих |\n"
                             "|----------|---------|------------|----------------|-------------------|--------|---------|--------|\n"
                             "| 2023-11  | 2       | 1          | 1              | 1                 | 0      | 0       | 0      |\n"
                             "| 2023-12  | 0       | 0          | 0              | 0                 | 0      | 0       | 0      |\n"
                             "| 2024-01  | 2       | 0          | 0              | 0                 | 1      | 1       | 0      |\n"
                             "| 2024-02  | 1       | 0          | 0              | 0                 | 0      | 0       | 1      |\n"
                             "| без даты | 2       | 1          | 2              | 0                 | 0      | 0       | 0      |\n"
                             "|----------|---------|------------|----------------|-------------------|--------|---------|--------|\n"));

    const QString csv = dir.filePath("devices.csv");
    const ProgramResult devices = runProgram(archiveProgram(), {"--history", store, "--site", "Склад", "--history-stats",
                                                                "devices", "--format", "csv", "--output", csv});
    EXPECT_EQ(devices.exitCode, 0) << devices.err.toStdString();
    QFile written(csv);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(),
              "\xEF\xBB\xBF"
                  + QStringLiteral("Секция;Адрес;Прибор;Событий;Экстренных;Неисправностей;Месяцев с неисправностями\r\n"
                                   // The device's name in the reader's spelling, as all CSV.
                                   ";3;\u0412\u0445\u043E\u0434;4;1;1;1\r\n")
                        .toUtf8());

    EXPECT_EQ(runProgram(archiveProgram(), {"--history", store, "--site", "Нет такого", "--history-stats"}).exitCode, 6);

    // Read in November 2023, long due; the later read saw two events first,
    // one an emergency; November's fault is the one dated before it.
    const ProgramResult overview = runProgram(archiveProgram(), {"--history", store, "--overview", "--format", "csv"});
    EXPECT_EQ(overview.exitCode, 0) << overview.err.toStdString();
    const QList<QByteArray> lines = overview.out.split('\n');
    ASSERT_EQ(lines.size(), 3) << overview.out.toStdString();
    EXPECT_EQ(lines[0], "\xEF\xBB\xBF" + QStringLiteral("Объект;Последнее чтение;Дней назад;Новых событий;Новых экстренных;"
                                                        "Неисправностей за 12 месяцев;Пора обслуживать\r")
                                          .toUtf8());
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Склад;2023/11/1").toUtf8())) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(";2;1;1;да\r").toUtf8())) << lines[1].toStdString();
}

// Two sites merged say what moved; a site that is not there, one merged
// into itself or a merge without its target change nothing.
TEST(HistoryProgramTest, MergingSitesSaysTheCountsAndRefusalsChangeNothing)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("history.sqlite");
    const QStringList dumps = writeRingDumps(dir, 2);
    ASSERT_EQ(runProgram(archiveProgram(), {"--history", store, "--site", "Склад 1", "--import", dumps[0]}).exitCode, 0);
    ASSERT_EQ(runProgram(archiveProgram(), {"--history", store, "--site", "Склад №1", "--import", dumps[1]}).exitCode, 0);
    const QByteArray sites = runProgram(archiveProgram(), {"--history", store, "--list-sites"}).out;

    const auto merge = [&](const QStringList& args) { return runProgram(archiveProgram(), QStringList{"--history", store} + args); };
    const ProgramResult unknown = merge({"--merge-site", "Склад", "--into", "Склад 1"});
    EXPECT_EQ(unknown.exitCode, 6);
    EXPECT_TRUE(unknown.err.contains("«Склад»")) << unknown.err.toStdString();
    EXPECT_EQ(merge({"--merge-site", "Склад 1", "--into", "Склад 1"}).exitCode, 2);
    EXPECT_EQ(merge({"--merge-site", "Склад 1"}).exitCode, 2);
    EXPECT_EQ(merge({"--into", "Склад 1", "--list-sites"}).exitCode, 2);
    EXPECT_EQ(runProgram(archiveProgram(), {"--history", store, "--list-sites"}).out, sites);

    const ProgramResult merged = merge({"--merge-site", "Склад 1", "--into", "Склад №1"});
    EXPECT_EQ(merged.exitCode, 0) << merged.err.toStdString();
    EXPECT_EQ(merged.out.toStdString(), "объект «Склад 1» объединён с «Склад №1»: перенесено чтений 1, событий 300; "
                                        "уже были в «Склад №1»: чтений 0, событий 7892\n");
    const QList<QByteArray> fields = runProgram(archiveProgram(), {"--history", store, "--list-sites"}).out.split('\t');
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(QString::fromUtf8(fields[0]), QStringLiteral("Склад №1"));
    EXPECT_EQ(fields[1], "2");
    EXPECT_EQ(fields[2], "8492");
}

// Standard error holds the outcome and nothing else, even where the user's
// logging rules ask for every debug message: no library traces its work.
TEST(HistoryProgramTest, StandardErrorHoldsTheOutcomeOnly)
{
    QTemporaryDir dir;
    qputenv("QT_LOGGING_RULES", "default.debug=true");
    const ProgramResult run = runProgram(archiveProgram(), {"--simulate", "--history", dir.filePath("h.sqlite"), "--site",
                                                            "Склад", "-o", dir.filePath("read.txt")});
    qunsetenv("QT_LOGGING_RULES");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err.toStdString(), "сохранено в истории объекта «Склад», новых событий: 319\n");
}

TEST(HistoryProgramTest, StoresThatCannotBeUsedExitWithCode6AndStayAsTheyWere)
{
    QTemporaryDir dir;
    const QString notAStore = dir.filePath("archive.txt");
    ASSERT_TRUE(writeFile(notAStore, "earlier read\n"));
    for (const QStringList& args : {QStringList{"--simulate", "--history", notAStore, "--site", "x"},
                                    QStringList{"--history", notAStore, "--list-sites"},
                                    QStringList{"--history", dir.filePath("none/h.sqlite"), "--list-sites"}}) {
        const ProgramResult run = runProgram(archiveProgram(), args);
        EXPECT_EQ(run.exitCode, 6) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_EQ(fileContent(notAStore), QByteArray("earlier read\n"));
    const ProgramResult noSite = runProgram(archiveProgram(), {"--history", dir.filePath("h.sqlite"), "--site", "Нет",
                                                               "--history-table"});
    EXPECT_EQ(noSite.exitCode, 6);
    const ProgramResult badDump = runProgram(archiveProgram(), {"--history", dir.filePath("h.sqlite"), "--site", "x",
                                                                "--import", notAStore});
    EXPECT_EQ(badDump.exitCode, 5);
}

// The history is never overwritten by a table: --output naming the store,
// however spelt, is a bad command line, refused before anything is read or
// written.
TEST(HistoryProgramTest, AnOutputNamingTheStoreIsRefusedBeforeAnythingIsWritten)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("h.sqlite");
    const QString dump = dir.filePath("read.qrvdump");
    ASSERT_EQ(runProgram(archiveProgram(), {"--simulate", "--history", store, "--site", "Склад", "--save-dump", dump,
                                            "-o", dir.filePath("read.txt")}).exitCode, 0);
    const QByteArray kept = fileContent(store);
    for (const QStringList& args :
         {QStringList{"--simulate", "--history", store, "--site", "Склад", "--output", store},
          QStringList{"--from-dump", dump, "--history", store, "-o", dir.path() + "/./h.sqlite"},
          QStringList{"--history", store, "--site", "Склад", "--history-table", "--format", "csv", "-o", store},
          QStringList{"--simulate", "--history", dir.filePath("new.sqlite"), "--site", "Склад", "-o",
                      dir.filePath("new.sqlite")}}) {
        const ProgramResult run = runProgram(archiveProgram(), args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("--output and --history")) << run.err.toStdString();
    }
    EXPECT_EQ(fileContent(store), kept);
    EXPECT_FALSE(QFile::exists(dir.filePath("new.sqlite")));
}

// Each dump of an import is recorded on its own; a bad one gives the exit
// status even when a good one follows it, so that a script sees it.
TEST(HistoryProgramTest, AnImportEndsWithTheStatusOfItsFirstFailure)
{
    QTemporaryDir dir;
    const QStringList dumps = writeRingDumps(dir, 2);
    const QString bad = dir.filePath("bad.qrvdump");
    ASSERT_TRUE(writeFile(bad, "not a dump"));
    const QString store = dir.filePath("h.sqlite");
    const ProgramResult run = runProgram(archiveProgram(), importArgs(store, {dumps[0], bad, dumps[1]}));
    EXPECT_EQ(run.exitCode, 5) << run.err.toStdString();
    EXPECT_EQ(site_history::SiteHistory(store).site("Склад")->reads, 2);
}

// A name that breaks the sites' rule is a bad command line, refused before
// the read; a name an older program let into a store is listed on one line.
TEST(HistoryProgramTest, ASiteNameThatBreaksTheRuleIsRefusedAndOldOnesStayOnOneLine)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("history.sqlite");
    const QString forged = QStringLiteral("Офис\t0\t0\t\nСклад №1\t99\t123456\t2030-01-01T00:00:00Z");
    for (const QString& name : {QStringLiteral(" Склад "), QStringLiteral("   "), forged, QString(201, QChar(0x042F))}) {
        const ProgramResult run = runProgram(archiveProgram(), {"--simulate", "--history", store, "--site", name,
                                                                "-o", dir.filePath("read.txt")});
        EXPECT_EQ(run.exitCode, 2) << name.toStdString();
        EXPECT_TRUE(run.err.startsWith("quorvel-archive: --site: Название объекта ")) << run.err.toStdString();
    }
    // Bytes that are not UTF-8, as a shell passes them.
    const ProgramResult bytes = runProgram(
        "sh", {"-c", "exec \"$0\" --history \"$1\" --site \"$(printf 'Site\\377')\" --import \"$1\"", archiveProgram(), store});
    EXPECT_EQ(bytes.exitCode, 2);
    EXPECT_TRUE(bytes.err.startsWith("quorvel-archive: --site: Название объекта записано не в UTF-8"))
        << bytes.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());

    ASSERT_EQ(runProgram(archiveProgram(), {"--simulate", "--history", store, "--site", "Склад", "-o",
                                            dir.filePath("read.txt")}).exitCode, 0);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
        db.setDatabaseName(store);
        ASSERT_TRUE(db.open());
        QSqlQuery rename(db);
        ASSERT_TRUE(rename.prepare(QStringLiteral("UPDATE sites SET name = ?")));
        rename.addBindValue(forged + QStringLiteral("\\"));
        ASSERT_TRUE(rename.exec());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("older"));
    const ProgramResult sites = runProgram(archiveProgram(), {"--history", store, "--list-sites"});
    EXPECT_EQ(sites.exitCode, 0);
    ASSERT_EQ(sites.out.count('\n'), 1) << sites.out.toStdString();
    EXPECT_TRUE(sites.out.startsWith(
        "Офис\\t0\\t0\\t\\nСклад №1\\t99\\t123456\\t2030-01-01T00:00:00Z\\\\\t1\t319\t"))
        << sites.out.toStdString();
}

// Killed in the middle of recording, a process leaves each read wholly in
// the store or not at all.
TEST(HistoryProgramTest, AKilledRecordingLeavesEveryReadWholeOrAbsent)
{
    QTemporaryDir dir;
    // Reads a whole ring apart: each brings 8192 new events.
    const QStringList dumps = writeRingDumps(dir, 8, 8192);
    // Kills spread over the time a whole import takes on this machine.
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(runProgram(archiveProgram(), importArgs(dir.filePath("whole.sqlite"), dumps)).exitCode, 0);
    const qint64 wholeMs = timer.elapsed();
    int interrupted = 0;
    for (int percent = 10; percent < 100; percent += 8) {
        SCOPED_TRACE(percent);
        const QString store = dir.filePath(QStringLiteral("killed%1.sqlite").arg(percent));
        QProcess importer;
        importer.start(archiveProgram(), importArgs(store, dumps));
        ASSERT_TRUE(importer.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(wholeMs * percent / 100));
        ::kill(static_cast<pid_t>(importer.processId()), SIGKILL);
        importer.waitForFinished(5000);
        if (!QFile::exists(store))
            continue; // killed before it made the store

        site_history::SiteHistory history(store);
        const auto site = history.site("Склад");
        if (!site)
            continue; // killed before its first read was in
        interrupted += site->reads < dumps.size() ? 1 : 0;
        std::set<std::pair<std::uint32_t, std::vector<std::uint8_t>>> kept;
        for (const site_history::ReadInfo& read : history.reads("Склад"))
            for (const memory_dump::DumpRecord& record : memory_dump::validRecords(history.readDump(read.id)))
                kept.insert({record.address, record.bytes});
        EXPECT_EQ(std::size_t(site->events), kept.size()) << site->reads << " reads";
        EXPECT_EQ(history.table("Склад").events.size(), kept.size());
    }
    EXPECT_GT(interrupted, 2) << "the kills came too early or too late to interrupt an import";
}

// Two programs importing overlapping reads into one store at once give the
// history one program gives.
TEST(HistoryProgramTest, TwoProgramsRecordingAtOnceGiveTheSameHistoryAsOne)
{
    QTemporaryDir dir;
    const QStringList dumps = writeRingDumps(dir, 6);
    const QString alone = dir.filePath("alone.sqlite");
    ASSERT_EQ(runProgram(archiveProgram(), importArgs(alone, dumps)).exitCode, 0);

    const QString shared = dir.filePath("shared.sqlite");
    QProcess first;
    QProcess second;
    first.start(archiveProgram(), importArgs(shared, dumps.mid(0, 4)));
    QStringList reversed = dumps.mid(2);
    std::reverse(reversed.begin(), reversed.end());
    second.start(archiveProgram(), importArgs(shared, reversed));
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    const auto table = [&](const QString& store) {
        return runProgram(archiveProgram(), {"--history", store, "--site", "Склад", "--history-table"}).out;
    };
    EXPECT_EQ(table(shared), table(alone));
    EXPECT_EQ(site_history::SiteHistory(shared).site("Склад")->reads, 6);
}

namespace {

class ServerHistoryProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!(server = TestServer::get()))
            GTEST_SKIP() << "no test server: QUORVEL_TEST_POSTGRES is not set";
    }

    QByteArray historyTable(const QString& store)
    {
        const ProgramResult run = runProgram(archiveProgram(), {"--history", store, "--site", "Склад", "--history-table"});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return run.out;
    }

    const TestServer* server = nullptr;
    QTemporaryDir dir;
};

// The statements of the file, as psql -f would run them.
QStringList sqlStatements(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n'))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            text += line + '\n';
    QStringList statements;
    for (const QString& statement : text.split(';'))
        if (!statement.trimmed().isEmpty())
            statements << statement.trimmed();
    return statements;
}

} // namespace

// Eight technicians importing overlapping reads of one site into the
// company's server at once, each in an order of their own, give the history
// one program gives from all of them.
TEST_F(ServerHistoryProgramTest, EightProgramsRecordingAtOnceGiveTheSameHistoryAsOne)
{
    const QStringList dumps = writeRingDumps(dir, 8);
    const QString alone = dir.filePath("alone.sqlite");
    ASSERT_EQ(runProgram(archiveProgram(), importArgs(alone, dumps)).exitCode, 0);

    // A server that runs every transaction serializable fails those that
    // overlap; each is run again until it goes through.
    for (const char* isolation : {"read committed", "serializable"}) {
        SCOPED_TRACE(isolation);
        const QString shared = server->newDatabase();
        server->admin(QStringLiteral("postgres"), {QStringLiteral("ALTER DATABASE %1 SET default_transaction_isolation TO '%2'")
                                                       .arg(TestServer::databaseOf(shared), isolation)});
        std::vector<std::unique_ptr<QProcess>> programs;
        for (int i = 0; i < 8; ++i) {
            QStringList own;
            for (int k = 0; k < 4; ++k)
                own << dumps[(i + (i % 2 ? -k : k) + 8) % 8];
            programs.push_back(std::make_unique<QProcess>());
            programs.back()->start(archiveProgram(), importArgs(shared, own));
        }
        // Standard error holds each dump's outcome and nothing else, however
        // often a transaction was run again.
        for (auto& program : programs) {
            ASSERT_TRUE(program->waitForFinished(180000));
            const QString err = QString::fromUtf8(program->readAllStandardError());
            EXPECT_EQ(program->exitCode(), 0) << err.toStdString();
            const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            EXPECT_EQ(lines.size(), 4) << err.toStdString();
            for (const QString& line : lines)
                EXPECT_TRUE(line.contains(QRegularExpression(QStringLiteral(
                    "^\\S+\\.qrvdump: (сохранено в истории объекта «Склад», новых событий: \\d+|это чтение уже есть в истории объекта «Склад»)$"))))
                    << line.toStdString();
        }
        EXPECT_EQ(historyTable(shared), historyTable(alone));
        EXPECT_EQ(site_history::SiteHistory(shared).site("Склад")->reads, 8);
    }
}

// The roles of docs/history-roles.sql: a writer records, a reader lists and
// shows but cannot record. A wrong password, a server that is not there and
// one that does not answer are the store's failures, with libpq's reason.
TEST_F(ServerHistoryProgramTest, RolesDecideWhoRecordsAndRefusedLoginsExitWith6)
{
    const QString database = TestServer::databaseOf(server->newDatabase());
    QStringList setup = sqlStatements(QStringLiteral(QUORVEL_HISTORY_ROLES_SQL));
    ASSERT_EQ(setup.size(), 5);
    setup << QStringLiteral("CREATE ROLE tech LOGIN PASSWORD '%1' IN ROLE quorvel_writer").arg(server->password)
          << QStringLiteral("CREATE ROLE office LOGIN PASSWORD '%1' IN ROLE quorvel_reader").arg(server->password);
    server->admin(database, setup);
    const QString writer = server->uri(database, QStringLiteral("tech"));
    const QString reader = server->uri(database, QStringLiteral("office"));

    const QStringList dumps = writeRingDumps(dir, 2);
    const ProgramResult recorded = runProgram(archiveProgram(), importArgs(writer, dumps.mid(0, 1)));
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err.toStdString();
    EXPECT_EQ(runProgram(archiveProgram(), {"--history", reader, "--list-sites"}).out.split('\t').value(1), "1");
    const QByteArray shown = historyTable(reader);
    EXPECT_EQ(shown.count('\n'), historyTable(writer).count('\n'));

    const ProgramResult refused = runProgram(archiveProgram(), importArgs(reader, dumps.mid(1)));
    EXPECT_EQ(refused.exitCode, 6);
    EXPECT_TRUE(refused.err.contains("Нет права")) << refused.err.toStdString();
    EXPECT_EQ(runProgram(archiveProgram(), {"--history", writer, "--list-sites"}).out.split('\t').value(1), "1");

    // Each refusal comes well within its connection time-out.
    qputenv("PGPASSWORD", "wrong");
    const ProgramResult wrongPassword = runProgram(archiveProgram(), {"--history", writer, "--list-sites"});
    qunsetenv("PGPASSWORD");
    EXPECT_EQ(wrongPassword.exitCode, 6);
    EXPECT_TRUE(wrongPassword.err.contains("password authentication failed")) << wrongPassword.err.toStdString();
    const ProgramResult down = runProgram(
        archiveProgram(), {"--history", "postgresql://tech@/" + database + "?host=" + dir.path(), "--list-sites"});
    EXPECT_EQ(down.exitCode, 6);
    EXPECT_TRUE(down.err.contains("No such file or directory")) << down.err.toStdString();

    // A server that takes the connection and never answers.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
    QElapsedTimer waited;
    waited.start();
    const ProgramResult silentServer = runProgram(
        archiveProgram(), {"--history", QStringLiteral("postgresql://tech@127.0.0.1:%1/x?connect_timeout=2").arg(ntohs(address.sin_port)),
                           "--list-sites"});
    ::close(silent);
    EXPECT_EQ(silentServer.exitCode, 6);
    EXPECT_TRUE(silentServer.err.contains("timeout")) << silentServer.err.toStdString();
    EXPECT_LT(waited.elapsed(), 10000);
}
