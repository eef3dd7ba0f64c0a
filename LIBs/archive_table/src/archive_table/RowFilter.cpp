#include <archive_table/RowFilter.h>

#include <config_quorvel/LCDCharset.h>

#include <QStringList>

#include <algorithm>

namespace archive_table {

namespace {

// The length of "yyyy/MM/dd" at the start of a date-and-time text.
constexpr int dateLength = 10;

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
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
    searchText = text;
    foldedText = searchFold(text);
}

void RowFilter::setDateRange(const QDate& from, const QDate& to)
{
    fromText = dateText(from);
    toText = dateText(to);
}

bool RowFilter::isEmpty() const
{
    return searchText.isEmpty() && !emergencyOnly && !newOnly && fromText.isEmpty() && toText.isEmpty()
        && place.kind == PlaceChoice::Kind::Any;
}

QDate RowFilter::dateFrom() const
{
    return QDate::fromString(fromText, QStringLiteral("yyyy/MM/dd"));
}

QDate RowFilter::dateTo() const
{
    return QDate::fromString(toText, QStringLiteral("yyyy/MM/dd"));
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
    const QString day = QStringLiteral("dd.MM.yyyy");
    QStringList dates;
    if (!fromText.isEmpty())
        dates << QStringLiteral("с %1").arg(dateFrom().toString(day));
    if (!toText.isEmpty())
        dates << QStringLiteral("по %1").arg(dateTo().toString(day));
    if (!dates.isEmpty())
        parts << dates.join(QLatin1Char(' '));
    if (place.kind != PlaceChoice::Kind::Any)
        parts << place.label;
    return parts.isEmpty() ? QStringLiteral("все события") : parts.join(QStringLiteral(", "));
}

bool RowFilter::matches(const RowTexts& row, bool isNew) const
{
    if (emergencyOnly && row[emergencyColumn].isEmpty())
        return false;
    if (newOnly && !isNew)
        return false;
    switch (place.kind) {
    case PlaceChoice::Kind::Any:
        break;
    case PlaceChoice::Kind::NoAddress:
        if (!row[addressColumn].isEmpty())
            return false;
        break;
    case PlaceChoice::Kind::Section:
        if (placeOf(row).section != place.section)
            return false;
        break;
    case PlaceChoice::Kind::Devices:
        if (std::find(place.devices.begin(), place.devices.end(), placeOf(row)) == place.devices.end())
            return false;
        break;
    }
    if (!fromText.isEmpty() || !toText.isEmpty()) {
        const QStringRef date = row[dateTimeColumn].leftRef(dateLength);
        if (date.size() < dateLength)
            return false;
        if (!fromText.isEmpty() && date.compare(fromText) < 0)
            return false;
        if (!toText.isEmpty() && date.compare(toText) > 0)
            return false;
    }
    if (searchText.isEmpty())
        return true;
    for (const QString& cell : row) {
        // A Latin word in the panel's texts still matches as typed in either
        // case, though its 'b' and 'B' fold to different Cyrillic letters.
        if (searchFold(cell).contains(foldedText) || cell.contains(searchText, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace archive_table
