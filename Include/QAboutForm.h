#pragma once

#include <QDialog>

namespace Ui {
class AboutForm;
}

// The about box's dialog and its form; QAboutDialog fills it.
class QAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit QAboutForm(QWidget* parent = nullptr);
    ~QAboutForm() override;

    Ui::AboutForm* ui;
};
