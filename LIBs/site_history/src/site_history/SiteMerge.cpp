// Two sites that are one place merged into one history.

#include <site_history/SiteHistory.h>

#include <site_history/StoreConnection.h>

#include <QSqlQuery>
#include <QVariant>

#include <initializer_list>

namespace site_history {

namespace {

// An event of the other site (o) that is the same as the row of `events`:
// the same panel time, address and record.
constexpr const char* sameEvent =
    "SELECT 1 FROM events o WHERE o.site_id = ? AND o.panel_time = events.panel_time"
    " AND o.address = events.address AND o.record = events.record";

// ... whose first read is older: by read time, then by dump hash, the order
// in which recording decides an event's first read.
constexpr const char* seenEarlier =
    " AND (o.first_read_ms < events.first_read_ms OR (o.first_read_ms = events.first_read_ms"
    " AND (SELECT r.dump_sha256 FROM reads r WHERE r.id = o.first_read_id)"
    " < (SELECT r.dump_sha256 FROM reads r WHERE r.id = events.first_read_id)))";

// Moving a site's events rewrites their pages in the table and in its three
// indexes; within SQLite's usual 2 MB of cache those pages are written out
// and read back again and again (a sixth of the time for two sites of
// 250 000 events). The cache shrinks back when the merge is done.
class LargerCache {
public:
    explicit LargerCache(const StoreConnection& c) : c(c)
    {
        if (c.dialect != Dialect::Sqlite)
            return;
        QSqlQuery size = c.run(QStringLiteral("PRAGMA cache_size"), HistoryError::Fault::CannotOpen);
        if (size.next())
            usual = size.value(0);
        c.run(QStringLiteral("PRAGMA cache_size = -262144"), HistoryError::Fault::CannotOpen); // KiB
    }
    ~LargerCache()
    {
        if (usual.isValid())
            QSqlQuery(c.db()).exec(QStringLiteral("PRAGMA cache_size = %1").arg(usual.toLongLong()));
    }

    LargerCache(const LargerCache&) = delete;
    LargerCache& operator=(const LargerCache&) = delete;

private:
    const StoreConnection& c;
    QVariant usual;
};

} // namespace

MergedSites SiteHistory::mergeSite(const QString& from, const QString& into)
{
    using Fault = HistoryError::Fault;
    if (from == into)
        throw HistoryError(Fault::SameSite, "Объект «" + from.toStdString() + "» нельзя объединить с самим собой");
    const StoreConnection& c = *connection;
    const LargerCache cache(c);
    return c.write([&] {
        const qint64 gone = siteId(from);
        const qint64 kept = siteId(into);
        const auto change = [&](const QString& statement, std::initializer_list<qint64> values) {
            QSqlQuery query = c.prepare(statement);
            for (const qint64 value : values)
                query.addBindValue(value);
            c.run(query);
            return query.numRowsAffected();
        };
        MergedSites merged;
        // Each event both sites hold stays once, with the older of its two
        // first reads and that read's texts. The kept site's copies that
        // the other saw earlier go first; then the merged site's copies of
        // what the kept site still holds, which it saw as early or later.
        const int replaced = change(QStringLiteral("DELETE FROM events WHERE site_id = ? AND EXISTS (%1%2)")
                                        .arg(QLatin1String(sameEvent), QLatin1String(seenEarlier)),
                                    {kept, gone});
        merged.sharedEvents = replaced
            + change(QStringLiteral("DELETE FROM events WHERE site_id = ? AND EXISTS (%1)").arg(QLatin1String(sameEvent)),
                     {gone, kept});
        merged.events = change(QStringLiteral("UPDATE events SET site_id = ? WHERE site_id = ?"), {kept, gone}) - replaced;
        // A dump both sites hold is kept once, as recording it again keeps
        // it; every event it saw is the kept site's already.
        merged.keptReads = change(QStringLiteral("DELETE FROM reads WHERE site_id = ? AND dump_sha256 IN"
                                                 " (SELECT k.dump_sha256 FROM reads k WHERE k.site_id = ?)"),
                                  {gone, kept});
        merged.reads = change(QStringLiteral("UPDATE reads SET site_id = ? WHERE site_id = ?"), {kept, gone});
        change(QStringLiteral("UPDATE sites SET event_count = event_count + ? WHERE id = ?"), {merged.events, kept});
        change(QStringLiteral("DELETE FROM sites WHERE id = ?"), {gone});
        return merged;
    });
}

} // namespace site_history
