#pragma once

#include <QString>

namespace site_history {

// Whether `location` names a store on a PostgreSQL server, as a connection
// URI (postgresql://[user@][host][:port]/dbname[?param=value&...]), rather
// than a file.
bool isServerLocation(const QString& location);

// The URI as libpq's keyword=value connection string: the user, host, port
// and database of the URI and each parameter it gives, with a connection
// time-out of 10 seconds unless it names one. A password is refused: it
// comes from libpq's password file or PGPASSWORD, never from the URI, which
// is shown and kept in settings. Throws HistoryError (CannotOpen).
QString serverConnectionString(const QString& uri);

} // namespace site_history
