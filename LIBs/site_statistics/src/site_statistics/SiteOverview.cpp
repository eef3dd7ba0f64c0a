#include <site_statistics/SiteOverview.h>

namespace site_statistics {

int daysSince(const QDateTime& lastRead, const QDate& today)
{
    return int(lastRead.toLocalTime().date().daysTo(today));
}

bool isDue(const SiteOverview& site, const QDate& today, int defaultDays)
{
    return !site.lastRead.isValid()
        || daysSince(site.lastRead, today) > (site.serviceDays > 0 ? site.serviceDays : defaultDays);
}

StatisticsTable overviewTableTexts(const std::vector<SiteOverview>& sites, const QDate& today)
{
    StatisticsTable table;
    table.headers = {QStringLiteral("Объект"),        QStringLiteral("Последнее чтение"),
                     QStringLiteral("Дней назад"),    QStringLiteral("Новых событий"),
                     QStringLiteral("Новых экстренных"), QStringLiteral("Неисправностей за 12 месяцев"),
                     QStringLiteral("Пора обслуживать")};
    for (const SiteOverview& site : sites) {
        const bool read = site.lastRead.isValid();
        table.rows.push_back({site.name,
                              read ? site.lastRead.toLocalTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")) : QString(),
                              read ? QString::number(daysSince(site.lastRead, today)) : QString(),
                              QString::number(site.newEvents), QString::number(site.newEmergencies),
                              QString::number(site.deviceFaults),
                              isDue(site, today) ? QStringLiteral("да") : QString()});
    }
    return table;
}

} // namespace site_statistics
