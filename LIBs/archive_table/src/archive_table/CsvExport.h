#pragma once

#include <archive_table/EventColumns.h>

#include <QByteArray>
#include <QString>

#include <vector>

namespace archive_table {

// The table as CSV for spreadsheets: UTF-8 with a byte-order mark (so that
// spreadsheets read the Cyrillic texts as UTF-8), ';' between fields, one
// header line, then one line per row in the given order. A field with a ';',
// a '"', a CR or a LF is quoted and its quotes doubled (RFC 4180). Lines end
// with CR LF, so the device must be opened without text mode.
QByteArray exportCsv(const RowTexts& headers, const std::vector<RowTexts>& rows);

// Rows as tab-separated text for the clipboard: the header line, then one
// line per row, each ended by '\n'. Tabs and line breaks inside a text
// become spaces, since tab-separated text has no quoting that every
// receiving program understands.
QString tabSeparatedText(const RowTexts& headers, const std::vector<RowTexts>& rows);

} // namespace archive_table
