#include <site_history/StoreOpening.h>

#include <site_history/Migration.h>
#include <site_history/Schema.h>
#include <site_history/SiteHistory.h>
#include <site_history/StoreConnection.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QThread>
#include <QtEndian>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/vfs.h>
#endif

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

// How long a program waits for another one that is writing.
constexpr int busyTimeoutMs = 10000;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

[[noreturn]] void notAStore(const QString& path)
{
    throw HistoryError(Fault::NotAStore, "Файл не является историей событий: " + utf8(path));
}

// What the file's first bytes tell before SQLite may open it.
struct FileLook {
    enum Kind {
        New,     // no file yet, or an empty one
        Ours,    // SQLite's header with this program's application id
        Unknown, // a SQLite file, or too short to tell: SQLite reads it, only reading
    };
    Kind kind = New;
    int version = 0; // Ours: the version the header gives
};

// SQLite's header: its magic, the write and read versions of the file
// format (2 for a write-ahead log), user_version and the application id.
constexpr int headerSize = 100;
constexpr int writeVersionAt = 18;
constexpr int userVersionAt = 60;
constexpr int applicationIdAt = 68;

FileLook lookAtFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        if (info.isSymLink())
            throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: " + utf8(path) + " — ссылка на файл, которого нет");
        if (!info.absoluteDir().exists())
            throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: нет папки " + utf8(info.absolutePath()));
        if (!QFileInfo(info.absolutePath()).isWritable())
            throw HistoryError(Fault::CannotOpen,
                               "Невозможно создать историю: нет права записи в папку " + utf8(info.absolutePath()));
        return {};
    }
    if (info.isDir())
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: " + utf8(path) + " — это папка");
    // A FIFO would make the open below wait for a writer, a device would
    // be read: only a regular file may be a store.
    if (!info.isFile())
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: " + utf8(path) + " — это не обычный файл");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: " + utf8(path) + " — " + utf8(file.errorString()));
    const QByteArray header = file.read(headerSize);
    if (header.isEmpty())
        return {};
    if (header.size() < headerSize)
        return {FileLook::Unknown};
    if (!header.startsWith(QByteArray("SQLite format 3\0", 16)))
        notAStore(path);
    if (qFromBigEndian<qint32>(header.constData() + applicationIdAt) == applicationId)
        return {FileLook::Ours, qFromBigEndian<qint32>(header.constData() + userVersionAt)};
    // Even reading a database in write-ahead-log mode makes files beside
    // it; one that is not ours is not opened at all.
    if (header[writeVersionAt] == 2)
        notAStore(path);
    return {FileLook::Unknown};
}

// The store's version and whether the file is ours, read in one snapshot,
// so that a store another program is making at this moment is seen before
// or after, never half made.
struct StoreLook {
    int version = 0;
    bool ours = false;
    bool empty = false;
    // Ours, but with a version no program gave it: a version below 0, or
    // 0 with tables in it.
    bool broken = false;
};

int pragmaNumber(const StoreConnection& c, const QString& statement)
{
    QSqlQuery query = c.run(statement, Fault::Damaged);
    return query.next() ? query.value(0).toInt() : 0;
}

StoreLook lookInside(const StoreConnection& c, FileLook::Kind fileLook)
{
    StoreLook look;
    try {
        c.run(QStringLiteral("BEGIN"), Fault::Damaged);
        look.version = pragmaNumber(c, QStringLiteral("PRAGMA user_version"));
        const int id = pragmaNumber(c, QStringLiteral("PRAGMA application_id"));
        const int objects = pragmaNumber(c, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        c.run(QStringLiteral("COMMIT"), Fault::Damaged);
        look.ours = id == applicationId;
        look.empty = id == 0 && look.version == 0 && objects == 0;
        look.broken = look.ours && (look.version < 0 || (look.version == 0 && objects > 0));
    } catch (const HistoryError& error) {
        QSqlQuery(c.db()).exec(QStringLiteral("ROLLBACK"));
        // A file SQLite cannot read is damaged when it was ours, and
        // otherwise no store.
        if (error.fault() == Fault::Damaged && fileLook != FileLook::Ours)
            notAStore(c.location());
        throw;
    }
    return look;
}

std::unique_ptr<StoreConnection> connect(const QString& path, bool readOnly)
{
    auto c = std::make_unique<StoreConnection>(QStringLiteral("QSQLITE"), Dialect::Sqlite, path);
    c->readOnly = readOnly;
    QSqlDatabase db = c->db();
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs)
                         + (readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
    if (!db.open())
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: " + utf8(path) + " — " + utf8(db.lastError().text()));
    return c;
}

// A rollback journal, which SQLite makes only while a change is written
// and removes with it: reading makes no file, so another user's reading
// never leaves one that this user's program could not write (a
// write-ahead log's files stay while any program reads, owned by the one
// that made them). Version 1 stores kept such a log; their file is
// switched back, which needs it to itself: another program using it is
// waited for.
void useRollbackJournal(const StoreConnection& c)
{
    const auto mode = [&](const QString& statement) {
        QSqlQuery query(c.db());
        return query.exec(statement) && query.next() ? query.value(0).toString() : QString();
    };
    if (mode(QStringLiteral("PRAGMA journal_mode")) != QLatin1String("wal"))
        return;
    QElapsedTimer waited;
    waited.start();
    while (mode(QStringLiteral("PRAGMA journal_mode=DELETE")) != QLatin1String("delete")) {
        if (waited.elapsed() > busyTimeoutMs)
            throw HistoryError(Fault::Busy, "Невозможно открыть историю: история занята другой программой — " + utf8(c.location()));
        QThread::msleep(20);
    }
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

std::unique_ptr<StoreConnection> openFileStore(const QString& path)
{
    if (isNetworkPath(path))
        throw HistoryError(Fault::CannotOpen,
                           "История должна лежать на диске этого компьютера, не в сетевой папке: " + utf8(path));
    const FileLook fileLook = lookAtFile(path);
    const QFileInfo info(path);
    // Writing needs the file and, for the journal, its folder.
    const bool mayWrite = !info.exists() || (info.isWritable() && QFileInfo(info.absolutePath()).isWritable());
    const auto refuseOldVersion = [&](int version) {
        if (version == 0)
            throw HistoryError(Fault::NoRight, "Невозможно создать историю: файл или его папка только для чтения — " + utf8(path));
        throw HistoryError(Fault::NoRight, "История версии " + std::to_string(version) + " должна быть переведена в версию "
                                               + std::to_string(schemaVersion)
                                               + ", а файл или его папка только для чтения: " + utf8(path));
    };
    if (!mayWrite && fileLook.kind == FileLook::Ours && fileLook.version > 0 && fileLook.version < schemaVersion)
        refuseOldVersion(fileLook.version);

    const auto refuseOthers = [&](const StoreLook& look) {
        if (!look.ours && !look.empty)
            notAStore(path);
        if (look.broken)
            throw HistoryError(Fault::Damaged, "Файл истории повреждён: " + utf8(path) + " (версия истории "
                                                   + std::to_string(look.version) + ")");
        if (look.version > schemaVersion)
            refuseNewerVersion(look.version, path);
    };
    // A file not known to be ours is first opened only to read.
    std::unique_ptr<StoreConnection> c = connect(path, !mayWrite || fileLook.kind == FileLook::Unknown);
    StoreLook look = lookInside(*c, fileLook.kind);
    refuseOthers(look);
    if (c->readOnly && mayWrite) {
        c = connect(path, false);
        look = lookInside(*c, fileLook.kind);
        refuseOthers(look);
    }
    if (c->readOnly) {
        if (look.version < schemaVersion)
            refuseOldVersion(look.version);
        return c;
    }
    useRollbackJournal(*c);
    migrate(*c, look.version, [&] { return pragmaNumber(*c, QStringLiteral("PRAGMA user_version")); });
    return c;
}

} // namespace site_history
