#include <site_history/SiteHistory.h>

#include <site_history/ServerAddress.h>
#include <site_history/SiteName.h>
#include <site_history/StoreConnection.h>
#include <site_history/StoreOpening.h>
#include <site_history/StoredEvent.h>

#include <archive_table/EventRows.h>
#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFormat.h>

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

QDateTime utcTime(const QVariant& ms)
{
    return ms.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::UTC);
}

QString sha256(const std::vector<std::uint8_t>& bytes)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                         static_cast<int>(bytes.size())),
                                 QCryptographicHash::Sha256)
            .toHex());
}

QByteArray blob(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

// Qt binds a null string as SQL NULL; an event without a text has an empty one.
QString storedText(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

[[noreturn]] void noSuchSite(const QString& name)
{
    throw HistoryError(Fault::NoSuchSite, "В истории нет объекта «" + utf8(name) + "»");
}

// A site with its key.
struct SiteRow {
    std::int64_t id = 0;
    SiteInfo info;
};

// The sites, or the one of that name.
std::vector<SiteRow> siteRows(const StoreConnection& c, const std::optional<QString>& name = std::nullopt)
{
    QSqlQuery query = c.prepare(QStringLiteral(
        "SELECT s.id, s.name, s.created_ms, s.event_count,"
        " (SELECT COUNT(*) FROM reads r WHERE r.site_id = s.id),"
        " (SELECT MIN(read_ms) FROM reads r WHERE r.site_id = s.id),"
        " (SELECT MAX(read_ms) FROM reads r WHERE r.site_id = s.id)"
        " FROM sites s %1 ORDER BY s.name").arg(name ? QStringLiteral("WHERE s.name = ?") : QString()));
    if (name)
        query.addBindValue(*name);
    c.run(query, Fault::CannotOpen);
    std::vector<SiteRow> sites;
    c.eachRow(query, [&](const QSqlQuery& row) {
        SiteRow site;
        site.id = row.value(0).toLongLong();
        site.info.name = row.value(1).toString();
        site.info.created = utcTime(row.value(2));
        site.info.events = row.value(3).toInt();
        site.info.reads = row.value(4).toInt();
        site.info.firstRead = utcTime(row.value(5));
        site.info.lastRead = utcTime(row.value(6));
        sites.push_back(site);
    });
    return sites;
}

SiteRow siteRow(const StoreConnection& c, const QString& name)
{
    std::vector<SiteRow> rows = siteRows(c, name);
    if (rows.empty())
        noSuchSite(name);
    return rows.front();
}

// The texts of the store by their ids, each read once while a history is
// read out: a site repeats a few hundred texts a million times.
class TextCache {
public:
    explicit TextCache(const StoreConnection& c) : c(c) {}

    const QString& text(std::int64_t id)
    {
        const auto found = texts.find(id);
        if (found != texts.end())
            return found->second;
        if (!lookUp)
            lookUp = c.prepare(QStringLiteral("SELECT text FROM texts WHERE id = ?"));
        lookUp->bindValue(0, qint64(id));
        const QVariant text = c.value(*lookUp, Fault::CannotOpen);
        if (text.isNull())
            throw HistoryError(Fault::Damaged, "История повреждена: " + utf8(c.location()) + " (нет текста " + std::to_string(id) + ")");
        return texts.emplace(id, text.toString()).first->second;
    }

private:
    const StoreConnection& c;
    std::optional<QSqlQuery> lookUp;
    std::unordered_map<std::int64_t, QString> texts;
};

// A read as the order of a history needs it.
struct ReadOrder {
    std::int64_t ms = 0;
    QString hash;
};

// Hands out a site's events in the order the window shows them: the rows
// come by panel time, archive address and first read's time, newest first,
// and the few events equal in all three (two records at one address with
// one time, first seen by reads of one time) by their first read's dump
// hash, greatest first.
class ShownOrder {
public:
    ShownOrder(std::unordered_map<std::int64_t, ReadOrder> reads,
               const std::function<bool(const archive_table::ArchiveEvent&)>& take)
        : reads(std::move(reads)), take(take)
    {
    }

    // False once take wants no more.
    bool add(archive_table::ArchiveEvent event, std::int64_t address, std::int64_t firstRead)
    {
        const ReadOrder& read = reads[firstRead];
        if (!tied.empty() && !(tied.front().event.time == event.time && tied.front().address == address
                               && tied.front().read->ms == read.ms))
            if (!flush())
                return false;
        tied.push_back({std::move(event), address, &read});
        return true;
    }

    bool flush()
    {
        if (tied.size() > 1)
            std::sort(tied.begin(), tied.end(), [](const Tied& a, const Tied& b) { return a.read->hash > b.read->hash; });
        for (const Tied& t : tied)
            if (!take(t.event))
                return stopped = true, false;
        tied.clear();
        return true;
    }

    bool wasStopped() const { return stopped; }

private:
    struct Tied {
        archive_table::ArchiveEvent event;
        std::int64_t address;
        const ReadOrder* read;
    };
    std::unordered_map<std::int64_t, ReadOrder> reads;
    const std::function<bool(const archive_table::ArchiveEvent&)>& take;
    std::vector<Tied> tied;
    bool stopped = false;
};

// Every event of the site in the window's order, checked against the
// site's count of its events. Runs inside a reading transaction.
void streamEvents(const StoreConnection& c, const SiteRow& site,
                  const std::function<bool(const archive_table::ArchiveEvent&)>& take)
{
    std::unordered_map<std::int64_t, ReadOrder> reads;
    QSqlQuery readRows = c.prepare(QStringLiteral("SELECT id, read_ms, dump_sha256 FROM reads WHERE site_id = ?"));
    readRows.addBindValue(qint64(site.id));
    c.run(readRows, Fault::CannotOpen);
    c.eachRow(readRows, [&](const QSqlQuery& row) {
        reads[row.value(0).toLongLong()] = {row.value(1).toLongLong(), row.value(2).toString()};
    });

    TextCache texts(c);
    ShownOrder order(std::move(reads), take);
    std::int64_t count = 0;
    const auto addRow = [&](const QSqlQuery& query) {
        if (order.wasStopped())
            return;
        ShownRow row = shownRow(query);
        row.event.eventText = texts.text(row.eventTextId);
        row.event.sourceText = texts.text(row.sourceTextId);
        ++count;
        order.add(std::move(row.event), row.address, row.firstReadId);
    };
    const QString select = QStringLiteral("SELECT %1 FROM events WHERE site_id = %2"
                                          " ORDER BY panel_time DESC, address DESC, first_read_ms DESC")
                               .arg(shownColumns())
                               .arg(site.id);
    if (c.dialect == Dialect::Sqlite) {
        // SQLite hands out the rows as it walks the table.
        QSqlQuery rows = c.run(select, Fault::CannotOpen);
        while (!order.wasStopped() && rows.next())
            addRow(rows);
        if (!order.wasStopped() && rows.lastError().isValid())
            c.fail(rows, Fault::Damaged);
    } else {
        // A server's result comes whole: a cursor hands it out in parts.
        c.run(QStringLiteral("DECLARE shown_events NO SCROLL CURSOR FOR ") + select, Fault::CannotOpen);
        for (bool more = true; more && !order.wasStopped();) {
            QSqlQuery part = c.run(QStringLiteral("FETCH FORWARD 8192 FROM shown_events"), Fault::CannotOpen);
            more = false;
            c.eachRow(part, [&](const QSqlQuery& row) {
                more = true;
                addRow(row);
            });
        }
        c.run(QStringLiteral("CLOSE shown_events"), Fault::CannotOpen);
    }
    if (!order.wasStopped())
        order.flush();
    if (order.wasStopped())
        return;
    // An index or a page of the table that lost rows shows here, not as a
    // shorter history.
    if (count != site.info.events)
        throw HistoryError(Fault::Damaged, "История повреждена: у объекта «" + utf8(site.info.name) + "» учтено "
                                               + std::to_string(site.info.events) + " событий, а прочитано "
                                               + std::to_string(count) + " — " + utf8(c.location()));
}

} // namespace

SiteHistory::SiteHistory(const QString& location)
    : path(location), connection(isServerLocation(location) ? openServerStore(location) : openFileStore(location))
{
}

SiteHistory::~SiteHistory() = default;

bool SiteHistory::isReadOnly() const
{
    return connection->readOnly;
}

std::int64_t SiteHistory::siteId(const QString& name) const
{
    QSqlQuery query = connection->prepare(QStringLiteral("SELECT id FROM sites WHERE name = ?"));
    query.addBindValue(name);
    const QVariant id = connection->value(query, Fault::CannotOpen);
    if (id.isNull())
        noSuchSite(name);
    return id.toLongLong();
}

std::vector<SiteInfo> SiteHistory::sites() const
{
    return connection->read([&] {
        std::vector<SiteInfo> sites;
        for (SiteRow& row : siteRows(*connection))
            sites.push_back(std::move(row.info));
        return sites;
    });
}

std::optional<SiteInfo> SiteHistory::site(const QString& name) const
{
    return connection->read([&]() -> std::optional<SiteInfo> {
        std::vector<SiteRow> rows = siteRows(*connection, name);
        if (rows.empty())
            return std::nullopt;
        return rows.front().info;
    });
}

SiteMatch SiteHistory::matchSite(const memory_dump::MemoryDump& dump) const
{
    const std::vector<memory_dump::DumpRecord> records = memory_dump::validRecords(dump);
    std::vector<std::int64_t> times;
    times.reserve(records.size());
    for (const memory_dump::DumpRecord& record : records)
        times.push_back(StoredEvent::decode(blob(record.bytes)).time.digits());
    const StoreConnection& c = *connection;
    return c.read([&] {
        std::map<QString, int> shared;
        int sitesMatched = 0;
        c.inBatches(
            records.size(), Fault::CannotOpen,
            [](std::size_t rows) {
                return QStringLiteral("SELECT s.name FROM events e JOIN sites s ON s.id = e.site_id WHERE %1")
                    .arg(StoreConnection::repeated(QStringLiteral("(e.panel_time = ? AND e.address = ? AND e.record = ?)"),
                                                   rows, QStringLiteral(" OR ")));
            },
            [&](QSqlQuery& query, int& at, std::size_t i) {
                query.bindValue(at++, qint64(times[i]));
                query.bindValue(at++, qint64(records[i].address));
                query.bindValue(at++, blob(records[i].bytes));
            },
            [&](QSqlQuery& query) {
                c.eachRow(query, [&](const QSqlQuery& row) {
                    if (++shared[row.value(0).toString()] == sharedRecords)
                        ++sitesMatched;
                });
                // Two sites matched already: the read cannot be told apart.
                return sitesMatched <= 1;
            });
        SiteMatch match;
        for (const auto& [name, count] : shared)
            if (count >= sharedRecords) {
                match.kind = match.kind == SiteMatch::Kind::None ? SiteMatch::Kind::One : SiteMatch::Kind::Several;
                match.site = name;
            }
        if (match.kind != SiteMatch::Kind::One)
            match.site.clear();
        return match;
    });
}

RecordedRead SiteHistory::record(const QString& siteName, const memory_dump::MemoryDump& dump)
{
    // A site that an older program let in under such a name keeps it.
    if (const QString problem = siteNameProblem(siteName); !problem.isEmpty() && !site(siteName))
        throw HistoryError(Fault::BadSiteName, utf8(problem));
    // Decoded in full before the store changes: a dump that cannot be
    // used changes nothing.
    memory_dump::checkReadTime(dump.readTimeMs);
    const std::vector<std::uint8_t> bytes = memory_dump::serializeDump(dump);
    const QString hash = sha256(bytes);
    const std::vector<memory_dump::DumpRecord> records = memory_dump::validRecords(dump);
    config_quorvel::Configuration configuration;
    const std::vector<archive_table::ArchiveEvent> events =
        archive_table::archiveEvents(memory_dump::decodeDump(dump, configuration));
    const std::size_t count = std::min(records.size(), events.size());
    const qint64 readMs = dump.readTimeMs;
    // Each text once, in one order in every program, so that two adding
    // the same new texts never wait for each other.
    std::set<QString> textSet;
    for (std::size_t i = 0; i < count; ++i) {
        textSet.insert(storedText(events[i].eventText));
        textSet.insert(storedText(events[i].sourceText));
    }
    const std::vector<QString> texts(textSet.begin(), textSet.end());

    const StoreConnection& c = *connection;
    return c.write([&] {
        RecordedRead outcome;
        QSqlQuery addSite = c.prepare(QStringLiteral(
            "INSERT INTO sites (name, created_ms) VALUES (?, ?) ON CONFLICT (name) DO NOTHING"));
        addSite.addBindValue(siteName);
        addSite.addBindValue(QDateTime::currentMSecsSinceEpoch());
        c.run(addSite);
        QSqlQuery findSite = c.prepare(QStringLiteral("SELECT id FROM sites WHERE name = ?"));
        findSite.addBindValue(siteName);
        const qint64 site = c.value(findSite).toLongLong();

        QSqlQuery kept = c.prepare(QStringLiteral("SELECT id FROM reads WHERE site_id = ? AND dump_sha256 = ?"));
        kept.addBindValue(site);
        kept.addBindValue(hash);
        if (!c.value(kept).isNull()) {
            outcome.alreadyKept = true;
            outcome.isNew.assign(events.size(), false);
            return outcome;
        }
        QSqlQuery previous = c.prepare(QStringLiteral("SELECT MAX(read_ms) FROM reads WHERE site_id = ? AND read_ms < ?"));
        previous.addBindValue(site);
        previous.addBindValue(readMs);
        outcome.previousRead = utcTime(c.value(previous));

        // Another program may be recording the same dump at this moment:
        // the one that comes second finds it kept.
        QSqlQuery addRead = c.prepare(QStringLiteral(
            "INSERT INTO reads (site_id, read_ms, port, program_version, speed, dump_sha256, dump)"
            " VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (site_id, dump_sha256) DO NOTHING RETURNING id"));
        addRead.addBindValue(site);
        addRead.addBindValue(readMs);
        addRead.addBindValue(QString::fromStdString(dump.portName));
        addRead.addBindValue(QString::fromStdString(dump.programVersion));
        addRead.addBindValue(dump.turbo ? 345600 : 19200);
        addRead.addBindValue(hash);
        addRead.addBindValue(blob(bytes));
        const QVariant added = c.value(addRead);
        if (added.isNull()) {
            outcome.alreadyKept = true;
            outcome.isNew.assign(events.size(), false);
            return outcome;
        }
        const qint64 read = added.toLongLong();

        // The read's texts, those the store lacks added first.
        std::map<QString, std::int64_t> textIds;
        c.inBatches(
            texts.size(), Fault::CannotWrite,
            [](std::size_t rows) {
                return QStringLiteral("INSERT INTO texts (text) VALUES %1 ON CONFLICT (text) DO NOTHING")
                    .arg(StoreConnection::repeated(QStringLiteral("(?)"), rows, QStringLiteral(", ")));
            },
            [&](QSqlQuery& query, int& at, std::size_t i) { query.bindValue(at++, texts[i]); },
            [](QSqlQuery&) { return true; });
        c.inBatches(
            texts.size(), Fault::CannotWrite,
            [](std::size_t rows) {
                return QStringLiteral("SELECT id, text FROM texts WHERE text IN (%1)")
                    .arg(StoreConnection::repeated(QStringLiteral("?"), rows, QStringLiteral(", ")));
            },
            [&](QSqlQuery& query, int& at, std::size_t i) { query.bindValue(at++, texts[i]); },
            [&](QSqlQuery& query) {
                c.eachRow(query, [&](const QSqlQuery& row) { textIds[row.value(1).toString()] = row.value(0).toLongLong(); },
                          Fault::CannotWrite);
                return true;
            });
        // A text another program added after this transaction's snapshot
        // was taken: the transaction runs again.
        if (textIds.size() != texts.size())
            throw LostToAnotherWriter(Fault::CannotWrite, "Ошибка при записи в историю: тексты событий изменились");

        // New events go in, many to a statement (a server answers each
        // statement in one round trip). Then the events already kept whose
        // first read is newer than this one take this read as their first,
        // in the order of read time, then dump hash. The inserts have waited
        // for every other program writing the same events, so the search
        // after them sees what those wrote.
        std::vector<StoredEvent> stored(count);
        std::map<std::tuple<qint64, qint64, QByteArray>, std::size_t> eventAt;
        // A read holds one record at an address.
        std::unordered_map<qint64, std::size_t> atAddress;
        outcome.isNew.assign(count, false);
        for (std::size_t i = 0; i < count; ++i) {
            StoredEvent& e = stored[i];
            e.site = site;
            e.address = records[i].address;
            e.record = blob(records[i].bytes);
            e.firstReadId = read;
            e.firstReadMs = readMs;
            e.eventTextId = textIds[storedText(events[i].eventText)];
            e.sourceTextId = textIds[storedText(events[i].sourceText)];
            e.fields = events[i];
            eventAt[{e.fields.time.digits(), e.address, e.record}] = i;
            atAddress[e.address] = i;
        }
        const auto markNew = [&](const QSqlQuery& row) {
            const auto found = atAddress.find(row.value(0).toLongLong());
            if (found != atAddress.end() && !outcome.isNew[found->second]) {
                outcome.isNew[found->second] = true;
                ++outcome.newEvents;
            }
        };
        c.inBatches(
            count, Fault::CannotWrite,
            [&](std::size_t rows) {
                return insertEvents(QStringLiteral("events"), rows, &stored.front())
                    + QStringLiteral(" ON CONFLICT (site_id, panel_time, address, record) DO NOTHING RETURNING address");
            },
            [&](QSqlQuery& query, int& at, std::size_t i) { bindEvent(query, at, stored[i], true); },
            [&](QSqlQuery& insert) {
                c.eachRow(insert, markNew, Fault::CannotWrite);
                return true;
            });

        QSqlQuery keptNewer = c.prepare(QStringLiteral(
            "SELECT panel_time, address, record FROM events WHERE first_read_id IN"
            " (SELECT id FROM reads WHERE site_id = ? AND (read_ms > ? OR (read_ms = ? AND dump_sha256 > ?)))"));
        for (const QVariant& v : {QVariant(site), QVariant(readMs), QVariant(readMs), QVariant(hash)})
            keptNewer.addBindValue(v);
        c.run(keptNewer);
        std::vector<std::size_t> older;
        c.eachRow(keptNewer, [&](const QSqlQuery& row) {
            const auto found = eventAt.find({row.value(0).toLongLong(), row.value(1).toLongLong(), row.value(2).toByteArray()});
            if (found != eventAt.end() && !outcome.isNew[found->second])
                older.push_back(found->second);
        }, Fault::CannotWrite);
        // In one order in every program, so that two never wait for each other.
        std::sort(older.begin(), older.end());
        QSqlQuery takeOlder = c.prepare(QStringLiteral(
            "UPDATE events SET first_read_id = ?, first_read_ms = ?, event_text_id = ?, source_text_id = ?"
            " WHERE site_id = ? AND panel_time = ? AND address = ? AND record = ?"
            " AND (first_read_ms > ? OR (first_read_ms = ?"
            " AND (SELECT r.dump_sha256 FROM reads r WHERE r.id = events.first_read_id) > ?))"));
        for (std::size_t i : older) {
            const StoredEvent& e = stored[i];
            int at = 0;
            for (const QVariant& v : {QVariant(read), QVariant(readMs), QVariant(qint64(e.eventTextId)),
                                      QVariant(qint64(e.sourceTextId)), QVariant(site),
                                      QVariant(qint64(e.fields.time.digits())), QVariant(qint64(e.address)),
                                      QVariant(e.record), QVariant(readMs), QVariant(readMs), QVariant(hash)})
                takeOlder.bindValue(at++, v);
            c.run(takeOlder);
        }

        // The site's count of its events, which every reading of them is
        // checked against.
        QSqlQuery counted = c.prepare(QStringLiteral("UPDATE sites SET event_count = event_count + ? WHERE id = ?"));
        counted.addBindValue(qint64(outcome.newEvents));
        counted.addBindValue(site);
        c.run(counted);
        return outcome;
    });
}

HistoryTable SiteHistory::table(const QString& siteName, const std::function<bool()>& goOn) const
{
    HistoryTable table;
    connection->read([&] {
        const SiteRow site = siteRow(*connection, siteName);
        table.site = site.info;
        table.events.clear();
        table.whole = true;
        table.events.reserve(std::size_t(site.info.events));
        streamEvents(*connection, site, [&](const archive_table::ArchiveEvent& event) {
            if (goOn && !goOn()) {
                table.whole = false;
                return false;
            }
            table.events.push_back(event);
            return true;
        });
    });
    return table;
}

void SiteHistory::eachEvent(const QString& siteName,
                            const std::function<bool(const archive_table::ArchiveEvent&)>& take) const
{
    bool taken = false;
    connection->read(
        [&] {
            streamEvents(*connection, siteRow(*connection, siteName), [&](const archive_table::ArchiveEvent& event) {
                taken = true;
                return take(event);
            });
        },
        [&] { return !taken; });
}

static_assert(int(archive_table::PanelTime::Kind::Calendar) == 1, "tallyMonth takes time_kind 1 for a calendar time");

site_statistics::Tallies SiteHistory::tallies(const QString& siteName) const
{
    const StoreConnection& c = *connection;
    return c.read([&] {
        const SiteRow site = siteRow(c, siteName);
        QSqlQuery query = c.prepare(QStringLiteral(
            "SELECT %1 AS month, section, device_address, event_class, emergency, COUNT(*)"
            " FROM events WHERE site_id = ?"
            " GROUP BY 1, 2, 3, 4, 5 ORDER BY 1, 2, 3, 4, 5")
                                        .arg(QLatin1String(tallyMonth)));
        query.addBindValue(qint64(site.id));
        c.run(query, Fault::CannotOpen);
        site_statistics::Tallies tallies;
        std::int64_t count = 0;
        c.eachRow(query, [&](const QSqlQuery& row) {
            tallies.push_back({row.value(0).toInt(), row.value(1).toInt(), row.value(2).toInt(), row.value(3).toInt(),
                               row.value(4).toInt() != 0, row.value(5).toLongLong()});
            count += tallies.back().events;
        });
        if (count != site.info.events)
            throw HistoryError(Fault::Damaged, "История повреждена: у объекта «" + utf8(site.info.name) + "» учтено "
                                                   + std::to_string(site.info.events) + " событий, а сосчитано "
                                                   + std::to_string(count) + " — " + utf8(c.location()));
        return tallies;
    });
}

std::vector<site_statistics::SiteOverview> SiteHistory::overview() const
{
    const StoreConnection& c = *connection;
    return c.read([&] {
        QSqlQuery latest = c.run(QStringLiteral(
            "SELECT s.name, s.service_days, r.id, r.read_ms,"
            " (SELECT COUNT(*) FROM events e WHERE e.first_read_id = r.id),"
            " (SELECT COUNT(*) FROM events e WHERE e.first_read_id = r.id AND e.emergency = 1), s.id"
            " FROM sites s LEFT JOIN reads r ON r.id = (SELECT l.id FROM reads l WHERE l.site_id = s.id"
            " ORDER BY l.read_ms DESC, l.dump_sha256 DESC LIMIT 1)"
            " ORDER BY s.name"),
            Fault::CannotOpen);
        std::vector<site_statistics::SiteOverview> sites;
        std::vector<qint64> ids;
        c.eachRow(latest, [&](const QSqlQuery& row) {
            site_statistics::SiteOverview site;
            site.name = row.value(0).toString();
            site.serviceDays = row.value(1).toInt();
            site.lastRead = utcTime(row.value(3));
            site.newEvents = row.value(4).toInt();
            site.newEmergencies = row.value(5).toInt();
            sites.push_back(site);
            ids.push_back(row.value(6).toLongLong());
        });
        // The panel's clock shows local time: the twelve months before the
        // read end with the read's local time.
        QSqlQuery faults = c.prepare(QStringLiteral(
            "SELECT COUNT(*) FROM events WHERE site_id = ? AND panel_time > ? AND panel_time <= ?"
            " AND time_kind = 1 AND event_class = 1 AND device_address <> 0"));
        const auto digits = [](const QDateTime& t) {
            return qint64(t.date().year()) * 10000000000LL + qint64(t.date().month()) * 100000000LL
                + qint64(t.date().day()) * 1000000LL + qint64(t.time().hour()) * 10000 + t.time().minute() * 100
                + t.time().second();
        };
        for (std::size_t i = 0; i < sites.size(); ++i) {
            if (!sites[i].lastRead.isValid())
                continue;
            const QDateTime read = sites[i].lastRead.toLocalTime();
            faults.bindValue(0, ids[i]);
            faults.bindValue(1, digits(read.addMonths(-12)));
            faults.bindValue(2, digits(read));
            sites[i].deviceFaults = c.value(faults, Fault::CannotOpen).toInt();
        }
        return sites;
    });
}

void SiteHistory::setServiceDays(const QString& siteName, int days)
{
    const StoreConnection& c = *connection;
    c.write([&] {
        QSqlQuery set = c.prepare(QStringLiteral("UPDATE sites SET service_days = ? WHERE id = ?"));
        set.addBindValue(days > 0 ? QVariant(days) : QVariant(QVariant::Int));
        set.addBindValue(qint64(siteId(siteName)));
        c.run(set);
        return 0;
    });
}

std::vector<ReadInfo> SiteHistory::reads(const QString& siteName) const
{
    return connection->read([&] {
        QSqlQuery query = connection->prepare(QStringLiteral(
            "SELECT id, read_ms, port, speed, program_version FROM reads WHERE site_id = ? ORDER BY read_ms, dump_sha256"));
        query.addBindValue(qint64(siteId(siteName)));
        connection->run(query, Fault::CannotOpen);
        std::vector<ReadInfo> reads;
        connection->eachRow(query, [&](const QSqlQuery& row) {
            reads.push_back({row.value(0).toLongLong(), utcTime(row.value(1)), row.value(2).toString(),
                             row.value(3).toInt(), row.value(4).toString()});
        });
        return reads;
    });
}

memory_dump::MemoryDump SiteHistory::readDump(std::int64_t readId) const
{
    const QByteArray bytes = connection->read([&] {
        QSqlQuery query = connection->prepare(QStringLiteral("SELECT dump FROM reads WHERE id = ?"));
        query.addBindValue(qint64(readId));
        return connection->value(query, Fault::CannotOpen).toByteArray();
    });
    if (bytes.isEmpty())
        throw HistoryError(Fault::NoSuchSite, "В истории нет такого чтения");
    try {
        return memory_dump::parseDump(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size()));
    } catch (const memory_dump::DumpError& error) {
        throw HistoryError(Fault::Damaged, std::string("Файл истории повреждён: ") + error.what());
    }
}

memory_dump::MemoryDump SiteHistory::latestDump(const QString& siteName) const
{
    const std::vector<ReadInfo> all = reads(siteName);
    if (all.empty())
        throw HistoryError(Fault::NoSuchSite, "В истории объекта «" + utf8(siteName) + "» нет чтений");
    return readDump(all.back().id);
}

void SiteHistory::renameSite(const QString& from, const QString& to)
{
    if (const QString problem = siteNameProblem(to); !problem.isEmpty())
        throw HistoryError(Fault::BadSiteName, utf8(problem));
    const StoreConnection& c = *connection;
    c.write([&] {
        const qint64 id = siteId(from);
        QSqlQuery taken = c.prepare(QStringLiteral("SELECT id FROM sites WHERE name = ?"));
        taken.addBindValue(to);
        const QVariant other = c.value(taken);
        if (!other.isNull() && other.toLongLong() != id)
            throw HistoryError(Fault::SiteExists, "Объект «" + utf8(to) + "» уже есть в истории");
        QSqlQuery rename = c.prepare(QStringLiteral("UPDATE sites SET name = ? WHERE id = ?"));
        rename.addBindValue(to);
        rename.addBindValue(id);
        c.run(rename);
        return 0;
    });
}

void SiteHistory::deleteSite(const QString& name)
{
    const StoreConnection& c = *connection;
    c.write([&] {
        const qint64 id = siteId(name);
        for (const char* table : {"events", "reads"}) {
            QSqlQuery remove = c.prepare(QStringLiteral("DELETE FROM %1 WHERE site_id = ?").arg(QLatin1String(table)));
            remove.addBindValue(id);
            c.run(remove);
        }
        QSqlQuery remove = c.prepare(QStringLiteral("DELETE FROM sites WHERE id = ?"));
        remove.addBindValue(id);
        c.run(remove);
        return 0;
    });
}

HistoryCheck SiteHistory::check() const
{
    const StoreConnection& c = *connection;
    QStringList problems;
    int siteCount = 0;
    int readCount = 0;
    qint64 eventCount = 0;
    const auto look = [&] {
        if (c.dialect == Dialect::Sqlite) {
            QSqlQuery pages = c.run(QStringLiteral("PRAGMA integrity_check(20)"), Fault::Damaged);
            c.eachRow(pages, [&](const QSqlQuery& row) {
                if (row.value(0).toString() != QLatin1String("ok"))
                    problems << QStringLiteral("файл: %1").arg(row.value(0).toString().simplified());
            }, Fault::Damaged);
        }
        // Counted in the table itself: COUNT(*) would walk the narrowest
        // index, which may hold rows that the table lost.
        QSqlQuery counts = c.run(QStringLiteral(
            "SELECT s.name, s.event_count, (SELECT COUNT(e.event_text_id) FROM events e WHERE e.site_id = s.id)"
            " FROM sites s ORDER BY s.name"),
            Fault::Damaged);
        c.eachRow(counts, [&](const QSqlQuery& row) {
            ++siteCount;
            eventCount += row.value(2).toLongLong();
            if (row.value(1).toLongLong() != row.value(2).toLongLong())
                problems << QStringLiteral("объект «%1»: учтено событий %2, найдено %3")
                                .arg(row.value(0).toString())
                                .arg(row.value(1).toLongLong())
                                .arg(row.value(2).toLongLong());
        }, Fault::Damaged);
        // Each dump by itself: a server sends a result whole.
        QSqlQuery reads = c.run(QStringLiteral(
            "SELECT r.id, s.name, r.read_ms, r.dump_sha256 FROM reads r JOIN sites s ON s.id = r.site_id ORDER BY r.id"),
            Fault::Damaged);
        struct Read {
            qint64 id;
            QString site;
            QDateTime time;
            QString hash;
        };
        std::vector<Read> all;
        c.eachRow(reads, [&](const QSqlQuery& row) {
            all.push_back({row.value(0).toLongLong(), row.value(1).toString(), utcTime(row.value(2)), row.value(3).toString()});
        }, Fault::Damaged);
        readCount = int(all.size());
        QSqlQuery dump = c.prepare(QStringLiteral("SELECT dump FROM reads WHERE id = ?"));
        for (const Read& read : all) {
            dump.bindValue(0, read.id);
            const QByteArray bytes = c.value(dump, Fault::Damaged).toByteArray();
            const std::vector<std::uint8_t> content(bytes.begin(), bytes.end());
            QString fault;
            try {
                memory_dump::parseDump(content);
                if (sha256(content) != read.hash)
                    fault = QStringLiteral("дамп не совпадает со своей контрольной суммой");
            } catch (const memory_dump::DumpError& error) {
                fault = QString::fromUtf8(error.what());
            }
            if (!fault.isEmpty())
                problems << QStringLiteral("объект «%1», чтение %2: %3")
                                .arg(read.site, read.time.toString(Qt::ISODate), fault);
        }
    };
    try {
        c.read(look);
    } catch (const HistoryError& error) {
        if (error.fault() != Fault::Damaged)
            throw;
        problems << QString::fromUtf8(error.what());
    }
    HistoryCheck result;
    result.sound = problems.isEmpty();
    result.text = result.sound
        ? QStringLiteral("История в порядке: объектов %1, чтений %2, событий %3.").arg(siteCount).arg(readCount).arg(eventCount)
        : QStringLiteral("История повреждена:\n") + problems.join(QLatin1Char('\n'));
    return result;
}

} // namespace site_history
