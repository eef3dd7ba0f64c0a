#include <SiteDialog.h>

#include "ui_SiteDialog.h"

#include <QLineEdit>
#include <QPushButton>

SiteDialog::SiteDialog(const QStringList& sites, QWidget* parent)
    : QDialog(parent, Qt::WindowCloseButtonHint), ui(new Ui::SiteDialog)
{
    ui->setupUi(this);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(tr("Сохранить в истории"));
    QPushButton* skip = ui->buttonBox->addButton(tr("Не сохранять в истории"), QDialogButtonBox::RejectRole);
    skip->setObjectName(QStringLiteral("skip"));
    ui->siteName->addItems(sites);
    // A new name is typed; an existing site is picked from the list.
    ui->siteName->setCurrentIndex(-1);
    ui->siteName->lineEdit()->setPlaceholderText(tr("Название объекта"));
    connect(ui->siteName, &QComboBox::currentTextChanged, this, &SiteDialog::updateOk);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateOk();
}

SiteDialog::~SiteDialog()
{
    delete ui;
}

QString SiteDialog::siteName() const
{
    return ui->siteName->currentText().trimmed();
}

void SiteDialog::setSiteName(const QString& name)
{
    ui->siteName->setCurrentText(name);
}

void SiteDialog::updateOk()
{
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!siteName().isEmpty());
}
