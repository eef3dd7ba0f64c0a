#include <site_history/StoredEvent.h>

#include <site_history/StoreConnection.h>

#include <config_quorvel/Event.h>

#include <QVariant>

#include <vector>

namespace site_history {

archive_table::ArchiveEvent StoredEvent::decode(const QByteArray& record)
{
    const config_quorvel::Event event(std::vector<std::uint8_t>(record.begin(), record.end()), nullptr);
    return archive_table::archiveEvent(event, QString(), QString());
}

QString insertEvents(const QString& table, std::size_t rows)
{
    return QStringLiteral("INSERT INTO %1 (site_id, panel_time, address, first_read_ms, record, first_read_id,"
                          " time_kind, emergency, event_class, code, section, device_address, loop,"
                          " event_text_id, source_text_id) VALUES %2")
        .arg(table, StoreConnection::repeated(QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"), rows,
                                              QStringLiteral(", ")));
}

void bindEvent(QSqlQuery& query, int& at, const StoredEvent& event)
{
    const archive_table::ArchiveEvent& f = event.fields;
    for (const QVariant& value :
         {QVariant(qint64(event.site)), QVariant(qint64(f.time.digits())), QVariant(qint64(event.address)),
          QVariant(qint64(event.firstReadMs)), QVariant(event.record), QVariant(qint64(event.firstReadId)),
          QVariant(int(f.time.kind())), QVariant(f.emergency ? 1 : 0), QVariant(int(f.eventClass)),
          QVariant(int(f.code)), QVariant(int(f.section)), QVariant(int(f.address)), QVariant(int(f.loop)),
          QVariant(qint64(event.eventTextId)), QVariant(qint64(event.sourceTextId))})
        query.bindValue(at++, value);
}

QString shownColumns()
{
    return QStringLiteral("panel_time, emergency, event_class, code, section, device_address, loop,"
                          " event_text_id, source_text_id, address, first_read_ms, first_read_id");
}

archive_table::ArchiveEvent shownEvent(const QSqlQuery& row)
{
    archive_table::ArchiveEvent event;
    event.time = archive_table::PanelTime::fromDigits(row.value(0).toLongLong());
    event.emergency = row.value(1).toInt() != 0;
    event.eventClass = std::uint8_t(row.value(2).toInt());
    event.code = std::uint8_t(row.value(3).toInt());
    event.section = std::uint8_t(row.value(4).toInt());
    event.address = std::uint8_t(row.value(5).toInt());
    event.loop = std::uint8_t(row.value(6).toInt());
    return event;
}

} // namespace site_history
