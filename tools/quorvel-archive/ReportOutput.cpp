#include <ReportOutput.h>

#include <ConsoleText.h>
#include <ExitCode.h>
#include <ExportOutput.h>

#include <archive_report/PdfReport.h>
#include <archive_table/CsvExport.h>
#include <archive_table/TextExport.h>
#include <archive_report/ReportContent.h>
#include <file_output/OutputFile.h>

namespace quorvel_archive {

std::optional<std::string> writeReportFile(const QString& fileName, const ArchiveTable& table)
{
    file_output::OutputFile file(fileName);
    if (!file.open())
        return std::string(cannotOpenText);
    archive_report::ReportContent content = archive_report::reportContent(table.events, table.configuration, table.source);
    content.siteTallies = table.siteTallies;
    if (!archive_report::writePdfReport(file.device(), content) || !file.commit())
        return std::string(cannotWriteText);
    return std::nullopt;
}

int writeTable(const ArchiveOptions& options, const ArchiveTable& table)
{
    const bool textMode = options.format == ArchiveOptions::Format::Text;
    const QString output = options.output ? QString::fromUtf8(options.output->c_str()) : QString();
    std::optional<std::string> failure;
    if (options.format == ArchiveOptions::Format::Pdf)
        failure = writeReportFile(output, table);
    else
        failure = writeExport(output, textMode, [&](QIODevice& device) {
            const archive_table::RowTexts headers = archive_table::columnHeaders();
            return textMode ? archive_table::writeText(device, headers, table.events)
                            : archive_table::writeCsv(device, headers, table.events);
        });
    if (failure) {
        printError(*failure);
        return ExitCode::OutputError;
    }
    return ExitCode::Success;
}

} // namespace quorvel_archive
