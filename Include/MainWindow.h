#pragma once

#include <ShownArchive.h>
#include <UserPrompts.h>

#include <QMainWindow>

#include <memory>

class ArchiveExports;
class GlanceCoordinator;
class HistoryController;
class PanelReading;
class StatusNotes;
struct ViewerArguments;
class QDragEnterEvent;
class QDropEvent;

namespace rs485 {
class SerialPlatform;
}

namespace archive_report {
struct ReportContent;
}

namespace Ui {
class MainWindow;
}

// The program's window: it wires the menus to the parts that do the work
// (the read, the history, the exports) and shows what they bring in the
// event table with its filter, timeline and device overview.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // The serial ports of the operating system.
    explicit MainWindow(QWidget* parent = nullptr);
    // The serial ports of the given platform, and the window's own dialogs.
    explicit MainWindow(rs485::SerialPlatform& platform, QWidget* parent = nullptr);
    // Asking the user through `prompts` (tests answer them).
    MainWindow(rs485::SerialPlatform& platform, UserPrompts prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the events of a dump file as a read of that panel would; a dump
    // that cannot be used ends in an error box and changes nothing. Also for
    // a dump named on the command line or dropped onto the window.
    bool openDumpFile(const QString& fileName);
    // Shows what the program was started with: a dump file, or a site's
    // history (from the store named, for this session). Whatever cannot be
    // shown is said in the window, which stays.
    void startWith(const ViewerArguments& arguments);
    // Shows a site's history in the table: every event of all its reads.
    bool showSiteHistory(const QString& site);

public slots:
    void onLoadFromDevice();
    void onSaveToFile();
    void onOpenDump();
    void onSaveDump();
    void onAbout();
    // The sites dialog of the history; opens the history of the site chosen.
    void onShowSites();
    // The statistics of what is shown: by month, and the devices that fault.
    void onShowStatistics();
    // The store's whole check, its result in words.
    void onCheckHistory();
    // What the read or the dump shown told about the panel.
    void onPanelDetails();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void connectActions();
    void connectGlance();
    void connectHistory();
    // The one way events come into the table: the filter cleared, the
    // title, overview and actions set for them, a read or dump recorded.
    void showArchive(ArchiveToShow archive);
    // The one place that turns the actions on and off: from what is shown,
    // and all but quitting off during a read.
    void enableActions();
    void showHistoryNote();
    void recordInHistory();
    archive_report::ReportContent reportContent() const;

    Ui::MainWindow* ui;
    UserPrompts prompts;
    ShownArchive shown;
    StatusNotes* notes = nullptr;
    GlanceCoordinator* glance = nullptr;
    PanelReading* reading = nullptr;
    HistoryController* history = nullptr;
    std::unique_ptr<ArchiveExports> exports;
    // The user closed the window during a read and agreed to stop it.
    bool closeAfterRead = false;
};
