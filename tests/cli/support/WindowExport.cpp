#include "WindowExport.h"

#include <MainWindow.h>

#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

namespace {

// The window with its dialogs answered: the connect dialog accepted with
// the port and speed it proposes, the save dialog given a file name.
class AnsweredWindow : public MainWindow {
public:
    using MainWindow::MainWindow;

    QString saveFileName;
    QString csvFileName;
    QStringList errors;

protected:
    int runDialog(QDialog&) override { return QDialog::Accepted; }
    QString askSaveFileName() override { return saveFileName; }
    QString askCsvFileName() override { return csvFileName; }
    void showCritical(const QString& text) override { errors << text; }
};

} // namespace

WindowExport windowExport(const panel_sim::PanelMemory& memory)
{
    rs485::testing::FakeSerialPlatform line;
    line.existingPorts = {"COM1"};
    line.serialPorts = {"COM1"};
    line.converterPorts = {"COM1"};
    panel_sim::SimulatedPanel panel(line, memory);

    QTemporaryDir dir;
    WindowExport result;
    {
        AnsweredWindow window(line);
        window.saveFileName = dir.filePath(QStringLiteral("archive.txt"));
        window.onLoadFromDevice();
        window.onSaveToFile();
        window.csvFileName = dir.filePath(QStringLiteral("archive.csv"));
        window.onExportToCsv();
        result.errors = window.errors;
    }
    QFile file(dir.filePath(QStringLiteral("archive.txt")));
    if (file.open(QIODevice::ReadOnly))
        result.text = file.readAll();
    QFile csv(dir.filePath(QStringLiteral("archive.csv")));
    if (csv.open(QIODevice::ReadOnly))
        result.csv = csv.readAll();
    return result;
}
