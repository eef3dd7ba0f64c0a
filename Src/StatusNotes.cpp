#include <StatusNotes.h>

#include <StatusLabel.h>

#include <QDir>
#include <QStatusBar>

namespace {

StatusLabel* note(QStatusBar* bar, const char* name)
{
    auto* label = new StatusLabel(bar);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

StatusNotes::StatusNotes(QStatusBar* bar)
    : QObject(bar),
      outcomeLabel(note(bar, "readStatus")),
      shownLabel(note(bar, "shownStatus")),
      historyLabel(note(bar, "historyStatus")),
      undatedLabel(note(bar, "undatedStatus"))
{
    shownLabel->hide();
    undatedLabel->setToolTip(tr("События без даты или с датой, которой нет в календаре: "
                                "на шкале времени их нет"));
    undatedLabel->hide();
    bar->addPermanentWidget(historyLabel);
    bar->addPermanentWidget(undatedLabel);
    bar->addPermanentWidget(shownLabel);
    bar->addPermanentWidget(outcomeLabel);
}

void StatusNotes::setOutcome(const QString& text)
{
    outcomeLabel->setText(text);
}

QString StatusNotes::outcome() const
{
    return outcomeLabel->text();
}

void StatusNotes::setHistoryNote(const QString& text)
{
    historyLabel->setText(text);
}

void StatusNotes::setHistoryLocation(const QString& shownLocation)
{
    historyLabel->setToolTip(tr("История: %1").arg(QDir::toNativeSeparators(shownLocation)));
}

void StatusNotes::showCounts(int shown, int total, bool filtering)
{
    shownLabel->setWholeText(tr("Показано событий: %1 из %2").arg(shown).arg(total));
    shownLabel->setVisible(filtering);
}

void StatusNotes::showUndated(int undated)
{
    undatedLabel->setWholeText(tr("без даты: %1").arg(undated));
    undatedLabel->setVisible(undated > 0);
}
