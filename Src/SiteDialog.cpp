#include <SiteDialog.h>

#include "ui_SiteDialog.h"

#include <site_history/SiteName.h>

#include <QLineEdit>
#include <QPushButton>

SiteDialog::SiteDialog(const QStringList& sites, QWidget* parent)
    : QDialog(parent, Qt::WindowCloseButtonHint), ui(new Ui::SiteDialog), knownSites(sites)
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
    // A site an older program named with spaces around it is still that site.
    const QString text = ui->siteName->currentText();
    return knownSites.contains(text) ? text : text.trimmed();
}

void SiteDialog::setSiteName(const QString& name)
{
    ui->siteName->setCurrentText(name);
}

void SiteDialog::updateOk()
{
    // A site the store holds is taken under its name, whatever the rule says
    // of it now; a blank field waits for a name without a word.
    const QString name = siteName();
    const QString problem =
        name.isEmpty() || knownSites.contains(name) ? QString() : site_history::siteNameProblem(name);
    ui->nameProblem->setText(problem);
    ui->nameProblem->setVisible(!problem.isEmpty());
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(!name.isEmpty() && problem.isEmpty());
}
