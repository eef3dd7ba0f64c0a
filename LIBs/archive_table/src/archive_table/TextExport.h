#pragma once

#include <archive_table/EventColumns.h>

#include <QByteArray>

#include <vector>

namespace archive_table {

// The event table as a plain UTF-8 text table: a rule line, the header line,
// a rule line, one line per row in the given order, a closing rule line.
// Columns are framed by '|' and padded to the widest text of the column,
// counted in UTF-16 code units. The section column is left out entirely when
// no row has a text in it. Lines end with '\n'; a device opened in text mode
// turns that into the platform's line end.
QByteArray exportText(const RowTexts& headers, const std::vector<RowTexts>& rows);

} // namespace archive_table
