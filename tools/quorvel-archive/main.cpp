// quorvel-archive: the viewer's read and text export without the window.

#include <ArchiveOptions.h>
#include <ArchiveRead.h>
#include <ExitCode.h>
#include <ExportOutput.h>
#include <PortList.h>
#include <ProgressBar.h>
#include <SimulatedLine.h>

#include <archive_table/ProgramInfo.h>

#include <rs485/SerialPlatform.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

#include <cstdio>
#include <exception>
#include <iostream>
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

void printError(const std::string& text)
{
    std::fflush(stdout);
    std::cerr << text << '\n' << std::flush;
}

int readAndWrite(const ArchiveOptions& options)
{
    ProgressBar progress(stderr, isatty(fileno(stderr)) != 0);
    ReadResult result;
    if (options.action == ArchiveOptions::Action::ReadSimulated) {
        SimulatedLine line(demoPanelMemory());
        result = readArchiveText(line.platform(), SimulatedLine::portName(), options.turbo, &progress,
                                 options.format);
    } else {
        result = readArchiveText(rs485::nativeSerialPlatform(), options.port, options.turbo, &progress,
                                 options.format);
    }
    progress.finish();
    if (result.exitCode != ExitCode::Success) {
        printError(result.message);
        return result.exitCode;
    }

    const bool textMode = options.format == ArchiveOptions::Format::Text;
    const std::optional<std::string> failure = options.output
        ? writeExportFile(QString::fromLocal8Bit(options.output->c_str()), result.text, textMode)
        : writeExportToStandardOutput(result.text, textMode);
    if (failure) {
        printError(*failure);
        return ExitCode::OutputError;
    }
    return ExitCode::Success;
}

} // namespace

int main(int argc, char* argv[])
{
    // Sets the process locale as the window's application object does: file
    // names in the locale's encoding and the same text comparison in the sort.
    QCoreApplication application(argc, argv);
    // Standard error carries the progress bar and the outcome only; the
    // device model's trace stays available through QT_LOGGING_RULES.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    ArchiveOptions options;
    try {
        options = parseArchiveOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const CommandLineError& error) {
        std::cerr << "quorvel-archive: " << error.what() << "\n\n" << usageText();
        return ExitCode::UsageError;
    }

    try {
        switch (options.action) {
        case ArchiveOptions::Action::Help:
            std::cout << usageText();
            return ExitCode::Success;
        case ArchiveOptions::Action::Version:
            std::cout << "quorvel-archive " << programVersion << '\n';
            return ExitCode::Success;
        case ArchiveOptions::Action::ListPorts:
            std::cout << portListText(rs485::nativeSerialPlatform()) << std::flush;
            return std::cout ? ExitCode::Success : ExitCode::OutputError;
        case ArchiveOptions::Action::ReadPort:
        case ArchiveOptions::Action::ReadSimulated:
            return readAndWrite(options);
        }
    } catch (const std::exception& error) {
        printError(error.what());
        return ExitCode::ReadFailed;
    }
    return ExitCode::UsageError;
}
