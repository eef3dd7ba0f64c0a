#pragma once

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/Configuration.h>
#include <config_quorvel/ProgressHandler.h>
#include <archive_table/TableSource.h>
#include <memory_dump/MemoryDump.h>
#include <ReportPrinter.h>

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HistoryController;
struct ViewerArguments;
class QDialog;
class QIODevice;
class QLabel;
class QDragEnterEvent;
class QDropEvent;
class QSettings;
class ProgressDialog;

namespace rs485 {
class SerialPlatform;
}

namespace file_output {
class OutputFile;
}

namespace archive_table {
class PanelTime;
struct PlaceChoice;
}

namespace Ui {
class MainWindow;
}

namespace archive_report {
struct ReportContent;
}

// The program's window: the read of the panel's archive into the event
// table, the text export and the about box.
class MainWindow : public QMainWindow, public config_quorvel::ProgressHandler, public ReportPrinter::Host {
    Q_OBJECT

public:
    // The serial ports of the operating system.
    explicit MainWindow(QWidget* parent = nullptr);
    // The serial ports of the given platform.
    explicit MainWindow(rs485::SerialPlatform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Moves the progress bar and keeps the window alive during a read.
    void onProgress(float value) override;
    // Whether the user has stopped the read in the progress window.
    bool cancelled() const override;

    // Shows the events of a dump file as a read of that panel would; a dump
    // that cannot be used ends in an error box and changes nothing. Also for
    // a dump named on the command line or dropped onto the window.
    bool openDumpFile(const QString& fileName);
    // Shows what the program was started with: a dump file, or a site's
    // history (from the store named, for this session). Whatever cannot be
    // shown is said in the window, which stays.
    void startWith(const ViewerArguments& arguments);

public slots:
    void onLoadFromDevice();
    void onSaveToFile();
    void onOpenDump();
    void onSaveDump();
    void onAbout();
    // Writes the events shown (after the filter) as CSV.
    void onExportToCsv();
    // Shows the filter bar and hides it again.
    void onShowFilter();
    void onHideFilter();
    // The sites dialog of the history; opens the history of the site chosen.
    void onShowSites();
    // The store's whole check, its result in words.
    void onCheckHistory();
    // Shows a site's history in the table: every event of all its reads.
    bool showSiteHistory(const QString& site);
    // The report of the rows shown (after the filter).
    void onPrint();
    void onPrintPreview();
    void onSaveReport();
    // What the read or the dump shown told about the panel.
    void onPanelDetails();

protected:
    void closeEvent(QCloseEvent* event) override;

    // The points where the window waits for the user; tests answer them.
    int runDialog(QDialog& dialog) override;
    virtual QString askSaveFileName();
    virtual QString askCsvFileName();
    void showCritical(const QString& text) override;
    virtual std::unique_ptr<file_output::OutputFile> createOutputFile(const QString& fileName);
    virtual QString askOpenDumpFileName();
    virtual QString askSaveDumpFileName();
    virtual bool askYesNo(const QString& question);
    virtual QString askText(const QString& label, const QString& text);
    virtual int askChoice(const QString& label, const QStringList& items);
    virtual QString askStoreFileName();
    virtual QString askReportFileName();

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void readFromDevice();
    // The one place that turns the actions on and off: from what is shown,
    // and all but quitting off during a read.
    void enableActions();
    // The history's note in the status bar, the store in use as its tool tip.
    void showHistoryNote();
    // A save dialog for files of the filter's kind, which adds the suffix.
    QString askSaveName(const QString& filter, const char* suffix);
    // The folder the save dialogs start in: the last one saved in, else the
    // user's documents.
    QString saveFolder() const;
    void rememberSaveFolder(const QString& fileName);
    bool writeFile(const QString& fileName, bool text, const std::function<bool(QIODevice&)>& write);
    archive_report::ReportContent reportContent() const;
    void applyFilter();
    void showShownCount();
    // The memory behind the table, from a read or a dump, for saving it again.
    void setShownDump(memory_dump::MemoryDump dump);
    // Records the read or dump shown in the site history and marks its new
    // events.
    void recordInHistory();
    // Where the events about to be shown come from; the overview then names
    // the devices of the configuration just decoded.
    void setShownSource(const archive_table::TableSource& source);
    // The timeline, the device overview and the count of undated rows, for
    // the rows shown now.
    void showGlance();
    // The strip's time and the overview's place, set in the filter bar.
    void filterTimes(const archive_table::PanelTime& from, const archive_table::PanelTime& to);
    void filterPlace(const archive_table::PlaceChoice& place);

    Ui::MainWindow* ui;
    ProgressDialog* progressDialog = nullptr;
    rs485::SerialPlatform& platform;
    config_quorvel::ConfigQuorvel device;
    config_quorvel::Configuration configuration;
    // In the status bar, where the actions' status tips do not reach: the
    // outcome of the last read, and how many events the filter shows.
    QLabel* readStatus = nullptr;
    QLabel* shownStatus = nullptr;
    QLabel* historyStatus = nullptr;
    HistoryController* history = nullptr;
    QLabel* undatedStatus = nullptr;
    QString readPort; // the port of the read in progress
    // The user closed the window during a read and agreed to stop it.
    bool closeAfterRead = false;
    std::optional<memory_dump::MemoryDump> shownDump;
    // Where the events shown come from.
    archive_table::TableSource shownSource;
    ReportPrinter reportPrinter{this, *this};
};
