#include "WindowExport.h"

#include <MainWindow.h>

#include <file_output/OutputFile.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

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
        // The connect dialog accepted with the port and speed it proposes,
        // the save dialogs given a file name.
        UserPrompts answers;
        answers.runDialog = [](QDialog&) { return int(QDialog::Accepted); };
        answers.askSaveName = [&](SavedFile kind, const QString&) {
            return dir.filePath(kind == SavedFile::Csv ? QStringLiteral("archive.csv") : QStringLiteral("archive.txt"));
        };
        answers.showCritical = [&](const QString& text) { result.errors << text; };
        answers.createOutputFile = [](const QString& name) { return std::make_unique<file_output::OutputFile>(name); };
        MainWindow window(line, answers);
        window.onLoadFromDevice();
        window.findChild<QAction*>(QStringLiteral("saveToFile"))->trigger();
        window.findChild<QAction*>(QStringLiteral("exportToCsv"))->trigger();
    }
    QFile file(dir.filePath(QStringLiteral("archive.txt")));
    if (file.open(QIODevice::ReadOnly))
        result.text = file.readAll();
    QFile csv(dir.filePath(QStringLiteral("archive.csv")));
    if (csv.open(QIODevice::ReadOnly))
        result.csv = csv.readAll();
    return result;
}
