#include <ArchiveExports.h>

#include <EventsView.h>
#include <SaveNames.h>

#include <archive_report/PdfReport.h>
#include <archive_report/ReportContent.h>

ArchiveExports::ArchiveExports(QWidget* window, const EventsView& view, const archive_table::TableSource& source,
                               UserPrompts prompts, std::function<archive_report::ReportContent()> report)
    : view(view), source(source), prompts(prompts), report(std::move(report)), printer(window, std::move(prompts))
{
}

void ArchiveExports::saveText()
{
    const QString fileName = prompts.askSaveName(SavedFile::Text, proposedName(source));
    if (!fileName.isEmpty())
        writeSavedFile(prompts, fileName, true, [this](QIODevice& device) { return view.exportToText(&device); });
}

void ArchiveExports::saveCsv()
{
    const QString fileName = prompts.askSaveName(SavedFile::Csv, proposedName(source));
    // CSV has its CR LF line ends on every system, so no text mode.
    if (!fileName.isEmpty())
        writeSavedFile(prompts, fileName, false, [this](QIODevice& device) { return view.exportToCsv(&device); });
}

void ArchiveExports::saveReport()
{
    const QString fileName = prompts.askSaveName(SavedFile::Report, proposedName(source));
    if (fileName.isEmpty())
        return;
    const archive_report::ReportContent content = report();
    writeSavedFile(prompts, fileName, false, [&](QIODevice& device) { return archive_report::writePdfReport(device, content); });
}

void ArchiveExports::print()
{
    printer.print(report());
}

void ArchiveExports::preview()
{
    printer.preview(report());
}
