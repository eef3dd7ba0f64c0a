#pragma once

#include <QString>

#include <memory>

namespace site_history {

class StoreConnection;

// Opens the store in a SQLite file, making it when the name is new, and
// brings it to this program's version. Nothing is written to a file, nor
// beside it, before it is known to be a store of this program; a file this
// user may not change is opened for reading only. Throws HistoryError.
std::unique_ptr<StoreConnection> openFileStore(const QString& path);

// Opens the store in its schema on a PostgreSQL server, making it on first
// use by a role that may, and brings it to this program's version. Throws
// HistoryError.
std::unique_ptr<StoreConnection> openServerStore(const QString& uri);

} // namespace site_history
