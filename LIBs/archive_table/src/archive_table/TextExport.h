#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/BufferedLines.h>
#include <archive_table/EventColumns.h>
#include <archive_table/EventSpan.h>

#include <QByteArray>

#include <array>
#include <vector>

class QIODevice;

namespace archive_table {

// The texts of one row, or of the header, of a table that is not the event
// table: the statistics' tables.
using CellTexts = std::vector<QString>;

// A table as a plain UTF-8 text table: a rule line, the header line,
// a rule line, one line per row in the given order, a closing rule line.
// Columns are framed by '|' and padded to the widest text of the column,
// counted in UTF-16 code units. In the event table the section column is left
// out entirely when no row has a text in it; a table of other rows (CellTexts,
// any number of columns) keeps every column. Lines end with '\n'; a device opened in text mode
// turns that into the platform's line end.

// The widths of the columns, taken from the rows one at a time: the first of
// the two passes that write a table of any length without holding it.
class TextTableWidths {
public:
    void add(const RowTexts& row);
    // As add(rowTexts(event)), without making the texts.
    void add(const ArchiveEvent& event);
    void add(const CellTexts& row);

    // The widest cell of the column, in UTF-16 code units.
    int width(int column) const { return std::size_t(column) < widths.size() ? widths[std::size_t(column)] : 0; }

private:
    std::vector<int> widths = std::vector<int>(columnCount);
};

// The second pass: the header at once, then each row as it comes, then the
// closing rule. Lines go to the device in large writes.
class TextTableWriter {
public:
    TextTableWriter(QIODevice& device, const RowTexts& headers, const TextTableWidths& cells);
    TextTableWriter(QIODevice& device, const CellTexts& headers, const TextTableWidths& cells);

    // False once the device has refused a write; the rest is not written.
    bool write(const RowTexts& row);
    bool write(const ArchiveEvent& event);
    bool write(const CellTexts& row);
    // The closing rule. True when the device took every byte.
    bool finish();

private:
    void start(const QString* headers, const TextTableWidths& cells);
    void writeRule();
    void writeLine(const QString* texts);
    bool writeRow(const QString* texts);

    BufferedLines out;
    std::vector<int> widths;
    std::vector<bool> included;
};

// The whole table at once.
QByteArray exportText(const RowTexts& headers, const std::vector<RowTexts>& rows);
QByteArray exportText(const RowTexts& headers, const EventSpan& events);
// The same written to the device in both passes; false when the device did
// not take every byte.
bool writeText(QIODevice& device, const RowTexts& headers, const EventSpan& events);
bool writeText(QIODevice& device, const CellTexts& headers, const std::vector<CellTexts>& rows);

} // namespace archive_table
