#pragma once

#include <QDialog>

namespace rs485 {
class SerialPlatform;
}

namespace Ui {
class ConnectDialog;
}

// Asks for the serial port to read from, names the USB-RS485 converter's
// port and preselects it, and offers the higher line speed. A port the
// system does not list can be typed. Opens nothing.
class ConnectDialog : public QDialog {
    Q_OBJECT

public:
    // The serial ports of the operating system.
    explicit ConnectDialog(QWidget* parent = nullptr);
    // The serial ports of the given platform.
    explicit ConnectDialog(rs485::SerialPlatform& platform, QWidget* parent = nullptr);
    ~ConnectDialog() override;

    // A listed port by its listed name; a typed one as the system opens it
    // (see rs485::portDevicePath: "ttyS7" is "/dev/ttyS7" on Linux).
    QString selectedPort() const;
    bool isTurbo() const;

    // The choice of an earlier read: sets the higher-speed box and, when no
    // converter was found, the port: the listed one, or the name as typed.
    void preselect(const QString& port, bool turbo);

public slots:
    void onUpdatePortList();

private:
    void fillPortList();
    void detectConverter();
    // OK while the port field names a port.
    void enableOk();

    Ui::ConnectDialog* ui;
    rs485::SerialPlatform& platform;
    bool converterFound = false;
};
