#pragma once

#include <site_history/HistoryError.h>
#include <site_history/Schema.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <functional>
#include <optional>
#include <random>
#include <thread>
#include <type_traits>
#include <vector>

namespace site_history {

// A transaction the server gave up for another one running at the same
// moment (a serialization failure, a deadlock): tried again as a whole.
class LostToAnotherWriter : public HistoryError {
public:
    using HistoryError::HistoryError;
};

// One database connection of Qt SQL, under a name of its own, with the
// dialect of its system. Its failures are HistoryErrors with the user's
// words for them. A server's connection that was lost is opened again on
// the next use.
class StoreConnection {
public:
    StoreConnection(const QString& driver, Dialect dialect, QString location);
    ~StoreConnection();

    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }
    const QString& location() const { return where; }

    // A statement prepared on this connection.
    QSqlQuery prepare(const QString& statement) const;
    // SQLite's results are read row by row; a server's come whole, so that
    // a result not read to its end never stands in the way of the next
    // statement on the connection.
    QSqlQuery newQuery() const;
    // Runs a prepared statement; a failure is the store's.
    void run(QSqlQuery& query, HistoryError::Fault fault = HistoryError::Fault::CannotWrite) const;
    QSqlQuery run(const QString& statement, HistoryError::Fault fault = HistoryError::Fault::CannotWrite) const;
    // The single value of a query, or a null value when it has no row.
    QVariant value(QSqlQuery& query, HistoryError::Fault fault = HistoryError::Fault::CannotWrite) const;
    // Calls take(query) for each row of a query that has run; a row that
    // could not be read (a damaged file) is a failure, never the end.
    template <typename Take>
    void eachRow(QSqlQuery& query, Take take, HistoryError::Fault fault = HistoryError::Fault::CannotOpen) const
    {
        while (query.next())
            take(query);
        if (query.lastError().isValid())
            fail(query, fault);
    }

    [[noreturn]] void fail(const QSqlQuery& query, HistoryError::Fault fault) const;

    // Runs body in one writing transaction: all of it, or on any exception
    // nothing. A transaction that lost against another writer is run again
    // from its start, after a pause of random length.
    template <typename Body>
    auto write(Body body, const QString& begin = QString()) const
    {
        if (readOnly)
            refuseWriting();
        return reconnecting([&] {
            for (int attempt = 1;; ++attempt) {
                run(begin.isEmpty() ? beginWriting(dialect) : begin);
                writing = true;
                try {
                    auto result = body();
                    run(QStringLiteral("COMMIT"));
                    endWriting();
                    return result;
                } catch (const LostToAnotherWriter&) {
                    rollback();
                    if (attempt == writeAttempts)
                        throw;
                    static thread_local std::minstd_rand random{std::random_device{}()};
                    std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % (20 * attempt)));
                } catch (...) {
                    rollback();
                    throw;
                }
            }
        });
    }

    // Runs body in one transaction that only reads and sees one state of
    // the store. When `retry` says so, a connection lost on the way is
    // opened again and body runs once more.
    template <typename Body>
    auto read(Body body, const std::function<bool()>& retry = [] { return true; }) const
    {
        return reconnecting(
            [&] {
                run(beginReading(dialect), HistoryError::Fault::CannotOpen);
                try {
                    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
                        body();
                        run(QStringLiteral("COMMIT"), HistoryError::Fault::CannotOpen);
                    } else {
                        auto result = body();
                        run(QStringLiteral("COMMIT"), HistoryError::Fault::CannotOpen);
                        return result;
                    }
                } catch (...) {
                    rollback();
                    throw;
                }
            },
            retry);
    }

    // Runs a statement over `count` items, rowsPerStatement of them to a
    // statement (the last one shorter): statementFor(n) is the statement
    // for n items, bind(query, at, i) binds item i from placeholder `at`
    // on, and read(query) takes the results, false to stop there.
    template <typename Statement, typename Bind, typename Read>
    void inBatches(std::size_t count, HistoryError::Fault fault, Statement statementFor, Bind bind, Read read) const
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
    static QString repeated(const QString& row, std::size_t rows, const QString& separator);

    // How many events one statement adds or looks up: a server answers each
    // statement in one round trip, while Qt binds the values of a long
    // statement slowly (64: a full read recorded in 45 ms in a file, 256: 72 ms).
    static constexpr std::size_t rowsPerStatement = 64;
    // How often a transaction that lost against another one on a server is
    // tried again before its failure is the user's.
    static constexpr int writeAttempts = 12;

    const Dialect dialect;
    // A file this program may read but not change: every change is refused
    // before it starts.
    bool readOnly = false;
    // Opens a server's connection again and sets up its session; throws
    // HistoryError (Unreachable). None for a file.
    std::function<void()> reopen;

private:
    // Runs body; when it fails on a server's connection that is gone, the
    // connection is opened again and, when retry() allows, body once more.
    template <typename Body>
    auto reconnecting(Body body, const std::function<bool()>& retry = [] { return true; }) const
    {
        try {
            return body();
        } catch (const HistoryError&) {
            if (!reopen || alive())
                throw;
            reopen();
            if (!retry())
                throw HistoryError(HistoryError::Fault::Unreachable,
                                   "Связь с сервером истории прервалась посреди чтения: " + location().toStdString());
        }
        return body();
    }

    bool alive() const;
    void rollback() const;
    // Qt's server driver frees a prepared statement when the last query that
    // holds it goes, and a failed transaction refuses that until it has been
    // rolled back (the driver then warns on standard error, and the statement
    // stays on the server): the statements of a transaction go once it ends.
    void endWriting() const;
    [[noreturn]] void refuseWriting() const;

    QString name;
    QString where;
    mutable bool writing = false;
    mutable std::vector<QSqlQuery> heldStatements;
};

} // namespace site_history
