#pragma once

#include <QDialog>

namespace rs485 {
class SerialPlatform;
}

namespace Ui {
class ConnectDialog;
}

// Asks for the serial port to read from, names the USB-RS485 converter's
// port and preselects it, and offers the higher line speed. Opens nothing.
class ConnectDialog : public QDialog {
    Q_OBJECT

public:
    // The serial ports of the operating system.
    explicit ConnectDialog(QWidget* parent = nullptr);
    // The serial ports of the given platform.
    explicit ConnectDialog(rs485::SerialPlatform& platform, QWidget* parent = nullptr);
    ~ConnectDialog() override;

    QString selectedPort() const;
    bool isTurbo() const;

    // The choice of an earlier read: sets the higher-speed box, and selects
    // the port when no converter was found and the port is in the list.
    void preselect(const QString& port, bool turbo);

public slots:
    void onUpdatePortList();

private:
    void fillPortList();
    void detectConverter();

    Ui::ConnectDialog* ui;
    rs485::SerialPlatform& platform;
    bool converterFound = false;
};
