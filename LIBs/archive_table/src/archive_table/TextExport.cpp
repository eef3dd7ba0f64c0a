#include <archive_table/TextExport.h>

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

} // namespace

QByteArray exportText(const RowTexts& headers, const std::vector<RowTexts>& rows)
{
    std::array<int, columnCount> widths{};
    for (const RowTexts& row : rows)
        for (int column = 0; column < columnCount; ++column)
            widths[column] = std::max(widths[column], int(row[column].size()));

    // Decided from the cells alone: the header would always make it non-empty.
    std::array<bool, columnCount> included;
    included.fill(true);
    included[sectionColumn] = widths[sectionColumn] > 0;

    for (int column = 0; column < columnCount; ++column)
        widths[column] = std::max(widths[column], int(headers[column].size())) + 1;

    QByteArray out;
    const auto writeRule = [&] {
        for (int column = 0; column < columnCount; ++column)
            if (included[column])
                writePadded(out, QStringLiteral("|"), widths[column] + 2, '-');
        out += "|\n";
    };
    const auto writeLine = [&](const RowTexts& texts) {
        for (int column = 0; column < columnCount; ++column) {
            if (!included[column])
                continue;
            out += "| ";
            writePadded(out, texts[column], widths[column]);
        }
        out += "|\n";
    };

    writeRule();
    writeLine(headers);
    writeRule();
    for (const RowTexts& row : rows)
        writeLine(row);
    writeRule();
    return out;
}

} // namespace archive_table
