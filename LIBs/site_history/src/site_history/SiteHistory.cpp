#include <site_history/SiteHistory.h>

#include <site_history/Schema.h>
#include <site_history/ServerAddress.h>
#include <site_history/SiteName.h>

#include <archive_table/EventRows.h>
#include <config_quorvel/Event.h>
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
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/vfs.h>
#endif

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

// How many events one statement adds or looks up: a server answers each
// statement in one round trip, while Qt binds the values of a long
// statement slowly (64: a full read recorded in 45 ms in a file, 256: 72 ms).
constexpr std::size_t rowsPerStatement = 64;
// How long a program waits for another one that is writing.
constexpr int busyTimeoutMs = 10000;
// How often a transaction that lost against another one on a server is
// tried again before its failure is the user's.
constexpr int writeAttempts = 12;

// A transaction the server gave up for another one running at the same
// moment (a serialization failure, a deadlock): tried again as a whole.
class LostToAnotherWriter : public HistoryError {
public:
    using HistoryError::HistoryError;
};

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
        if (!QSqlDatabase::isDriverAvailable(driver))
            throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: нет драйвера базы данных " + utf8(driver));
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
        QSqlQuery query = newQuery();
        if (!query.prepare(statement))
            fail(query, Fault::CannotWrite);
        if (writing && dialect == Dialect::Postgres)
            heldStatements.push_back(query);
        return query;
    }

    // SQLite's results are read row by row; a server's come whole, so that
    // a result not read to its end never stands in the way of the next
    // statement on the connection.
    QSqlQuery newQuery() const
    {
        QSqlQuery query(db());
        query.setForwardOnly(dialect == Dialect::Sqlite);
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
        QSqlQuery query = newQuery();
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
        const QSqlError error = query.lastError();
        const QString reason = error.text().simplified();
        // A server's SQLSTATE: the role lacks the right, or the transaction
        // lost against another one.
        const QString state = error.nativeErrorCode();
        if (state == QLatin1String("42501"))
            throw HistoryError(Fault::NoRight, (fault == Fault::CannotWrite
                                                    ? "Нет права изменять историю на сервере (роль только для чтения?): "
                                                    : "Нет права читать историю на сервере: ")
                                                   + utf8(reason));
        if (state == QLatin1String("40001") || state == QLatin1String("40P01"))
            throw LostToAnotherWriter(Fault::CannotWrite, "Ошибка при записи в историю: " + utf8(reason));
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
    // nothing. A transaction that lost against another writer is run again
    // from its start, after a pause of random length.
    template <typename Body>
    auto write(Body body, const QString& begin = QString()) const
    {
        for (int attempt = 1;; ++attempt) {
            run(begin.isEmpty() ? beginWriting(dialect) : begin);
            writing = true;
            try {
                auto result = body();
                run(QStringLiteral("COMMIT"));
                endWriting();
                return result;
            } catch (const LostToAnotherWriter&) {
                rollBack();
                if (attempt == writeAttempts)
                    throw;
                static thread_local std::minstd_rand random{std::random_device{}()};
                std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % (20 * attempt)));
            } catch (...) {
                rollBack();
                throw;
            }
        }
    }

    void rollBack() const
    {
        QSqlQuery(db()).exec(QStringLiteral("ROLLBACK"));
        endWriting();
    }

    // Qt's server driver frees a prepared statement when the last query that
    // holds it goes, and a failed transaction refuses that until it has been
    // rolled back (the driver then warns on standard error, and the statement
    // stays on the server): the statements of a transaction go once it ends.
    void endWriting() const
    {
        writing = false;
        heldStatements.clear();
    }

    // Runs a statement over `count` items, rowsPerStatement of them to a
    // statement (the last one shorter): statementFor(n) is the statement
    // for n items, bind(query, at, i) binds item i from placeholder `at`
    // on, and read(query) takes the results, false to stop there.
    template <typename Statement, typename Bind, typename Read>
    void inBatches(std::size_t count, Fault fault, Statement statementFor, Bind bind, Read read) const
    {
        std::optional<QSqlQuery> full;
        for (std::size_t first = 0; first < count; first += rowsPerStatement) {
            const std::size_t rows = std::min(rowsPerStatement, count - first);
            if (rows == rowsPerStatement && !full)
                full = prepare(statementFor(rows));
            QSqlQuery part;
            QSqlQuery& query = rows == rowsPerStatement ? *full : (part = prepare(statementFor(rows)));
            int at = 0;
            for (std::size_t i = first; i < first + rows; ++i)
                bind(query, at, i);
            run(query, fault);
            if (!read(query))
                return;
        }
    }

    // `rows` times the row of placeholders, separated by `separator`.
    static QString repeated(const QString& row, std::size_t rows, const QString& separator)
    {
        QStringList all;
        for (std::size_t i = 0; i < rows; ++i)
            all << row;
        return all.join(separator);
    }

    QString name;
    const Dialect dialect;
    mutable bool writing = false;
    mutable std::vector<QSqlQuery> heldStatements;
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

[[noreturn]] void newerVersion(int version, const QString& location)
{
    throw HistoryError(Fault::NewerVersion,
                       "История записана более новой версией программы: версия истории " + std::to_string(version)
                           + ", программа знает версии до " + std::to_string(schemaVersion)
                           + ". История оставлена без изменений: " + utf8(location));
}

// Takes the store from `version`, which `currentVersion` reads again
// inside the transaction (another program may have made the store
// meanwhile), to this program's version. `beforeMaking` runs first in the
// transaction.
template <typename ReadVersion, typename BeforeMaking>
void migrate(const SiteHistory::Connection& c, const QString& location, int version, ReadVersion currentVersion,
             BeforeMaking beforeMaking)
{
    if (version >= schemaVersion)
        return;
    c.write([&] {
        beforeMaking();
        const int current = currentVersion();
        if (current > schemaVersion)
            newerVersion(current, location);
        for (int step = current; step < schemaVersion; ++step)
            for (const QString& statement : schemaSteps(step, c.dialect))
                c.run(statement);
        if (current < schemaVersion)
            for (const QString& statement : versionSteps(schemaVersion, c.dialect))
                c.run(statement);
        return 0;
    }, beginMaking(c.dialect));
}

} // namespace

SiteHistory::SiteHistory(const QString& location) : path(location), connection(nullptr)
{
    connection = (isServerLocation(location) ? openServer(location) : openFile(location)).release();
}

std::unique_ptr<SiteHistory::Connection> SiteHistory::openFile(const QString& path)
{
    if (isNetworkPath(path))
        throw HistoryError(Fault::CannotOpen,
                           "История должна лежать на диске этого компьютера, не в сетевой папке: " + utf8(path));
    checkFileBeforeOpening(path);

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
        newerVersion(version, path);
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
    migrate(c, path, version, [&] { return number(QStringLiteral("PRAGMA user_version")); }, [] {});
    return owned;
}

// A store on a server: the tables in their own schema of the company's
// database, made on first use by a role that may create it.
std::unique_ptr<SiteHistory::Connection> SiteHistory::openServer(const QString& uri)
{
    const QString options = serverConnectionString(uri);
    const QString shown = shownLocation(uri);
    auto owned = std::make_unique<Connection>(QStringLiteral("QPSQL"), Dialect::Postgres);
    const Connection& c = *owned;
    QSqlDatabase db = c.db();
    db.setConnectOptions(options);
    if (!db.open())
        throw HistoryError(Fault::CannotOpen, "Невозможно подключиться к истории " + utf8(shown) + ": "
                                                  + utf8(db.lastError().databaseText().simplified()));
    const QString schema = QString::fromLatin1(serverSchema);
    c.run(QStringLiteral("SET search_path TO ") + schema, Fault::CannotOpen);

    // The version from store_version; 0 for a schema that is not there or
    // empty, -1 for one that holds tables of something else.
    const auto storedVersion = [&](Fault fault) {
        QSqlQuery look = c.prepare(QStringLiteral(
            "SELECT (SELECT COUNT(*) FROM pg_catalog.pg_tables WHERE schemaname = ?),"
            " pg_catalog.to_regclass(?) IS NOT NULL"));
        look.addBindValue(schema);
        look.addBindValue(schema + QStringLiteral(".store_version"));
        c.run(look, fault);
        look.next();
        if (!look.value(1).toBool())
            return look.value(0).toInt() == 0 ? 0 : -1;
        QSqlQuery version = c.run(QStringLiteral("SELECT version, application_id FROM store_version"), fault);
        if (!version.next() || version.value(1).toInt() != applicationId)
            return -1;
        return version.value(0).toInt();
    };
    const int version = storedVersion(Fault::CannotOpen);
    if (version < 0)
        throw HistoryError(Fault::NotAStore, "Схема " + utf8(schema) + " базы на сервере занята чем-то другим, а не историей событий: "
                                                 + utf8(shown));
    if (version > schemaVersion)
        newerVersion(version, shown);
    migrate(c, shown, version, [&] { return std::max(0, storedVersion(Fault::CannotWrite)); }, [&] {
        // One program makes the store; another one waits here, then finds it made.
        c.run(QStringLiteral("SELECT pg_catalog.pg_advisory_xact_lock(%1)").arg(applicationId));
        QSqlQuery owner = c.prepare(QStringLiteral(
            "SELECT r.rolname, pg_catalog.pg_has_role(n.nspowner, 'MEMBER')"
            " FROM pg_catalog.pg_namespace n JOIN pg_catalog.pg_roles r ON r.oid = n.nspowner WHERE n.nspname = ?"));
        owner.addBindValue(schema);
        c.run(owner);
        if (!owner.next()) {
            c.run(QStringLiteral("CREATE SCHEMA ") + schema);
        } else if (owner.value(1).toBool()) {
            // A schema the administrator made for the writers' role: its
            // tables belong to that role, so that every writer may use them.
            c.run(QStringLiteral("SET LOCAL ROLE ") + db.driver()->escapeIdentifier(owner.value(0).toString(),
                                                                                 QSqlDriver::TableName));
        }
    });
    return owned;
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
    const std::vector<memory_dump::DumpRecord> records = memory_dump::validRecords(dump);
    std::map<QString, int> shared;
    int sitesMatched = 0;
    connection->inBatches(
        records.size(), Fault::CannotOpen,
        [](std::size_t rows) {
            return QStringLiteral("SELECT s.name FROM events e JOIN sites s ON s.id = e.site_id WHERE %1")
                .arg(Connection::repeated(QStringLiteral("(e.address = ? AND e.record = ?)"), rows,
                                          QStringLiteral(" OR ")));
        },
        [&](QSqlQuery& query, int& at, std::size_t i) {
            query.bindValue(at++, qint64(records[i].address));
            query.bindValue(at++, blob(records[i].bytes));
        },
        [&](QSqlQuery& query) {
            while (query.next())
                if (++shared[query.value(0).toString()] == sharedRecords)
                    ++sitesMatched;
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
}

RecordedRead SiteHistory::record(const QString& siteName, const memory_dump::MemoryDump& dump)
{
    // A site that an older program let in under such a name keeps it.
    if (const QString problem = siteNameProblem(siteName); !problem.isEmpty() && !site(siteName))
        throw HistoryError(Fault::BadSiteName, utf8(problem));
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

        // New events go in, many to a statement (a server answers each
        // statement in one round trip). Then the events already kept whose
        // first read is newer than this one take this read as their first,
        // in the order of read time, then dump hash. The inserts have waited
        // for every other program writing the same events, so the search
        // after them sees what those wrote.
        const std::size_t count = std::min(records.size(), events.size());
        std::map<std::pair<qint64, QByteArray>, std::size_t> eventAt;
        std::vector<archive_table::RowTexts> texts(count);
        outcome.isNew.assign(count, false);
        for (std::size_t i = 0; i < count; ++i) {
            texts[i] = archive_table::eventRowTexts(events[i]);
            eventAt[{qint64(records[i].address), blob(records[i].bytes)}] = i;
        }
        const auto bindEvent = [&](QSqlQuery& query, int& at, std::size_t i) {
            for (const QVariant& v : {QVariant(site), QVariant(qint64(records[i].address)), QVariant(blob(records[i].bytes)),
                                      QVariant(read), QVariant(readMs), QVariant(hash)})
                query.bindValue(at++, v);
            for (const QString& text : texts[i])
                query.bindValue(at++, cellText(text));
        };
        c.inBatches(
            count, Fault::CannotWrite,
            [](std::size_t rows) {
                return QStringLiteral(
                           "INSERT INTO events (site_id, address, record, first_read_id, first_read_ms,"
                           " first_read_sha256, text_emergency, text_date_time, text_section, text_address,"
                           " text_loop, text_event, text_object)"
                           " VALUES %1 ON CONFLICT (site_id, address, record) DO NOTHING RETURNING address, record")
                    .arg(Connection::repeated(QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"), rows,
                                              QStringLiteral(", ")));
            },
            bindEvent,
            [&](QSqlQuery& insert) {
                while (insert.next()) {
                    const auto found = eventAt.find({insert.value(0).toLongLong(), insert.value(1).toByteArray()});
                    if (found != eventAt.end() && !outcome.isNew[found->second]) {
                        outcome.isNew[found->second] = true;
                        ++outcome.newEvents;
                    }
                }
                return true;
            });

        QSqlQuery keptNewer = c.prepare(QStringLiteral(
            "SELECT address, record FROM events WHERE site_id = ?"
            " AND (first_read_ms > ? OR (first_read_ms = ? AND first_read_sha256 > ?))"));
        for (const QVariant& v : {QVariant(site), QVariant(readMs), QVariant(readMs), QVariant(hash)})
            keptNewer.addBindValue(v);
        c.run(keptNewer);
        std::vector<std::size_t> older;
        while (keptNewer.next()) {
            const auto found = eventAt.find({keptNewer.value(0).toLongLong(), keptNewer.value(1).toByteArray()});
            if (found != eventAt.end() && !outcome.isNew[found->second])
                older.push_back(found->second);
        }
        // In one order in every program, so that two never wait for each other.
        std::sort(older.begin(), older.end());
        // The key columns are set to what they are, so that the event binds
        // as it does for the insert.
        QSqlQuery takeOlder = c.prepare(QStringLiteral(
            "UPDATE events SET site_id = ?, address = ?, record = ?, first_read_id = ?, first_read_ms = ?,"
            " first_read_sha256 = ?, text_emergency = ?, text_date_time = ?, text_section = ?, text_address = ?,"
            " text_loop = ?, text_event = ?, text_object = ?"
            " WHERE site_id = ? AND address = ? AND record = ?"
            " AND (first_read_ms > ? OR (first_read_ms = ? AND first_read_sha256 > ?))"));
        for (std::size_t i : older) {
            int at = 0;
            bindEvent(takeOlder, at, i);
            for (const QVariant& v : {QVariant(site), QVariant(qint64(records[i].address)), QVariant(blob(records[i].bytes)),
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
        "SELECT record, text_event, text_object"
        " FROM events WHERE site_id = ? ORDER BY address, first_read_ms, first_read_sha256"));
    query.addBindValue(qint64(siteId(siteName)));
    connection->run(query, Fault::CannotOpen);
    std::vector<archive_table::ArchiveEvent> listed;
    listed.reserve(std::size_t(info->events));
    archive_table::TextPool texts;
    while (query.next()) {
        const QByteArray record = query.value(0).toByteArray();
        const config_quorvel::Event decoded(std::vector<std::uint8_t>(record.begin(), record.end()), nullptr);
        listed.push_back(archive_table::archiveEvent(decoded, texts.shared(query.value(1).toString()),
                                                     texts.shared(query.value(2).toString())));
    }
    table.events = archive_table::eventsAsShownAfterRead(std::move(listed));
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
    if (const QString problem = siteNameProblem(to); !problem.isEmpty())
        throw HistoryError(Fault::BadSiteName, utf8(problem));
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
