#include "ProgramProcess.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

QString archiveProgram()
{
    return QStringLiteral(QUORVEL_ARCHIVE_PROGRAM);
}

QString panelSimProgram()
{
    return QStringLiteral(QUORVEL_PANEL_SIM_PROGRAM);
}

ProgramResult runProgram(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess process;
    process.start(program, args);
    ProgramResult result;
    if (!process.waitForStarted(10000))
        return result;
    process.closeWriteChannel();
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

PanelSimProcess::PanelSimProcess(const QStringList& args) : process(std::make_unique<QProcess>())
{
    process->start(panelSimProgram(), args);
    if (!process->waitForStarted(10000))
        return;
    QElapsedTimer timer;
    timer.start();
    while (!process->canReadLine() && timer.elapsed() < 10000)
        if (!process->waitForReadyRead(int(10000 - timer.elapsed())))
            break;
    if (process->canReadLine())
        path = QString::fromLocal8Bit(process->readLine()).trimmed();
}

PanelSimProcess::~PanelSimProcess()
{
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
    }
}

ProgramResult PanelSimProcess::result()
{
    ProgramResult r;
    r.finished = process->state() == QProcess::NotRunning;
    r.exitCode = r.finished && process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    r.out = process->readAllStandardOutput();
    r.err = process->readAllStandardError();
    return r;
}

ProgramResult PanelSimProcess::waitForExit(int timeoutMs)
{
    process->waitForFinished(timeoutMs);
    return result();
}

ProgramResult PanelSimProcess::terminate(int timeoutMs)
{
    process->terminate();
    return waitForExit(timeoutMs);
}

ProgramResult runWithTerminalStderr(const QString& program, const QStringList& args, int timeoutMs)
{
    ProgramResult result;
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return result;

    std::vector<std::string> argStrings{program.toStdString()};
    for (const QString& arg : args)
        argStrings.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, slave, 2);
    posix_spawn_file_actions_addclose(&actions, master);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(slave);
    if (spawned != 0) {
        ::close(master);
        return result;
    }

    // Read until the child has closed the terminal (EIO), then reap it.
    QElapsedTimer timer;
    timer.start();
    char buffer[4096];
    while (timer.elapsed() < timeoutMs) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.err.append(buffer, int(n));
    }
    ::close(master);
    int status = 0;
    if (::waitpid(pid, &status, timer.elapsed() < timeoutMs ? 0 : WNOHANG) == pid) {
        result.finished = true;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    return result;
}
