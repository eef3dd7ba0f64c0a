// Saves pictures of the window after a read of the demo panel, of the
// window with a filter applied, of a larger window with one device chosen
// in the overview, of the connect dialog, the sites' overview, a site's
// statistics, the window at 1024×600, the panel's details and the about
// box, and of the timeline strip after a read of the demo zone panel, whole
// and zoomed, for a look at the layout:
//   xvfb-run viewer_screenshot <folder>

#include "ViewerTestSupport.h"

#include <ConnectDialog.h>
#include <StatisticsWindow.h>
#include <TimelineStrip.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());

    rs485::testing::FakeSerialPlatform line;
    line.existingPorts = {"COM3"};
    line.serialPorts = {"COM1", "COM3"};
    line.converterPorts = {"COM3"};
    panel_sim::SimulatedPanel panel(line, panel_sim::buildPanel(panel_sim::demoPanel()));

    TestMainWindow window(line);
    QString dialogPicture = QStringLiteral("connect-dialog.png");
    window.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        QApplication::processEvents();
        dialog.grab().save(folder.filePath(dialogPicture));
        return int(QDialog::Accepted);
    };
    // The read is kept in the site history under the name typed.
    window.answerSiteDialog = [&](SiteDialog& dialog) {
        dialog.setSiteName(QStringLiteral("Главный корпус"));
        dialog.show();
        QApplication::processEvents();
        dialog.grab().save(folder.filePath(QStringLiteral("site-dialog.png")));
        return int(QDialog::Accepted);
    };
    window.show();
    window.onLoadFromDevice();
    QApplication::processEvents();
    window.grab().save(folder.filePath(QStringLiteral("main-window.png")));

    // The filter bar open on the text of the top row's object, that row
    // selected.
    window.findChild<QAction*>(QStringLiteral("find"))->trigger();
    auto* table = window.findChild<QTableView*>(QStringLiteral("eventsView"));
    window.findChild<QLineEdit*>(QStringLiteral("filterText"))->setText(table->model()->index(0, 6).data().toString());
    table->selectRow(0);
    QApplication::processEvents();
    window.grab().save(folder.filePath(QStringLiteral("main-window-filtered.png")));

    // Wider, the filter emptied, then the second device of the second
    // section chosen in the overview: the strip shows its events only.
    window.resize(1100, 640);
    window.findChild<QAction*>(QStringLiteral("find"))->trigger();
    window.findChild<QLineEdit*>(QStringLiteral("filterText"))->clear();
    table->clearSelection();
    auto* devices = window.findChild<QTreeWidget*>(QStringLiteral("deviceTree"));
    for (int i = 0; i < devices->topLevelItemCount(); ++i)
        if (devices->topLevelItem(i)->text(0).startsWith(QStringLiteral("2: ")))
            devices->setCurrentItem(devices->topLevelItem(i)->child(1));
    QApplication::processEvents();
    window.grab().save(folder.filePath(QStringLiteral("main-window-device.png")));

    dialogPicture = QStringLiteral("panel-details.png");
    window.findChild<QAction*>(QStringLiteral("panelDetails"))->trigger();

    // The sites dialog, then the site's history in the window.
    window.findChild<QAction*>(QStringLiteral("find"))->trigger();
    window.findChild<QToolButton*>(QStringLiteral("clearFilter"))->click();
    window.answerSitesDialog = [&](SitesDialog& dialog) {
        dialog.show();
        QApplication::processEvents();
        dialog.grab().save(folder.filePath(QStringLiteral("sites-dialog.png")));
        dialog.selectSite(QStringLiteral("Главный корпус"));
        dialog.onOpenHistory();
        return dialog.result();
    };
    window.findChild<QAction*>(QStringLiteral("showSites"))->trigger();
    QApplication::processEvents();
    window.grab().save(folder.filePath(QStringLiteral("site-history.png")));

    // The site's statistics, then the window on a laptop's 1024×600 with the
    // filter bar and the device overview open.
    window.findChild<QAction*>(QStringLiteral("showStatistics"))->trigger();
    QApplication::processEvents();
    if (auto* statistics = window.findChild<StatisticsWindow*>())
        statistics->grab().save(folder.filePath(QStringLiteral("statistics.png")));
    window.resize(1024, 600);
    window.findChild<QAction*>(QStringLiteral("find"))->trigger();
    QApplication::processEvents();
    window.grab().save(folder.filePath(QStringLiteral("main-window-1024x600.png")));

    // The demo zone panel, one of whose events a clock that had lost power
    // dated 2011: the strip holds January 2024 and counts that event
    // outside; then a notch of the wheel in, around the 15th.
    {
        rs485::testing::FakeSerialPlatform zoneLine;
        zoneLine.existingPorts = {"COM3"};
        zoneLine.serialPorts = {"COM3"};
        zoneLine.converterPorts = {"COM3"};
        panel_sim::SimulatedPanel zonePanel(zoneLine, panel_sim::buildPanel(panel_sim::demoZonePanel()));
        TestMainWindow zoneWindow(zoneLine);
        zoneWindow.answerDialog = [](QDialog&) { return int(QDialog::Accepted); };
        zoneWindow.resize(1024, 600);
        zoneWindow.show();
        zoneWindow.onLoadFromDevice();
        QApplication::processEvents();
        auto* strip = zoneWindow.findChild<TimelineStrip*>(QStringLiteral("timeline"));
        strip->grab().save(folder.filePath(QStringLiteral("timeline-zone-panel.png")));
        for (int period = 0; period < strip->timeline().periodCount(); ++period)
            if (strip->timeline().firstDay(period) == QDate(2024, 1, 15)) {
                strip->zoomIn(period);
                break;
            }
        QApplication::processEvents();
        strip->grab().save(folder.filePath(QStringLiteral("timeline-zone-panel-zoomed.png")));
    }

    QTimer::singleShot(100, [&] {
        if (QWidget* about = QApplication::activeModalWidget()) {
            about->grab().save(folder.filePath(QStringLiteral("about-box.png")));
            about->close();
        }
    });
    window.onAbout();
    return window.criticals.isEmpty() ? 0 : 1;
}
