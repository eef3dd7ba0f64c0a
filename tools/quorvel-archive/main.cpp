// quorvel-archive: the viewer's read and text export without the window.

#include <ArchiveOptions.h>
#include <ArchiveRead.h>
#include <ConsoleText.h>
#include <ExitCode.h>
#include <ExportOutput.h>
#include <HistoryCommands.h>
#include <InternalError.h>
#include <PortList.h>
#include <ProgressBar.h>
#include <ReportOutput.h>
#include <SimulatedLine.h>
#include <StopSignals.h>

#include <archive_table/ProgramInfo.h>
#include <config_quorvel/ConfiguratorError.h>
#include <file_output/OutputFile.h>
#include <memory_dump/DumpFormat.h>

#include <rs485/SerialPlatform.h>
#include <site_history/DriverWarnings.h>
#include <site_history/SiteHistory.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

using namespace quorvel_archive;

const char cannotOpenDumpText[] = "Невозможно открыть файл дампа для записи";
const char cannotWriteDumpText[] = "Ошибка при записи файла дампа";

// Arguments are UTF-8 throughout; file names go back to the system as the
// text they were given as.
QString fileName(const std::string& name)
{
    return QString::fromUtf8(name.c_str());
}

// Two of the named files are one: the second write would replace the first,
// or the table would overwrite the dump it is made from.
void refuseOneFileTwice(const ArchiveOptions& options)
{
    std::vector<std::pair<std::string, std::string>> files;
    if (options.output)
        files.emplace_back("--output", *options.output);
    if (options.saveDump)
        files.emplace_back("--save-dump", *options.saveDump);
    if (options.history && !site_history::isServerLocation(QString::fromStdString(*options.history)))
        files.emplace_back("--history", *options.history);
    if (options.action == ArchiveOptions::Action::ReadDump)
        files.emplace_back("--from-dump", options.dumpFile);
    for (const std::string& dump : options.importDumps)
        files.emplace_back("--import", dump);
    for (std::size_t i = 0; i < files.size(); ++i)
        for (std::size_t j = i + 1; j < files.size(); ++j)
            if (files[i].first != files[j].first && file_output::sameFile(fileName(files[i].second), fileName(files[j].second)))
                throw CommandLineError(files[i].first + " and " + files[j].first + " name the same file "
                                       + files[i].second);
}

// Whether the files to be written can be, checked before the read starts so
// that a target the system refuses ends the run at once; 0 when they can.
int checkTargets(const ArchiveOptions& options)
{
    if (options.output && !file_output::canWrite(fileName(*options.output))) {
        printError(cannotOpenText);
        return ExitCode::OutputError;
    }
    if (options.saveDump && !file_output::canWrite(fileName(*options.saveDump))) {
        printError(cannotOpenDumpText);
        return ExitCode::OutputError;
    }
    return ExitCode::Success;
}

// The exit status when a signal has asked the run to stop, with its word;
// 0 to go on.
int stoppedBySignal()
{
    const int status = StopSignals::exitStatus();
    if (status != 0)
        printError(config_quorvel::ConfiguratorError(config_quorvel::ConfiguratorError::Cancelled).what());
    return status;
}

// Opens the store --history names, if any, before the read; false when
// the run must end. A server that cannot be reached does not end it with
// --keep-pending: the read is kept for later instead.
bool openHistory(const ArchiveOptions& options, std::unique_ptr<site_history::SiteHistory>& store, bool& keepInstead)
{
    if (!options.history)
        return true;
    site_history::HistoryError::Fault fault{};
    if ((store = openStore(options, &fault)))
        return true;
    keepInstead = keepsForLater(options, fault);
    return keepInstead;
}

// Records the read in the store, or keeps it for later when the store's
// server could not be reached.
int recordOrKeep(const ArchiveOptions& options, site_history::SiteHistory* store, bool keepInstead,
                 const memory_dump::MemoryDump& dump)
{
    if (store)
        return recordInHistory(*store, options, dump);
    return keepInstead ? keepForLater(options, dump) : int(ExitCode::Success);
}

int readAndWrite(const ArchiveOptions& options)
{
    if (const int status = checkTargets(options); status != ExitCode::Success)
        return status;
    std::unique_ptr<site_history::SiteHistory> store;
    bool keepInstead = false;
    if (!openHistory(options, store, keepInstead))
        return ExitCode::StoreError;

    const StopSignals stopSignals;
    ProgressBar bar(stderr, isatty(fileno(stderr)) != 0);
    StoppableProgress progress(bar);
    ReadResult result;
    if (options.action == ArchiveOptions::Action::ReadSimulated) {
        SimulatedLine line(demoPanelMemory());
        result = readArchive(line.platform(), SimulatedLine::portName(), options.turbo, &progress);
    } else {
        result = readArchive(rs485::nativeSerialPlatform(), options.port, options.turbo, &progress);
    }
    bar.finish();
    // Also a read that ended just as the signal came: nothing is written.
    if (const int status = stoppedBySignal())
        return status;
    if (result.exitCode != ExitCode::Success) {
        printError(result.message);
        return result.exitCode;
    }

    // The dump first: it is the read itself, and the table can be made from
    // it again, so a table that cannot be written loses nothing.
    if (options.saveDump) {
        const std::vector<std::uint8_t> bytes = memory_dump::serializeDump(result.dump);
        if (const std::optional<std::string> failure = writeOutputFile(
                fileName(*options.saveDump),
                QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())), false,
                cannotOpenDumpText, cannotWriteDumpText)) {
            printError(*failure);
            return ExitCode::OutputError;
        }
    }
    // A signal during a write stops the run before the next one.
    if (const int status = stoppedBySignal())
        return status;
    if (store && options.format == ArchiveOptions::Format::Pdf)
        result.table.source.site = siteToRecordUnder(*store, options, result.dump);
    if (const int status = writeTable(options, result.table); status != ExitCode::Success)
        return status;
    if (const int status = stoppedBySignal())
        return status;
    return recordOrKeep(options, store.get(), keepInstead, result.dump);
}

// The table of a dump, written as that of a read.
int decodeAndWrite(const ArchiveOptions& options)
{
    if (const int status = checkTargets(options); status != ExitCode::Success)
        return status;
    std::unique_ptr<site_history::SiteHistory> store;
    bool keepInstead = false;
    if (!openHistory(options, store, keepInstead))
        return ExitCode::StoreError;
    ReadResult result = decodeDumpFile(fileName(options.dumpFile));
    if (result.exitCode != ExitCode::Success) {
        printError(result.message);
        return result.exitCode;
    }
    if (store && options.format == ArchiveOptions::Format::Pdf)
        result.table.source.site = siteToRecordUnder(*store, options, result.dump);
    if (const int status = writeTable(options, result.table); status != ExitCode::Success)
        return status;
    return recordOrKeep(options, store.get(), keepInstead, result.dump);
}

// The arguments as UTF-8, taken from the system's own text of them: on
// Windows the wide command line, so that names outside the ANSI code page
// survive.
std::vector<std::string> utf8Arguments()
{
    QStringList arguments = QCoreApplication::arguments();
    std::vector<std::string> utf8;
    for (int i = 1; i < arguments.size(); ++i)
        utf8.push_back(arguments.at(i).toStdString());
    return utf8;
}

// Whether the run paints a report: drawing text needs a GUI application
// and its fonts, decided before the application object exists.
bool paintsReport(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--format=pdf") == 0)
            return true;
        if (std::strcmp(argv[i], "--format") == 0 && i + 1 < argc && std::strcmp(argv[i + 1], "pdf") == 0)
            return true;
    }
    return false;
}

// A GUI application on the offscreen platform, so that a report is made
// where there is no display; on Windows its fonts come from the system's
// fonts folder, which the offscreen platform does not look in by itself.
std::unique_ptr<QCoreApplication> paintingApplication(int& argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") && !qEnvironmentVariableIsEmpty("SystemRoot"))
        qputenv("QT_QPA_FONTDIR", qgetenv("SystemRoot") + "\\Fonts");
#endif
    // Its start asks for the user's run-time folder, which a service or a
    // root shell does not have, and says so on standard error; that would
    // be the only line there besides the outcome. Other messages pass.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (!text.startsWith(QLatin1String("QStandardPaths: ")))
            previous(type, context, text);
    });
    auto application = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previous);
    return application;
}

} // namespace

int main(int argc, char* argv[])
{
#ifndef _WIN32
    // A reader that closes the pipe early is a failed write (exit 4), not a
    // silent death.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Sets the process locale as the window's application object does: file
    // names in the locale's encoding and the same text comparison in the sort.
    const std::unique_ptr<QCoreApplication> application = paintsReport(argc, argv)
        ? paintingApplication(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    // Standard error carries the progress bar and the outcome only: no
    // library's debug stream (QT_LOGGING_RULES may still ask for one), and
    // none of Qt SQL's warnings about a connection the store reports itself.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    const site_history::QuietDriverWarnings quietDriver;

    ArchiveOptions options;
    try {
        options = parseArchiveOptions(utf8Arguments());
        refuseOneFileTwice(options);
    } catch (const CommandLineError& error) {
        writeText(stderr, std::string("quorvel-archive: ") + error.what() + "\n\n" + usageText());
        return ExitCode::UsageError;
    }

    return reportingInternalErrors([&]() -> int {
        switch (options.action) {
        case ArchiveOptions::Action::Help:
            return writeText(stdout, usageText()) ? ExitCode::Success : ExitCode::OutputError;
        case ArchiveOptions::Action::Version:
            return writeText(stdout, std::string("quorvel-archive ") + programVersion + '\n')
                ? ExitCode::Success
                : ExitCode::OutputError;
        case ArchiveOptions::Action::ListPorts:
            return writeText(stdout, portListText(rs485::nativeSerialPlatform())) ? ExitCode::Success
                                                                                   : ExitCode::OutputError;
        case ArchiveOptions::Action::ReadPort:
        case ArchiveOptions::Action::ReadSimulated:
            return readAndWrite(options);
        case ArchiveOptions::Action::ReadDump:
            return decodeAndWrite(options);
        case ArchiveOptions::Action::Import:
            return importDumps(options);
        case ArchiveOptions::Action::ListSites:
            return listSites(options);
        case ArchiveOptions::Action::HistoryTable:
            return writeHistoryTable(options);
        case ArchiveOptions::Action::HistoryStats:
            return writeHistoryStats(options);
        case ArchiveOptions::Action::Overview:
            return writeOverview(options);
        case ArchiveOptions::Action::CheckHistory:
            return checkHistory(options);
        case ArchiveOptions::Action::SendPending:
            return sendPending(options);
        case ArchiveOptions::Action::MergeSite:
            return mergeSites(options);
        }
        return ExitCode::UsageError;
    });
}

