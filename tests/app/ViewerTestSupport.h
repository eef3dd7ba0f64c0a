#pragma once

#include <EventColumns.h>
#include <MainWindow.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>
#include <panel_sim/PanelBuilder.h>

#include <QDialog>
#include <QSaveFile>
#include <QStringList>
#include <QTableWidget>

#include <functional>
#include <memory>
#include <vector>

// A main window whose dialogs the test answers and whose error boxes it
// collects instead of showing them.
class TestMainWindow : public MainWindow {
public:
    using MainWindow::MainWindow;

    // Answers every dialog the window runs; rejects by default.
    std::function<int(QDialog&)> answerDialog = [](QDialog&) { return int(QDialog::Rejected); };
    // What the save dialog returns; empty is a cancel.
    QString saveFileName;
    // Replaces the file the save writes through, when set.
    std::function<std::unique_ptr<QSaveFile>(const QString&)> saveFileFactory;
    // Called at each progress report, before the window handles it.
    std::function<void(float)> progressSpy;

    QStringList criticals;

    void onProgress(float value) override
    {
        if (progressSpy)
            progressSpy(value);
        MainWindow::onProgress(value);
    }

protected:
    int runDialog(QDialog& dialog) override { return answerDialog(dialog); }
    QString askSaveFileName() override { return saveFileName; }
    void showCritical(const QString& text) override { criticals << text; }
    std::unique_ptr<QSaveFile> createSaveFile(const QString& fileName) override
    {
        return saveFileFactory ? saveFileFactory(fileName) : MainWindow::createSaveFile(fileName);
    }
};

// An event decoded from a record with the given fields.
inline config_quorvel::Event makeEvent(const panel_sim::ArchiveRecord& record,
                                       const config_quorvel::Configuration* configuration)
{
    const auto bytes = panel_sim::encodeRecord(record);
    return config_quorvel::Event(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                 configuration);
}

inline panel_sim::ArchiveRecord record(std::uint32_t dateTime, int section, int address,
                                       int eventClass, std::uint8_t code, bool emergency = false)
{
    panel_sim::ArchiveRecord r;
    r.dateTime = dateTime;
    r.section = section;
    r.address = address;
    r.eventClass = eventClass;
    r.code = code;
    r.emergency = emergency;
    return r;
}

// The cell texts of a table, top row first.
inline std::vector<viewer_core::RowTexts> tableRows(const QTableWidget& table)
{
    std::vector<viewer_core::RowTexts> rows(static_cast<std::size_t>(table.rowCount()));
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < viewer_core::columnCount; ++column)
            if (const QTableWidgetItem* item = table.item(row, column))
                rows[static_cast<std::size_t>(row)][column] = item->text();
    return rows;
}

// QTest prints the rows that differ.
inline QStringList rowsAsText(const std::vector<viewer_core::RowTexts>& rows)
{
    QStringList lines;
    for (const viewer_core::RowTexts& row : rows)
        lines << QStringList(row.begin(), row.end()).join(QLatin1Char('|'));
    return lines;
}
