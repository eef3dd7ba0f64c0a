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
// is shown and kept in settings. So are password, passfile and sslpassword
// in any spelling (PASSWORD, pass%77ord), and a URI that does not parse is
// refused without repeating it. Throws HistoryError (CannotOpen).
QString serverConnectionString(const QString& uri);

// The location as a message, a window or the settings may show it: a
// server's URI without the password of its user part and without the values
// of password parameters, whether or not it parses; a file path unchanged.
QString shownLocation(const QString& location);

} // namespace site_history
