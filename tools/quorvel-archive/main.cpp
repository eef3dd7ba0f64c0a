// quorvel-archive: the viewer's read and text export without the window.

#include <ArchiveOptions.h>
#include <ArchiveRead.h>
#include <ExitCode.h>
#include <ExportOutput.h>
#include <PortList.h>
#include <ProgressBar.h>
#include <SimulatedLine.h>

#include <archive_table/ProgramInfo.h>
#include <memory_dump/DumpFormat.h>

#include <rs485/SerialPlatform.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

#include <cstdio>
#include <exception>
#include <iostream>
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

void printError(const std::string& text)
{
    std::fflush(stdout);
    std::cerr << text << '\n' << std::flush;
}

QString fileName(const std::string& name)
{
    return QString::fromLocal8Bit(name.c_str());
}

// Opens a file to be written after the read; null with the reason printed
// when it cannot be created.
std::unique_ptr<PendingFile> openPending(const std::string& name, QIODevice::OpenMode mode,
                                         const char* cannotOpen)
{
    auto file = std::make_unique<PendingFile>(fileName(name), mode);
    if (file->isOpen())
        return file;
    printError(cannotOpen);
    return nullptr;
}

// The table to the pending file, or to standard output without one; in text
// mode for the text table, byte for byte for CSV, which brings its own CR LF.
int writeTable(PendingFile* output, const QByteArray& text, bool textMode)
{
    if (const std::optional<std::string> failure =
            output ? output->commit(text) : writeExportToStandardOutput(text, textMode)) {
        printError(*failure);
        return ExitCode::OutputError;
    }
    return ExitCode::Success;
}

QIODevice::OpenMode tableMode(const ArchiveOptions& options)
{
    return options.format == ArchiveOptions::Format::Text ? QIODevice::Text : QIODevice::NotOpen;
}

int readAndWrite(const ArchiveOptions& options)
{
    // Both files are opened before the read, so that a target that cannot be
    // written ends the run at once rather than after the whole read.
    std::unique_ptr<PendingFile> output;
    if (options.output && !(output = openPending(*options.output, tableMode(options), PendingFile::cannotOpenText)))
        return ExitCode::OutputError;
    std::unique_ptr<PendingFile> dumpFile;
    if (options.saveDump
        && !(dumpFile = openPending(*options.saveDump, QIODevice::NotOpen, cannotOpenDumpText)))
        return ExitCode::OutputError;

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

    if (const int status = writeTable(output.get(), result.text, options.format == ArchiveOptions::Format::Text); status != ExitCode::Success)
        return status;
    if (dumpFile) {
        const std::vector<std::uint8_t> bytes = memory_dump::serializeDump(result.dump);
        if (dumpFile->commit(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                        static_cast<int>(bytes.size())))) {
            printError("Ошибка при записи файла дампа");
            return ExitCode::OutputError;
        }
    }
    return ExitCode::Success;
}

// The table of a dump, written as that of a read.
int decodeAndWrite(const ArchiveOptions& options)
{
    std::unique_ptr<PendingFile> output;
    if (options.output && !(output = openPending(*options.output, tableMode(options), PendingFile::cannotOpenText)))
        return ExitCode::OutputError;
    const ReadResult result = decodeDumpText(fileName(options.dumpFile), options.format);
    if (result.exitCode != ExitCode::Success) {
        printError(result.message);
        return result.exitCode;
    }
    return writeTable(output.get(), result.text, options.format == ArchiveOptions::Format::Text);
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
        case ArchiveOptions::Action::ReadDump:
            return decodeAndWrite(options);
        }
    } catch (const std::exception& error) {
        printError(error.what());
        return ExitCode::ReadFailed;
    }
    return ExitCode::UsageError;
}
