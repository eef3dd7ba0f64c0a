#pragma once

#include <QLabel>

// A label of the status bar that never widens the window: a text longer
// than its room (a long site name, a server's message) is cut with "…" and
// shown whole as the tool tip.
class StatusLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;
    // Never cut: for a short note that matters, such as the counts, which
    // the longer notes then make room for.
    void keepWhole();
    // Whether the text is cut at the label's present width.
    bool isCut() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool whole = false;
};
