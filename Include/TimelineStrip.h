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
//
// The bars cover the bulk of the events (see archive_table::Timeline); a
// note under their right end tells how many lie outside it, and a click on
// the note asks for those. The wheel zooms in around the bar under the
// mouse and, turned back, goes back one step; a drag with Ctrl held zooms
// to the bars dragged across; a double click goes back to the whole bulk.
// A zoom lasts while the rows shown still reach over its time.
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
    // The note of the events outside the bars ("ещё 1 событие вне шкалы")
    // and where it stands; empty without such events.
    QString outsideNote() const;
    QRect outsideNoteArea() const;

    bool isZoomed() const { return !earlierViews.empty(); }
    // Zooms in around the period (see archive_table::Timeline::zoomedIn).
    void zoomIn(int period);
    // Back to the hours shown before the last zoom.
    void zoomBack();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // From the start of the first bar chosen to the end of the last (see
    // archive_table::Timeline::startOf).
    void timeChosen(const archive_table::PanelTime& from, const archive_table::PanelTime& to);
    void datesCleared();
    // The note was clicked: the ranges of the events outside the bars, one
    // before and one after them where there are any, earliest first.
    void outsideChosen(const std::vector<archive_table::TimeRange>& ranges);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect plotArea() const;
    // The period under x, or -1; clamped to the first and last when asked.
    int periodAt(int x, bool clamp = false) const;
    double periodWidth() const;
    void drawAxis(QPainter& painter, const QRect& plot) const;
    void drawOutsideNote(QPainter& painter) const;
    // Shows other hours of the same rows, the hours shown so far kept to
    // come back to.
    void zoomTo(const archive_table::Timeline::View& view);
    QString axisLabel(int period) const;
    // Every how many periods a label fits, kept to whole hours of a day or
    // whole weeks where it can.
    int labelEvery() const;

    archive_table::Timeline periods;
    int hovered = -1;
    // The bars between the press and the mouse, while a button is down;
    // whether the drag zooms rather than chooses.
    int pressed = -1;
    int dragged = -1;
    bool zoomDrag = false;
    bool notePressed = false;
    // The hours shown before each zoom, the latest last.
    std::vector<archive_table::Timeline::View> earlierViews;
    // Wheel turns short of a step, as touchpads send them.
    int wheelTurn = 0;
};
