#include <ConnectDialog.h>

#include "ui_ConnectDialog.h"

#include <rs485/RS485Connection.h>
#include <rs485/SerialPlatform.h>

#include <QLineEdit>
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
    connect(ui->portName, &QComboBox::currentTextChanged, this, &ConnectDialog::enableOk);
    fillPortList();
    detectConverter();
    // A port the system does not list (the simulator's pseudo-terminal, an
    // unusual adapter) is typed at once, over the name preselected: the
    // field comes first in the form's tab order, so it has the focus.
    ui->portName->lineEdit()->selectAll();
    // Enter starts the read, as in the dialog before the port could be
    // typed: an editable list keeps the key for itself otherwise.
    connect(ui->portName->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (QPushButton* ok = ui->buttonBox->button(QDialogButtonBox::Ok); ok->isEnabled())
            ok->click();
    });
}

ConnectDialog::~ConnectDialog()
{
    delete ui;
}

QString ConnectDialog::selectedPort() const
{
    const QString port = ui->portName->currentText().trimmed();
    if (port.isEmpty() || ui->portName->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return port;
    return QString::fromStdString(rs485::portDevicePath(port.toStdString()));
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
    if (port.isEmpty())
        return;
    const int index = ui->portName->findText(port, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        ui->portName->setCurrentIndex(index);
    else
        ui->portName->setEditText(port);
    ui->portName->lineEdit()->selectAll();
}

void ConnectDialog::onUpdatePortList()
{
    fillPortList();
    detectConverter();
}

void ConnectDialog::fillPortList()
{
    ui->portName->clear();
    for (const std::string& name : rs485::RS485Connection::serialPortNames(platform))
        ui->portName->addItem(QString::fromStdString(name));
    enableOk();
}

void ConnectDialog::enableOk()
{
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!ui->portName->currentText().trimmed().isEmpty());
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
