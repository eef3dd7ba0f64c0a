#include <archive_report/PdfReport.h>

#include <archive_report/ReportContent.h>
#include <archive_report/ReportPainter.h>
#include <archive_report/ReportTexts.h>

#include <archive_table/ProgramInfo.h>

#include <QPdfWriter>

namespace archive_report {

bool writePdfReport(QIODevice& device, const ReportContent& content)
{
    QPdfWriter writer(&device);
    setReportPage(writer);
    writer.setTitle(QString::fromUtf8(titleText));
    writer.setCreator(QString::fromUtf8(programCaption) + QLatin1Char(' ') + QString::fromUtf8(programVersion));
    return paintReport(writer, content) > 0;
}

} // namespace archive_report
