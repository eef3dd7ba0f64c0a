#pragma once

#include <site_statistics/MonthTable.h>

#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

// The statistics window's bars: one column per month, the month's events
// as a grey bar and, over it, its emergencies and its device faults as two
// narrower bars side by side (both are among the events, so they never
// stand higher). A legend above, a scale of counts on the left, the months
// under the bars, as many as fit; a bar's tool tip gives its counts.
class MonthChart : public QWidget {
    Q_OBJECT

public:
    explicit MonthChart(QWidget* parent = nullptr);

    // The months to draw, oldest first, without the undated row.
    void showMonths(std::vector<site_statistics::MonthCounts> months);
    int monthCount() const { return int(shown.size()); }

    // The column a month's bars stand in, its full height; empty when there
    // is no such month.
    QRect monthArea(int index) const;
    // "2024-01: событий 6, экстренных 1, неисправностей 0".
    QString monthSummary(int index) const;
    // The label under a month's column, empty for one without: "мар", with
    // the year on a second line under January and under the first label
    // ("янв\n2024"); the year alone where labels stand a year or more apart.
    QString monthLabel(int index) const;
    // Every how many months a label stands.
    int labelEvery() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect plotArea() const;
    double monthWidth() const;
    QString labelOf(int index, int every) const;
    // The scale's step: 1, 2 or 5 times a power of ten, about four lines
    // up to the busiest month.
    std::int64_t scaleStep() const;
    std::int64_t scaleTop() const;
    void drawLegend(QPainter& painter) const;
    void drawScale(QPainter& painter, const QRect& plot) const;
    void drawMonths(QPainter& painter, const QRect& plot) const;

    std::vector<site_statistics::MonthCounts> shown;
};
