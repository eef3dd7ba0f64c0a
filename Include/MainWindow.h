#pragma once

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>
#include <config_quorvel/ProgressHandler.h>

#include <QMainWindow>

#include <memory>
#include <vector>

class QDialog;
class QSaveFile;
class ProgressDialog;

namespace rs485 {
class SerialPlatform;
}

namespace Ui {
class MainWindow;
}

// The program's window: the read of the panel's archive into the event
// table, the text export and the about box.
class MainWindow : public QMainWindow, public config_quorvel::ProgressHandler {
    Q_OBJECT

public:
    // The serial ports of the operating system.
    explicit MainWindow(QWidget* parent = nullptr);
    // The serial ports of the given platform.
    explicit MainWindow(rs485::SerialPlatform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Moves the progress bar and keeps the window alive during a read.
    void onProgress(float value) override;

public slots:
    void onLoadFromDevice();
    void onSaveToFile();
    void onAbout();

protected:
    // The points where the window waits for the user; tests answer them.
    virtual int runDialog(QDialog& dialog);
    virtual QString askSaveFileName();
    virtual void showCritical(const QString& text);
    virtual std::unique_ptr<QSaveFile> createSaveFile(const QString& fileName);

private:
    void readFromDevice();

    Ui::MainWindow* ui;
    ProgressDialog* progressDialog = nullptr;
    rs485::SerialPlatform& platform;
    config_quorvel::ConfigQuorvel device;
    config_quorvel::Configuration configuration;
    std::vector<config_quorvel::Event> events;
};
