#include <site_history/Schema.h>

namespace site_history {

namespace {

// Version 1: sites, their reads with the whole dump of each, and every
// distinct event of a site with the texts of the read that first saw it.
// An event is its site, its archive address and its record's eight bytes.
const char* const version1[] = {
    R"(CREATE TABLE sites (
         id @ID@,
         name TEXT NOT NULL UNIQUE,
         created_ms BIGINT NOT NULL))",
    R"(CREATE TABLE reads (
         id @ID@,
         site_id BIGINT NOT NULL REFERENCES sites (id),
         read_ms BIGINT NOT NULL,
         port TEXT NOT NULL,
         program_version TEXT NOT NULL,
         speed INTEGER NOT NULL,
         dump_sha256 TEXT NOT NULL,
         dump @BLOB@ NOT NULL,
         UNIQUE (site_id, dump_sha256)))",
    R"(CREATE TABLE events (
         site_id BIGINT NOT NULL REFERENCES sites (id),
         address INTEGER NOT NULL,
         record @BLOB@ NOT NULL,
         first_read_id BIGINT NOT NULL REFERENCES reads (id),
         first_read_ms BIGINT NOT NULL,
         first_read_sha256 TEXT NOT NULL,
         text_emergency TEXT NOT NULL,
         text_date_time TEXT NOT NULL,
         text_section TEXT NOT NULL,
         text_address TEXT NOT NULL,
         text_loop TEXT NOT NULL,
         text_event TEXT NOT NULL,
         text_object TEXT NOT NULL,
         PRIMARY KEY (site_id, address, record)))",
    "CREATE INDEX events_by_record ON events (address, record)",
    "CREATE INDEX events_by_first_read ON events (first_read_id)",
    "CREATE INDEX reads_by_site ON reads (site_id, read_ms)",
};

QString withTypes(QString statement, Dialect dialect)
{
    const bool sqlite = dialect == Dialect::Sqlite;
    statement.replace(QStringLiteral("@ID@"), sqlite ? QStringLiteral("INTEGER PRIMARY KEY")
                                                     : QStringLiteral("BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"));
    statement.replace(QStringLiteral("@BLOB@"), sqlite ? QStringLiteral("BLOB") : QStringLiteral("BYTEA"));
    return statement;
}

} // namespace

QStringList schemaSteps(int fromVersion, Dialect dialect)
{
    QStringList statements;
    if (fromVersion == 0)
        for (const char* statement : version1)
            statements << withTypes(QString::fromUtf8(statement), dialect);
    return statements;
}

QStringList versionSteps(int version, Dialect dialect)
{
    if (dialect == Dialect::Sqlite)
        return {QStringLiteral("PRAGMA application_id=%1").arg(applicationId),
                QStringLiteral("PRAGMA user_version=%1").arg(version)};
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS store_version (version INTEGER NOT NULL, application_id INTEGER NOT NULL)"),
            QStringLiteral("DELETE FROM store_version"),
            QStringLiteral("INSERT INTO store_version (version, application_id) VALUES (%1, %2)").arg(version).arg(applicationId)};
}

QString beginWriting(Dialect dialect)
{
    return dialect == Dialect::Sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
}

QString beginMaking(Dialect dialect)
{
    return dialect == Dialect::Sqlite ? beginWriting(dialect) : QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED");
}

} // namespace site_history
