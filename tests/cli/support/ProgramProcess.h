#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// The two programs under test, as built next to this test.
QString archiveProgram();
QString panelSimProgram();

// How a program run ended.
struct ProgramResult {
    bool finished = false; // ended on its own within the time allowed
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramResult runProgram(const QString& program, const QStringList& args, int timeoutMs = 120000);

// quorvel-panel-sim running in the background; stopped when destroyed.
class PanelSimProcess {
public:
    explicit PanelSimProcess(const QStringList& args);
    ~PanelSimProcess();

    // The pseudo-terminal's path from the first line; empty if it never came.
    const QString& slavePath() const { return path; }

    // Waits for the server to end on its own.
    ProgramResult waitForExit(int timeoutMs);
    // Sends SIGTERM and waits for the server to end.
    ProgramResult terminate(int timeoutMs = 10000);

private:
    ProgramResult result();

    std::unique_ptr<QProcess> process;
    QString path;
};

// Where a spawned program's standard streams go, for what QProcess cannot
// set up.
struct SpawnOptions {
    bool terminalStderr = false; // a pseudo-terminal the test reads, else a pipe
    QString stdoutFile;          // a file of the test's; empty: a pipe whose reader has gone
    long fileSizeLimit = -1;     // bytes any file may grow to, as on a full disk; -1: no limit
};

// Runs the program with its standard input empty and the streams as asked;
// its standard error comes back in the result.
ProgramResult runSpawned(const QString& program, const QStringList& args, const SpawnOptions& options,
                         int timeoutMs = 120000);
