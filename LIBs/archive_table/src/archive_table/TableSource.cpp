#include <archive_table/TableSource.h>

#include <config_quorvel/Configuration.h>
#include <memory_dump/MemoryDump.h>

#include <QFileInfo>

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
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
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

std::vector<DetailLine> sourceLines(const TableSource& source)
{
    switch (source.kind) {
    case TableSource::Kind::Read:
        return {{QStringLiteral("Чтение"), shownTime(source.readTime)},
                {QStringLiteral("Порт"), source.port},
                {QStringLiteral("Скорость"), speedText(source.turbo)}};
    case TableSource::Kind::Dump:
        return {{QStringLiteral("Дамп памяти"), source.dumpFile},
                {QStringLiteral("Прочитан из прибора"), shownTime(source.readTime)},
                {QStringLiteral("Порт"), source.port},
                {QStringLiteral("Скорость"), speedText(source.turbo)}};
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
