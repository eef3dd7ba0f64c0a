#include <site_history/Migration.h>

#include <site_history/Schema.h>
#include <site_history/StoreConnection.h>
#include <site_history/StoredEvent.h>

#include <vector>

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

// Version 1's events, a page at a time in the order of their key (a
// server's results come whole), into events_v2 with their fields decoded.
void typedEventsFromVersion1(const StoreConnection& c)
{
    constexpr int pageSize = 4096;
    QSqlQuery page = c.prepare(QStringLiteral(
        "SELECT e.site_id, e.address, e.record, e.first_read_id, e.first_read_ms, te.id, ts.id"
        " FROM events e JOIN texts te ON te.text = e.text_event JOIN texts ts ON ts.text = e.text_object"
        " WHERE (e.site_id, e.address, e.record) > (?, ?, ?)"
        " ORDER BY e.site_id, e.address, e.record LIMIT %1").arg(pageSize));
    QVariant site = qint64(-1);
    QVariant address = qint64(-1);
    QVariant record = QByteArray();
    while (true) {
        page.bindValue(0, site);
        page.bindValue(1, address);
        page.bindValue(2, record);
        c.run(page);
        std::vector<StoredEvent> events;
        c.eachRow(page, [&](const QSqlQuery& row) {
            StoredEvent event;
            event.site = row.value(0).toLongLong();
            event.address = row.value(1).toLongLong();
            event.record = row.value(2).toByteArray();
            event.firstReadId = row.value(3).toLongLong();
            event.firstReadMs = row.value(4).toLongLong();
            event.eventTextId = row.value(5).toLongLong();
            event.sourceTextId = row.value(6).toLongLong();
            event.fields = StoredEvent::decode(event.record);
            events.push_back(std::move(event));
        }, Fault::CannotWrite);
        if (events.empty())
            return;
        c.inBatches(
            events.size(), Fault::CannotWrite, [](std::size_t rows) { return insertEvents(QStringLiteral("events_v2"), rows); },
            [&](QSqlQuery& query, int& at, std::size_t i) { bindEvent(query, at, events[i]); },
            [](QSqlQuery&) { return true; });
        site = qint64(events.back().site);
        address = qint64(events.back().address);
        record = events.back().record;
    }
}

} // namespace

void refuseNewerVersion(int version, const QString& location)
{
    throw HistoryError(Fault::NewerVersion,
                       "История записана более новой версией программы: версия истории " + std::to_string(version)
                           + ", программа знает версии до " + std::to_string(schemaVersion)
                           + ". История оставлена без изменений: " + location.toStdString());
}

void migrate(const StoreConnection& c, int version, const std::function<int()>& currentVersion,
             const std::function<void()>& beforeMaking)
{
    if (version >= schemaVersion)
        return;
    c.write([&] {
        beforeMaking();
        const int current = currentVersion();
        if (current > schemaVersion)
            refuseNewerVersion(current, c.location());
        for (int step = current; step < schemaVersion; ++step)
            for (const StepAction& action : schemaStep(step, c.dialect)) {
                switch (action.part) {
                case ProgramPart::None:
                    c.run(action.statement);
                    break;
                case ProgramPart::TypedEventsFromVersion1:
                    typedEventsFromVersion1(c);
                    break;
                }
            }
        if (current < schemaVersion)
            for (const QString& statement : versionSteps(schemaVersion, c.dialect))
                c.run(statement);
        return 0;
    }, beginMaking(c.dialect));
}

} // namespace site_history
