#include <ProgressDialog.h>

#include "ui_ProgressDialog.h"

#include <QCloseEvent>

ProgressDialog::ProgressDialog(QWidget* parent, bool writing)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      ui(new Ui::ProgressDialog)
{
    ui->setupUi(this);
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

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
}
