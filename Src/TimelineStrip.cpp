#include <TimelineStrip.h>

#include <EventColours.h>

#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int stripHeight = 60;
constexpr int sideMargin = 6;
constexpr int topMargin = 4;
constexpr int tickLength = 3;
// Space kept free between two axis labels.
constexpr int labelGap = 10;
// Bars at least this wide get a pixel of space between them.
constexpr double separatedBarWidth = 4.0;
// What one notch of a mouse wheel turns (QWheelEvent::angleDelta).
constexpr int wheelStep = 120;

// Label spacings that fall on whole hours of a day, or whole weeks, so that
// labels stand on the same hours and weekdays however wide the strip is.
constexpr int hourSpacings[] = {1, 2, 3, 4, 6, 12, 24};
constexpr int daySpacings[] = {1, 2, 7, 14, 28};
constexpr int weekSpacings[] = {1, 2, 4, 13, 26, 52};

template <std::size_t N>
int spacingFor(int needed, const int (&spacings)[N])
{
    for (int spacing : spacings)
        if (spacing >= needed)
            return spacing;
    const int largest = spacings[N - 1];
    return (needed + largest - 1) / largest * largest;
}

} // namespace

TimelineStrip::TimelineStrip(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TimelineStrip::showEvents(const archive_table::EventSpan& events)
{
    const archive_table::Timeline::View zoomed = periods.view();
    periods = archive_table::Timeline(events);
    // A new order or a narrower search keeps the zoom; rows that no longer
    // reach over its time (a bar chosen, other data) show whole.
    const archive_table::Timeline::View all = periods.view();
    if (isZoomed() && all.firstHour <= zoomed.firstHour && zoomed.lastHour <= all.lastHour)
        periods = periods.over(zoomed);
    else
        earlierViews.clear();
    hovered = -1;
    pressed = -1;
    update();
}

void TimelineStrip::zoomTo(const archive_table::Timeline::View& view)
{
    archive_table::Timeline zoomed = periods.over(view);
    if (zoomed.view() == periods.view())
        return;
    earlierViews.push_back(periods.view());
    periods = std::move(zoomed);
    hovered = -1;
    update();
}

void TimelineStrip::zoomIn(int period)
{
    if (period >= 0 && period < periods.periodCount())
        zoomTo(periods.zoomedIn(period));
}

void TimelineStrip::zoomBack()
{
    if (earlierViews.empty())
        return;
    periods = periods.over(earlierViews.back());
    earlierViews.pop_back();
    hovered = -1;
    update();
}

QSize TimelineStrip::sizeHint() const
{
    // The labels' line must fit under the bars in a larger font too.
    return QSize(400, std::max(stripHeight, fontMetrics().height() * 3 + topMargin + tickLength));
}

QSize TimelineStrip::minimumSizeHint() const
{
    return QSize(100, sizeHint().height());
}

QRect TimelineStrip::plotArea() const
{
    const int labels = fontMetrics().height() + tickLength + 1;
    return QRect(sideMargin, topMargin, width() - 2 * sideMargin, height() - topMargin - labels - 1);
}

double TimelineStrip::periodWidth() const
{
    return periods.periodCount() > 0 ? double(plotArea().width()) / periods.periodCount() : 0.0;
}

int TimelineStrip::periodAt(int x, bool clamp) const
{
    const int count = periods.periodCount();
    if (count == 0)
        return -1;
    const int period = int(std::floor((x - plotArea().left()) / periodWidth()));
    if (clamp)
        return std::clamp(period, 0, count - 1);
    return period >= 0 && period < count ? period : -1;
}

QRect TimelineStrip::barArea(int period) const
{
    if (period < 0 || period >= periods.periodCount())
        return QRect();
    const QRect plot = plotArea();
    const int left = plot.left() + int(std::lround(period * periodWidth()));
    const int right = plot.left() + int(std::lround((period + 1) * periodWidth()));
    return QRect(left, plot.top(), std::max(1, right - left), plot.height());
}

QString TimelineStrip::outsideNote() const
{
    return periods.outside() > 0 ? archive_table::outsideText(periods.outside()) : QString();
}

QRect TimelineStrip::outsideNoteArea() const
{
    if (periods.outside() == 0)
        return QRect();
    const QFontMetrics metrics = fontMetrics();
    const int textWidth = metrics.horizontalAdvance(outsideNote());
    const QRect plot = plotArea();
    return QRect(plot.right() + 1 - textWidth, plot.bottom() + 2 + tickLength, textWidth, metrics.height());
}

void TimelineStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect plot = plotArea();
    painter.fillRect(plot, palette().base());

    const int most = periods.mostEvents();
    const int gap = periodWidth() >= separatedBarWidth ? 1 : 0;
    // Heights scale with the busiest bar; any bar with events shows.
    const auto heightOf = [&](int events) {
        return events > 0 ? std::max(1, int(std::lround(double(events) * plot.height() / most))) : 0;
    };
    for (int period = 0; period < periods.periodCount(); ++period) {
        const archive_table::Tally& tally = periods.tally(period);
        if (tally.events == 0)
            continue;
        const QRect column = barArea(period);
        const int width = std::max(1, column.width() - gap);
        const int all = heightOf(tally.events);
        const int emergencies = std::min(all, heightOf(tally.emergencies));
        painter.fillRect(column.left(), plot.bottom() + 1 - all, width, all - emergencies, otherEventsColour());
        painter.fillRect(column.left(), plot.bottom() + 1 - emergencies, width, emergencies, emergencyColour());
    }

    QColor highlight = palette().highlight().color();
    if (pressed >= 0) {
        const QRect first = barArea(std::min(pressed, dragged));
        const QRect last = barArea(std::max(pressed, dragged));
        highlight.setAlpha(80);
        painter.fillRect(first.united(last), highlight);
    } else if (hovered >= 0) {
        highlight.setAlpha(50);
        painter.fillRect(barArea(hovered), highlight);
    }
    drawAxis(painter, plot);
    drawOutsideNote(painter);
}

void TimelineStrip::drawOutsideNote(QPainter& painter) const
{
    const QRect note = outsideNoteArea();
    if (note.isEmpty())
        return;
    // Drawn as a link, as it acts as one.
    QFont font = painter.font();
    font.setUnderline(true);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::Link));
    painter.drawText(note, Qt::AlignLeft | Qt::AlignTop, outsideNote());
}

QString TimelineStrip::axisLabel(int period) const
{
    const QDate day = periods.firstDay(period);
    switch (periods.step()) {
    case archive_table::TimeStep::Hour:
        // Midnight says which day the hours after it belong to.
        return periods.hour(period) == 0 ? day.toString(QStringLiteral("dd.MM"))
                                         : QStringLiteral("%1:00").arg(periods.hour(period), 2, 10, QLatin1Char('0'));
    case archive_table::TimeStep::Day:
        return day.toString(QStringLiteral("dd.MM"));
    case archive_table::TimeStep::Week:
        return day.toString(QStringLiteral("dd.MM.yy"));
    }
    return QString();
}

int TimelineStrip::labelEvery() const
{
    const bool weeks = periods.step() == archive_table::TimeStep::Week;
    const int label = fontMetrics().horizontalAdvance(weeks ? QStringLiteral("00.00.00") : QStringLiteral("00.00"));
    const int needed = std::max(1, int(std::ceil((label + labelGap) / periodWidth())));
    switch (periods.step()) {
    case archive_table::TimeStep::Hour:
        return spacingFor(needed, hourSpacings);
    case archive_table::TimeStep::Day:
        return spacingFor(needed, daySpacings);
    case archive_table::TimeStep::Week:
        return spacingFor(needed, weekSpacings);
    }
    return needed;
}

void TimelineStrip::drawAxis(QPainter& painter, const QRect& plot) const
{
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(plot.left(), plot.bottom() + 1, plot.right(), plot.bottom() + 1);
    if (periods.periodCount() == 0)
        return;
    const int every = labelEvery();
    const QFontMetrics metrics = fontMetrics();
    const QRect note = outsideNoteArea().adjusted(-labelGap, 0, 0, 0);
    for (int period = 0; period < periods.periodCount(); ++period) {
        // Counted from a fixed origin, not from the first bar: Julian day 0
        // was a Monday, so day and week labels fall on Mondays when spaced
        // by weeks, and hour labels on whole hours of the clock.
        const qint64 day = periods.firstDay(period).toJulianDay();
        qint64 ordinal = day;
        if (periods.step() == archive_table::TimeStep::Hour)
            ordinal = day * 24 + periods.hour(period);
        else if (periods.step() == archive_table::TimeStep::Week)
            ordinal = day / 7;
        if (ordinal % every != 0)
            continue;
        const int x = barArea(period).center().x();
        painter.drawLine(x, plot.bottom() + 1, x, plot.bottom() + 1 + tickLength);
        const QString text = axisLabel(period);
        const int textWidth = metrics.horizontalAdvance(text);
        const int left = std::clamp(x - textWidth / 2, 0, std::max(0, width() - textWidth));
        const QRect label(left, plot.bottom() + 2 + tickLength, textWidth, metrics.height());
        if (!label.intersects(note))
            painter.drawText(label, Qt::AlignLeft | Qt::AlignTop, text);
    }
}

bool TimelineStrip::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int period = periodAt(help->pos().x());
    const QRect note = outsideNoteArea();
    if (note.contains(help->pos())) {
        QToolTip::showText(help->globalPos(), tr("Показать эти события в таблице"), this, note);
    } else if (period >= 0) {
        QToolTip::showText(help->globalPos(), periods.periodSummary(period), this, barArea(period));
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void TimelineStrip::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateGeometry();
}

void TimelineStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    if (outsideNoteArea().contains(event->pos())) {
        notePressed = true;
        return;
    }
    pressed = dragged = periodAt(event->pos().x());
    zoomDrag = event->modifiers() & Qt::ControlModifier;
    update();
}

void TimelineStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed >= 0) {
        const int period = periodAt(event->pos().x(), true);
        if (period != dragged) {
            dragged = period;
            update();
        }
        return;
    }
    if (outsideNoteArea().contains(event->pos()))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    const int period = periodAt(event->pos().x());
    if (period != hovered) {
        hovered = period;
        update();
    }
}

void TimelineStrip::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && notePressed) {
        notePressed = false;
        if (outsideNoteArea().contains(event->pos()))
            emit outsideChosen(periods.outsideRanges());
        return;
    }
    if (event->button() != Qt::LeftButton || pressed < 0)
        return QWidget::mouseReleaseEvent(event);
    const int first = std::min(pressed, dragged);
    const int last = std::max(pressed, dragged);
    pressed = -1;
    if (zoomDrag) {
        zoomTo(periods.viewOf(first, last));
        return;
    }
    // Taken before the signal: the filter it sets refills the strip at once.
    const archive_table::PanelTime from = periods.startOf(first);
    const archive_table::PanelTime to = periods.endOf(last);
    update();
    emit timeChosen(from, to);
}

void TimelineStrip::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || outsideNoteArea().contains(event->pos()))
        return QWidget::mouseDoubleClickEvent(event);
    pressed = -1;
    if (isZoomed()) {
        periods = periods.over(earlierViews.front());
        earlierViews.clear();
        update();
    }
    emit datesCleared();
}

void TimelineStrip::wheelEvent(QWheelEvent* event)
{
    wheelTurn += event->angleDelta().y();
    for (; wheelTurn >= wheelStep; wheelTurn -= wheelStep)
        zoomIn(periodAt(int(event->position().x()), true));
    for (; wheelTurn <= -wheelStep; wheelTurn += wheelStep)
        zoomBack();
    event->accept();
}

void TimelineStrip::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (hovered >= 0) {
        hovered = -1;
        update();
    }
}
