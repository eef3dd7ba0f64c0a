#pragma once

#include <QString>

#include <vector>

namespace site_history {

// The database systems a store lives in. Their few differences are here,
// in the schema's types, in where the version is kept and in how a
// transaction begins; every other statement is the same for both.
enum class Dialect { Sqlite, Postgres };

// The version of the store this program writes. A store records its
// version; schemaStep(v) takes a store of version v to v + 1, and a new
// store is made by every step from version 0 on.
constexpr int schemaVersion = 3;

// Where a step needs more than a statement can do: decoding records is the
// decoder's work, not SQL's.
enum class ProgramPart {
    None,
    // Fills events_v2 from version 1's events: the typed fields decoded from
    // each record, the texts as references to texts.
    TypedEventsFromVersion1,
};

// One action of a step: a statement with the dialect's types filled in, or
// a part of the program.
struct StepAction {
    QString statement;
    ProgramPart part = ProgramPart::None;
};

// The actions of one step, in order: from `fromVersion` to fromVersion + 1.
std::vector<StepAction> schemaStep(int fromVersion, Dialect dialect);

// The month an event is tallied in (YYYYMM of a calendar time, else 0),
// spelled as the index events_by_tally keeps it: SQLite walks that index
// only for a query that spells the expression the same way.
constexpr const char* tallyMonth = "CASE WHEN time_kind = 1 THEN panel_time / 100000000 ELSE 0 END";

// Marks a store as this program's ("QRVH").
constexpr int applicationId = 0x51525648;

// On a server the store's tables live in a schema of this name in the
// company's database, beside whatever else that database holds.
constexpr const char* serverSchema = "quorvel";

// The statements that record `version` (and the application id) as the
// store's, after its last step: SQLite's header fields, or the one row of
// the table store_version on a server.
std::vector<QString> versionSteps(int version, Dialect dialect);

// The statement that starts a transaction which will write: SQLite takes
// the write lock at once, so that two writers wait for each other instead
// of one failing when it turns from reading to writing.
QString beginWriting(Dialect dialect);

// The statement that starts the transaction making or migrating a store.
// On a server it reads what others committed while it waited for their
// lock, whatever isolation the server's transactions have by default.
QString beginMaking(Dialect dialect);

// The statement that starts a transaction which only reads, and sees one
// state of the store throughout: a site's events and its count of them
// agree unless the store is damaged.
QString beginReading(Dialect dialect);

} // namespace site_history
