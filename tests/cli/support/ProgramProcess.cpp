#include "ProgramProcess.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
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

ProgramResult runSpawned(const QString& program, const QStringList& args, const SpawnOptions& options,
                         int timeoutMs)
{
    ProgramResult result;
    std::vector<std::string> argStrings{program.toStdString()};
    for (const QString& arg : args)
        argStrings.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    // Standard error: a terminal or a pipe, read here. Standard input: a
    // pipe without a writer. Standard output: a file of the test's, or a
    // pipe whose reader has gone.
    int err[2] = {-1, -1};
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    const bool opened = (options.terminalStderr ? ::openpty(&err[0], &err[1], nullptr, nullptr, nullptr) == 0
                                                : ::pipe(err) == 0)
        && ::pipe(in) == 0;
    if (opened && options.stdoutFile.isEmpty()) {
        if (::pipe(out) == 0) {
            ::close(out[0]);
            out[0] = -1;
        }
    } else if (opened) {
        out[1] = ::open(QFile::encodeName(options.stdoutFile).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    const auto closeAll = [&] {
        for (int fd : {err[0], err[1], in[0], in[1], out[0], out[1]})
            if (fd >= 0)
                ::close(fd);
    };
    if (!opened || out[1] < 0) {
        closeAll();
        return result;
    }
    ::close(in[1]);
    in[1] = -1;

    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls that are safe between fork and exec.
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        if (options.fileSizeLimit >= 0) {
            const rlimit limit{rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            // Past the limit a write fails with EFBIG, as on a full disk.
            ::signal(SIGXFSZ, SIG_IGN);
        }
        ::signal(SIGPIPE, SIG_DFL);
        ::execve(argv[0], argv.data(), environ);
        ::_exit(127);
    }
    ::close(err[1]);
    ::close(in[0]);
    ::close(out[1]);
    if (pid < 0) {
        ::close(err[0]);
        return result;
    }

    // Read until the child has closed its standard error (EIO on a
    // terminal, end of file on a pipe), then reap it.
    QElapsedTimer timer;
    timer.start();
    char buffer[4096];
    while (timer.elapsed() < timeoutMs) {
        pollfd p{err[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t n = ::read(err[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.err.append(buffer, int(n));
    }
    ::close(err[0]);
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
