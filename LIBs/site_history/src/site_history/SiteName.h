#pragma once

#include <QString>

namespace site_history {

// The longest name a site may have, in characters.
constexpr int maxSiteNameLength = 200;

// Why `name` cannot be given to a new site, for the user; empty when it can.
// One rule for every program that records reads: no spaces around the name,
// not empty, no control characters (a tab or a line feed would forge lines in
// a listing), at most maxSiteNameLength characters, and text that was
// decoded cleanly (no U+FFFD, which undecodable bytes become, and no lone
// surrogate).
QString siteNameProblem(const QString& name);

// The name on one line: a backslash, tab, line feed and carriage return as
// \\, \t, \n and \r, any other control character as \uXXXX. Names that
// follow the rule change only by their backslashes; those an older program
// let into a store keep one line per site in a listing.
QString escapedSiteName(const QString& name);

} // namespace site_history
