#include <ReportOutput.h>

#include <ExportOutput.h>

#include <archive_report/PdfReport.h>
#include <archive_report/ReportContent.h>
#include <file_output/OutputFile.h>

namespace quorvel_archive {

std::optional<std::string> writeReportFile(const QString& fileName, const ArchiveTable& table)
{
    file_output::OutputFile file(fileName);
    if (!file.open())
        return std::string(cannotOpenText);
    const archive_report::ReportContent content =
        archive_report::reportContent(table.rows, table.configuration, table.source);
    if (!archive_report::writePdfReport(file.device(), content) || !file.commit())
        return std::string(cannotWriteText);
    return std::nullopt;
}

} // namespace quorvel_archive
