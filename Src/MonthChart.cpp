#include <MonthChart.h>

#include <EventColours.h>

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

constexpr int sideMargin = 6;
constexpr int topMargin = 4;
constexpr int tickLength = 3;
// Space kept free between two labels, and between the legend's entries.
constexpr int labelGap = 12;
// Columns at least this wide get a pixel of space between them.
constexpr double separatedColumnWidth = 4.0;
// About how many lines the scale draws up to the busiest month.
constexpr int scaleLines = 4;

// The months' names as labels under the bars; not the locale's, whose
// abbreviations differ from one system to another.
const char* const monthNames[] = {"янв", "фев", "мар", "апр", "май", "июн",
                                  "июл", "авг", "сен", "окт", "ноя", "дек"};

// Label spacings that fall on the same months of every year; from a year on,
// whole years, labelled on January.
constexpr int monthSpacings[] = {1, 2, 3, 4, 6, 12};
constexpr int monthsPerYear = 12;

} // namespace

MonthChart::MonthChart(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MonthChart::showMonths(std::vector<site_statistics::MonthCounts> months)
{
    shown = std::move(months);
    update();
}

QSize MonthChart::sizeHint() const
{
    return QSize(600, fontMetrics().height() * 13);
}

QSize MonthChart::minimumSizeHint() const
{
    // The legend, the labels and room for bars between them.
    return QSize(200, fontMetrics().height() * 8);
}

QRect MonthChart::plotArea() const
{
    const QFontMetrics metrics = fontMetrics();
    const int scaleWidth = metrics.horizontalAdvance(QString::number(scaleTop())) + tickLength + 2;
    const int top = topMargin + metrics.height() + metrics.height() / 2;
    const int labels = 2 * metrics.height() + tickLength + 1;
    const int left = sideMargin + scaleWidth;
    return QRect(left, top, width() - left - sideMargin, height() - top - labels - 1);
}

double MonthChart::monthWidth() const
{
    return shown.empty() ? 0.0 : double(plotArea().width()) / double(shown.size());
}

QRect MonthChart::monthArea(int index) const
{
    if (index < 0 || index >= monthCount())
        return QRect();
    const QRect plot = plotArea();
    const int left = plot.left() + int(std::lround(index * monthWidth()));
    const int right = plot.left() + int(std::lround((index + 1) * monthWidth()));
    return QRect(left, plot.top(), std::max(1, right - left), plot.height());
}

QString MonthChart::monthSummary(int index) const
{
    if (index < 0 || index >= monthCount())
        return QString();
    const site_statistics::MonthCounts& m = shown[std::size_t(index)];
    return tr("%1: событий %2, экстренных %3, неисправностей %4")
        .arg(site_statistics::monthText(m.month))
        .arg(m.events)
        .arg(m.emergencies)
        .arg(m.faults);
}

QString MonthChart::monthLabel(int index) const
{
    return labelOf(index, labelEvery());
}

QString MonthChart::labelOf(int index, int every) const
{
    if (index < 0 || index >= monthCount())
        return QString();
    const int month = shown[std::size_t(index)].month;
    // Counted from year 0, not from the first month: the labels stand on
    // the same months of every year whichever months are shown.
    if (site_statistics::monthIndex(month) % every != 0)
        return QString();
    const QString year = QString::number(month / 100);
    if (every >= monthsPerYear)
        return year;
    // The year under its January, and under the first label for the
    // months before one.
    const QString name = QString::fromUtf8(monthNames[month % 100 - 1]);
    return month % 100 == 1 || index < every ? name + QLatin1Char('\n') + year : name;
}

int MonthChart::labelEvery() const
{
    if (shown.empty())
        return 1;
    const QFontMetrics metrics = fontMetrics();
    int widest = metrics.horizontalAdvance(QStringLiteral("0000"));
    for (const char* name : monthNames)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(name)));
    const int needed = std::max(1, int(std::ceil((widest + labelGap) / monthWidth())));
    for (int spacing : monthSpacings)
        if (spacing >= needed)
            return spacing;
    return (needed + monthsPerYear - 1) / monthsPerYear * monthsPerYear;
}

std::int64_t MonthChart::scaleStep() const
{
    std::int64_t most = 1;
    for (const site_statistics::MonthCounts& m : shown)
        most = std::max(most, m.events);
    std::int64_t power = 1;
    while (power * 10 <= most / scaleLines)
        power *= 10;
    for (std::int64_t factor : {1, 2, 5, 10})
        if (power * factor * scaleLines >= most)
            return power * factor;
    return power * 10;
}

std::int64_t MonthChart::scaleTop() const
{
    std::int64_t most = 1;
    for (const site_statistics::MonthCounts& m : shown)
        most = std::max(most, m.events);
    const std::int64_t step = scaleStep();
    return (most + step - 1) / step * step;
}

void MonthChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect plot = plotArea();
    painter.fillRect(plot, palette().base());
    drawLegend(painter);
    if (shown.empty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(plot, Qt::AlignCenter, tr("Нет событий с датой"));
        return;
    }
    drawScale(painter, plot);

    const std::int64_t top = scaleTop();
    // Any month with events shows.
    const auto heightOf = [&](std::int64_t count) {
        return count > 0 ? std::max(1, int(std::lround(double(count) * plot.height() / double(top)))) : 0;
    };
    const int gap = monthWidth() >= separatedColumnWidth ? 1 : 0;
    for (int index = 0; index < monthCount(); ++index) {
        const site_statistics::MonthCounts& m = shown[std::size_t(index)];
        const QRect column = monthArea(index);
        // Wide columns keep room between their bars; narrow ones a pixel.
        const int room = std::max(gap, column.width() / 4);
        const int width = std::max(1, column.width() - room);
        const int half = std::max(1, width / 2);
        const int bottom = plot.bottom() + 1;
        const int all = heightOf(m.events);
        const int left = column.left() + (column.width() - width) / 2;
        painter.fillRect(left, bottom - all, width, all, otherEventsColour());
        const int emergencies = heightOf(m.emergencies);
        painter.fillRect(left, bottom - emergencies, half, emergencies, emergencyColour());
        const int faults = heightOf(m.faults);
        painter.fillRect(left + width - half, bottom - faults, half, faults, deviceFaultColour());
    }
    drawMonths(painter, plot);
}

void MonthChart::drawLegend(QPainter& painter) const
{
    const QFontMetrics metrics = fontMetrics();
    const int box = metrics.height() * 2 / 3;
    int x = plotArea().left();
    const struct {
        QColor colour;
        QString text;
    } entries[] = {{otherEventsColour(), tr("Все события")},
                   {emergencyColour(), tr("Экстренные")},
                   {deviceFaultColour(), tr("Неисправности приборов")}};
    painter.setPen(palette().color(QPalette::WindowText));
    for (const auto& entry : entries) {
        painter.fillRect(x, topMargin + (metrics.height() - box) / 2, box, box, entry.colour);
        x += box + metrics.horizontalAdvance(QLatin1Char(' '));
        const int textWidth = metrics.horizontalAdvance(entry.text);
        painter.drawText(QRect(x, topMargin, textWidth, metrics.height()), Qt::AlignLeft | Qt::AlignTop, entry.text);
        x += textWidth + labelGap;
    }
}

void MonthChart::drawScale(QPainter& painter, const QRect& plot) const
{
    const QFontMetrics metrics = fontMetrics();
    const std::int64_t top = scaleTop();
    const std::int64_t step = scaleStep();
    QColor grid = palette().color(QPalette::Mid);
    grid.setAlpha(90);
    for (std::int64_t value = 0; value <= top; value += step) {
        const int y = plot.bottom() + 1 - int(std::lround(double(value) * plot.height() / double(top)));
        if (value > 0) {
            painter.setPen(grid);
            painter.drawLine(plot.left(), y, plot.right(), y);
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawLine(plot.left() - tickLength, y, plot.left() - 1, y);
        const QRect label(sideMargin, y - metrics.height() / 2, plot.left() - tickLength - 2 - sideMargin,
                          metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
    painter.drawLine(plot.left() - 1, plot.top(), plot.left() - 1, plot.bottom() + 1);
}

void MonthChart::drawMonths(QPainter& painter, const QRect& plot) const
{
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(plot.left(), plot.bottom() + 1, plot.right(), plot.bottom() + 1);
    const QFontMetrics metrics = fontMetrics();
    const int every = labelEvery();
    for (int index = 0; index < monthCount(); ++index) {
        const QString text = labelOf(index, every);
        if (text.isEmpty())
            continue;
        const int x = monthArea(index).center().x();
        painter.drawLine(x, plot.bottom() + 1, x, plot.bottom() + 1 + tickLength);
        const QRect bounds = metrics.boundingRect(QRect(), Qt::AlignHCenter | Qt::AlignTop, text);
        const int left = std::clamp(x - bounds.width() / 2, 0, std::max(0, width() - bounds.width()));
        painter.drawText(QRect(left, plot.bottom() + 2 + tickLength, bounds.width(), bounds.height()),
                         Qt::AlignHCenter | Qt::AlignTop, text);
    }
}

bool MonthChart::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QRect plot = plotArea();
    int index = -1;
    if (monthCount() > 0 && help->pos().x() >= plot.left())
        index = int(std::floor((help->pos().x() - plot.left()) / monthWidth()));
    if (index >= 0 && index < monthCount()) {
        QToolTip::showText(help->globalPos(), monthSummary(index), this, monthArea(index));
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void MonthChart::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateGeometry();
}
