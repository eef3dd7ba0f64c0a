#pragma once

#include <UserPrompts.h>

#include <QCoreApplication>

class QDialog;
class QPrinter;
class QWidget;

namespace archive_report {
struct ReportContent;
}

// The window's report printed through Qt's print dialog or shown in its
// preview, on the report's own page (A4 landscape) unless the dialog
// changes it. The dialogs run through the prompts, which tests answer.
class ReportPrinter {
    Q_DECLARE_TR_FUNCTIONS(ReportPrinter)

public:
    ReportPrinter(QWidget* window, UserPrompts prompts) : window(window), prompts(std::move(prompts)) {}

    void print(const archive_report::ReportContent& content);
    void preview(const archive_report::ReportContent& content);

private:
    void paint(QPrinter& printer, const archive_report::ReportContent& content);

    QWidget* window;
    UserPrompts prompts;
};
