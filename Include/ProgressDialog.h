#pragma once

#include <QWidget>

namespace Ui {
class ProgressDialog;
}

// The window with one progress bar shown during a read. It blocks its
// parent window and cannot be closed: only deleting it removes it.
class ProgressDialog : public QWidget {
    Q_OBJECT

public:
    // writing chooses the title of a write instead of a read.
    ProgressDialog(QWidget* parent, bool writing);
    ~ProgressDialog() override;

public slots:
    // value is the fraction of work done, 0.0 to 1.0.
    void setProgress(float value);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::ProgressDialog* ui;
};
