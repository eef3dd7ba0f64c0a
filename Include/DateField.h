#pragma once

#include <QDateEdit>

class QKeyEvent;

// A date field that Tab leaves at once, as other fields do: its day, month
// and year are reached with the arrow keys or the calendar. A plain date
// field walks its three sections on Tab first, so a form with two dates
// took seven presses to cross.
class DateField : public QDateEdit {
    Q_OBJECT

public:
    using QDateEdit::QDateEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
