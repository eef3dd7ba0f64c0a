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
    // Sets a text that is never cut: a short note that matters, such as the
    // counts, which the longer notes then make room for.
    void setWholeText(const QString& text);
    // Whether the text is cut at the label's present width.
    bool isCut() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
