#include <archive_table/RowFilter.h>

namespace archive_table {

namespace {

// The length of "yyyy/MM/dd" at the start of a date-and-time text.
constexpr int dateLength = 10;

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

} // namespace

void RowFilter::setDateRange(const QDate& from, const QDate& to)
{
    fromText = dateText(from);
    toText = dateText(to);
}

bool RowFilter::isEmpty() const
{
    return searchText.isEmpty() && !emergencyOnly && fromText.isEmpty() && toText.isEmpty();
}

bool RowFilter::matches(const RowTexts& row) const
{
    if (emergencyOnly && row[emergencyColumn].isEmpty())
        return false;
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
    for (const QString& cell : row)
        if (cell.contains(searchText, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace archive_table
