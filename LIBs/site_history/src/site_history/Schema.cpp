#include <site_history/Schema.h>

#include <iterator>

namespace site_history {

namespace {

struct Action {
    const char* statement;
    ProgramPart part = ProgramPart::None;
};

// Version 1: sites, their reads with the whole dump of each, and every
// distinct event of a site with the seven cell texts of the read that first
// saw it. An event is its site, its archive address and its record's eight
// bytes.
const Action version1[] = {
    {R"(CREATE TABLE sites (
         id @ID@,
         name TEXT NOT NULL UNIQUE,
         created_ms BIGINT NOT NULL))"},
    {R"(CREATE TABLE reads (
         id @ID@,
         site_id BIGINT NOT NULL REFERENCES sites (id),
         read_ms BIGINT NOT NULL,
         port TEXT NOT NULL,
         program_version TEXT NOT NULL,
         speed INTEGER NOT NULL,
         dump_sha256 TEXT NOT NULL,
         dump @BLOB@ NOT NULL,
         UNIQUE (site_id, dump_sha256)))"},
    {R"(CREATE TABLE events (
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
         PRIMARY KEY (site_id, address, record)))"},
    {"CREATE INDEX events_by_record ON events (address, record)"},
    {"CREATE INDEX events_by_first_read ON events (first_read_id)"},
    {"CREATE INDEX reads_by_site ON reads (site_id, read_ms)"},
};

// Version 2: an event's fields as typed columns that a server can count
// and range (the panel's time as the number YYYYMMDDhhmmss), its two texts
// kept once in texts, and each site's count of its events, which every
// reading of a site's events is checked against.
//
// The table is kept in the order a site's history is shown, newest first
// when read backwards, so that a history streams out without a sort and
// without a look-up per event; in SQLite the table itself is that order
// (WITHOUT ROWID). events_by_record finds an event by its record, for
// telling a read's site and for recording; events_by_first_read finds the
// events a newer read saw first.
const Action version2[] = {
    {"CREATE TABLE texts (id @ID@, text TEXT NOT NULL UNIQUE)"},
    {"INSERT INTO texts (text) SELECT text_event FROM events UNION SELECT text_object FROM events"},
    {"ALTER TABLE sites ADD COLUMN event_count BIGINT NOT NULL DEFAULT 0"},
    {"UPDATE sites SET event_count = (SELECT COUNT(*) FROM events e WHERE e.site_id = sites.id)"},
    {R"(CREATE TABLE events_v2 (
         site_id BIGINT NOT NULL REFERENCES sites (id),
         panel_time BIGINT NOT NULL,
         address INTEGER NOT NULL,
         first_read_ms BIGINT NOT NULL,
         record @BLOB@ NOT NULL,
         first_read_id BIGINT NOT NULL REFERENCES reads (id),
         time_kind SMALLINT NOT NULL,
         emergency SMALLINT NOT NULL,
         event_class SMALLINT NOT NULL,
         code SMALLINT NOT NULL,
         section SMALLINT NOT NULL,
         device_address SMALLINT NOT NULL,
         loop SMALLINT NOT NULL,
         event_text_id BIGINT NOT NULL,
         source_text_id BIGINT NOT NULL,
         CONSTRAINT events_in_order PRIMARY KEY (site_id, panel_time, address, first_read_ms, record))
       @WITHOUT_ROWID@)"},
    {nullptr, ProgramPart::TypedEventsFromVersion1},
    {"DROP TABLE events"},
    {"ALTER TABLE events_v2 RENAME TO events"},
    {"CREATE UNIQUE INDEX events_by_record ON events (panel_time, address, record, site_id)"},
    {"CREATE INDEX events_by_first_read ON events (first_read_id)"},
};

// Version 3: an index that keeps each site's events in the order of their
// tallies (month, section, device, class, emergency) and holds every column
// they are made of, so that a site's statistics are counted by walking it,
// without a sort of its million events and without reading the table; and
// a site's own service interval in days, where it differs from the
// program's (NULL).
const Action version3[] = {
    {"ALTER TABLE sites ADD COLUMN service_days INTEGER"},
    {"CREATE INDEX events_by_tally ON events (site_id, (@TALLY_MONTH@), section, device_address, event_class,"
     " emergency, time_kind, panel_time)"},
};

struct Step {
    const Action* first;
    const Action* last;
};

// steps[v] takes a store of version v to v + 1.
const Step steps[] = {
    {std::begin(version1), std::end(version1)},
    {std::begin(version2), std::end(version2)},
    {std::begin(version3), std::end(version3)},
};
static_assert(std::size(steps) == schemaVersion, "one step for each version");

// Where the two systems differ in the schema's text.
struct Difference {
    const char* placeholder;
    const char* sqlite;
    const char* postgres;
};
const Difference differences[] = {
    {"@ID@", "INTEGER PRIMARY KEY", "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"},
    {"@BLOB@", "BLOB", "BYTEA"},
    {"@WITHOUT_ROWID@", "WITHOUT ROWID", ""},
    {"@TALLY_MONTH@", tallyMonth, tallyMonth},
};

QString inDialect(const char* statement, Dialect dialect)
{
    QString text = QString::fromUtf8(statement);
    for (const Difference& d : differences)
        text.replace(QLatin1String(d.placeholder),
                     QLatin1String(dialect == Dialect::Sqlite ? d.sqlite : d.postgres));
    return text.trimmed();
}

} // namespace

std::vector<StepAction> schemaStep(int fromVersion, Dialect dialect)
{
    std::vector<StepAction> actions;
    if (fromVersion < 0 || fromVersion >= schemaVersion)
        return actions;
    for (const Action* a = steps[fromVersion].first; a != steps[fromVersion].last; ++a)
        actions.push_back(a->statement ? StepAction{inDialect(a->statement, dialect), ProgramPart::None}
                                       : StepAction{QString(), a->part});
    return actions;
}

std::vector<QString> versionSteps(int version, Dialect dialect)
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

QString beginReading(Dialect dialect)
{
    // SQLite's read transaction holds its snapshot from its first read on.
    return dialect == Dialect::Sqlite ? QStringLiteral("BEGIN")
                                      : QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
}

} // namespace site_history
