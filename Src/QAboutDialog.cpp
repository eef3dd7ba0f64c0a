#include <QAboutDialog.h>

#include <QAboutForm.h>

#include "ui_AboutForm.h"

#include <QLabel>

QAboutDialog::QAboutDialog(QWidget* parent) : aboutForm(new QAboutForm(parent))
{
    Ui::AboutForm* ui = aboutForm->ui;
    for (QLabel* label : {ui->lblCaption, ui->lblVersion, ui->lblDesc, ui->lblLicense,
                          ui->lblCopyright, ui->lblContacts, ui->lblThirdParties})
        label->clear();
}

QAboutDialog::~QAboutDialog()
{
    delete aboutForm;
}

void QAboutDialog::setCaption(const std::string& text)
{
    setCaption(QString::fromStdString(text));
}

void QAboutDialog::setCaption(const QString& text)
{
    aboutForm->ui->lblCaption->setText(text);
}

void QAboutDialog::setVersion(const std::string& text)
{
    setVersion(QString::fromStdString(text));
}

void QAboutDialog::setVersion(const QString& text)
{
    aboutForm->ui->lblVersion->setText(text);
}

void QAboutDialog::setDescription(const std::string& text)
{
    setDescription(QString::fromStdString(text));
}

void QAboutDialog::setDescription(const QString& text)
{
    aboutForm->ui->lblDesc->setText(text);
}

void QAboutDialog::setCopyright(const std::string& text)
{
    setCopyright(QString::fromStdString(text));
}

void QAboutDialog::setCopyright(const QString& text)
{
    aboutForm->ui->lblCopyright->setText(text);
}

void QAboutDialog::setLicense(const std::string& text)
{
    setLicense(QString::fromStdString(text));
}

void QAboutDialog::setLicense(const QString& text)
{
    aboutForm->ui->lblLicense->setText(text);
}

void QAboutDialog::setContacts(const std::string& text)
{
    setContacts(QString::fromStdString(text));
}

void QAboutDialog::setContacts(const QString& text)
{
    aboutForm->ui->lblContacts->setText(text);
}

void QAboutDialog::setThirdParties(const std::string& text)
{
    setThirdParties(QString::fromStdString(text));
}

void QAboutDialog::setThirdParties(const QString& text)
{
    aboutForm->ui->lblThirdParties->setText(text);
}

void QAboutDialog::show()
{
    Ui::AboutForm* ui = aboutForm->ui;
    for (QLabel* label : {ui->lblCaption, ui->lblVersion, ui->lblDesc, ui->lblLicense,
                          ui->lblCopyright, ui->lblContacts})
        if (label->text().isEmpty())
            label->close();
    if (ui->lblThirdParties->text().isEmpty())
        ui->grpThirdParties->close();
    aboutForm->exec();
}
