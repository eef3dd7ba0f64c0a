#pragma once

#include <ReportPrinter.h>
#include <UserPrompts.h>

#include <QCoreApplication>

#include <functional>

class EventsView;
class QWidget;

namespace archive_report {
struct ReportContent;
}
namespace archive_table {
struct TableSource;
}

// The rows shown (after the filter, in the table's order) saved as a text
// table, CSV or the PDF report, or printed. Each save asks for its file
// and writes it whole or not at all: a failed write leaves an existing file
// as it was.
class ArchiveExports {
    Q_DECLARE_TR_FUNCTIONS(ArchiveExports)

public:
    // `source` names what is shown, for the names the saves propose.
    ArchiveExports(QWidget* window, const EventsView& view, const archive_table::TableSource& source,
                   UserPrompts prompts, std::function<archive_report::ReportContent()> report);

    void saveText();
    void saveCsv();
    void saveReport();
    void print();
    void preview();

private:
    const EventsView& view;
    const archive_table::TableSource& source;
    UserPrompts prompts;
    std::function<archive_report::ReportContent()> report;
    ReportPrinter printer;
};
