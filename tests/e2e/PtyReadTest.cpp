// quorvel-archive reading quorvel-panel-sim over a pseudo-terminal.

#include <ProgramProcess.h>
#include <SimulatedLine.h>
#include <TestFiles.h>
#include <WindowExport.h>

#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpFile.h>
#include <panel_sim/PtyPanelServer.h>
#include <rs485/LinuxSerialPlatform.h>
#include <site_history/SiteHistory.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using config_quorvel::ConfiguratorError;

namespace {

// The count of commands the server reports on its way out.
int commandsServed(const QByteArray& serverErr)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("(\\d+) commands")).match(QString::fromUtf8(serverErr));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The reader as an ordinary user: the exclusive mark on a terminal does not
// keep the superuser out, so a test run as root runs the reader as nobody.
QStringList asOrdinaryUser(const QStringList& readerArgs)
{
    if (::geteuid() != 0)
        return QStringList{archiveProgram()} + readerArgs;
    return QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", archiveProgram()} + readerArgs;
}

QString ordinaryUserLauncher()
{
    return ::geteuid() == 0 ? QStringLiteral("setpriv") : QString();
}

ProgramResult runAsOrdinaryUser(const QStringList& readerArgs)
{
    QStringList args = asOrdinaryUser(readerArgs);
    const QString program = ordinaryUserLauncher().isEmpty() ? args.takeFirst() : ordinaryUserLauncher();
    return runProgram(program, args);
}

} // namespace

// Both speeds at once: each read waits mostly on the line, so two in
// parallel take hardly longer than one.
TEST(PtyReadTest, ReadsWithAndWithoutTheHigherSpeedGiveTheWindowsExport)
{
    ASSERT_FALSE(demoWindowExport().isEmpty());
    QTemporaryDir dir;
    PanelSimProcess turboPanel({"--linger", "1"});
    PanelSimProcess plainPanel({"--linger", "1"});
    ASSERT_FALSE(turboPanel.slavePath().isEmpty());
    ASSERT_FALSE(plainPanel.slavePath().isEmpty());

    QProcess turbo;
    QProcess plain;
    QElapsedTimer timer;
    timer.start();
    turbo.start(archiveProgram(), {"--port", turboPanel.slavePath(), "--output", dir.filePath("turbo.txt")});
    plain.start(archiveProgram(),
                {"--port", plainPanel.slavePath(), "--no-turbo", "--output", dir.filePath("plain.txt")});
    ASSERT_TRUE(turbo.waitForFinished(120000));
    const qint64 turboMs = timer.elapsed();
    ASSERT_TRUE(plain.waitForFinished(120000));
    std::cout << "full read over the pseudo-terminal: " << turboMs << " ms with the higher speed, "
              << timer.elapsed() << " ms without\n";

    EXPECT_EQ(turbo.exitCode(), 0) << turbo.readAllStandardError().toStdString();
    EXPECT_EQ(plain.exitCode(), 0) << plain.readAllStandardError().toStdString();
    EXPECT_EQ(fileContent(dir.filePath("turbo.txt")).toStdString(), demoWindowExport().toStdString());
    EXPECT_EQ(fileContent(dir.filePath("plain.txt")).toStdString(), demoWindowExport().toStdString());

    // The servers notice the readers have gone and end by themselves.
    const ProgramResult turboServer = turboPanel.waitForExit(15000);
    const ProgramResult plainServer = plainPanel.waitForExit(15000);
    EXPECT_TRUE(turboServer.finished);
    EXPECT_EQ(turboServer.exitCode, 0);
    EXPECT_EQ(commandsServed(turboServer.err), 452);
    EXPECT_TRUE(plainServer.finished);
    EXPECT_EQ(commandsServed(plainServer.err), 450);
}

TEST(PtyReadTest, EachFailureGivesItsTextAndLeavesTheOutputAlone)
{
    const std::vector<std::pair<QStringList, ConfiguratorError::Code>> cases = {
        {{"--stop-after", "0"}, ConfiguratorError::NoDevice},
        {{"--hang-up-after", "20"}, ConfiguratorError::NoConverter},
        {{"--loader-version", "0x13"}, ConfiguratorError::IncompatibleLoader},
        {{"--device-type", "Q-QRVX"}, ConfiguratorError::UnsupportedDevice},
        {{"--page-size", "128"}, ConfiguratorError::UnsupportedDevice},
        {{"--identification", "0xB3"}, ConfiguratorError::IncompatibleFirmware},
    };
    QTemporaryDir dir;
    const QString output = dir.filePath("archive.txt");
    ASSERT_TRUE(writeFile(output, "earlier read\n"));

    for (const auto& [options, code] : cases) {
        SCOPED_TRACE(options.join(' ').toStdString());
        PanelSimProcess panel(options);
        ASSERT_FALSE(panel.slavePath().isEmpty());
        const ProgramResult run = runProgram(archiveProgram(), {"--port", panel.slavePath(), "--output", output});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.toStdString(), std::string(ConfiguratorError(code).what()) + "\n");
        EXPECT_EQ(fileContent(output), QByteArray("earlier read\n"));
        EXPECT_EQ(panel.terminate().exitCode, 0);
    }
}

// The first attempt of every 150th command goes unheard and every 11th
// answer arrives damaged; the retries make up for both.
TEST(PtyReadTest, OccasionalSilenceAndCorruptionGiveTheSameTable)
{
    QTemporaryDir dir;
    PanelSimProcess panel({"--silent-every", "150", "--corrupt-every", "11", "--linger", "0.5"});
    ASSERT_FALSE(panel.slavePath().isEmpty());
    const ProgramResult run =
        runProgram(archiveProgram(), {"--port", panel.slavePath(), "--output", dir.filePath("a.txt")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(fileContent(dir.filePath("a.txt")).toStdString(), demoWindowExport().toStdString());
    const ProgramResult server = panel.waitForExit(15000);
    EXPECT_GT(commandsServed(server.err), 452 + 40);
}

TEST(PanelSimTest, EndsOnSigtermAndWhenAKilledReaderHasLeftItsMark)
{
    PanelSimProcess idle({});
    ASSERT_FALSE(idle.slavePath().isEmpty());
    const ProgramResult stopped = idle.terminate(5000);
    EXPECT_TRUE(stopped.finished);
    EXPECT_EQ(stopped.exitCode, 0);

    // A reader killed in the middle of its read leaves the port marked for
    // exclusive use but no longer locked; the server takes that as gone.
    PanelSimProcess panel({"--linger", "0.5"});
    ASSERT_FALSE(panel.slavePath().isEmpty());
    QTemporaryDir dir;
    QProcess reader;
    reader.start(archiveProgram(), {"--port", panel.slavePath(), "--output", dir.filePath("killed.txt")});
    ASSERT_TRUE(reader.waitForStarted());
    QThread::msleep(1000);
    reader.kill();
    reader.waitForFinished(5000);
    const ProgramResult server = panel.waitForExit(10000);
    EXPECT_TRUE(server.finished);
    EXPECT_EQ(server.exitCode, 0);
    EXPECT_GT(commandsServed(server.err), 10);
}

// A customer's panel replayed from its dump reads back through the whole
// stack to the table that decoding the dump gives, and to the same memory.
TEST(PtyReadTest, APanelServedFromADumpReadsBackToTheSameTableAndMemory)
{
    QTemporaryDir dir;
    const QString site = dir.filePath("site.qrvdump");
    ASSERT_EQ(runProgram(archiveProgram(), {"--simulate", "--no-turbo", "--save-dump", site, "-o", dir.filePath("simulated.txt")}).exitCode, 0);

    PanelSimProcess panel({"--dump", site, "--linger", "0.5"});
    ASSERT_FALSE(panel.slavePath().isEmpty());
    const QString again = dir.filePath("again.qrvdump");
    const ProgramResult read = runProgram(archiveProgram(), {"--port", panel.slavePath(), "--save-dump", again,
                                                             "--output", dir.filePath("read.txt")});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const ProgramResult decoded = runProgram(archiveProgram(), {"--from-dump", site});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_EQ(fileContent(dir.filePath("read.txt")).toStdString(), decoded.out.toStdString());
    EXPECT_EQ(decoded.out.toStdString(), demoWindowExport().toStdString());

    const memory_dump::MemoryDump original = memory_dump::loadDumpFile(site);
    memory_dump::MemoryDump replayed = memory_dump::loadDumpFile(again);
    EXPECT_EQ(replayed.portName, panel.slavePath().toStdString());
    EXPECT_TRUE(replayed.turbo);
    EXPECT_GE(replayed.readTimeMs, original.readTimeMs);
    replayed.portName = original.portName;
    replayed.readTimeMs = original.readTimeMs;
    replayed.turbo = original.turbo;
    EXPECT_TRUE(replayed == original); // information block, regions and checksums

    const ProgramResult server = panel.waitForExit(15000);
    EXPECT_EQ(commandsServed(server.err), 452);
}

// A table or dump name the system cannot create ends the run before the
// first byte goes to the panel.
TEST(PtyReadTest, ATargetTheSystemRefusesEndsTheRunBeforeTheFirstCommand)
{
    QTemporaryDir dir;
    // The ordinary user may write into the folder, not into "locked".
    ::chmod(dir.path().toLocal8Bit().constData(), 0777);
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    ::chmod(dir.filePath("locked").toLocal8Bit().constData(), 0555);
    const std::vector<std::pair<QStringList, std::string>> cases = {
        {{"--output", dir.filePath(QString(300, 'a'))}, "Невозможно открыть файл для записи\n"},
        {{"--output", dir.filePath("no-such-folder/a.txt")}, "Невозможно открыть файл для записи\n"},
        {{"--output", dir.filePath("a.txt"), "--save-dump", dir.filePath("locked/a.qrvdump")},
         "Невозможно открыть файл дампа для записи\n"},
    };
    for (const auto& [targets, message] : cases) {
        SCOPED_TRACE(targets.join(' ').toStdString());
        PanelSimProcess panel({});
        ASSERT_FALSE(panel.slavePath().isEmpty());
        ::chmod(panel.slavePath().toLocal8Bit().constData(), 0666);
        const ProgramResult run = runAsOrdinaryUser(QStringList{"--port", panel.slavePath()} + targets);
        EXPECT_EQ(run.exitCode, 4);
        EXPECT_EQ(run.err.toStdString(), message);
        EXPECT_EQ(commandsServed(panel.terminate().err), 0);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// A port another program holds is named as taken, whether the system
// refuses the open itself (to an ordinary user) or only the lock on it.
TEST(PtyReadTest, APortAnotherProgramHoldsIsNamedAsTaken)
{
    PanelSimProcess panel({});
    ASSERT_FALSE(panel.slavePath().isEmpty());
    ::chmod(panel.slavePath().toLocal8Bit().constData(), 0666);
    rs485::LinuxSerialPlatform otherProgram;
    const rs485::PortHandle held = otherProgram.openExclusive(panel.slavePath().toStdString());
    ASSERT_NE(held, rs485::invalidPortHandle);
    const ProgramResult run = runAsOrdinaryUser({"--port", panel.slavePath()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err.toStdString(),
              "Ошибка при открытии порта " + panel.slavePath().toStdString() + ": порт занят другой программой\n");
    otherProgram.close(held);
    EXPECT_EQ(commandsServed(panel.terminate().err), 0);
}

// SIGINT or SIGTERM in the middle of a read: the reader stops after the
// loader command in progress (the panel, served here in the test's own
// process, counts them), closes the port, writes and records nothing, and
// ends as a shell reports a program the signal ended.
TEST(PtyReadTest, ASignalStopsTheReadAfterTheCommandInProgressAndNothingIsWritten)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        panel_sim::PtyPanelServer panel(quorvel_archive::demoPanelMemory());
        ASSERT_TRUE(panel.start());
        QTemporaryDir dir;
        QProcess reader;
        reader.start(archiveProgram(), {"--port", QString::fromStdString(panel.slavePath()), "--no-turbo", "--output",
                                        dir.filePath("read.txt"), "--save-dump", dir.filePath("read.qrvdump"),
                                        "--history", dir.filePath("h.sqlite"), "--site", "Склад"});
        ASSERT_TRUE(reader.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (panel.loader().commandCount() < 40 && waited.elapsed() < 30000)
            QThread::msleep(5);
        // Held still, the reader has sent what it has sent; the signal then
        // waits for it to go on.
        const auto pid = static_cast<pid_t>(reader.processId());
        ::kill(pid, SIGSTOP);
        QThread::msleep(300);
        const std::size_t served = panel.loader().commandCount();
        ASSERT_LT(served, 450u) << "the read was over before the signal";
        ::kill(pid, signal);
        ::kill(pid, SIGCONT);
        ASSERT_TRUE(reader.waitForFinished(10000));
        EXPECT_EQ(reader.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(reader.exitCode(), 128 + signal);
        EXPECT_EQ(reader.readAllStandardError().toStdString(), "Чтение прервано\n");
        QThread::msleep(300);
        EXPECT_LE(panel.loader().commandCount(), served + 1);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"h.sqlite"});
        EXPECT_TRUE(site_history::SiteHistory(dir.filePath("h.sqlite")).sites().empty());
        // The port was closed: another reader has it at once.
        rs485::LinuxSerialPlatform next;
        const rs485::PortHandle port = next.openExclusive(panel.slavePath());
        EXPECT_NE(port, rs485::invalidPortHandle);
        next.close(port);
    }
}

TEST(PanelSimTest, ServesAReaderRightAfterAnInterruptedOne)
{
    if (::geteuid() == 0 && QStandardPaths::findExecutable("setpriv").isEmpty())
        GTEST_SKIP() << "running as root without setpriv: the exclusive mark would not show";
    QTemporaryDir dir;
    ::chmod(dir.path().toLocal8Bit().constData(), 0777);
    PanelSimProcess panel({"--linger", "3"});
    ASSERT_FALSE(panel.slavePath().isEmpty());
    ::chmod(panel.slavePath().toLocal8Bit().constData(), 0666);

    // Each reader starts the moment the one before it is gone, as a script
    // that tries again would, and is itself interrupted (Ctrl+C) in the
    // middle of its read. A reader turned away ends at once with exit 3.
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        QProcess reader;
        reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args = asOrdinaryUser({"--port", panel.slavePath(), "--no-turbo", "--output",
                                           dir.filePath("interrupted.txt")});
        const QString program = ordinaryUserLauncher().isEmpty() ? args.takeFirst() : ordinaryUserLauncher();
        reader.start(program, args);
        ASSERT_TRUE(reader.waitForStarted());
        ASSERT_FALSE(reader.waitForFinished(800)) << "exit " << reader.exitCode();
        ::kill(static_cast<pid_t>(reader.processId()), SIGINT);
        ASSERT_TRUE(reader.waitForFinished(5000));
        EXPECT_FALSE(QFile::exists(dir.filePath("interrupted.txt")));
    }
    const ProgramResult next = runAsOrdinaryUser({"--port", panel.slavePath(), "--output", dir.filePath("next.txt")});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(fileContent(dir.filePath("next.txt")).toStdString(), demoWindowExport().toStdString());
    EXPECT_EQ(panel.terminate().exitCode, 0);
}
