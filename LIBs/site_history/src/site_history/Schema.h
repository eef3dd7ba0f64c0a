#pragma once

#include <QStringList>

namespace site_history {

// The database systems a store lives in. Their few differences are here,
// in the schema's types and in how a writing transaction begins; every
// other statement is the same for both.
enum class Dialect { Sqlite, Postgres };

// The version of the store this program writes. A store records its
// version; schemaSteps(v) takes a store of version v to v + 1.
constexpr int schemaVersion = 1;

// The statements of one step, with the dialect's types filled in.
QStringList schemaSteps(int fromVersion, Dialect dialect);

// The statement that starts a transaction which will write: SQLite takes
// the write lock at once, so that two writers wait for each other instead
// of one failing when it turns from reading to writing.
QString beginWriting(Dialect dialect);

} // namespace site_history
