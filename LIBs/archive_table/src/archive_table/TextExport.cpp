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

template <typename Table>
bool writeWholeTable(QIODevice& device, const RowTexts& headers, const Table& rows)
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
    : out(device)
{
    // Decided from the cells alone: the header would always make it non-empty.
    included.fill(true);
    included[sectionColumn] = cells.width(sectionColumn) > 0;
    for (int column = 0; column < columnCount; ++column)
        widths[std::size_t(column)] = std::max(cells.width(column), int(headers[column].size())) + 1;
    writeRule();
    writeLine(headers);
    writeRule();
}

void TextTableWriter::writeRule()
{
    for (int column = 0; column < columnCount; ++column)
        if (included[std::size_t(column)])
            writePadded(out.lines(), QStringLiteral("|"), widths[std::size_t(column)] + 2, '-');
    out.lines() += "|\n";
}

void TextTableWriter::writeLine(const RowTexts& texts)
{
    for (int column = 0; column < columnCount; ++column) {
        if (!included[std::size_t(column)])
            continue;
        out.lines() += "| ";
        writePadded(out.lines(), texts[column], widths[std::size_t(column)]);
    }
    out.lines() += "|\n";
}

bool TextTableWriter::write(const RowTexts& row)
{
    if (out.hasFailed())
        return false;
    writeLine(row);
    return out.pass();
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

} // namespace archive_table
