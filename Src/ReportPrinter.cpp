#include <ReportPrinter.h>

#include <archive_report/ReportContent.h>
#include <archive_report/ReportPainter.h>

#include <QAction>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

// How much of the screen's free area the preview takes.
constexpr qreal previewShare = 0.9;

} // namespace

void ReportPrinter::print(const archive_report::ReportContent& content)
{
    QPrinter printer(QPrinter::HighResolution);
    archive_report::setReportPage(printer);
    QPrintDialog dialog(&printer, window);
    if (prompts.runDialog(dialog) == QDialog::Accepted)
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
    // Qt's own size leaves a laptop's screen a small page and its print
    // button behind the tool bar's overflow: most of the screen instead, at
    // least the whole tool bar where the screen has room for it, and the
    // page at its width, where a table's rows can be read.
    const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    QSize size = available.size() * previewShare;
    size.setWidth(std::min(std::max(size.width(), dialog.sizeHint().width()), available.width()));
    dialog.resize(size);
    dialog.move(available.center() - dialog.rect().center());
    if (auto* fitWidth = dialog.findChild<QAction*>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
    prompts.runDialog(dialog);
}

void ReportPrinter::paint(QPrinter& printer, const archive_report::ReportContent& content)
{
    if (archive_report::paintReport(printer, content) == 0)
        prompts.showCritical(tr("Не удалось напечатать отчёт"));
}
