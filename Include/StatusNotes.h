#pragma once

#include <QObject>
#include <QString>

class QStatusBar;
class StatusLabel;

// What the window's status bar tells beside the actions' status tips: the
// history's note (the store in use as its tool tip), how many events the
// filter shows, how many have no place on the timeline, and the outcome of
// the last read or opening. Each note elides rather than widen the window.
class StatusNotes : public QObject {
    Q_OBJECT

public:
    explicit StatusNotes(QStatusBar* bar);

    void setOutcome(const QString& text);
    QString outcome() const;
    void setHistoryNote(const QString& text);
    void setHistoryLocation(const QString& shownLocation);
    // Shown only while the filter may hide rows.
    void showCounts(int shown, int total, bool filtering);
    void showUndated(int undated);

private:
    StatusLabel* outcomeLabel;
    StatusLabel* shownLabel;
    StatusLabel* historyLabel;
    StatusLabel* undatedLabel;
};
