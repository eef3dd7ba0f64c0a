// Saves pictures of the window after a read of the demo panel, of the
// connect dialog and of the about box, for a look at the layout:
//   xvfb-run viewer_screenshot <folder>

#include "ViewerTestSupport.h"

#include <ConnectDialog.h>

#include <QApplication>
#include <QDir>
#include <QTimer>

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
    window.answerDialog = [&](QDialog& dialog) {
        dialog.show();
        QApplication::processEvents();
        dialog.grab().save(folder.filePath(QStringLiteral("connect-dialog.png")));
        return int(QDialog::Accepted);
    };
    window.show();
    window.onLoadFromDevice();
    QApplication::processEvents();
    window.grab().save(folder.filePath(QStringLiteral("main-window.png")));

    QTimer::singleShot(100, [&] {
        if (QWidget* about = QApplication::activeModalWidget()) {
            about->grab().save(folder.filePath(QStringLiteral("about-box.png")));
            about->close();
        }
    });
    window.onAbout();
    return window.criticals.isEmpty() ? 0 : 1;
}
