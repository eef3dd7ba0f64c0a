#include <ReportPrinter.h>

#include <archive_report/ReportContent.h>
#include <archive_report/ReportPainter.h>

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

void ReportPrinter::print(const archive_report::ReportContent& content)
{
    QPrinter printer(QPrinter::HighResolution);
    archive_report::setReportPage(printer);
    QPrintDialog dialog(&printer, window);
    if (host.runDialog(dialog) == QDialog::Accepted)
        paint(printer, content);
}

void ReportPrinter::preview(const archive_report::ReportContent& content)
{
    QPrinter printer(QPrinter::HighResolution);
    archive_report::setReportPage(printer);
    QPrintPreviewDialog dialog(&printer, window);
    // The preview asks again whenever its page settings change.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&](QPrinter* target) { paint(*target, content); });
    host.runDialog(dialog);
}

void ReportPrinter::paint(QPrinter& printer, const archive_report::ReportContent& content)
{
    if (archive_report::paintReport(printer, content) == 0)
        host.showCritical(tr("Не удалось напечатать отчёт"));
}
