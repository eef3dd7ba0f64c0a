#include <site_history/StoreConnection.h>

#include <QSqlError>

#include <atomic>

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// SQLite's result codes, the primary ones (an extended code keeps its
// primary one in the low byte).
enum SqliteCode { sqliteBusy = 5, sqliteLocked = 6, sqliteReadOnly = 8, sqliteCorrupt = 11, sqliteNotADatabase = 26 };

bool isSqliteCode(const QSqlError& error, int code)
{
    bool isNumber = false;
    const int native = error.nativeErrorCode().toInt(&isNumber);
    return isNumber && (native & 0xFF) == code;
}

} // namespace

StoreConnection::StoreConnection(const QString& driver, Dialect dialect, QString location)
    : dialect(dialect), where(std::move(location))
{
    if (!QSqlDatabase::isDriverAvailable(driver))
        throw HistoryError(Fault::CannotOpen, "Невозможно открыть историю: нет драйвера базы данных " + utf8(driver));
    static std::atomic<int> counter{0};
    name = QStringLiteral("site_history_%1").arg(counter++);
    QSqlDatabase::addDatabase(driver, name);
}

StoreConnection::~StoreConnection()
{
    {
        QSqlDatabase database = db();
        if (database.isOpen())
            database.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QSqlQuery StoreConnection::prepare(const QString& statement) const
{
    QSqlQuery query = newQuery();
    if (!query.prepare(statement))
        fail(query, Fault::CannotWrite);
    if (writing && dialect == Dialect::Postgres)
        heldStatements.push_back(query);
    return query;
}

QSqlQuery StoreConnection::newQuery() const
{
    QSqlQuery query(db());
    query.setForwardOnly(dialect == Dialect::Sqlite);
    return query;
}

void StoreConnection::run(QSqlQuery& query, Fault fault) const
{
    if (!query.exec())
        fail(query, fault);
}

QSqlQuery StoreConnection::run(const QString& statement, Fault fault) const
{
    QSqlQuery query = newQuery();
    if (!query.exec(statement))
        fail(query, fault);
    return query;
}

QVariant StoreConnection::value(QSqlQuery& query, Fault fault) const
{
    run(query, fault);
    if (query.next())
        return query.value(0);
    if (query.lastError().isValid())
        fail(query, fault);
    return QVariant();
}

void StoreConnection::fail(const QSqlQuery& query, Fault fault) const
{
    const QSqlError error = query.lastError();
    const QString reason = error.text().simplified();
    const bool writing = fault == Fault::CannotWrite;
    const std::string failed = writing ? "Ошибка при записи в историю: " : "Ошибка при чтении истории: ";
    if (dialect == Dialect::Postgres) {
        // The server's SQLSTATE: the role lacks the right, the transaction
        // lost against another one, a lock was not had in time.
        const QString state = error.nativeErrorCode();
        if (state == QLatin1String("42501"))
            throw HistoryError(Fault::NoRight, (writing ? "Нет права изменять историю на сервере (роль только для чтения?): "
                                                        : "Нет права читать историю на сервере: ")
                                                   + utf8(reason));
        if (state == QLatin1String("40001") || state == QLatin1String("40P01"))
            throw LostToAnotherWriter(Fault::CannotWrite, failed + utf8(reason));
        if (state == QLatin1String("55P03"))
            throw HistoryError(Fault::Busy, failed + "история занята другой программой");
    } else {
        if (isSqliteCode(error, sqliteBusy) || isSqliteCode(error, sqliteLocked))
            throw HistoryError(Fault::Busy, failed + "история занята другой программой");
        // Also a file whose folder takes no journal. When reading, it is a
        // change cut off by a crash that only someone who may write can undo.
        if (writing && isSqliteCode(error, sqliteReadOnly))
            refuseWriting();
        if (isSqliteCode(error, sqliteCorrupt) || isSqliteCode(error, sqliteNotADatabase))
            fault = Fault::Damaged;
    }
    switch (fault) {
    case Fault::CannotWrite:
        throw HistoryError(fault, failed + utf8(reason));
    case Fault::Damaged:
        throw HistoryError(fault, "Файл истории повреждён: " + utf8(where) + " (" + utf8(reason) + ")");
    default:
        throw HistoryError(fault, failed + utf8(reason));
    }
}

QString StoreConnection::repeated(const QString& row, std::size_t rows, const QString& separator)
{
    QStringList all;
    for (std::size_t i = 0; i < rows; ++i)
        all << row;
    return all.join(separator);
}

bool StoreConnection::alive() const
{
    QSqlQuery probe(db());
    return probe.exec(QStringLiteral("SELECT 1"));
}

void StoreConnection::rollback() const
{
    QSqlQuery(db()).exec(QStringLiteral("ROLLBACK"));
    endWriting();
}

void StoreConnection::endWriting() const
{
    writing = false;
    heldStatements.clear();
}

void StoreConnection::refuseWriting() const
{
    throw HistoryError(Fault::NoRight, "Нет права записи в историю: файл или его папка только для чтения — " + utf8(where));
}

} // namespace site_history
