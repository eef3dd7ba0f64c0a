// The report from the window: its three actions, the PDF of the rows the
// filter leaves, and the print dialog and preview painting the same pages.

#include "ViewerTestSupport.h"

#include <PdfTools.h>
#include <SiteDialog.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>
#include <QtTest>

namespace {

// A panel without sections: device 3 "Щит" and device 4 "Люк", an event an
// hour from 8 to 13 o'clock, the emergencies at 10 (Люк) and 12 (Щит).
panel_sim::PanelDescription sitePanel()
{
    panel_sim::PanelDescription d;
    const auto named = [](const char16_t* name) {
        panel_sim::NameSet names;
        names.deviceName = name;
        return names;
    };
    d.zoneDevices = {{3, 1, named(u"Щит")}, {4, 1, named(u"Люк")}};
    for (int hour = 8; hour <= 13; ++hour) {
        panel_sim::ArchiveRecord r;
        r.dateTime = panel_sim::packDateTime(2024, 5, 2, hour, 0, 0);
        r.emergency = hour == 10 || hour == 12;
        r.address = hour == 13 ? 0 : 3 + hour / 2 % 2;
        r.eventClass = r.emergency ? 2 : 1;
        r.code = 1;
        d.records.push_back(r);
    }
    return d;
}

// The window with the panel behind its only port, read when its action is
// triggered.
struct Bench {
    explicit Bench(const panel_sim::PanelDescription& description = sitePanel())
    {
        line.existingPorts = {"COM3"};
        line.serialPorts = {"COM3"};
        panel = std::make_unique<panel_sim::SimulatedPanel>(line, panel_sim::buildPanel(description));
        window = std::make_unique<TestMainWindow>(line);
        window->answerDialog = [](QDialog&) { return int(QDialog::Accepted); };
    }

    QAction* action(const char* name) { return window->findChild<QAction*>(name); }

    rs485::testing::FakeSerialPlatform line;
    std::unique_ptr<panel_sim::SimulatedPanel> panel;
    std::unique_ptr<TestMainWindow> window;
};

} // namespace

class ReportWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

private slots:
    // Enabled once the table has rows, also when the filter hides them all;
    // the report holds the rows the filter leaves, and says which filter.
    void theSavedReportHoldsTheRowsTheFilterLeaves()
    {
        Bench bench;
        QCOMPARE(shownText(bench.action("print")->text()), QStringLiteral("Печать…"));
        QCOMPARE(bench.action("print")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(shownText(bench.action("printPreview")->text()), QStringLiteral("Предварительный просмотр…"));
        QCOMPARE(shownText(bench.action("saveReport")->text()), QStringLiteral("Сохранить отчёт в PDF…"));
        const auto enabled = [&] {
            return bench.action("print")->isEnabled() + bench.action("printPreview")->isEnabled()
                + bench.action("saveReport")->isEnabled();
        };
        QCOMPARE(enabled(), 0);
        // The read is kept under a site, which the report then names.
        bench.window->answerSiteDialog = [](SiteDialog& dialog) {
            dialog.setSiteName(QStringLiteral("Склад №1"));
            return int(QDialog::Accepted);
        };
        bench.action("loadFromDevice")->trigger();
        bench.action("find")->trigger();
        bench.window->findChild<QLineEdit*>("filterText")->setText(QStringLiteral("нет такого текста"));
        QCOMPARE(enabled(), 3);
        bench.window->findChild<QLineEdit*>("filterText")->clear();
        bench.window->findChild<QCheckBox*>("emergencyOnly")->setChecked(true);

        bench.window->reportFileName = folder.filePath(QStringLiteral("visit"));
        bench.action("saveReport")->trigger();
        QVERIFY(bench.window->criticals.isEmpty());
        const QString text = pdfLines(pdfLayoutText(bench.window->reportFileName)).join('\n');
        for (const char* expected : {"2024/05/02 10:00:00", "2024/05/02 12:00:00", "Фильтр: только экстренные",
                                     "Событий в отчёте: 2", "Из них экстренных: 2", "Порт: COM3",
                                     "Щит (адрес 3) 1", "Люк (адрес 4) 1", "Стр. 1 из 1", "Склад №1"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        for (const char* left : {"08:00:00", "09:00:00", "11:00:00", "13:00:00"})
            QVERIFY2(!text.contains(QString::fromUtf8(left)), left);

        // The window's own save dialog adds ".pdf" and proposes the name.
        QString suffix;
        QString proposed;
        QString title;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                suffix = dialog->defaultSuffix();
                title = dialog->windowTitle();
                proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
                dialog->reject();
            }
        });
        bench.window->askReportFileNameAsTheWindowDoes(QStringLiteral("Склад №1 2024-05-02"));
        QCOMPARE(suffix, QStringLiteral("pdf"));
        QCOMPARE(proposed, QStringLiteral("Склад №1 2024-05-02.pdf"));
        QCOMPARE(title, QStringLiteral("Сохранить отчёт в PDF"));
    }

    // The print dialog starts on the report's page; what it prints (here to
    // a file) has the pages that the preview shows.
    void printAndPreviewPaintTheSamePages()
    {
        Bench bench(panel_sim::demoPanel());
        bench.action("loadFromDevice")->trigger();
        const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
        QPageLayout offered;
        bench.window->answerDialog = [&](QDialog& dialog) {
            auto* print = qobject_cast<QPrintDialog*>(&dialog);
            if (!print)
                return int(QDialog::Rejected);
            offered = print->printer()->pageLayout();
            print->printer()->setOutputFileName(printed);
            return int(QDialog::Accepted);
        };
        bench.action("print")->trigger();
        QCOMPARE(offered.orientation(), QPageLayout::Landscape);
        QCOMPARE(offered.pageSize().id(), QPageSize::A4);
        const QString text = pdfLines(pdfLayoutText(printed)).join('\n');
        QVERIFY(text.contains(QStringLiteral("Событий в отчёте: 319")));
        QVERIFY(pdfInfo(printed).pages > 1);

        int previewPages = 0;
        bench.window->answerDialog = [&](QDialog& dialog) {
            if (auto* preview = dialog.findChild<QPrintPreviewWidget*>()) {
                preview->updatePreview();
                previewPages = preview->pageCount();
            }
            return int(QDialog::Rejected);
        };
        bench.action("printPreview")->trigger();
        QCOMPARE(previewPages, pdfInfo(printed).pages);
        QVERIFY(bench.window->criticals.isEmpty());
    }

    // The preview takes most of the window's screen, shows the page at its
    // width, and every button of its tool bar stands on the bar, print
    // included, none behind the overflow's "»".
    void thePreviewOpensLargeAtThePagesWidth()
    {
        Bench bench;
        bench.action("loadFromDevice")->trigger();
        QSize size;
        QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
        QStringList hidden;
        bench.window->answerDialog = [&](QDialog& dialog) {
            dialog.show();
            QTest::qWaitForWindowExposed(&dialog);
            size = dialog.size();
            if (auto* preview = dialog.findChild<QPrintPreviewWidget*>())
                zoom = preview->zoomMode();
            for (QToolBar* bar : dialog.findChildren<QToolBar*>())
                for (QAction* action : bar->actions())
                    if (!action->isSeparator() && !bar->widgetForAction(action)->isVisible())
                        hidden << action->text();
            return int(QDialog::Rejected);
        };
        bench.action("printPreview")->trigger();
        const QSize available = bench.window->screen()->availableGeometry().size();
        QVERIFY2(size.width() >= available.width() * 0.85 && size.height() >= available.height() * 0.85,
                 qPrintable(QStringLiteral("%1x%2 of %3x%4").arg(size.width()).arg(size.height())
                                .arg(available.width()).arg(available.height())));
        QVERIFY(size.width() <= available.width() && size.height() <= available.height());
        QCOMPARE(zoom, QPrintPreviewWidget::FitToWidth);
        QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(", ")));
    }
};

QTEST_MAIN(ReportWindowTest)
#include "ReportWindowTest.moc"
