#include <ConnectDialog.h>

#include "ui_ConnectDialog.h"

#include <rs485/RS485Connection.h>
#include <rs485/SerialPlatform.h>

#include <QPushButton>

ConnectDialog::ConnectDialog(QWidget* parent)
    : ConnectDialog(rs485::nativeSerialPlatform(), parent)
{
}

ConnectDialog::ConnectDialog(rs485::SerialPlatform& platform, QWidget* parent)
    : QDialog(parent, Qt::WindowCloseButtonHint), ui(new Ui::ConnectDialog), platform(platform)
{
    ui->setupUi(this);
    connect(ui->updatePortList, &QPushButton::clicked, this, &ConnectDialog::onUpdatePortList);
    fillPortList();
    detectConverter();
}

ConnectDialog::~ConnectDialog()
{
    delete ui;
}

QString ConnectDialog::selectedPort() const
{
    return ui->portName->currentText();
}

bool ConnectDialog::isTurbo() const
{
    return ui->turbo->isChecked();
}

void ConnectDialog::preselect(const QString& port, bool turbo)
{
    ui->turbo->setChecked(turbo);
    if (converterFound)
        return;
    const int index = ui->portName->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        ui->portName->setCurrentIndex(index);
}

void ConnectDialog::onUpdatePortList()
{
    fillPortList();
    detectConverter();
}

void ConnectDialog::fillPortList()
{
    const std::vector<std::string> names = rs485::RS485Connection::serialPortNames(platform);
    ui->portName->clear();
    QPushButton* ok = ui->buttonBox->button(QDialogButtonBox::Ok);
    if (names.empty()) {
        ok->setEnabled(false);
        return;
    }
    for (const std::string& name : names)
        ui->portName->addItem(QString::fromStdString(name));
    ok->setEnabled(true);
}

void ConnectDialog::detectConverter()
{
    const std::vector<std::string> converters = rs485::RS485Connection::converterPortNames(platform);
    converterFound = !converters.empty();
    if (converters.empty()) {
        ui->message->setText(tr("Преобразователь USB-RS485 не обнаружен."));
        return;
    }
    const QString port = QString::fromStdString(converters.front());
    ui->message->setText(tr("Преобразователь USB-RS485 подключён к порту ") + port + QStringLiteral("."));
    ui->portName->setCurrentIndex(ui->portName->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive));
}
