#include <MainWindow.h>

#include "ui_MainWindow.h"

#include <ConnectDialog.h>
#include <DeviceOverview.h>
#include <EventsView.h>
#include <FilterBar.h>
#include <HistoryController.h>
#include <HistoryOpening.h>
#include <PanelDetailsDialog.h>
#include <SaveNames.h>
#include <StatusLabel.h>
#include <TimelineStrip.h>
#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventCounts.h>
#include <archive_table/ArchiveEvent.h>
#include <archive_table/ProgramInfo.h>
#include <ProgressDialog.h>
#include <AboutProgram.h>
#include <SourceNames.h>
#include <ViewerArguments.h>

#include <archive_report/PdfReport.h>
#include <archive_report/ReportContent.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/PortOpenError.h>
#include <file_output/OutputFile.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <rs485/SerialPlatform.h>
#include <site_history/ServerAddress.h>
#include <site_history/SiteHistory.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QMenuBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>

namespace {

// The remembered choices, in the settings of the organisation and program
// names that main gives the application.
const QString portKey = QStringLiteral("connection/port");
const QString turboKey = QStringLiteral("connection/turbo");
const QString saveFolderKey = QStringLiteral("files/saveFolder");
const QString geometryKey = QStringLiteral("window/geometry");
const QString stateKey = QStringLiteral("window/state");
const QString timelineKey = QStringLiteral("window/timeline");

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
    : QMainWindow(parent), ui(new Ui::MainWindow), platform(platform), device(platform)
{
    ui->setupUi(this);
    setWindowTitle(windowTitleFor(shownSource));

    connect(ui->loadFromDevice, &QAction::triggered, this, &MainWindow::onLoadFromDevice);
    connect(ui->saveToFile, &QAction::triggered, this, &MainWindow::onSaveToFile);
    connect(ui->quit, &QAction::triggered, this, &MainWindow::close);
    // Also while a read disables the menus.
    addAction(ui->quit);
    connect(ui->about, &QAction::triggered, this, &MainWindow::onAbout);

    connect(ui->exportToCsv, &QAction::triggered, this, &MainWindow::onExportToCsv);
    connect(ui->find, &QAction::triggered, this, &MainWindow::onShowFilter);
    connect(ui->copyRows, &QAction::triggered, ui->eventsView, &EventsView::copySelectedRows);
    addAction(ui->find);
    ui->eventsView->addAction(ui->copyRows);
    ui->eventsView->addAction(ui->find);

    ui->filterBar->hide();
    connect(ui->filterBar, &FilterBar::filterChanged, this, &MainWindow::applyFilter);
    auto* hideFilter = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(hideFilter, &QShortcut::activated, this, &MainWindow::onHideFilter);
    // F10 opens the menus from the keyboard, as on other desktops.
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(ui->menuFile->menuAction()); });

    readStatus = new StatusLabel(statusBar());
    readStatus->setObjectName(QStringLiteral("readStatus"));
    shownStatus = new StatusLabel(statusBar());
    shownStatus->setObjectName(QStringLiteral("shownStatus"));
    shownStatus->hide();
    undatedStatus = new StatusLabel(statusBar());
    undatedStatus->setObjectName(QStringLiteral("undatedStatus"));
    undatedStatus->setToolTip(tr("События без даты или с датой, которой нет в календаре: "
                                 "на шкале времени их нет"));
    undatedStatus->hide();
    statusBar()->addPermanentWidget(undatedStatus);
    statusBar()->addPermanentWidget(shownStatus);
    statusBar()->addPermanentWidget(readStatus);

    // The strip and the overview show the rows shown, and choose rows
    // through the filter bar, so that the bar shows every choice and its
    // reset undoes them all.
    connect(ui->eventsView, &EventsView::shownRowsChanged, this, &MainWindow::showGlance);
    connect(ui->timeline, &TimelineStrip::timeChosen, this, &MainWindow::filterTimes);
    connect(ui->timeline, &TimelineStrip::datesCleared, this, [this] { filterTimes({}, {}); });
    connect(ui->deviceOverview, &DeviceOverview::placeChosen, this, &MainWindow::filterPlace);
    connect(ui->filterBar, &FilterBar::placeCleared, ui->deviceOverview, &DeviceOverview::clearChoice);
    QAction* showOverview = ui->deviceOverview->toggleViewAction();
    showOverview->setObjectName(QStringLiteral("showDeviceOverview"));
    showOverview->setText(tr("&Приборы"));
    showOverview->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    showOverview->setStatusTip(tr("Показать приборы с числом их событий"));
    ui->menuView->addAction(showOverview);
    connect(ui->showTimeline, &QAction::toggled, this, [this](bool shown) {
        ui->timeline->setVisible(shown);
        QSettings().setValue(timelineKey, shown);
    });
    ui->showTimeline->setChecked(QSettings().value(timelineKey, true).toBool());
    connect(ui->panelDetails, &QAction::triggered, this, &MainWindow::onPanelDetails);
    showGlance();

    // Wide enough for a device's name beside its two counts.
    resizeDocks({ui->deviceOverview}, {overviewWidth}, Qt::Horizontal);
    restoreGeometry(QSettings().value(geometryKey).toByteArray());
    restoreState(QSettings().value(stateKey).toByteArray());
    connect(ui->openDump, &QAction::triggered, this, &MainWindow::onOpenDump);
    connect(ui->saveDump, &QAction::triggered, this, &MainWindow::onSaveDump);
    setAcceptDrops(true);

    // The virtual prompts, so that tests answer the history's questions too.
    HistoryPrompts prompts;
    prompts.runDialog = [this](QDialog& dialog) { return runDialog(dialog); };
    prompts.askYesNo = [this](const QString& question) { return askYesNo(question); };
    prompts.askText = [this](const QString& label, const QString& text) { return askText(label, text); };
    prompts.askChoice = [this](const QString& label, const QStringList& items) { return askChoice(label, items); };
    prompts.askDumpFileName = [this] { return askSaveDumpFileName(); };
    prompts.askStoreFileName = [this] { return askStoreFileName(); };
    prompts.showCritical = [this](const QString& text) { showCritical(text); };
    history = new HistoryController(this, prompts);
    history->openStore();
    historyStatus = new StatusLabel(statusBar());
    historyStatus->setObjectName(QStringLiteral("historyStatus"));
    showHistoryNote();
    statusBar()->insertPermanentWidget(0, historyStatus);
    ui->recordReads->setChecked(HistoryController::recordsReads());
    connect(ui->recordReads, &QAction::toggled, this, [](bool on) { HistoryController::setRecordsReads(on); });
    connect(ui->showSites, &QAction::triggered, this, &MainWindow::onShowSites);
    connect(ui->checkHistory, &QAction::triggered, this, &MainWindow::onCheckHistory);
    connect(ui->sendPending, &QAction::triggered, this, [this] { historyStatus->setText(history->sendPendingNow()); });
    connect(ui->chooseHistoryFile, &QAction::triggered, this, [this] {
        history->chooseStoreFile();
        showHistoryNote();
    });
    connect(ui->chooseHistoryServer, &QAction::triggered, this, [this] {
        history->chooseStoreServer();
        showHistoryNote();
    });
    connect(ui->print, &QAction::triggered, this, &MainWindow::onPrint);
    connect(ui->printPreview, &QAction::triggered, this, &MainWindow::onPrintPreview);
    connect(ui->saveReport, &QAction::triggered, this, &MainWindow::onSaveReport);
    connect(ui->eventsView, &EventsView::shownRowsChanged, this, &MainWindow::enableActions);
    enableActions();
}

void MainWindow::enableActions()
{
    const bool reading = progressDialog != nullptr;
    // The read runs inside this window's event handling: nothing else may
    // start meanwhile, but the window can still be asked to close.
    for (QWidget* part : {ui->centralwidget, static_cast<QWidget*>(menuBar()), static_cast<QWidget*>(ui->toolBar),
                          static_cast<QWidget*>(ui->deviceOverview)})
        part->setEnabled(!reading);
    setAcceptDrops(!reading);
    for (QAction* action : {ui->loadFromDevice, ui->openDump, ui->showSites, ui->checkHistory, ui->sendPending,
                            ui->chooseHistoryFile, ui->chooseHistoryServer})
        action->setEnabled(!reading);

    using Kind = archive_table::TableSource::Kind;
    const bool shown = !reading && shownSource.kind != Kind::None;
    ui->saveToFile->setEnabled(shown);
    ui->exportToCsv->setEnabled(shown);
    // A report that the filter leaves empty still tells that nothing matched.
    for (QAction* action : {ui->print, ui->printPreview, ui->saveReport})
        action->setEnabled(shown && ui->eventsView->eventCount() > 0);
    ui->saveDump->setEnabled(shown && shownDump.has_value());
    // Only a read or a dump of one panel decodes its settings.
    ui->panelDetails->setEnabled(shown && (shownSource.kind == Kind::Read || shownSource.kind == Kind::Dump));
}

MainWindow::~MainWindow()
{
    delete ui;
    delete progressDialog;
}

int MainWindow::runDialog(QDialog& dialog)
{
    return dialog.exec();
}

QString MainWindow::askSaveName(const QString& filter, const char* suffix)
{
    QFileDialog dialog(this, QString(), saveFolder(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds the suffix itself, so that it asks before replacing
    // the very file that will be written; where a dot in a folder's name
    // kept it from doing so, the suffix is added here and the question
    // asked here.
    dialog.setDefaultSuffix(QLatin1String(suffix));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString chosen = dialog.selectedFiles().value(0);
    const QString name = withSuffix(chosen, QLatin1String(suffix));
    if (name != chosen && QFileInfo::exists(name)
        && !askYesNo(tr("Файл «%1» уже существует. Заменить его?").arg(QFileInfo(name).fileName())))
        return QString();
    return name;
}

QString MainWindow::askSaveFileName()
{
    return askSaveName(tr("Текстовые документы (*.txt)"), "txt");
}

QString MainWindow::askCsvFileName()
{
    return askSaveName(tr("Файлы CSV (*.csv)"), "csv");
}

QString MainWindow::saveFolder() const
{
    const QString folder = QSettings().value(saveFolderKey).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void MainWindow::rememberSaveFolder(const QString& fileName)
{
    QSettings().setValue(saveFolderKey, QFileInfo(fileName).absolutePath());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The read runs inside this window's event handling: it is stopped
    // first, and the window closes once it has ended.
    if (progressDialog) {
        event->ignore();
        if (!closeAfterRead && askYesNo(tr("Идёт чтение из прибора. Прервать его и закрыть окно?"))) {
            closeAfterRead = true;
            progressDialog->cancel();
        }
        return;
    }
    QSettings().setValue(geometryKey, saveGeometry());
    QSettings().setValue(stateKey, saveState());
    QMainWindow::closeEvent(event);
}

void MainWindow::showCritical(const QString& text)
{
    QMessageBox::critical(this, tr("Ошибка"), text, QMessageBox::Ok);
}

std::unique_ptr<file_output::OutputFile> MainWindow::createOutputFile(const QString& fileName)
{
    return std::make_unique<file_output::OutputFile>(fileName);
}

bool MainWindow::askYesNo(const QString& question)
{
    return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

QString MainWindow::askText(const QString& label, const QString& text)
{
    return QInputDialog::getText(this, windowTitle(), label, QLineEdit::Normal, text);
}

int MainWindow::askChoice(const QString& label, const QStringList& items)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(this, windowTitle(), label, items, items.size() - 1, false, &ok);
    return ok ? items.indexOf(item) : -1;
}

QString MainWindow::askStoreFileName()
{
    const QString store = HistoryController::storePath();
    const QString folder = site_history::isServerLocation(store)
                               ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
                               : QFileInfo(store).absolutePath();
    // An existing file or a new name: an existing store is opened, not
    // replaced, so no question about it.
    QFileDialog dialog(this, tr("Файл истории"), folder, tr("История объектов (*.sqlite)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setLabelText(QFileDialog::Accept, tr("Выбрать"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("sqlite"));
    return dialog.exec() == QDialog::Accepted ? withSuffix(dialog.selectedFiles().value(0), QStringLiteral("sqlite"))
                                              : QString();
}

QString MainWindow::askOpenDumpFileName()
{
    return QFileDialog::getOpenFileName(
        this, QString(), saveFolder(),
        tr("Дампы памяти (*.%1)").arg(QLatin1String(memory_dump::dumpExtension)));
}

QString MainWindow::askSaveDumpFileName()
{
    return askSaveName(tr("Дампы памяти (*.%1)").arg(QLatin1String(memory_dump::dumpExtension)),
                       memory_dump::dumpExtension);
}

QString MainWindow::askReportFileName()
{
    return askSaveName(tr("Документы PDF (*.pdf)"), "pdf");
}

void MainWindow::onLoadFromDevice()
{
    ConnectDialog dialog(platform, this);
    {
        const QSettings settings;
        dialog.preselect(settings.value(portKey).toString(), settings.value(turboKey, true).toBool());
    }
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    const QString port = dialog.selectedPort();
    device.setTurbo(dialog.isTurbo());
    {
        QSettings settings;
        settings.setValue(portKey, port);
        settings.setValue(turboKey, dialog.isTurbo());
    }

    if (!device.openPort(port.toStdString())) {
        showCritical(QString::fromStdString(config_quorvel::portOpenErrorText(port.toStdString(), device.openFailure())));
        return;
    }
    readPort = port;
    // Closed on every way out of the read, also an unforeseen one.
    struct PortCloser {
        config_quorvel::ConfigQuorvel& device;
        ~PortCloser() { device.closePort(); }
    } closer{device};
    readFromDevice();
    if (closeAfterRead)
        QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::readFromDevice()
{
    progressDialog = new ProgressDialog(this, false);
    progressDialog->addAction(ui->quit);
    progressDialog->show();
    enableActions();
    // The window refuses to close; only deleting it takes it off the screen.
    struct ProgressRemover {
        ProgressDialog*& dialog;
        MainWindow& window;
        ~ProgressRemover()
        {
            delete dialog;
            dialog = nullptr;
            window.enableActions();
        }
    } remover{progressDialog, *this};

    // Decoded apart, so that a failed read leaves what is shown whole.
    config_quorvel::Configuration read;
    try {
        const std::vector<config_quorvel::Event> events = device.readArchive(read, this);
        configuration = std::move(read);
        setShownDump(memory_dump::dumpOfRead(device, readPort.toStdString(),
                                             QDateTime::currentMSecsSinceEpoch(), programVersion));
        setShownSource(archive_table::readSource(*shownDump));
        ui->eventsView->showListedEvents(archive_table::archiveEvents(events));
        readStatus->setText(tr("Данные успешно загружены из памяти прибора"));
        showShownCount();
        recordInHistory();
    } catch (const config_quorvel::ConfiguratorError& error) {
        const bool stopped = error.code() == config_quorvel::ConfiguratorError::Cancelled;
        const QString why = QString::fromUtf8(error.what());
        QString status = stopped ? why : tr("Чтение не удалось: %1").arg(why);
        const QString previous = sourceDescription(shownSource);
        if (!previous.isEmpty())
            status = tr("%1. Показаны прежние данные: %2").arg(status.endsWith(QLatin1Char('.')) ? status.chopped(1) : status, previous);
        readStatus->setText(status);
        // The user's own stop is said in the status bar alone.
        if (!stopped)
            showCritical(why);
    }
}

bool MainWindow::cancelled() const
{
    return progressDialog && progressDialog->isCancelled();
}

void MainWindow::onProgress(float value)
{
    if (progressDialog)
        progressDialog->setProgress(value);
    QCoreApplication::processEvents();
}

void MainWindow::onSaveToFile()
{
    const QString fileName = askSaveFileName();
    if (fileName.isEmpty())
        return;
    rememberSaveFolder(fileName);
    writeFile(fileName, true, [this](QIODevice& device) { return ui->eventsView->exportToText(&device); });
}

void MainWindow::onExportToCsv()
{
    const QString fileName = askCsvFileName();
    if (fileName.isEmpty())
        return;
    rememberSaveFolder(fileName);
    // CSV has its CR LF line ends on every system, so no text mode.
    writeFile(fileName, false, [this](QIODevice& device) { return ui->eventsView->exportToCsv(&device); });
}

bool MainWindow::writeFile(const QString& fileName, bool text, const std::function<bool(QIODevice&)>& write)
{
    // A failed write (a full disk) leaves an existing file as it was.
    const std::unique_ptr<file_output::OutputFile> file = createOutputFile(fileName);
    if (!file->open(text ? QIODevice::Text : QIODevice::NotOpen)) {
        showCritical(tr("Невозможно открыть файл для записи"));
        return false;
    }
    if (!write(file->device()) || !file->commit()) {
        file->cancel();
        showCritical(tr("Ошибка при записи файла"));
        return false;
    }
    return true;
}

archive_report::ReportContent MainWindow::reportContent() const
{
    const archive_table::EventSpan shown = ui->eventsView->shownEvents();
    return archive_report::reportContent({shown.begin(), shown.end()}, configuration, shownSource,
                                         ui->eventsView->rowFilter());
}

void MainWindow::onPrint()
{
    reportPrinter.print(reportContent());
}

void MainWindow::onPrintPreview()
{
    reportPrinter.preview(reportContent());
}

void MainWindow::onSaveReport()
{
    const QString fileName = askReportFileName();
    if (fileName.isEmpty())
        return;
    rememberSaveFolder(fileName);
    const archive_report::ReportContent content = reportContent();
    writeFile(fileName, false,
              [&](QIODevice& device) { return archive_report::writePdfReport(device, content); });
}

void MainWindow::onShowFilter()
{
    ui->filterBar->open();
    applyFilter();
}

void MainWindow::onHideFilter()
{
    if (ui->filterBar->isHidden())
        return;
    // The filter's fields stay as they are for the next Ctrl+F; hidden, it
    // hides no rows.
    ui->filterBar->hide();
    applyFilter();
    ui->eventsView->setFocus();
}

void MainWindow::applyFilter()
{
    ui->eventsView->setRowFilter(ui->filterBar->isHidden() ? archive_table::RowFilter()
                                                            : ui->filterBar->filter());
    showShownCount();
}

void MainWindow::showShownCount()
{
    shownStatus->setText(tr("Показано событий: %1 из %2")
                             .arg(ui->eventsView->shownRowCount())
                             .arg(ui->eventsView->eventCount()));
    shownStatus->setVisible(!ui->filterBar->isHidden());
}

void MainWindow::setShownSource(const archive_table::TableSource& source)
{
    shownSource = source;
    // Other data, another filter: an old text or "Только новые" would hide
    // rows of data it was never meant for.
    ui->filterBar->clear();
    setWindowTitle(windowTitleFor(source));
    ui->deviceOverview->setDirectory(archive_table::DeviceDirectory(configuration));
    enableActions();
}

void MainWindow::showGlance()
{
    const archive_table::EventSpan shown = ui->eventsView->shownEvents();
    ui->timeline->showEvents(shown);
    ui->deviceOverview->showCounts(archive_table::countEvents(shown));
    const int undated = ui->timeline->timeline().unplaced();
    undatedStatus->setText(tr("без даты: %1").arg(undated));
    undatedStatus->setVisible(undated > 0);
}

void MainWindow::filterTimes(const archive_table::PanelTime& from, const archive_table::PanelTime& to)
{
    // A hidden filter bar filters nothing: it opens with the time chosen.
    if (!from.isNone() || !to.isNone())
        ui->filterBar->show();
    ui->filterBar->setTimeRange(from, to);
}

void MainWindow::filterPlace(const archive_table::PlaceChoice& place)
{
    ui->filterBar->show();
    ui->filterBar->setPlace(place);
}

void MainWindow::onPanelDetails()
{
    PanelDetailsDialog dialog(configuration, shownSource, this);
    runDialog(dialog);
}

void MainWindow::setShownDump(memory_dump::MemoryDump dump)
{
    shownDump = std::move(dump);
}

bool MainWindow::openDumpFile(const QString& fileName)
{
    try {
        memory_dump::MemoryDump dump = memory_dump::loadDumpFile(fileName);
        // Checked and decoded in full before anything shown changes.
        const std::vector<config_quorvel::Event> events = memory_dump::decodeDump(dump, configuration);
        const QDateTime readTime = QDateTime::fromMSecsSinceEpoch(dump.readTimeMs, Qt::UTC);
        const archive_table::TableSource source = archive_table::dumpSource(dump, fileName);
        setShownDump(std::move(dump));
        setShownSource(source);
        ui->eventsView->showListedEvents(archive_table::archiveEvents(events));
        readStatus->setText(tr("Дамп памяти %1, прочитан из прибора %2 UTC")
                                .arg(QFileInfo(fileName).fileName(),
                                     readTime.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))));
        showShownCount();
        recordInHistory();
        return true;
    } catch (const memory_dump::DumpError& error) {
        showCritical(QString::fromUtf8(error.what()));
    } catch (const config_quorvel::ConfiguratorError& error) {
        showCritical(QString::fromUtf8(error.what()));
    }
    return false;
}

void MainWindow::startWith(const ViewerArguments& arguments)
{
    if (!arguments.problem.isEmpty()) {
        showCritical(arguments.problem);
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
            showCritical(history->unavailableReason());
    } else if (!arguments.dumpFile.isEmpty()) {
        openDumpFile(arguments.dumpFile);
    }
}

void MainWindow::recordInHistory()
{
    if (!shownDump)
        return;
    const HistoryController::Outcome outcome = history->record(*shownDump);
    ui->eventsView->markNewEvents(outcome.isNew, outcome.showNew);
    historyStatus->setText(outcome.status);
    showShownCount();
}

void MainWindow::onShowSites()
{
    const QString site = history->chooseSite();
    if (!site.isEmpty())
        showSiteHistory(site);
}

void MainWindow::showHistoryNote()
{
    historyStatus->setText(history->unavailableReason());
    historyStatus->setToolTip(
        tr("История: %1").arg(QDir::toNativeSeparators(site_history::shownLocation(history->location()))));
}

void MainWindow::onCheckHistory()
{
    if (!history->store()) {
        showCritical(history->unavailableReason());
        return;
    }
    readStatus->setText(tr("Проверяется история…"));
    const site_history::HistoryCheck check = checkHistoryAside(history->location());
    readStatus->setText(check.text);
    if (!check.sound)
        showCritical(check.text);
}

bool MainWindow::showSiteHistory(const QString& site)
{
    if (!history->store())
        return false;
    const QString before = readStatus->text();
    readStatus->setText(tr("Открывается история объекта «%1»…").arg(site));
    OpenedHistory opened = openHistoryAside(history->location(), site);
    if (!opened.error.isEmpty()) {
        readStatus->setText(before);
        showCritical(opened.error);
        return false;
    }
    const site_history::SiteInfo& info = opened.table.site;
    configuration = std::move(opened.latest);
    shownDump.reset();
    archive_table::TableSource source;
    source.kind = archive_table::TableSource::Kind::History;
    source.site = info.name;
    source.reads = info.reads;
    source.firstRead = info.firstRead;
    source.readTime = info.lastRead;
    setShownSource(source);
    ui->eventsView->showOrderedEvents(std::move(opened.table.events));
    readStatus->setText(tr("История объекта «%1»: чтений %2, с %3 по %4")
                            .arg(site)
                            .arg(info.reads)
                            .arg(archive_table::shownTime(info.firstRead), archive_table::shownTime(info.lastRead)));
    historyStatus->clear();
    showShownCount();
    return true;
}

void MainWindow::onOpenDump()
{
    const QString fileName = askOpenDumpFileName();
    if (!fileName.isEmpty())
        openDumpFile(fileName);
}

void MainWindow::onSaveDump()
{
    if (!shownDump)
        return;
    const QString fileName = askSaveDumpFileName();
    if (fileName.isEmpty())
        return;
    try {
        memory_dump::saveDumpFile(fileName, *shownDump);
        rememberSaveFolder(fileName);
    } catch (const memory_dump::DumpError& error) {
        showCritical(QString::fromUtf8(error.what()));
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
