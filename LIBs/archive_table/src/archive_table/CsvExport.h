#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/BufferedLines.h>
#include <archive_table/EventColumns.h>
#include <archive_table/EventSpan.h>
#include <archive_table/TextExport.h>

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

namespace archive_table {

// The table as CSV for spreadsheets: UTF-8 with a byte-order mark (so that
// spreadsheets read the Cyrillic texts as UTF-8), ';' between fields, one
// header line, then one line per row in the given order. A field with a ';',
// a '"', a CR or a LF is quoted and its quotes doubled (RFC 4180). Lines end
// with CR LF, so the device must be opened without text mode. Texts are in
// the reader's spelling, so that a search in a spreadsheet finds them.
//
// Written as the rows come: the mark and the header at once, then each row;
// lines go to the device in large writes.
class CsvWriter {
public:
    CsvWriter(QIODevice& device, const RowTexts& headers);
    CsvWriter(QIODevice& device, const CellTexts& headers);

    // False once the device has refused a write; the rest is not written.
    bool write(const RowTexts& row);
    bool write(const ArchiveEvent& event);
    bool write(const CellTexts& row);
    // True when the device took every byte.
    bool finish();

private:
    bool writeLine(const QByteArray& line);

    BufferedLines out;
};

// The whole CSV at once.
QByteArray exportCsv(const RowTexts& headers, const std::vector<RowTexts>& rows);
QByteArray exportCsv(const RowTexts& headers, const EventSpan& events);
// The same written to the device as the events come; false when the device
// did not take every byte.
bool writeCsv(QIODevice& device, const RowTexts& headers, const EventSpan& events);
bool writeCsv(QIODevice& device, const CellTexts& headers, const std::vector<CellTexts>& rows);

// Rows as tab-separated text for the clipboard: the header line, then one
// line per row, each ended by '\n'. Tabs and line breaks inside a text
// become spaces, since tab-separated text has no quoting that every
// receiving program understands. Texts are in the reader's spelling, as in
// the CSV.
QString tabSeparatedText(const RowTexts& headers, const std::vector<RowTexts>& rows);
QString tabSeparatedText(const RowTexts& headers, const EventSpan& events);
QString tabSeparatedText(const CellTexts& headers, const std::vector<CellTexts>& rows);

} // namespace archive_table
