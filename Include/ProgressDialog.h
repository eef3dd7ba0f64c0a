#pragma once

#include <QWidget>

namespace Ui {
class ProgressDialog;
}

// The window with one progress bar and "Отмена" shown during a read. It
// does not close itself: "Отмена", Escape or a close request only ask the
// work to stop (the work ends at its next step), and deleting the window
// removes it. Not modal: a modal window would keep the system from
// delivering a close request to the window behind it, which therefore
// disables its own parts while the work runs.
class ProgressDialog : public QWidget {
    Q_OBJECT

public:
    // writing chooses the title of a write instead of a read.
    ProgressDialog(QWidget* parent, bool writing);
    ~ProgressDialog() override;

    // Whether the user asked to stop.
    bool isCancelled() const { return cancelled; }

public slots:
    // value is the fraction of work done, 0.0 to 1.0.
    void setProgress(float value);
    void cancel();

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::ProgressDialog* ui;
    bool cancelled = false;
};
