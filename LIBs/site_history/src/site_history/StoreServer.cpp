#include <site_history/StoreOpening.h>

#include <site_history/Migration.h>
#include <site_history/Schema.h>
#include <site_history/ServerAddress.h>
#include <site_history/StoreConnection.h>

#include <QSqlDriver>
#include <QSqlError>

namespace site_history {

namespace {

using Fault = HistoryError::Fault;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// Opens the connection and sets up its session: the store's schema first
// in the search path; a lock that another program holds is waited for as
// long as a file's (10 s), and no statement runs for ever.
void openSession(const StoreConnection& c, const QString& options, const char* failure)
{
    QSqlDatabase db = c.db();
    if (db.isOpen())
        db.close();
    db.setConnectOptions(options);
    if (!db.open())
        throw HistoryError(Fault::Unreachable, failure + utf8(c.location()) + ": "
                                                   + utf8(db.lastError().databaseText().simplified()));
    c.run(QStringLiteral("SET search_path TO ") + QString::fromLatin1(serverSchema), Fault::CannotOpen);
    c.run(QStringLiteral("SET lock_timeout = '10s'"), Fault::CannotOpen);
    c.run(QStringLiteral("SET statement_timeout = '10min'"), Fault::CannotOpen);
}

} // namespace

std::unique_ptr<StoreConnection> openServerStore(const QString& uri)
{
    const QString options = serverConnectionString(uri);
    // Messages name the server without any secret its address holds.
    const QString shown = shownLocation(uri);
    auto owned = std::make_unique<StoreConnection>(QStringLiteral("QPSQL"), Dialect::Postgres, shown);
    StoreConnection& c = *owned;
    openSession(c, options, "Невозможно подключиться к истории ");
    c.reopen = [&c, options] { openSession(c, options, "Нет связи с историей на сервере "); };
    const QString schema = QString::fromLatin1(serverSchema);

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
        refuseNewerVersion(version, shown);
    migrate(c, version, [&] { return std::max(0, storedVersion(Fault::CannotWrite)); }, [&] {
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
            c.run(QStringLiteral("SET LOCAL ROLE ") + c.db().driver()->escapeIdentifier(owner.value(0).toString(),
                                                                                     QSqlDriver::TableName));
        }
    });
    return owned;
}

} // namespace site_history
