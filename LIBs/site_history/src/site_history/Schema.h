#pragma once

#include <QStringList>

namespace site_history {

// The database systems a store lives in. Their few differences are here,
// in the schema's types, in where the version is kept and in how a writing
// transaction begins; every other statement is the same for both.
enum class Dialect { Sqlite, Postgres };

// The version of the store this program writes. A store records its
// version; schemaSteps(v) takes a store of version v to v + 1.
constexpr int schemaVersion = 1;

// The statements of one step, with the dialect's types filled in.
QStringList schemaSteps(int fromVersion, Dialect dialect);

// Marks a store as this program's ("QRVH").
constexpr int applicationId = 0x51525648;

// On a server the store's tables live in a schema of this name in the
// company's database, beside whatever else that database holds.
constexpr const char* serverSchema = "quorvel";

// The statements that record `version` (and the application id) as the
// store's, after its last step: SQLite's header fields, or the one row of
// the table store_version on a server.
QStringList versionSteps(int version, Dialect dialect);

// The statement that starts a transaction which will write: SQLite takes
// the write lock at once, so that two writers wait for each other instead
// of one failing when it turns from reading to writing.
QString beginWriting(Dialect dialect);

// The statement that starts the transaction making or migrating a store.
// On a server it reads what others committed while it waited for their
// lock, whatever isolation the server's transactions have by default.
QString beginMaking(Dialect dialect);

} // namespace site_history
