#include <site_history/SiteHistory.h>

#include <site_history/Schema.h>

#include <archive_table/EventRows.h>
#include <config_quorvel/Configuration.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFormat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <atomic>
#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/vfs.h>
#endif

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

// Marks a SQLite file as a store of this program ("QRVH").
constexpr int applicationId = 0x51525648;
// How long a program waits for another one that is writing.
constexpr int busyTimeoutMs = 10000;

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

// Qt binds a null string as SQL NULL; an empty cell is an empty text.
QString cellText(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QByteArray blob(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

} // namespace

bool isNetworkPath(const QString& path)
{
    if (path.startsWith(QLatin1String("//")) || path.startsWith(QLatin1String("\\\\")))
        return true;
    const QString absolute = QFileInfo(path).absoluteFilePath();
#ifdef _WIN32
    const QString native = QDir::toNativeSeparators(absolute);
    if (native.startsWith(QLatin1String("\\\\")))
        return true;
    const QString root = native.left(3);
    return GetDriveTypeW(reinterpret_cast<const wchar_t*>(root.utf16())) == DRIVE_REMOTE;
#else
    if (absolute.startsWith(QLatin1String("//")))
        return true;
    // The nearest folder that exists tells the file system.
    QFileInfo folder(QFileInfo(absolute).absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder.setFile(folder.absolutePath());
    struct statfs fs;
    if (::statfs(QFile::encodeName(folder.absoluteFilePath()).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x5346414F: // AFS
    case 0x01021997: // 9P
    case 0x73757245: // Coda
        return true;
    default:
        return false;
    }
#endif
}

// One database connection of Qt SQL, under a name of its own, with the
// dialect of its system.
class SiteHistory::Connection {
public:
    Connection(const QString& driver, Dialect dialect) : dialect(dialect)
    {
        static std::atomic<int> counter{0};
        name = QStringLiteral("site_history_%1").arg(counter++);
        QSqlDatabase::addDatabase(driver, name);
    }
    ~Connection()
    {
        {
            QSqlDatabase database = db();
            if (database.isOpen())
                database.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }

    // A statement prepared on this connection.
    QSqlQuery prepare(const QString& statement) const
    {
        QSqlQuery query(db());
        query.setForwardOnly(true);
        if (!query.prepare(statement))
            fail(query, Fault::CannotWrite);
        return query;
    }

    // Runs a prepared statement; a failure is the store's.
    void run(QSqlQuery& query, Fault fault = Fault::CannotWrite) const
    {
        if (!query.exec())
            fail(query, fault);
    }

    QSqlQuery run(const QString& statement, Fault fault = Fault::CannotWrite) const
    {
        QSqlQuery query(db());
        query.setForwardOnly(true);
        if (!query.exec(statement))
            fail(query, fault);
        return query;
    }

    // The single value of a query, or a null value when it has no row.
    QVariant value(QSqlQuery& query, Fault fault = Fault::CannotWrite) const
    {
        run(query, fault);
        return query.next() ? query.value(0) : QVariant();
    }

    [[noreturn]] static void fail(const QSqlQuery& query, Fault fault)
    {
        const QString reason = query.lastError().text().trimmed();
        switch (fault) {
        case Fault::CannotWrite:
            throw HistoryError(fault, "Ошибка при записи в историю: " + utf8(reason));
        case Fault::Damaged:
            throw HistoryError(fault, "Файл истории повреждён: " + utf8(reason));
        default:
            throw HistoryError(fault, "Ошибка при чтении истории: " + utf8(reason));
        }
    }

    // Runs body in one writing transaction: all of it, or on any exception
    // nothing.
    template <typename Body>
    auto write(Body body) const
    {
        run(beginWriting(dialect));
        try {
            auto result = body();
            run(QStringLiteral("COMMIT"));
            return result;
        } catch (...) {
            QSqlQuery(db()).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    }

    QString name;
    const Dialect dialect;
};

namespace {

// The file at `path` must be a SQLite database before SQLite may open it,
// so that no other file is ever touched.
void checkFileBeforeOpening(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: " + utf8(path) + " — это папка");
    if (!info.exists()) {
        if (!info.absoluteDir().exists())
            throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: нет папки " + utf8(info.absolutePath()));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: " + utf8(path) + " — " + utf8(file.errorString()));
    const QByteArray header = file.read(16);
    if (!header.isEmpty() && header != QByteArray("SQLite format 3\0", 16))
        throw HistoryError(Fault::NotAStore, "Файл не является историей событий: " + utf8(path));
}

} // namespace

SiteHistory::SiteHistory(const QString& location) : path(location), connection(nullptr)
{
    if (isNetworkPath(path))
        throw HistoryError(Fault::CannotOpen,
                           "История должна лежать на диске этого компьютера, не в сетевой папке: " + utf8(path));
    checkFileBeforeOpening(path);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: нет драйвера SQLite");

    auto owned = std::make_unique<Connection>(QStringLiteral("QSQLITE"), Dialect::Sqlite);
    const Connection& c = *owned;
    QSqlDatabase db = c.db();
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open())
        throw HistoryError(Fault::CannotOpen,
                           "Невозможно открыть историю: " + utf8(path) + " — " + utf8(db.lastError().text()));

    // Only reading until the file is known to be a store of ours. Its
    // header said SQLite, so a failure to read it means damage.
    const auto number = [&](const QString& statement) {
        QSqlQuery query = c.run(statement, Fault::Damaged);
        return query.next() ? query.value(0).toInt() : 0;
    };
    // One snapshot for all three, so that a store another program is
    // making at this moment is seen before or after, never half made.
    c.run(QStringLiteral("BEGIN"), Fault::CannotOpen);
    const int version = number(QStringLiteral("PRAGMA user_version"));
    const int id = number(QStringLiteral("PRAGMA application_id"));
    const int objects = number(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
    c.run(QStringLiteral("COMMIT"), Fault::CannotOpen);
    if ((version == 0 && objects > 0) || (version > 0 && id != applicationId))
        throw HistoryError(Fault::NotAStore, "Файл не является историей событий: " + utf8(path));
    if (version > schemaVersion)
        throw HistoryError(Fault::NewerVersion,
                           "История записана более новой версией программы: версия истории " + std::to_string(version)
                               + ", программа знает версии до " + std::to_string(schemaVersion)
                               + ". Файл оставлен без изменений: " + utf8(path));
    if (version > 0) {
        QSqlQuery check = c.run(QStringLiteral("PRAGMA quick_check"), Fault::Damaged);
        const QString verdict = check.next() ? check.value(0).toString() : QString();
        if (verdict != QLatin1String("ok"))
            throw HistoryError(Fault::Damaged, "Файл истории повреждён: " + utf8(path) + " ("
                                   + utf8(verdict.section(QLatin1Char('\n'), 0, 1).replace(QLatin1Char('\n'), QLatin1Char(' ')))
                                   + ")");
    }

    // A write-ahead log: a crash in the middle of a read's recording leaves
    // the store as it was before it. Switching to it needs the file to
    // itself, and SQLite does not wait for that: another program opening
    // the same new store is waited for here.
    const auto journalMode = [&](const QString& statement) {
        QSqlQuery query = c.run(statement, Fault::CannotOpen);
        return query.next() ? query.value(0).toString() : QString();
    };
    if (journalMode(QStringLiteral("PRAGMA journal_mode")) != QLatin1String("wal")) {
        QElapsedTimer waited;
        waited.start();
        while (true) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && query.next()
                && query.value(0).toString() == QLatin1String("wal"))
                break;
            if (waited.elapsed() > busyTimeoutMs)
                Connection::fail(query, Fault::CannotOpen);
            QThread::msleep(20);
        }
    }
    c.run(QStringLiteral("PRAGMA synchronous=NORMAL"), Fault::CannotOpen);
    if (version < schemaVersion) {
        c.write([&] {
            // Another program may have made the store meanwhile.
            const int current = number(QStringLiteral("PRAGMA user_version"));
            for (int step = current; step < schemaVersion; ++step)
                for (const QString& statement : schemaSteps(step, c.dialect))
                    c.run(statement);
            if (current < schemaVersion) {
                c.run(QStringLiteral("PRAGMA application_id=%1").arg(applicationId));
                c.run(QStringLiteral("PRAGMA user_version=%1").arg(schemaVersion));
            }
            return 0;
        });
    }
    connection = owned.release();
}

SiteHistory::~SiteHistory()
{
    delete connection;
}

std::int64_t SiteHistory::siteId(const QString& name) const
{
    QSqlQuery query = connection->prepare(QStringLiteral("SELECT id FROM sites WHERE name = ?"));
    query.addBindValue(name);
    const QVariant id = connection->value(query, Fault::CannotOpen);
    if (id.isNull())
        throw HistoryError(Fault::NoSuchSite, "В истории нет объекта «" + utf8(name) + "»");
    return id.toLongLong();
}

std::vector<SiteInfo> SiteHistory::sites() const
{
    QSqlQuery query = connection->prepare(QStringLiteral(
        "SELECT s.name, s.created_ms,"
        " (SELECT COUNT(*) FROM reads r WHERE r.site_id = s.id),"
        " (SELECT COUNT(*) FROM events e WHERE e.site_id = s.id),"
        " (SELECT MIN(read_ms) FROM reads r WHERE r.site_id = s.id),"
        " (SELECT MAX(read_ms) FROM reads r WHERE r.site_id = s.id)"
        " FROM sites s ORDER BY s.name"));
    connection->run(query, Fault::CannotOpen);
    std::vector<SiteInfo> sites;
    while (query.next()) {
        SiteInfo info;
        info.name = query.value(0).toString();
        info.created = utcTime(query.value(1));
        info.reads = query.value(2).toInt();
        info.events = query.value(3).toInt();
        info.firstRead = utcTime(query.value(4));
        info.lastRead = utcTime(query.value(5));
        sites.push_back(info);
    }
    return sites;
}

std::optional<SiteInfo> SiteHistory::site(const QString& name) const
{
    for (SiteInfo& info : sites())
        if (info.name == name)
            return info;
    return std::nullopt;
}

SiteMatch SiteHistory::matchSite(const memory_dump::MemoryDump& dump) const
{
    QSqlQuery query = connection->prepare(QStringLiteral(
        "SELECT s.name FROM events e JOIN sites s ON s.id = e.site_id WHERE e.address = ? AND e.record = ?"));
    std::map<QString, int> shared;
    int sitesMatched = 0;
    for (const memory_dump::DumpRecord& record : memory_dump::validRecords(dump)) {
        query.bindValue(0, qint64(record.address));
        query.bindValue(1, blob(record.bytes));
        connection->run(query, Fault::CannotOpen);
        while (query.next())
            if (++shared[query.value(0).toString()] == sharedRecords)
                ++sitesMatched;
        // Two sites matched already: the read cannot be told apart.
        if (sitesMatched > 1)
            break;
    }
    SiteMatch match;
    for (const auto& [name, count] : shared)
        if (count >= sharedRecords) {
            match.kind = match.kind == SiteMatch::Kind::None ? SiteMatch::Kind::One : SiteMatch::Kind::Several;
            match.site = name;
        }
    if (match.kind != SiteMatch::Kind::One)
        match.site.clear();
    return match;
}

RecordedRead SiteHistory::record(const QString& siteName, const memory_dump::MemoryDump& dump)
{
    // Decoded in full before the store changes: a dump that cannot be
    // used changes nothing.
    const std::vector<std::uint8_t> bytes = memory_dump::serializeDump(dump);
    const QString hash = sha256(bytes);
    const std::vector<memory_dump::DumpRecord> records = memory_dump::validRecords(dump);
    config_quorvel::Configuration configuration;
    const std::vector<config_quorvel::Event> events = memory_dump::decodeDump(dump, configuration);
    const qint64 readMs = dump.readTimeMs;

    const Connection& c = *connection;
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

        QSqlQuery addRead = c.prepare(QStringLiteral(
            "INSERT INTO reads (site_id, read_ms, port, program_version, speed, dump_sha256, dump)"
            " VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING id"));
        addRead.addBindValue(site);
        addRead.addBindValue(readMs);
        addRead.addBindValue(QString::fromStdString(dump.portName));
        addRead.addBindValue(QString::fromStdString(dump.programVersion));
        addRead.addBindValue(dump.turbo ? 345600 : 19200);
        addRead.addBindValue(hash);
        addRead.addBindValue(blob(bytes));
        const qint64 read = c.value(addRead).toLongLong();

        // A new event goes in; one already kept takes this read as its first
        // when this read is older, in the order of read time, then dump hash.
        QSqlQuery addEvent = c.prepare(QStringLiteral(
            "INSERT INTO events (site_id, address, record, first_read_id, first_read_ms, first_read_sha256,"
            " text_emergency, text_date_time, text_section, text_address, text_loop, text_event, text_object)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (site_id, address, record) DO NOTHING"));
        QSqlQuery takeOlder = c.prepare(QStringLiteral(
            "UPDATE events SET first_read_id = ?, first_read_ms = ?, first_read_sha256 = ?,"
            " text_emergency = ?, text_date_time = ?, text_section = ?, text_address = ?, text_loop = ?,"
            " text_event = ?, text_object = ?"
            " WHERE site_id = ? AND address = ? AND record = ?"
            " AND (first_read_ms > ? OR (first_read_ms = ? AND first_read_sha256 > ?))"));
        outcome.isNew.reserve(events.size());
        for (std::size_t i = 0; i < records.size() && i < events.size(); ++i) {
            const archive_table::RowTexts texts = archive_table::eventRowTexts(events[i]);
            const QByteArray recordBytes = blob(records[i].bytes);
            int at = 0;
            for (const QVariant& v : {QVariant(site), QVariant(qint64(records[i].address)), QVariant(recordBytes),
                                      QVariant(read), QVariant(readMs), QVariant(hash)})
                addEvent.bindValue(at++, v);
            for (const QString& text : texts)
                addEvent.bindValue(at++, cellText(text));
            c.run(addEvent);
            const bool isNew = addEvent.numRowsAffected() == 1;
            outcome.isNew.push_back(isNew);
            outcome.newEvents += isNew ? 1 : 0;
            if (isNew)
                continue;
            at = 0;
            for (const QVariant& v : {QVariant(read), QVariant(readMs), QVariant(hash)})
                takeOlder.bindValue(at++, v);
            for (const QString& text : texts)
                takeOlder.bindValue(at++, cellText(text));
            for (const QVariant& v : {QVariant(site), QVariant(qint64(records[i].address)), QVariant(recordBytes),
                                      QVariant(readMs), QVariant(readMs), QVariant(hash)})
                takeOlder.bindValue(at++, v);
            c.run(takeOlder);
        }
        return outcome;
    });
}

HistoryTable SiteHistory::table(const QString& siteName) const
{
    HistoryTable table;
    const std::optional<SiteInfo> info = site(siteName);
    if (!info)
        throw HistoryError(Fault::NoSuchSite, "В истории нет объекта «" + utf8(siteName) + "»");
    table.site = *info;
    QSqlQuery query = connection->prepare(QStringLiteral(
        "SELECT text_emergency, text_date_time, text_section, text_address, text_loop, text_event, text_object"
        " FROM events WHERE site_id = ? ORDER BY address, first_read_ms, first_read_sha256"));
    query.addBindValue(qint64(siteId(siteName)));
    connection->run(query, Fault::CannotOpen);
    std::vector<archive_table::RowTexts> listed;
    listed.reserve(std::size_t(info->events));
    while (query.next()) {
        archive_table::RowTexts texts;
        for (int column = 0; column < archive_table::columnCount; ++column)
            texts[column] = query.value(column).toString();
        listed.push_back(std::move(texts));
    }
    table.rows.reserve(listed.size());
    for (std::size_t row : archive_table::orderAsShownAfterRead(listed))
        table.rows.push_back(std::move(listed[row]));
    return table;
}

std::vector<ReadInfo> SiteHistory::reads(const QString& siteName) const
{
    QSqlQuery query = connection->prepare(QStringLiteral(
        "SELECT id, read_ms, port, speed, program_version FROM reads WHERE site_id = ? ORDER BY read_ms, dump_sha256"));
    query.addBindValue(qint64(siteId(siteName)));
    connection->run(query, Fault::CannotOpen);
    std::vector<ReadInfo> reads;
    while (query.next())
        reads.push_back({query.value(0).toLongLong(), utcTime(query.value(1)), query.value(2).toString(),
                         query.value(3).toInt(), query.value(4).toString()});
    return reads;
}

memory_dump::MemoryDump SiteHistory::readDump(std::int64_t readId) const
{
    QSqlQuery query = connection->prepare(QStringLiteral("SELECT dump FROM reads WHERE id = ?"));
    query.addBindValue(qint64(readId));
    const QByteArray bytes = connection->value(query, Fault::CannotOpen).toByteArray();
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
    const Connection& c = *connection;
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
    const Connection& c = *connection;
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

} // namespace site_history
