#include <site_statistics/MonthTable.h>

#include <QString>

#include <algorithm>

namespace site_statistics {

namespace {

void count(MonthCounts& row, const Tally& tally)
{
    row.events += tally.events;
    if (tally.emergency)
        row.emergencies += tally.events;
    switch (tally.eventClass) {
    case 0:
        row.resets += tally.events;
        break;
    case 1:
        row.faults += tally.events;
        break;
    case 2:
        row.loopStates += tally.events;
        break;
    case 3:
    case 4:
    case 5:
        row.commands += tally.events;
        break;
    default:
        row.others += tally.events;
        break;
    }
}

} // namespace

std::vector<MonthCounts> monthTable(const Tallies& tallies)
{
    int first = 0;
    int last = -1;
    for (const Tally& tally : tallies)
        if (tally.month != 0) {
            const int index = monthIndex(tally.month);
            first = last < 0 ? index : std::min(first, index);
            last = std::max(last, index);
        }
    std::vector<MonthCounts> rows(std::size_t(last - first + 2));
    for (int index = first; index <= last; ++index)
        rows[std::size_t(index - first)].month = monthOfIndex(index);
    for (const Tally& tally : tallies)
        count(tally.month == 0 ? rows.back() : rows[std::size_t(monthIndex(tally.month) - first)], tally);
    return rows;
}

std::vector<MonthCounts> lastMonths(const std::vector<MonthCounts>& table, int count)
{
    // The table's dated rows are consecutive months, the undated row last.
    const int dated = int(table.size()) - 1;
    if (dated <= 0)
        return {};
    const int last = monthIndex(table[std::size_t(dated - 1)].month);
    std::vector<MonthCounts> months(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int row = dated - count + i;
        if (row >= 0)
            months[std::size_t(i)] = table[std::size_t(row)];
        else
            months[std::size_t(i)].month = monthOfIndex(last - (count - 1 - i));
    }
    return months;
}

QString monthText(int month)
{
    if (month == 0)
        return QStringLiteral("без даты");
    return QStringLiteral("%1-%2").arg(month / 100, 4, 10, QLatin1Char('0')).arg(month % 100, 2, 10, QLatin1Char('0'));
}

StatisticsTable monthTableTexts(const std::vector<MonthCounts>& months)
{
    StatisticsTable table;
    table.headers = {QStringLiteral("Месяц"),           QStringLiteral("Событий"),
                     QStringLiteral("Экстренных"),      QStringLiteral("Неисправностей"),
                     QStringLiteral("Состояний шлейфов"), QStringLiteral("Команд"),
                     QStringLiteral("Сбросов"),         QStringLiteral("Прочих")};
    for (const MonthCounts& m : months)
        table.rows.push_back({monthText(m.month), QString::number(m.events), QString::number(m.emergencies),
                              QString::number(m.faults), QString::number(m.loopStates), QString::number(m.commands), QString::number(m.resets),
                              QString::number(m.others)});
    return table;
}

} // namespace site_statistics
