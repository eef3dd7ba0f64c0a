#include <PanelReading.h>

#include <ConnectDialog.h>
#include <ProgressDialog.h>
#include <ViewerSettings.h>

#include <archive_table/ProgramInfo.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/PortOpenError.h>
#include <memory_dump/DumpDecode.h>

#include <QCoreApplication>
#include <QDateTime>

PanelReading::PanelReading(rs485::SerialPlatform& platform, UserPrompts prompts, QWidget* window, QAction* keep)
    : QObject(window), platform(platform), device(platform), prompts(std::move(prompts)), window(window), keep(keep)
{
}

PanelReading::~PanelReading()
{
    delete progressDialog;
}

std::optional<ArchiveToShow> PanelReading::read()
{
    why.clear();
    ConnectDialog dialog(platform, window);
    dialog.preselect(ViewerSettings::port(), ViewerSettings::turbo());
    if (prompts.runDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QString port = dialog.selectedPort();
    device.setTurbo(dialog.isTurbo());
    ViewerSettings::rememberConnection(port, dialog.isTurbo());

    if (!device.openPort(port.toStdString())) {
        prompts.showCritical(
            QString::fromStdString(config_quorvel::portOpenErrorText(port.toStdString(), device.openFailure())));
        return std::nullopt;
    }
    // Closed on every way out of the read, also an unforeseen one.
    struct PortCloser {
        config_quorvel::ConfigQuorvel& device;
        ~PortCloser() { device.closePort(); }
    } closer{device};
    return readOpenPort(port);
}

std::optional<ArchiveToShow> PanelReading::readOpenPort(const QString& port)
{
    progressDialog = new ProgressDialog(window, false);
    progressDialog->addAction(keep);
    progressDialog->show();
    emit runningChanged(true);
    // The progress window refuses to close; only deleting it takes it off
    // the screen.
    struct ProgressRemover {
        PanelReading& reading;
        ~ProgressRemover()
        {
            delete reading.progressDialog;
            reading.progressDialog = nullptr;
            emit reading.runningChanged(false);
        }
    } remover{*this};

    try {
        ArchiveToShow read;
        // The decoded events name their devices through the configuration
        // they came with: made into rows while it stays where it is.
        read.events = archive_table::archiveEvents(device.readArchive(read.archive.configuration, this));
        memory_dump::MemoryDump dump = memory_dump::dumpOfRead(device, port.toStdString(),
                                                               QDateTime::currentMSecsSinceEpoch(), programVersion);
        read.archive.source = archive_table::readSource(dump);
        read.archive.dump = std::move(dump);
        read.outcome = tr("Данные успешно загружены из памяти прибора");
        return read;
    } catch (const config_quorvel::ConfiguratorError& error) {
        const bool stopped = error.code() == config_quorvel::ConfiguratorError::Cancelled;
        const QString text = QString::fromUtf8(error.what());
        why = stopped ? text : tr("Чтение не удалось: %1").arg(text);
        // The user's own stop is said in the status bar alone.
        if (!stopped)
            prompts.showCritical(text);
    }
    return std::nullopt;
}

void PanelReading::stop()
{
    if (progressDialog)
        progressDialog->cancel();
}

bool PanelReading::cancelled() const
{
    return progressDialog && progressDialog->isCancelled();
}

void PanelReading::onProgress(float value)
{
    emit progressed(value);
    if (progressDialog)
        progressDialog->setProgress(value);
    QCoreApplication::processEvents();
}
