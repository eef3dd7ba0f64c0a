#include <DateField.h>

#include <QKeyEvent>

void DateField::keyPressEvent(QKeyEvent* event)
{
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        QWidget::focusNextPrevChild(!back);
        return;
    }
    QDateEdit::keyPressEvent(event);
}
