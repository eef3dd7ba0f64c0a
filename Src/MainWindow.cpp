#include <MainWindow.h>

#include "ui_MainWindow.h"

#include <AboutProgram.h>
#include <ArchiveExports.h>
#include <DeviceOverview.h>
#include <EventTableModel.h>
#include <EventsView.h>
#include <FilterBar.h>
#include <GlanceCoordinator.h>
#include <HistoryController.h>
#include <HistoryOpening.h>
#include <PanelDetailsDialog.h>
#include <PanelReading.h>
#include <SaveNames.h>
#include <SourceNames.h>
#include <StatisticsWindow.h>
#include <StatusNotes.h>
#include <TimelineStrip.h>
#include <ViewerArguments.h>
#include <ViewerSettings.h>

#include <archive_report/ReportContent.h>
#include <archive_table/DeviceDirectory.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <rs485/SerialPlatform.h>
#include <site_statistics/EventTally.h>
#include <site_history/ServerAddress.h>
#include <site_history/SiteHistory.h>

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>

namespace {

constexpr int overviewWidth = 300;

// The one local file of a drag, if that is what it carries.
QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return QString();
    return mime->urls().front().toLocalFile();
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(rs485::nativeSerialPlatform(), parent) {}

MainWindow::MainWindow(rs485::SerialPlatform& platform, QWidget* parent)
    : MainWindow(platform, dialogPrompts(this), parent)
{
}

MainWindow::MainWindow(rs485::SerialPlatform& platform, UserPrompts prompts, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), prompts(std::move(prompts))
{
    ui->setupUi(this);
    setWindowTitle(windowTitleFor(shown.source));
    notes = new StatusNotes(statusBar());
    reading = new PanelReading(platform, this->prompts, this, ui->quit);
    connect(reading, &PanelReading::runningChanged, this, &MainWindow::enableActions);
    exports = std::make_unique<ArchiveExports>(this, *ui->eventsView, shown.source, this->prompts,
                                               [this] { return reportContent(); });
    connectActions();
    connectGlance();
    connectHistory();
    // Wide enough for a device's name beside its two counts.
    resizeDocks({ui->deviceOverview}, {overviewWidth}, Qt::Horizontal);
    restoreGeometry(ViewerSettings::windowGeometry());
    restoreState(ViewerSettings::windowState());
    setAcceptDrops(true);
    enableActions();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::connectActions()
{
    connect(ui->loadFromDevice, &QAction::triggered, this, &MainWindow::onLoadFromDevice);
    connect(ui->openDump, &QAction::triggered, this, &MainWindow::onOpenDump);
    connect(ui->saveDump, &QAction::triggered, this, &MainWindow::onSaveDump);
    connect(ui->saveToFile, &QAction::triggered, this, &MainWindow::onSaveToFile);
    connect(ui->exportToCsv, &QAction::triggered, this, [this] { exports->saveCsv(); });
    connect(ui->print, &QAction::triggered, this, [this] { exports->print(); });
    connect(ui->printPreview, &QAction::triggered, this, [this] { exports->preview(); });
    connect(ui->saveReport, &QAction::triggered, this, [this] { exports->saveReport(); });
    connect(ui->panelDetails, &QAction::triggered, this, &MainWindow::onPanelDetails);
    connect(ui->about, &QAction::triggered, this, &MainWindow::onAbout);
    connect(ui->quit, &QAction::triggered, this, &MainWindow::close);
    // Also while a read disables the menus.
    addAction(ui->quit);
    // F10 opens the menus from the keyboard, as on other desktops.
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(ui->menuFile->menuAction()); });
}

void MainWindow::connectGlance()
{
    glance = new GlanceCoordinator(*ui->eventsView, *ui->filterBar, *ui->timeline, *ui->deviceOverview, *notes, this);
    connect(ui->find, &QAction::triggered, glance, &GlanceCoordinator::openFilter);
    connect(ui->copyRows, &QAction::triggered, ui->eventsView, &EventsView::copySelectedRows);
    addAction(ui->find);
    ui->eventsView->addAction(ui->copyRows);
    ui->eventsView->addAction(ui->find);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, glance,
            &GlanceCoordinator::hideFilter);
    connect(ui->eventsView, &EventsView::shownRowsChanged, this, &MainWindow::enableActions);
    QAction* showOverview = ui->deviceOverview->toggleViewAction();
    showOverview->setObjectName(QStringLiteral("showDeviceOverview"));
    showOverview->setText(tr("&Приборы"));
    showOverview->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    showOverview->setStatusTip(tr("Показать приборы с числом их событий"));
    ui->menuView->addAction(showOverview);
    connect(ui->showTimeline, &QAction::toggled, this, [this](bool on) {
        ui->timeline->setVisible(on);
        ViewerSettings::setTimelineShown(on);
    });
    ui->showTimeline->setChecked(ViewerSettings::timelineShown());
}

void MainWindow::connectHistory()
{
    history = new HistoryController(this, prompts);
    connect(history, &HistoryController::storeSettled, this, &MainWindow::showHistoryNote);
    history->openStore();
    showHistoryNote();
    ui->recordReads->setChecked(ViewerSettings::recordsReads());
    connect(ui->recordReads, &QAction::toggled, this, [](bool on) { ViewerSettings::setRecordsReads(on); });
    connect(ui->showSites, &QAction::triggered, this, &MainWindow::onShowSites);
    connect(ui->showStatistics, &QAction::triggered, this, &MainWindow::onShowStatistics);
    connect(ui->checkHistory, &QAction::triggered, this, &MainWindow::onCheckHistory);
    connect(ui->sendPending, &QAction::triggered, this,
            [this] { notes->setHistoryNote(history->sendPendingNow()); });
    connect(ui->chooseHistoryFile, &QAction::triggered, this, [this] {
        history->chooseStoreFile();
        showHistoryNote();
    });
    connect(ui->chooseHistoryServer, &QAction::triggered, this, [this] {
        history->chooseStoreServer();
        showHistoryNote();
    });
}

void MainWindow::enableActions()
{
    const bool busy = reading->isRunning();
    // The read runs inside this window's event handling: nothing else may
    // start meanwhile, but the window can still be asked to close.
    for (QWidget* part : {ui->centralwidget, static_cast<QWidget*>(menuBar()), static_cast<QWidget*>(ui->toolBar),
                          static_cast<QWidget*>(ui->deviceOverview)})
        part->setEnabled(!busy);
    setAcceptDrops(!busy);
    for (QAction* action : {ui->loadFromDevice, ui->openDump, ui->showSites, ui->checkHistory, ui->sendPending,
                            ui->chooseHistoryFile, ui->chooseHistoryServer})
        action->setEnabled(!busy);

    const bool any = !busy && !shown.isEmpty();
    ui->saveToFile->setEnabled(any);
    ui->exportToCsv->setEnabled(any);
    ui->showStatistics->setEnabled(any);
    // A report that the filter leaves empty still tells that nothing matched.
    for (QAction* action : {ui->print, ui->printPreview, ui->saveReport})
        action->setEnabled(any && ui->eventsView->eventCount() > 0);
    ui->saveDump->setEnabled(any && shown.dump.has_value());
    ui->panelDetails->setEnabled(any && shown.hasPanelDetails());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The read runs inside this window's event handling: it is stopped
    // first, and the window closes once it has ended.
    if (reading->isRunning()) {
        event->ignore();
        if (!closeAfterRead && prompts.askYesNo(tr("Идёт чтение из прибора. Прервать его и закрыть окно?"))) {
            closeAfterRead = true;
            reading->stop();
        }
        return;
    }
    ViewerSettings::rememberWindow(saveGeometry(), saveState());
    QMainWindow::closeEvent(event);
}

void MainWindow::onLoadFromDevice()
{
    if (std::optional<ArchiveToShow> read = reading->read()) {
        showArchive(std::move(*read));
    } else if (!reading->failure().isEmpty()) {
        QString status = reading->failure();
        const QString previous = sourceDescription(shown.source);
        if (!previous.isEmpty())
            status = tr("%1. Показаны прежние данные: %2")
                         .arg(status.endsWith(QLatin1Char('.')) ? status.chopped(1) : status, previous);
        notes->setOutcome(status);
    }
    if (closeAfterRead)
        QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::showArchive(ArchiveToShow archive)
{
    shown = std::move(archive.archive);
    glance->clearFilter();
    setWindowTitle(windowTitleFor(shown.source));
    ui->deviceOverview->setDirectory(archive_table::DeviceDirectory(shown.configuration));
    // A history comes in the store's order; a read's list is sorted as the
    // table sorts it.
    if (shown.source.kind == archive_table::TableSource::Kind::History)
        ui->eventsView->showOrderedEvents(std::move(archive.events));
    else
        ui->eventsView->showListedEvents(std::move(archive.events));
    notes->setOutcome(archive.outcome);
    notes->setHistoryNote(QString());
    enableActions();
    glance->showCount();
    recordInHistory();
}

void MainWindow::recordInHistory()
{
    if (!shown.dump)
        return;
    const HistoryController::Outcome outcome = history->record(*shown.dump);
    shown.source.site = outcome.site;
    ui->eventsView->markNewEvents(outcome.isNew, outcome.showNew);
    notes->setHistoryNote(outcome.status);
    glance->showCount();
}

void MainWindow::onSaveToFile()
{
    exports->saveText();
}

archive_report::ReportContent MainWindow::reportContent() const
{
    const archive_table::EventSpan rows = ui->eventsView->shownEvents();
    archive_report::ReportContent content = archive_report::reportContent(
        {rows.begin(), rows.end()}, shown.configuration, shown.source, ui->eventsView->rowFilter());
    // A site's history ends with its last twelve months, whatever the filter.
    if (shown.source.kind == archive_table::TableSource::Kind::History)
        content.siteTallies = site_statistics::tallyEvents(ui->eventsView->eventModel().events().allEvents());
    return content;
}

void MainWindow::onPanelDetails()
{
    PanelDetailsDialog dialog(shown.configuration, shown.source, this);
    prompts.runDialog(dialog);
}

bool MainWindow::openDumpFile(const QString& fileName)
{
    QString error;
    std::optional<ArchiveToShow> dump = dumpArchive(fileName, error);
    if (dump)
        showArchive(std::move(*dump));
    else
        prompts.showCritical(error);
    return dump.has_value();
}

void MainWindow::startWith(const ViewerArguments& arguments)
{
    if (!arguments.problem.isEmpty()) {
        prompts.showCritical(arguments.problem);
        return;
    }
    if (!arguments.store.isEmpty()) {
        history->openStoreAt(arguments.store);
        showHistoryNote();
    }
    if (!arguments.site.isEmpty()) {
        if (history->store())
            showSiteHistory(arguments.site);
        else
            prompts.showCritical(history->unavailableReason());
    } else if (!arguments.dumpFile.isEmpty()) {
        openDumpFile(arguments.dumpFile);
    }
}

void MainWindow::onShowSites()
{
    const QString site = history->chooseSite();
    if (!site.isEmpty())
        showSiteHistory(site);
}

void MainWindow::showHistoryNote()
{
    notes->setHistoryNote(history->unavailableReason());
    notes->setHistoryLocation(site_history::shownLocation(history->location()));
}

void MainWindow::onCheckHistory()
{
    notes->setOutcome(tr("Проверяется история…"));
    notes->setOutcome(history->checkStore());
}

bool MainWindow::showSiteHistory(const QString& site)
{
    const QString before = notes->outcome();
    notes->setOutcome(tr("Открывается история объекта «%1»… (Escape — прервать)").arg(site));
    std::optional<ArchiveToShow> opened = history->openSite(site);
    if (opened)
        showArchive(std::move(*opened));
    else
        notes->setOutcome(history->stoppedNote().isEmpty() ? before : history->stoppedNote());
    return opened.has_value();
}

void MainWindow::onShowStatistics()
{
    // A site's history is counted by its store (on a server, by the
    // server); a read or a dump, here.
    SiteTallies counted{{}, archive_table::DeviceDirectory(shown.configuration), {}};
    if (shown.source.kind == archive_table::TableSource::Kind::History)
        counted = talliesAside(history->location(), shown.source.site);
    else
        counted.tallies = site_statistics::tallyEvents(ui->eventsView->eventModel().events().allEvents());
    if (!counted.error.isEmpty())
        return prompts.showCritical(counted.error);
    auto* window = new StatisticsWindow(sourceDescription(shown.source), proposedName(shown.source), counted.tallies,
                                        counted.devices, prompts, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void MainWindow::onOpenDump()
{
    const QString fileName = prompts.askOpenDumpName();
    if (!fileName.isEmpty())
        openDumpFile(fileName);
}

void MainWindow::onSaveDump()
{
    if (!shown.dump)
        return;
    const QString fileName = prompts.askSaveName(SavedFile::Dump, proposedName(shown.source));
    if (fileName.isEmpty())
        return;
    try {
        memory_dump::saveDumpFile(fileName, *shown.dump);
    } catch (const memory_dump::DumpError& error) {
        prompts.showCritical(QString::fromUtf8(error.what()));
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString fileName = droppedFile(event->mimeData());
    if (fileName.isEmpty())
        return;
    event->acceptProposedAction();
    openDumpFile(fileName);
}

void MainWindow::onAbout()
{
    showAboutProgram(this);
}
