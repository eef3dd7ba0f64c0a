#pragma once

#include <ShownArchive.h>
#include <UserPrompts.h>

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/ProgressHandler.h>

#include <QObject>
#include <QString>

#include <optional>

class ProgressDialog;
class QAction;
class QWidget;

namespace rs485 {
class SerialPlatform;
}

// A read of the panel's archive through the port the user chooses: the
// port's lifetime and the read's, with the progress window over `window`.
// The read runs inside the window's event handling, so the window keeps
// repainting and can be asked to close; the user stops the read with
// "Отмена", Escape or by closing the window.
class PanelReading : public QObject, public config_quorvel::ProgressHandler {
    Q_OBJECT

public:
    // `keep` stays usable during the read (quitting).
    PanelReading(rs485::SerialPlatform& platform, UserPrompts prompts, QWidget* window, QAction* keep);
    ~PanelReading() override;

    // Asks for the port and reads. Nothing when the user chose no port, the
    // port did not open (said in a box) or the read did not end: then
    // failure() says why.
    std::optional<ArchiveToShow> read();

    bool isRunning() const { return progressDialog != nullptr; }
    // Asks the read in progress to stop after the loader's current command.
    void stop();
    // Why the last read brought nothing, for the status bar; empty when no
    // read began.
    const QString& failure() const { return why; }

    void onProgress(float value) override;
    bool cancelled() const override;

signals:
    void runningChanged(bool running);
    void progressed(float value);

private:
    std::optional<ArchiveToShow> readOpenPort(const QString& port);

    rs485::SerialPlatform& platform;
    config_quorvel::ConfigQuorvel device;
    UserPrompts prompts;
    QWidget* window;
    QAction* keep;
    ProgressDialog* progressDialog = nullptr;
    QString why;
};
