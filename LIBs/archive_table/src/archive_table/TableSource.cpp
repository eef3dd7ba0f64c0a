#include <archive_table/TableSource.h>

#include <config_quorvel/Configuration.h>
#include <memory_dump/MemoryDump.h>

#include <QFileInfo>

#include <cstdlib>
#include <set>

namespace archive_table {

namespace {

// The line speeds of a read: 19200 baud, or 345600 with the higher speed.
QString speedText(bool turbo)
{
    return turbo ? QStringLiteral("345600 бод (повышенная скорость)") : QStringLiteral("19200 бод");
}

} // namespace

TableSource readSource(const memory_dump::MemoryDump& dump)
{
    TableSource source;
    source.kind = TableSource::Kind::Read;
    source.port = QString::fromStdString(dump.portName);
    source.turbo = dump.turbo;
    source.readTime = QDateTime::fromMSecsSinceEpoch(dump.readTimeMs, Qt::UTC);
    return source;
}

TableSource dumpSource(const memory_dump::MemoryDump& dump, const QString& fileName)
{
    TableSource source = readSource(dump);
    source.kind = TableSource::Kind::Dump;
    source.dumpFile = QFileInfo(fileName).fileName();
    return source;
}

QString panelTypeText()
{
    return QStringLiteral("Q-QRV");
}

QString shownTime(const QDateTime& time)
{
    if (!time.isValid())
        return QString();
    const QDateTime local = time.toLocalTime();
    QString zone = QStringLiteral("UTC");
    if (const int offset = local.offsetFromUtc()) {
        const int minutes = std::abs(offset) / 60;
        zone += QLatin1Char(offset < 0 ? '-' : '+') + QString::number(minutes / 60);
        if (minutes % 60)
            zone += QStringLiteral(":%1").arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    return local.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss ")) + zone;
}

std::vector<DetailLine> panelIdentityLines(const config_quorvel::Configuration& configuration)
{
    return {
        {QStringLiteral("Тип прибора"), panelTypeText()},
        {QStringLiteral("Версия ПО"), QString::fromStdString(configuration.firmwareVersion)},
        {QStringLiteral("Дата ПО"), QString::fromStdString(configuration.firmwareDate)},
        {QStringLiteral("Ревизия настроек"), QString::number(configuration.settingsRevision)},
    };
}

std::vector<DetailLine> panelSettingsLines(const config_quorvel::Configuration& configuration)
{
    int sections = 0;
    int devices = 0;
    int named = 0;
    std::set<int> tablesUsed;
    for (const auto& [number, section] : configuration.sections) {
        // Section 0 is where a panel without sections keeps its devices.
        sections += number != 0 ? 1 : 0;
        for (const auto& [address, device] : section.devices) {
            ++devices;
            named += device.names && !device.names->deviceName.empty() ? 1 : 0;
            // A device without names, or naming a table the panel lacks,
            // shows the texts of table 0.
            const int table = device.names ? device.names->eventTable : 0;
            tablesUsed.insert(table >= 0 && std::size_t(table) < configuration.eventTables.size() ? table : 0);
        }
    }
    const int syncHour = configuration.clockSyncHour;
    return {
        {QStringLiteral("Яркость подсветки"), QStringLiteral("%1 из 3").arg(configuration.backlightLevel)},
        {QStringLiteral("Время подсветки"), QString::number(configuration.backlightTime)},
        {QStringLiteral("Время показа сообщения"), QString::number(configuration.messageTime)},
        {QStringLiteral("Время выхода из меню"), QString::number(configuration.menuTime)},
        {QStringLiteral("Синхронизация часов"),
         syncHour >= 0 && syncHour < 24 ? QStringLiteral("ежедневно в %1:00").arg(syncHour, 2, 10, QLatin1Char('0'))
                                        : QStringLiteral("не задана")},
        {QStringLiteral("Пульт"), configuration.pultType ? QStringLiteral("центральный, с секционными пультами")
                                                         : QStringLiteral("без секций")},
        {QStringLiteral("Адрес пульта"), QString::number(configuration.pultAddress)},
        {QStringLiteral("Секций"), QString::number(sections)},
        {QStringLiteral("Приборов"), QString::number(devices)},
        {QStringLiteral("Приборов с именами"), QString::number(named)},
        {QStringLiteral("Команд меню"), QString::number(configuration.commands.size())},
        {QStringLiteral("Таблиц событий используется"),
         QStringLiteral("%1 из %2").arg(tablesUsed.size()).arg(configuration.eventTables.size())},
    };
}

std::vector<DetailLine> sourceLines(const TableSource& source)
{
    std::vector<DetailLine> lines;
    if (!source.site.isEmpty() && source.kind != TableSource::Kind::History)
        lines.push_back({QStringLiteral("Объект"), source.site});
    switch (source.kind) {
    case TableSource::Kind::Read:
        lines.insert(lines.end(), {{QStringLiteral("Чтение"), shownTime(source.readTime)},
                                   {QStringLiteral("Порт"), source.port},
                                   {QStringLiteral("Скорость"), speedText(source.turbo)}});
        return lines;
    case TableSource::Kind::Dump:
        lines.insert(lines.end(), {{QStringLiteral("Дамп памяти"), source.dumpFile},
                                   {QStringLiteral("Прочитан из прибора"), shownTime(source.readTime)},
                                   {QStringLiteral("Порт"), source.port},
                                   {QStringLiteral("Скорость"), speedText(source.turbo)}});
        return lines;
    case TableSource::Kind::History:
        return {{QStringLiteral("Объект"), source.site},
                {QStringLiteral("Чтений"), QString::number(source.reads)},
                {QStringLiteral("Первое чтение"), shownTime(source.firstRead)},
                {QStringLiteral("Последнее чтение"), shownTime(source.readTime)}};
    case TableSource::Kind::None:
        break;
    }
    return {};
}

} // namespace archive_table
