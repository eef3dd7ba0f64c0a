#include <EventRows.h>

#include <config_quorvel/Event.h>

#include <algorithm>

namespace viewer_core {

namespace {

// Zero means "none" for section, address and loop: the cell stays empty.
QString numberText(int value)
{
    return value != 0 ? QString::number(value) : QString();
}

} // namespace

RowTexts eventRowTexts(const config_quorvel::Event& event)
{
    RowTexts texts;
    texts[emergencyColumn] = event.emergency() ? QStringLiteral("+") : QString();
    texts[dateTimeColumn] = QString::fromStdString(event.dateTimeText());
    texts[sectionColumn] = numberText(event.sectionNumber());
    texts[addressColumn] = numberText(event.address());
    texts[loopColumn] = numberText(event.loopNumber());
    const std::u16string eventText = event.eventText();
    const std::u16string objectText = event.objectText();
    texts[eventColumn] = QString::fromUtf16(eventText.data(), int(eventText.size()));
    texts[objectColumn] = QString::fromUtf16(objectText.data(), int(objectText.size()));
    return texts;
}

bool displayTextLess(const QString& a, const QString& b)
{
    return a.localeAwareCompare(b) < 0;
}

std::vector<RowTexts> rowsAsShownAfterRead(const std::vector<config_quorvel::Event>& events)
{
    std::vector<RowTexts> rows;
    rows.reserve(events.size());
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        rows.push_back(eventRowTexts(*it));
    std::stable_sort(rows.begin(), rows.end(), [](const RowTexts& a, const RowTexts& b) {
        return displayTextLess(b[dateTimeColumn], a[dateTimeColumn]);
    });
    return rows;
}

} // namespace viewer_core
