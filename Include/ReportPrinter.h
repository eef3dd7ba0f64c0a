#pragma once

#include <QCoreApplication>

class QDialog;
class QPrinter;
class QWidget;

namespace archive_report {
struct ReportContent;
}

// The window's report printed through Qt's print dialog or shown in its
// preview, on the report's own page (A4 landscape) unless the dialog
// changes it. The dialogs run through the window, whose tests answer them.
class ReportPrinter {
    Q_DECLARE_TR_FUNCTIONS(ReportPrinter)

public:
    // What the report needs of the window it belongs to.
    class Host {
    public:
        virtual int runDialog(QDialog& dialog) = 0;
        virtual void showCritical(const QString& text) = 0;

    protected:
        ~Host() = default;
    };

    ReportPrinter(QWidget* window, Host& host) : window(window), host(host) {}

    void print(const archive_report::ReportContent& content);
    void preview(const archive_report::ReportContent& content);

private:
    void paint(QPrinter& printer, const archive_report::ReportContent& content);

    QWidget* window;
    Host& host;
};
