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

QString insertEvents(const QString& table, std::size_t rows, const StoredEvent* firstRead)
{
    const QString row = firstRead ? QStringLiteral("(%1, ?, ?, %2, ?, %3, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                        .arg(firstRead->site)
                                        .arg(firstRead->firstReadMs)
                                        .arg(firstRead->firstReadId)
                                  : QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    return QStringLiteral("INSERT INTO %1 (site_id, panel_time, address, first_read_ms, record, first_read_id,"
                          " time_kind, emergency, event_class, code, section, device_address, loop,"
                          " event_text_id, source_text_id) VALUES %2")
        .arg(table, StoreConnection::repeated(row, rows, QStringLiteral(", ")));
}

void bindEvent(QSqlQuery& query, int& at, const StoredEvent& event, bool shared)
{
    const archive_table::ArchiveEvent& f = event.fields;
    if (!shared)
        query.bindValue(at++, qint64(event.site));
    query.bindValue(at++, qint64(f.time.digits()));
    query.bindValue(at++, qint64(event.address));
    if (!shared)
        query.bindValue(at++, qint64(event.firstReadMs));
    query.bindValue(at++, event.record);
    if (!shared)
        query.bindValue(at++, qint64(event.firstReadId));
    for (const int value : {int(f.time.kind()), f.emergency ? 1 : 0, int(f.eventClass), int(f.code), int(f.section),
                            int(f.address), int(f.loop)})
        query.bindValue(at++, value);
    query.bindValue(at++, qint64(event.eventTextId));
    query.bindValue(at++, qint64(event.sourceTextId));
}

QString shownColumns()
{
    // Each field in a byte of its own (emergency and class in the lowest);
    // a server's SMALLINT arithmetic would overflow past 31 bits.
    return QStringLiteral("panel_time,"
                          " emergency + 2 * event_class + 16 * code + 4096 * section + 1048576 * device_address"
                          " + CAST(loop AS BIGINT) * 268435456,"
                          " event_text_id * 4294967296 + source_text_id, address, first_read_id");
}

ShownRow shownRow(const QSqlQuery& query)
{
    ShownRow row;
    archive_table::ArchiveEvent& event = row.event;
    event.time = archive_table::PanelTime::fromDigits(query.value(0).toLongLong());
    const std::int64_t fields = query.value(1).toLongLong();
    event.emergency = (fields & 1) != 0;
    event.eventClass = std::uint8_t((fields >> 1) & 0x07);
    event.code = std::uint8_t(fields >> 4);
    event.section = std::uint8_t(fields >> 12);
    event.address = std::uint8_t(fields >> 20);
    event.loop = std::uint8_t(fields >> 28);
    const std::int64_t texts = query.value(2).toLongLong();
    row.eventTextId = texts >> 32;
    row.sourceTextId = texts & 0xFFFFFFFF;
    row.address = query.value(3).toLongLong();
    row.firstReadId = query.value(4).toLongLong();
    return row;
}

} // namespace site_history
