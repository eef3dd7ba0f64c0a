#include <StatusLabel.h>

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {

// Room for a word or two: the rest of the bar goes to the other labels.
constexpr int smallestWidth = 60;

} // namespace

QSize StatusLabel::minimumSizeHint() const
{
    return {std::min(smallestWidth, QLabel::minimumSizeHint().width()), QLabel::minimumSizeHint().height()};
}

void StatusLabel::setWholeText(const QString& text)
{
    setText(text);
    // Held as the widget's own minimum, which the status bar's layout
    // honours at once, whatever hints it keeps.
    setMinimumWidth(QLabel::minimumSizeHint().width());
}

bool StatusLabel::isCut() const
{
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

bool StatusLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && isCut()) {
        const QString own = toolTip();
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                           own.isEmpty() ? text() : text() + QLatin1Char('\n') + own, this);
        return true;
    }
    return QLabel::event(event);
}

void StatusLabel::paintEvent(QPaintEvent* event)
{
    if (!isCut()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect room = contentsRect();
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(),
                          fontMetrics().elidedText(text(), Qt::ElideRight, room.width()), foregroundRole());
}
