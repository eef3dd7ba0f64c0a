#include <ProgressDialog.h>

#include "ui_ProgressDialog.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShortcut>

ProgressDialog::ProgressDialog(QWidget* parent, bool writing)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      ui(new Ui::ProgressDialog)
{
    ui->setupUi(this);
    // Qt's own text would stay English where its translation is missing.
    ui->buttons->button(QDialogButtonBox::Cancel)->setText(tr("Отмена"));
    connect(ui->buttons, &QDialogButtonBox::rejected, this, &ProgressDialog::cancel);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &ProgressDialog::cancel);
    adjustSize();
    if (parent) {
        const int x = parent->x() + (parent->frameGeometry().width() - frameGeometry().width()) / 2;
        const int y =
            parent->y() + (parent->frameGeometry().height() - frameGeometry().height()) / 2;
        move(x, y);
    }
    setWindowTitle(writing ? tr("Запись конфигурации в прибор") : tr("Чтение данных из прибора"));
}

ProgressDialog::~ProgressDialog()
{
    delete ui;
}

void ProgressDialog::setProgress(float value)
{
    ui->progressBar->setValue(static_cast<int>(value * 100));
}

void ProgressDialog::cancel()
{
    if (cancelled)
        return;
    cancelled = true;
    // The work stops at its next step; until then the bar stays.
    ui->buttons->setEnabled(false);
    emit cancelRequested();
}

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    cancel();
}
