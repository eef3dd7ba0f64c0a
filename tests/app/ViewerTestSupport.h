#pragma once

#include <archive_table/EventColumns.h>
#include <archive_table/EventTable.h>
#include <EventsView.h>
#include <EventTableModel.h>
#include <MainWindow.h>
#include <PanelReading.h>
#include <UserPrompts.h>
#include <SiteDialog.h>
#include <SitesDialog.h>

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>
#include <config_quorvel/testing/RecordBuilder.h>
#include <panel_builder/PanelBuilder.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/SerialPlatform.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <QDialog>
#include <QFile>
#include <file_output/OutputFile.h>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// The window's remembered choices and its site history go to a folder of
// the test's own, never to the user's; set before any window reads them.
// (Under wine the user's folders are those of the test's own prefix.)
struct TestSettingsFolder {
    QTemporaryDir folder;
    TestSettingsFolder()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
        // Files, not the Windows registry, which no path redirects.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, folder.path());
    }
};
inline const TestSettingsFolder testSettingsFolder;

// A main window whose dialogs the test answers and whose error boxes it
// collects instead of showing them.
class TestMainWindow : public MainWindow {
public:
    explicit TestMainWindow(rs485::SerialPlatform& platform) : MainWindow(platform, answers()) { spyOnProgress(); }
    TestMainWindow() : MainWindow(rs485::nativeSerialPlatform(), answers()) { spyOnProgress(); }

    // Answers every dialog the window runs but those of the history; rejects
    // by default.
    std::function<int(QDialog&)> answerDialog = [](QDialog&) { return int(QDialog::Rejected); };
    // Answers the "Объект" and "Объекты" dialogs; by default a read is not
    // kept and no history opened.
    std::function<int(SiteDialog&)> answerSiteDialog = [](SiteDialog&) { return int(QDialog::Rejected); };
    std::function<int(SitesDialog&)> answerSitesDialog = [](SitesDialog&) { return int(QDialog::Rejected); };
    // The history's other questions.
    std::function<bool(const QString&)> answerYesNo = [](const QString&) { return false; };
    std::function<QString(const QString&, const QString&)> answerText = [](const QString&, const QString&) { return QString(); };
    std::function<int(const QString&, const QStringList&)> answerChoice = [](const QString&, const QStringList&) { return -1; };
    QString storeFileName;
    // What the save dialog returns; empty is a cancel.
    QString saveFileName;
    // What the CSV export's save dialog returns.
    QString csvFileName;
    // Replaces the file the save writes through, when set.
    std::function<std::unique_ptr<file_output::OutputFile>(const QString&)> saveFileFactory;
    // What the dump dialogs return; empty is a cancel.
    QString openDumpName;
    QString saveDumpName;
    // What the report's save dialog returns; empty is a cancel.
    QString reportFileName;
    // The names the save dialogs were asked to propose, in turn.
    QStringList proposedNames;
    // Called at each progress report, before the window handles it.
    std::function<void(float)> progressSpy;

    QStringList criticals;

    // The window's own save dialogs, unanswered.
    QString askSaveFileNameAsTheWindowDoes() { return dialogPrompts(this).askSaveName(SavedFile::Text, QString()); }
    QString askCsvFileNameAsTheWindowDoes() { return dialogPrompts(this).askSaveName(SavedFile::Csv, QString()); }
    QString askSaveDumpFileNameAsTheWindowDoes() { return dialogPrompts(this).askSaveName(SavedFile::Dump, QString()); }
    QString askReportFileNameAsTheWindowDoes(const QString& proposed = QString())
    {
        return dialogPrompts(this).askSaveName(SavedFile::Report, proposed);
    }

private:
    // The answers are the members above, read when a question comes, long
    // after the window is made.
    UserPrompts answers()
    {
        UserPrompts prompts;
        prompts.runDialog = [this](QDialog& dialog) {
            if (auto* site = qobject_cast<SiteDialog*>(&dialog))
                return answerSiteDialog(*site);
            if (auto* sites = qobject_cast<SitesDialog*>(&dialog))
                return answerSitesDialog(*sites);
            return answerDialog(dialog);
        };
        prompts.showCritical = [this](const QString& text) { criticals << text; };
        prompts.askYesNo = [this](const QString& question) { return answerYesNo(question); };
        prompts.askText = [this](const QString& label, const QString& text) { return answerText(label, text); };
        prompts.askChoice = [this](const QString& label, const QStringList& items) { return answerChoice(label, items); };
        prompts.askSaveName = [this](SavedFile kind, const QString& proposed) {
            proposedNames << proposed;
            switch (kind) {
            case SavedFile::Text: return saveFileName;
            case SavedFile::Csv: return csvFileName;
            case SavedFile::Dump: return saveDumpName;
            case SavedFile::Report: return reportFileName;
            }
            return QString();
        };
        prompts.askOpenDumpName = [this] { return openDumpName; };
        prompts.askStoreFileName = [this] { return storeFileName; };
        prompts.createOutputFile = [this](const QString& fileName) {
            return saveFileFactory ? saveFileFactory(fileName) : std::make_unique<file_output::OutputFile>(fileName);
        };
        return prompts;
    }
    void spyOnProgress()
    {
        connect(findChild<PanelReading*>(), &PanelReading::progressed, this, [this](float value) {
            if (progressSpy)
                progressSpy(value);
        });
    }
};

// Archive records in tests are made with RecordBuilder's named setters.
using config_quorvel::testing::RecordBuilder;

// The texts of every row of the table, those the filter hides included, top
// row first.
// A menu's or item's text as shown, without the mark of its Alt letter.
inline QString shownText(QString text)
{
    return text.remove(QLatin1Char('&'));
}

inline std::vector<archive_table::RowTexts> tableRows(const EventsView& table)
{
    std::vector<archive_table::RowTexts> rows;
    for (const archive_table::ArchiveEvent& event : table.eventModel().events().allEvents())
        rows.push_back(archive_table::rowTexts(event));
    return rows;
}

// The texts the view shows, top row first.
inline std::vector<archive_table::RowTexts> shownRows(const EventsView& table)
{
    const QAbstractItemModel& model = *table.model();
    std::vector<archive_table::RowTexts> rows(static_cast<std::size_t>(model.rowCount()));
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < archive_table::columnCount; ++column)
            rows[static_cast<std::size_t>(row)][column] = model.index(row, column).data().toString();
    return rows;
}

// The view's cell, for the font, colour or alignment it shows.
inline QModelIndex cell(const EventsView& table, int row, int column)
{
    return table.model()->index(row, column);
}

// QTest prints the rows that differ.
inline QStringList rowsAsText(const std::vector<archive_table::RowTexts>& rows)
{
    QStringList lines;
    for (const archive_table::RowTexts& row : rows)
        lines << QStringList(row.begin(), row.end()).join(QLatin1Char('|'));
    return lines;
}

// The demo panel with a full archive: its kinds of records 8192 times, the
// ring wrapped, every fortieth record at the same time as the one before.
inline panel_sim::PanelDescription fullArchivePanel()
{
    panel_sim::PanelDescription d = panel_sim::demoPanel();
    const std::vector<panel_sim::ArchiveRecord> kinds = d.records;
    d.records.clear();
    long seconds = 0;
    for (int i = 0; i < panel_sim::archiveSlots; ++i) {
        panel_sim::ArchiveRecord r = kinds[static_cast<std::size_t>(i) % kinds.size()];
        r.validCheck = true;
        if (i % 40 != 0)
            seconds += 7 + (i * 7919L) % 600;
        const long minutes = seconds / 60;
        const long hours = minutes / 60;
        const long days = hours / 24;
        r.dateTime = panel_sim::packDateTime(2023, 1 + int(days / 28), 1 + int(days % 28),
                                             int(hours % 24), int(minutes % 60), int(seconds % 60));
        d.records.push_back(r);
    }
    d.firstRecordSlot = 3000;
    return d;
}

// The events of a panel as the device model reads them on a line of its own.
inline std::vector<config_quorvel::Event> readPanel(const panel_sim::PanelMemory& memory,
                                                    config_quorvel::Configuration& configuration)
{
    rs485::testing::FakeSerialPlatform line;
    line.existingPorts = {"COM1"};
    panel_sim::SimulatedPanel panel(line, memory);
    config_quorvel::ConfigQuorvel device(line);
    if (!device.openPort("COM1"))
        return {};
    return device.readArchive(configuration, nullptr);
}
