#include <archive_table/RowFilter.h>

#include <config_quorvel/LCDCharset.h>

#include <QStringList>

#include <algorithm>
#include <string_view>

namespace archive_table {

namespace {

// Every character a time's text is made of.
const QString timeCharacters = QStringLiteral("0123456789/: ");

QString dayText(const PanelTime& time)
{
    // From the fields: the end of a day is no calendar time.
    return QDate(time.year(), time.month(), time.day()).toString(QStringLiteral("dd.MM.yyyy"));
}

// "18.01.2024" for a range's end at a day's edge, "18.01.2024 10:00" or
// "18.01.2024 10:59" for one within it.
QString endText(const PanelTime& time, bool start)
{
    const bool dayEdge = start ? time.hour() == 0 && time.minute() == 0 && time.second() == 0 : time.hour() > 23;
    if (dayEdge)
        return dayText(time);
    return QStringLiteral("%1 %2:%3")
        .arg(dayText(time))
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(std::min(time.minute(), 59), 2, 10, QLatin1Char('0'));
}

} // namespace

QString searchFold(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded) {
        // Folded one letter at a time: the look-alike first, as its case
        // decides the letter ('B' is В, 'b' is Ь).
        c = QChar(config_quorvel::readerLetter(c.unicode())).toLower();
        if (c == QChar(u'ё'))
            c = QChar(u'е');
    }
    return folded;
}

void RowFilter::setText(const QString& text)
{
    // A space typed after a word would find nothing at the end of a cell.
    searchText = text.trimmed();
    foldedText = searchFold(searchText);
    numbersHolding.reset();
    plusHolds = false;
    timeMayHold = false;
    if (searchText.isEmpty())
        return;
    for (int number = 1; number < int(numbersHolding.size()); ++number) {
        const QString cell = QString::number(number);
        numbersHolding[std::size_t(number)] = textHolds(cell, searchFold(cell));
    }
    ArchiveEvent emergency;
    emergency.emergency = true;
    const QString plus = cellText(emergency, emergencyColumn);
    plusHolds = textHolds(plus, searchFold(plus));
    timeMayHold = std::all_of(searchText.begin(), searchText.end(),
                              [](QChar c) { return timeCharacters.contains(c); });
}

void RowFilter::setTimeRange(const PanelTime& start, const PanelTime& end)
{
    from = start;
    to = end;
}

void RowFilter::setDateRange(const QDate& start, const QDate& end)
{
    setTimeRange(PanelTime::fromCalendar(start), PanelTime::lastOfDay(end));
}

bool RowFilter::isEmpty() const
{
    return searchText.isEmpty() && !emergencyOnly && !newOnly && from.isNone() && to.isNone()
        && place.kind == PlaceChoice::Kind::Any;
}

QString RowFilter::description() const
{
    QStringList parts;
    if (!searchText.isEmpty())
        parts << QStringLiteral("текст «%1»").arg(searchText);
    if (emergencyOnly)
        parts << QStringLiteral("только экстренные");
    if (newOnly)
        parts << QStringLiteral("только новые");
    QStringList times;
    if (!from.isNone())
        times << QStringLiteral("с %1").arg(endText(from, true));
    if (!to.isNone())
        times << QStringLiteral("по %1").arg(endText(to, false));
    if (!times.isEmpty())
        parts << times.join(QLatin1Char(' '));
    if (place.kind != PlaceChoice::Kind::Any)
        parts << place.label;
    return parts.isEmpty() ? QStringLiteral("все события") : parts.join(QStringLiteral(", "));
}

bool RowFilter::keepsFields(const ArchiveEvent& event, bool isNew) const
{
    if (emergencyOnly && !event.emergency)
        return false;
    if (newOnly && !isNew)
        return false;
    switch (place.kind) {
    case PlaceChoice::Kind::Any:
        break;
    case PlaceChoice::Kind::NoAddress:
        if (event.address != 0)
            return false;
        break;
    case PlaceChoice::Kind::Section:
        if (event.section != place.section)
            return false;
        break;
    case PlaceChoice::Kind::Devices:
        if (std::find(place.devices.begin(), place.devices.end(), placeOf(event)) == place.devices.end())
            return false;
        break;
    }
    if (!from.isNone() || !to.isNone()) {
        if (event.time.isNone())
            return false;
        if (!from.isNone() && event.time < from)
            return false;
        if (!to.isNone() && to < event.time)
            return false;
    }
    return true;
}

bool RowFilter::numberCellsHold(const ArchiveEvent& event) const
{
    if ((event.emergency && plusHolds) || numbersHolding[event.section] || numbersHolding[event.address]
        || numbersHolding[event.loop])
        return true;
    if (!timeMayHold || event.time.isNone())
        return false;
    char16_t time[PanelTime::textLength];
    event.time.writeText(time);
    return std::u16string_view(time, PanelTime::textLength)
               .find(std::u16string_view(reinterpret_cast<const char16_t*>(searchText.utf16()),
                                         std::size_t(searchText.size())))
        != std::u16string_view::npos;
}

bool RowFilter::textHolds(const QString& text, const QString& folded) const
{
    // A Latin word in the panel's texts still matches as typed in either
    // case, though its 'b' and 'B' fold to different Cyrillic letters.
    return folded.contains(foldedText) || text.contains(searchText, Qt::CaseInsensitive);
}

bool RowFilter::matches(const ArchiveEvent& event, bool isNew) const
{
    if (!keepsFields(event, isNew))
        return false;
    return searchText.isEmpty() || numberCellsHold(event) || textHolds(event.eventText, searchFold(event.eventText))
        || textHolds(event.sourceText, searchFold(event.sourceText));
}

} // namespace archive_table
