// The report from the window: its three actions, the PDF of the rows the
// filter leaves, and the print dialog and preview painting the same pages.

#include "ViewerTestSupport.h"

#include <PdfTools.h>


#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QtTest>

namespace {

const char* const portName = "COM3";

// A panel without sections: device 3 "Щит" and device 4 "Люк", six events
// of which the two at 10:00 and 12:00 are emergencies.
panel_sim::PanelDescription sitePanel()
{
    panel_sim::PanelDescription d;
    panel_sim::NameSet shield;
    shield.deviceName = u"Щит";
    panel_sim::NameSet hatch;
    hatch.deviceName = u"Люк";
    d.zoneDevices = {{3, 1, shield}, {4, 1, hatch}};
    const auto record = [](int hour, bool emergency, int address, int eventClass) {
        panel_sim::ArchiveRecord r;
        r.dateTime = panel_sim::packDateTime(2024, 5, 2, hour, 0, 0);
        r.emergency = emergency;
        r.address = address;
        r.eventClass = eventClass;
        r.code = 1;
        return r;
    };
    d.records = {record(8, false, 3, 1), record(9, false, 4, 1), record(10, true, 3, 2),
                 record(11, false, 3, 1), record(12, true, 4, 2), record(13, false, 0, 0)};
    return d;
}

// The window with the panel on COM3, read when its action is triggered.
struct Bench {
    explicit Bench(const panel_sim::PanelDescription& description = sitePanel())
    {
        line.existingPorts = {portName};
        line.serialPorts = {portName};
        panel = std::make_unique<panel_sim::SimulatedPanel>(line, panel_sim::buildPanel(description));
        window = std::make_unique<TestMainWindow>(line);
        window->answerDialog = [](QDialog& dialog) {
            auto* box = dialog.findChild<QComboBox*>("portName");
            box->setCurrentIndex(box->findText(QString::fromLatin1(portName)));
            return int(QDialog::Accepted);
        };
    }
    ~Bench()
    {
        window.reset();
        panel.reset();
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
    void actionsAreThereOnceTheTableHasRows()
    {
        Bench bench;
        QCOMPARE(bench.action("print")->text(), QStringLiteral("Печать…"));
        QCOMPARE(bench.action("print")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(bench.action("printPreview")->text(), QStringLiteral("Предварительный просмотр…"));
        QCOMPARE(bench.action("saveReport")->text(), QStringLiteral("Сохранить отчёт в PDF…"));
        const QList<QAction*> menu = bench.window->findChild<QMenu*>("menuFile")->actions();
        for (const char* name : {"print", "printPreview", "saveReport"}) {
            QVERIFY(menu.contains(bench.action(name)));
            QVERIFY2(!bench.action(name)->isEnabled(), name);
        }

        bench.action("loadFromDevice")->trigger();
        // Also when the filter hides every row: the report then tells so.
        bench.action("find")->trigger();
        bench.window->findChild<QLineEdit*>("filterText")->setText(QStringLiteral("нет такого текста"));
        for (const char* name : {"print", "printPreview", "saveReport"})
            QVERIFY2(bench.action(name)->isEnabled(), name);

        // The save dialog adds ".pdf" itself.
        QString suffix;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                suffix = dialog->defaultSuffix();
                dialog->reject();
            }
        });
        QCOMPARE(bench.window->askReportFileNameAsTheWindowDoes(), QString());
        QCOMPARE(suffix, QStringLiteral("pdf"));
    }

    void theSavedReportHoldsTheRowsTheFilterLeaves()
    {
        Bench bench;
        bench.action("loadFromDevice")->trigger();
        bench.action("find")->trigger();
        bench.window->findChild<QCheckBox*>("emergencyOnly")->setChecked(true);
        bench.window->reportFileName = folder.filePath(QStringLiteral("visit"));
        bench.action("saveReport")->trigger();
        QVERIFY(bench.window->criticals.isEmpty());

        const QString text = pdfLines(pdfLayoutText(bench.window->reportFileName)).join('\n');
        for (const char* expected : {"2024/05/02 10:00:00", "2024/05/02 12:00:00", "Фильтр: только экстренные",
                                     "Событий в отчёте: 2", "Из них экстренных: 2", "Порт: COM3",
                                     "Щит (адрес 3) 1", "Люк (адрес 4) 1", "Стр. 1 из 1"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        for (const char* left : {"08:00:00", "09:00:00", "11:00:00", "13:00:00"})
            QVERIFY2(!text.contains(QString::fromUtf8(left)), left);
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
};

QTEST_MAIN(ReportWindowTest)
#include "ReportWindowTest.moc"
