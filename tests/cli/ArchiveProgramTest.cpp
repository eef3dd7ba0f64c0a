// quorvel-archive run as a program: exit codes, where its output goes, and
// what it says on standard error.

#include <HistoryTestSupport.h>
#include <PdfTools.h>
#include <ProgramProcess.h>
#include <SimulatedLine.h>
#include <TestFiles.h>
#include <WindowExport.h>

#include <archive_table/ArchiveEvent.h>
#include <memory_dump/DumpFile.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(ArchiveProgramTest, BadCommandLinesExitWithTheUsage)
{
    // A PDF goes to a file only.
    for (const QStringList& args : {QStringList{}, QStringList{"--simulate", "--port", "ttyS0"},
                                    QStringList{"--frobnicate"}, QStringList{"--simulate", "--format", "pdf"}}) {
        const ProgramResult run = runProgram(archiveProgram(), args);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage:"));
        EXPECT_TRUE(run.out.isEmpty());
    }
    const ProgramResult help = runProgram(archiveProgram(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage:"));
    const ProgramResult version = runProgram(archiveProgram(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QByteArray("quorvel-archive 1.1.6.1107\n"));
}

TEST(ArchiveProgramTest, TheSimulatedReadWritesTheWindowsExportToAFileOrStandardOutput)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.txt");
    const ProgramResult toFile = runProgram(archiveProgram(), {"--simulate", "--output", path});
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
    EXPECT_EQ(fileContent(path).toStdString(), demoWindowExport().toStdString());
    EXPECT_TRUE(toFile.out.isEmpty());
    // Not a terminal: nothing but the outcome on standard error.
    EXPECT_TRUE(toFile.err.isEmpty()) << toFile.err.toStdString();

    const ProgramResult toStdout = runProgram(archiveProgram(), {"--simulate", "--no-turbo"});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out.toStdString(), demoWindowExport().toStdString());
    EXPECT_TRUE(toStdout.err.isEmpty());
}

TEST(ArchiveProgramTest, CsvIsTheWindowsCsvExportAndTextStaysTheDefault)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.csv");
    const ProgramResult toFile = runProgram(archiveProgram(), {"--simulate", "--format", "csv", "-o", path});
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
    ASSERT_TRUE(demoWindowCsv().startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(fileContent(path).toStdString(), demoWindowCsv().toStdString());

    const ProgramResult toStdout = runProgram(archiveProgram(), {"--simulate", "--format=csv"});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out.toStdString(), demoWindowCsv().toStdString());

    const ProgramResult text = runProgram(archiveProgram(), {"--simulate", "--format", "text"});
    EXPECT_EQ(text.out.toStdString(), demoWindowExport().toStdString());
}

TEST(ArchiveProgramTest, AMissingPortExitsWithItsNameAndLeavesTheOutputAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.txt");
    ASSERT_TRUE(writeFile(path, "earlier read\n"));

    const QString port = dir.filePath("ttyNONE");
    const ProgramResult run = runProgram(archiveProgram(), {"--port", port, "--output", path});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(QString::fromUtf8(run.err), QString::fromUtf8("Ошибка при открытии порта ") + port + "\n");
    EXPECT_EQ(fileContent(path), QByteArray("earlier read\n"));
}

TEST(ArchiveProgramTest, AnUnwritableOutputExitsWithCode4AndLeavesNoFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no-such-folder/archive.txt");
    const ProgramResult run = runProgram(archiveProgram(), {"--simulate", "--output", path});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.err.toStdString(), "Невозможно открыть файл для записи\n");
    EXPECT_FALSE(QFile::exists(path));

    // A full disk under standard output.
    SpawnOptions fullDisk;
    fullDisk.stdoutFile = dir.filePath("stdout.txt");
    fullDisk.fileSizeLimit = 1000;
    const ProgramResult full = runSpawned(archiveProgram(), {"--simulate"}, fullDisk);
    EXPECT_EQ(full.exitCode, 4);
    EXPECT_EQ(full.err.toStdString(), "Ошибка при записи файла\n");
}

// A short table, well inside any output buffer, fails on a full disk or a
// pipe whose reader has gone as a long one does: nothing is held back to a
// close whose failure would go unseen.
TEST(ArchiveProgramTest, AShortTableThatCannotBeWrittenExitsWithCode4)
{
    QTemporaryDir dir;
    const QString dump = dir.filePath("short.qrvdump");
    memory_dump::saveDumpFile(dump, readDump(ringPanel(3), 1'700'000'000'000));
    const ProgramResult whole = runProgram(archiveProgram(), {"--from-dump", dump});
    ASSERT_EQ(whole.exitCode, 0);
    ASSERT_LT(whole.out.size(), 1000);

    SpawnOptions fullDisk;
    fullDisk.stdoutFile = dir.filePath("stdout.txt");
    fullDisk.fileSizeLimit = 100;
    const SpawnOptions closedPipe;
    for (const SpawnOptions& target : {fullDisk, closedPipe})
        for (const char* format : {"text", "csv"}) {
            SCOPED_TRACE(format);
            const ProgramResult run = runSpawned(archiveProgram(), {"--from-dump", dump, "--format", format}, target);
            EXPECT_EQ(run.exitCode, 4);
            EXPECT_EQ(run.err.toStdString(), "Ошибка при записи файла\n");
        }
}

TEST(ArchiveProgramTest, ShowsProgressOnlyOnATerminal)
{
    QTemporaryDir dir;
    SpawnOptions terminal;
    terminal.terminalStderr = true;
    terminal.stdoutFile = dir.filePath("stdout.txt");
    const ProgramResult run = runSpawned(archiveProgram(), {"--simulate", "--output", dir.filePath("a.txt")}, terminal);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("\r["));
    EXPECT_TRUE(run.err.contains("] 100%  00:0"));
    EXPECT_TRUE(run.err.endsWith("\n"));
    EXPECT_EQ(run.err.count('\n'), 1);
}

TEST(ArchiveProgramTest, ADumpOfTheReadDecodesToTheSameTableByteForByte)
{
    QTemporaryDir dir;
    const QString dump = dir.filePath("panel.qrvdump");
    const ProgramResult read = runProgram(archiveProgram(),
                                          {"--simulate", "--save-dump", dump, "--output", dir.filePath("read.txt")});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_TRUE(fileContent(dump).startsWith(QByteArray("QRVDUMP\x1a\x01\x00", 10)));

    const ProgramResult toFile = runProgram(archiveProgram(), {"--from-dump", dump, "-o", dir.filePath("dump.txt")});
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
    EXPECT_TRUE(toFile.err.isEmpty());
    EXPECT_EQ(fileContent(dir.filePath("dump.txt")).toStdString(), demoWindowExport().toStdString());
    EXPECT_EQ(fileContent(dir.filePath("read.txt")).toStdString(), demoWindowExport().toStdString());

    const ProgramResult toStdout = runProgram(archiveProgram(), {"--from-dump", dump});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out.toStdString(), demoWindowExport().toStdString());
}

namespace {

// The rows of the window's text table, cells trimmed.
std::vector<QStringList> textTableRows(const QByteArray& table)
{
    std::vector<QStringList> rows;
    const QStringList lines = QString::fromUtf8(table).split('\n', Qt::SkipEmptyParts);
    for (int i = 3; i + 1 < lines.size(); ++i) {
        QStringList cells = lines[i].split('|');
        cells = cells.mid(1, cells.size() - 2);
        for (QString& cell : cells)
            cell = cell.trimmed();
        rows.push_back(cells);
    }
    return rows;
}

} // namespace

// The report of the demo panel without a display: every row of the window's
// table in its order, the read, the counts, the pages; the same of its dump.
TEST(ArchiveProgramTest, TheReportOfAReadOrADumpHoldsEveryRowOfTheWindowsTable)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("report.pdf");
    const QString dump = dir.filePath("site.qrvdump");
    // As a service or a root shell runs it: no platform chosen, no display,
    // no run-time folder.
    std::vector<std::pair<const char*, QByteArray>> environment;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
        if (qEnvironmentVariableIsSet(name))
            environment.emplace_back(name, qgetenv(name));
        qunsetenv(name);
    }
    const ProgramResult run = runProgram(archiveProgram(), {"--simulate", "--format=pdf", "-o", pdf, "--save-dump", dump});
    for (const auto& [name, value] : environment)
        qputenv(name, value);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    const std::vector<QStringList> rows = textTableRows(demoWindowExport());
    ASSERT_EQ(rows.size(), 319u);
    int emergencies = 0;
    for (const QStringList& row : rows)
        emergencies += row[0] == "+" ? 1 : 0;

    const PdfInfo info = pdfInfo(pdf);
    EXPECT_GE(info.pages, 5);
    const QStringList lines = pdfLines(pdfLayoutText(pdf));
    const QString text = lines.join('\n');
    for (const QString& expected :
         {QString("Отчёт о событиях прибора «Quorvel»"), QString("Тип прибора: Q-QRV"), QString("Версия ПО: 2.1.5"),
          QString("Порт: COM1"), QString("Скорость: 345600 бод (повышенная скорость)"),
          QString("Событий в отчёте: %1").arg(rows.size()), QString("Из них экстренных: %1").arg(emergencies),
          QString("Стр. 1 из %1").arg(info.pages), QString("Стр. %1 из %1").arg(info.pages),
          QString("Техник: ФИО, подпись, дата"), QString("Представитель объекта: ФИО, подпись, дата")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
    int at = 0;
    for (const QStringList& row : rows) {
        const QString expected = archive_table::readerSpelling(row.join(' ')).simplified();
        const int found = lines.indexOf(expected, at);
        ASSERT_GT(found, at) << expected.toStdString();
        at = found;
    }

    const QString fromDump = dir.filePath("dump.pdf");
    const ProgramResult decode = runProgram(archiveProgram(), {"--from-dump", dump, "--format", "pdf", "--output", fromDump});
    ASSERT_EQ(decode.exitCode, 0) << decode.err.toStdString();
    const QString dumpText = pdfLines(pdfLayoutText(fromDump)).join('\n');
    EXPECT_TRUE(dumpText.contains("Дамп памяти: site.qrvdump"));
    EXPECT_TRUE(dumpText.contains(rows.front().join(' ').simplified()));
}

// A system that lacks the report's font (here one whose font configuration
// knows no font at all, as a bare Windows knows no DejaVu) still gets a
// report with its texts: the program brings its font along.
TEST(ArchiveProgramTest, TheReportBringsItsOwnFont)
{
    QTemporaryDir dir;
    const QString config = dir.filePath("fonts.conf");
    ASSERT_TRUE(writeFile(config, "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" + dir.filePath("cache").toUtf8()
                                      + "</cachedir></fontconfig>\n"));
    const QByteArray previous = qgetenv("FONTCONFIG_FILE");
    qputenv("FONTCONFIG_FILE", config.toUtf8());
    const QString pdf = dir.filePath("report.pdf");
    const ProgramResult run = runProgram(archiveProgram(), {"--simulate", "--format", "pdf", "-o", pdf});
    if (previous.isNull())
        qunsetenv("FONTCONFIG_FILE");
    else
        qputenv("FONTCONFIG_FILE", previous);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = pdfLines(pdfLayoutText(pdf));
    EXPECT_TRUE(lines.contains(QStringLiteral("Отчёт о событиях прибора «Quorvel»"))) << lines.join('\n').toStdString();
}

// A port that does not exist would end with 3; the files are checked first.
TEST(ArchiveProgramTest, FilesThatCannotBeWrittenEndTheRunBeforeThePortIsTouched)
{
    QTemporaryDir dir;
    const QString port = dir.filePath("ttyNONE");
    const QString missing = dir.filePath("no-such-folder/x");
    const ProgramResult table = runProgram(archiveProgram(), {"--port", port, "--output", missing});
    EXPECT_EQ(table.exitCode, 4);
    EXPECT_EQ(table.err.toStdString(), "Невозможно открыть файл для записи\n");

    const QString earlier = dir.filePath("archive.txt");
    ASSERT_TRUE(writeFile(earlier, "earlier read\n"));
    const ProgramResult dump =
        runProgram(archiveProgram(), {"--port", port, "--output", earlier, "--save-dump", missing});
    EXPECT_EQ(dump.exitCode, 4);
    EXPECT_EQ(dump.err.toStdString(), "Невозможно открыть файл дампа для записи\n");
    EXPECT_EQ(fileContent(earlier), QByteArray("earlier read\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"archive.txt"});

    const ProgramResult decode =
        runProgram(archiveProgram(), {"--from-dump", dir.filePath("absent.qrvdump"), "--output", missing});
    EXPECT_EQ(decode.exitCode, 4);
}

// The dump is the read itself: it is written first and stays when the
// table then fails, here on a pipe whose reader has gone.
TEST(ArchiveProgramTest, TheDumpIsKeptWhenTheTableCannotBeWritten)
{
    QTemporaryDir dir;
    const QString dump = dir.filePath("site.qrvdump");
    SpawnOptions closedPipe;
    const ProgramResult run = runSpawned(archiveProgram(), {"--simulate", "--save-dump", dump}, closedPipe);
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.err.toStdString(), "Ошибка при записи файла\n");
    const ProgramResult decoded = runProgram(archiveProgram(), {"--from-dump", dump});
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    EXPECT_EQ(decoded.out.toStdString(), demoWindowExport().toStdString());
}

// One file named for two outputs, or the table over the dump it comes from:
// a bad command line, refused before the port is touched (a missing port
// would give 3).
TEST(ArchiveProgramTest, OneFileForTwoPurposesIsRefusedBeforeAnythingIsRead)
{
    QTemporaryDir dir;
    const QString port = dir.filePath("ttyNONE");
    const QString earlier = dir.filePath("archive.txt");
    ASSERT_TRUE(writeFile(earlier, "earlier read\n"));
    for (const QStringList& args :
         {QStringList{"--port", port, "--output", earlier, "--save-dump", earlier},
          QStringList{"--simulate", "-o", dir.filePath("new"), "--save-dump", dir.path() + "/./sub/../new"},
          QStringList{"--from-dump", earlier, "--output", dir.path() + "//archive.txt"}}) {
        const ProgramResult run = runProgram(archiveProgram(), args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("--output")) << run.err.toStdString();
    }
    EXPECT_EQ(fileContent(earlier), QByteArray("earlier read\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"archive.txt"});
}

// A pipe given as the table or the dump is written into and stays a pipe.
TEST(ArchiveProgramTest, PipesAreWrittenIntoNotReplaced)
{
    QTemporaryDir dir;
    const QString tablePipe = dir.filePath("table.fifo");
    const QString dumpPipe = dir.filePath("dump.fifo");
    // Second names of the pipes let their readers go even when the first
    // names have been replaced by files.
    for (const QString& fifo : {tablePipe, dumpPipe}) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        ASSERT_EQ(::link(QFile::encodeName(fifo).constData(), QFile::encodeName(fifo + ".keep").constData()), 0);
    }
    QByteArray table;
    QByteArray dump;
    const auto drain = [](const QString& fifo, QByteArray& into) {
        QFile in(fifo);
        if (in.open(QIODevice::ReadOnly))
            into = in.readAll();
    };
    std::thread tableReader(drain, tablePipe, std::ref(table));
    std::thread dumpReader(drain, dumpPipe, std::ref(dump));
    const ProgramResult run =
        runProgram(archiveProgram(), {"--simulate", "--output", tablePipe, "--save-dump", dumpPipe});
    // A reader still waiting for a writer that never came is let go.
    for (const QString& fifo : {tablePipe, dumpPipe}) {
        if (const int fd = ::open(QFile::encodeName(fifo + ".keep").constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
            ::close(fd);
        ::unlink(QFile::encodeName(fifo + ".keep").constData());
    }
    tableReader.join();
    dumpReader.join();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(table.toStdString(), demoWindowExport().toStdString());
    EXPECT_TRUE(dump.startsWith("QRVDUMP\x1a"));
    for (const QString& fifo : {tablePipe, dumpPipe}) {
        struct stat status;
        ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &status), 0);
        EXPECT_TRUE(S_ISFIFO(status.st_mode));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 2);
}

TEST(ArchiveProgramTest, DumpsThatCannotBeUsedExitWithCode5AndTheReason)
{
    QTemporaryDir dir;
    const QString dump = dir.filePath("panel.qrvdump");
    ASSERT_EQ(runProgram(archiveProgram(), {"--simulate", "--save-dump", dump, "-o", dir.filePath("t.txt")}).exitCode, 0);
    QByteArray bytes = fileContent(dump);
    const QString earlier = dir.filePath("archive.txt");
    ASSERT_TRUE(writeFile(earlier, "earlier read\n"));

    const auto decode = [&](const QByteArray& content) {
        const QString path = dir.filePath("bad.qrvdump");
        EXPECT_TRUE(writeFile(path, content));
        const ProgramResult run = runProgram(archiveProgram(), {"--from-dump", path, "--output", earlier});
        EXPECT_EQ(run.exitCode, 5);
        EXPECT_EQ(fileContent(earlier), QByteArray("earlier read\n"));
        return run.err.toStdString();
    };
    EXPECT_EQ(decode(bytes.left(10)), "Файл дампа короче своего заголовка: 10 байт из 18\n");
    EXPECT_EQ(decode("Дата и время        Событие\n"), "Файл не является дампом памяти прибора: неверная сигнатура\n");
    QByteArray later = bytes;
    later[8] = 7;
    EXPECT_EQ(decode(later), "Неизвестная версия формата дампа: 7 (программа читает версию 1)\n");
    QByteArray damaged = bytes;
    damaged[damaged.size() - 1] = static_cast<char>(damaged.at(damaged.size() - 1) ^ 0x40);
    EXPECT_EQ(decode(damaged).rfind("Контрольная сумма дампа не совпадает", 0), 0u);
    EXPECT_EQ(decode(bytes + "x"), "После содержимого дампа лишние байты: 1\n");

    const ProgramResult absent = runProgram(archiveProgram(), {"--from-dump", dir.filePath("absent.qrvdump")});
    EXPECT_EQ(absent.exitCode, 5);
    EXPECT_EQ(absent.err.toStdString(), "Невозможно открыть файл дампа для чтения\n");
    EXPECT_TRUE(absent.out.isEmpty());
}
