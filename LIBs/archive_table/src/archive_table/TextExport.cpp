#include <archive_table/TextExport.h>

#include <QBuffer>
#include <QIODevice>

#include <algorithm>

namespace archive_table {

namespace {

// Widths are counted in UTF-16 code units, so a Cyrillic letter takes one
// position although it is two bytes in the file.
void writePadded(QByteArray& out, const QString& text, int width, char fill = ' ')
{
    out += text.toUtf8();
    if (text.size() < width)
        out.append(width - text.size(), fill);
}

// The length of the text a number cell shows: none for 0.
int numberLength(int value)
{
    return value == 0 ? 0 : value < 10 ? 1 : value < 100 ? 2 : 3;
}

template <typename Headers, typename Table>
bool writeWholeTable(QIODevice& device, const Headers& headers, const Table& rows)
{
    TextTableWidths widths;
    for (const auto& row : rows)
        widths.add(row);
    TextTableWriter writer(device, headers, widths);
    for (const auto& row : rows)
        if (!writer.write(row))
            return false;
    return writer.finish();
}

template <typename Table>
QByteArray wholeTable(const RowTexts& headers, const Table& rows)
{
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    writeWholeTable(buffer, headers, rows);
    return text;
}

} // namespace

void TextTableWidths::add(const RowTexts& row)
{
    for (int column = 0; column < columnCount; ++column)
        widths[std::size_t(column)] = std::max(widths[std::size_t(column)], int(row[column].size()));
}

void TextTableWidths::add(const CellTexts& row)
{
    if (widths.size() < row.size())
        widths.resize(row.size());
    for (std::size_t column = 0; column < row.size(); ++column)
        widths[column] = std::max(widths[column], int(row[column].size()));
}

void TextTableWidths::add(const ArchiveEvent& event)
{
    const std::array<int, columnCount> cells = {
        event.emergency ? 1 : 0,
        event.time.isNone() ? 0 : PanelTime::textLength,
        numberLength(event.section),
        numberLength(event.address),
        numberLength(event.loop),
        int(event.eventText.size()),
        int(event.sourceText.size()),
    };
    for (std::size_t column = 0; column < cells.size(); ++column)
        widths[column] = std::max(widths[column], cells[column]);
}

TextTableWriter::TextTableWriter(QIODevice& device, const RowTexts& headers, const TextTableWidths& cells)
    : out(device), widths(columnCount), included(columnCount, true)
{
    // Decided from the cells alone: the header would always make it non-empty.
    included[sectionColumn] = cells.width(sectionColumn) > 0;
    start(headers.data(), cells);
}

TextTableWriter::TextTableWriter(QIODevice& device, const CellTexts& headers, const TextTableWidths& cells)
    : out(device), widths(headers.size()), included(headers.size(), true)
{
    start(headers.data(), cells);
}

void TextTableWriter::start(const QString* headers, const TextTableWidths& cells)
{
    for (std::size_t column = 0; column < widths.size(); ++column)
        widths[column] = std::max(cells.width(int(column)), int(headers[column].size())) + 1;
    writeRule();
    writeLine(headers);
    writeRule();
}

void TextTableWriter::writeRule()
{
    for (std::size_t column = 0; column < widths.size(); ++column)
        if (included[column])
            writePadded(out.lines(), QStringLiteral("|"), widths[column] + 2, '-');
    out.lines() += "|\n";
}

void TextTableWriter::writeLine(const QString* texts)
{
    for (std::size_t column = 0; column < widths.size(); ++column) {
        if (!included[column])
            continue;
        out.lines() += "| ";
        writePadded(out.lines(), texts[column], widths[column]);
    }
    out.lines() += "|\n";
}

bool TextTableWriter::writeRow(const QString* texts)
{
    if (out.hasFailed())
        return false;
    writeLine(texts);
    return out.pass();
}

bool TextTableWriter::write(const RowTexts& row)
{
    return writeRow(row.data());
}

bool TextTableWriter::write(const CellTexts& row)
{
    // A short row leaves its last cells empty rather than reading past it.
    if (row.size() < widths.size()) {
        CellTexts whole = row;
        whole.resize(widths.size());
        return writeRow(whole.data());
    }
    return writeRow(row.data());
}

bool TextTableWriter::write(const ArchiveEvent& event)
{
    return write(rowTexts(event));
}

bool TextTableWriter::finish()
{
    if (out.hasFailed())
        return false;
    writeRule();
    return out.flush();
}

QByteArray exportText(const RowTexts& headers, const std::vector<RowTexts>& rows)
{
    return wholeTable(headers, rows);
}

QByteArray exportText(const RowTexts& headers, const EventSpan& events)
{
    return wholeTable(headers, events);
}

bool writeText(QIODevice& device, const RowTexts& headers, const EventSpan& events)
{
    return writeWholeTable(device, headers, events);
}

bool writeText(QIODevice& device, const CellTexts& headers, const std::vector<CellTexts>& rows)
{
    return writeWholeTable(device, headers, rows);
}

} // namespace archive_table
