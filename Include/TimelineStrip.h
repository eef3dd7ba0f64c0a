#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventSpan.h>
#include <archive_table/Timeline.h>

#include <QDate>
#include <QWidget>

#include <vector>

// The strip above the table: the events shown as bars over time, one per
// hour, day or week, emergencies stacked at the bottom of each bar, dates
// under them. A click on a bar, or a drag across bars, asks for their time
// (the hours of hour bars, whole days of the others); a double click asks
// for no dates.
class TimelineStrip : public QWidget {
    Q_OBJECT

public:
    explicit TimelineStrip(QWidget* parent = nullptr);

    // Counts the events into bars; painting then only draws them.
    void showEvents(const archive_table::EventSpan& events);
    const archive_table::Timeline& timeline() const { return periods; }

    // The column a period's bar stands in, its full height; empty when the
    // period is not shown.
    QRect barArea(int period) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // From the start of the first bar chosen to the end of the last (see
    // archive_table::Timeline::startOf).
    void timeChosen(const archive_table::PanelTime& from, const archive_table::PanelTime& to);
    void datesCleared();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect plotArea() const;
    // The period under x, or -1; clamped to the first and last when asked.
    int periodAt(int x, bool clamp = false) const;
    double periodWidth() const;
    void drawAxis(QPainter& painter, const QRect& plot) const;
    QString axisLabel(int period) const;
    // Every how many periods a label fits, kept to whole hours of a day or
    // whole weeks where it can.
    int labelEvery() const;

    archive_table::Timeline periods;
    int hovered = -1;
    // The bars between the press and the mouse, while a button is down.
    int pressed = -1;
    int dragged = -1;
};
