// quorvel-archive run as a program: exit codes, where its output goes, and
// what it says on standard error.

#include <ProgramProcess.h>
#include <SimulatedLine.h>
#include <TestFiles.h>
#include <WindowExport.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ArchiveProgramTest, BadCommandLinesExitWithTheUsage)
{
    for (const QStringList& args : {QStringList{}, QStringList{"--simulate", "--port", "ttyS0"},
                                    QStringList{"--frobnicate"}}) {
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
    QProcess full;
    full.setStandardOutputFile("/dev/full");
    full.start(archiveProgram(), {"--simulate"});
    ASSERT_TRUE(full.waitForFinished(60000));
    EXPECT_EQ(full.exitCode(), 4);
    EXPECT_EQ(full.readAllStandardError().toStdString(), "Ошибка при записи файла\n");
}

TEST(ArchiveProgramTest, ShowsProgressOnlyOnATerminal)
{
    QTemporaryDir dir;
    const ProgramResult run =
        runWithTerminalStderr(archiveProgram(), {"--simulate", "--output", dir.filePath("a.txt")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("\r["));
    EXPECT_TRUE(run.err.contains("] 100%  00:0"));
    EXPECT_TRUE(run.err.endsWith("\n"));
    EXPECT_EQ(run.err.count('\n'), 1);
}
