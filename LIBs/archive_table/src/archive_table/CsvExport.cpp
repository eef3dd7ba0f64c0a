#include <archive_table/CsvExport.h>

#include <QBuffer>
#include <QIODevice>

namespace archive_table {

namespace {

void appendCsvField(QString& out, const QString& text)
{
    const bool quoted = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quoted) {
        out += text;
        return;
    }
    out += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            out += QLatin1Char('"');
        out += c;
    }
    out += QLatin1Char('"');
}

QByteArray csvLine(const QString* texts, std::size_t columns)
{
    QString line;
    for (std::size_t column = 0; column < columns; ++column) {
        if (column > 0)
            line += QLatin1Char(';');
        appendCsvField(line, readerSpelling(texts[column]));
    }
    line += QLatin1String("\r\n");
    return line.toUtf8();
}

void appendTabLine(QString& out, const QString* texts, std::size_t columns)
{
    for (std::size_t column = 0; column < columns; ++column) {
        if (column > 0)
            out += QLatin1Char('\t');
        QString text = readerSpelling(texts[column]);
        for (QChar& c : text)
            if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                c = QLatin1Char(' ');
        out += text;
    }
    out += QLatin1Char('\n');
}

template <typename Row>
void appendTabLine(QString& out, const Row& texts)
{
    appendTabLine(out, texts.data(), texts.size());
}

template <typename Row>
QString wholeTabText(const Row& headers, const std::vector<Row>& rows)
{
    QString out;
    appendTabLine(out, headers);
    for (const Row& row : rows)
        appendTabLine(out, row);
    return out;
}

template <typename Table>
QByteArray wholeCsv(const RowTexts& headers, const Table& rows)
{
    QByteArray csv;
    QBuffer buffer(&csv);
    buffer.open(QIODevice::WriteOnly);
    CsvWriter writer(buffer, headers);
    for (const auto& row : rows)
        writer.write(row);
    writer.finish();
    return csv;
}

} // namespace

CsvWriter::CsvWriter(QIODevice& device, const RowTexts& headers) : out(device)
{
    out.lines() += "\xEF\xBB\xBF";
    out.lines() += csvLine(headers.data(), headers.size());
}

CsvWriter::CsvWriter(QIODevice& device, const CellTexts& headers) : out(device)
{
    out.lines() += "\xEF\xBB\xBF";
    out.lines() += csvLine(headers.data(), headers.size());
}

bool CsvWriter::writeLine(const QByteArray& line)
{
    if (out.hasFailed())
        return false;
    out.lines() += line;
    return out.pass();
}

bool CsvWriter::write(const RowTexts& row)
{
    return writeLine(csvLine(row.data(), row.size()));
}

bool CsvWriter::write(const CellTexts& row)
{
    return writeLine(csvLine(row.data(), row.size()));
}

bool CsvWriter::write(const ArchiveEvent& event)
{
    return write(rowTexts(event));
}

bool CsvWriter::finish()
{
    return out.flush();
}

QByteArray exportCsv(const RowTexts& headers, const std::vector<RowTexts>& rows)
{
    return wholeCsv(headers, rows);
}

QByteArray exportCsv(const RowTexts& headers, const EventSpan& events)
{
    return wholeCsv(headers, events);
}

bool writeCsv(QIODevice& device, const RowTexts& headers, const EventSpan& events)
{
    CsvWriter writer(device, headers);
    for (const ArchiveEvent& event : events)
        if (!writer.write(event))
            return false;
    return writer.finish();
}

bool writeCsv(QIODevice& device, const CellTexts& headers, const std::vector<CellTexts>& rows)
{
    CsvWriter writer(device, headers);
    for (const CellTexts& row : rows)
        if (!writer.write(row))
            return false;
    return writer.finish();
}

QString tabSeparatedText(const RowTexts& headers, const std::vector<RowTexts>& rows)
{
    return wholeTabText(headers, rows);
}

QString tabSeparatedText(const RowTexts& headers, const EventSpan& events)
{
    QString out;
    appendTabLine(out, headers);
    for (const ArchiveEvent& event : events)
        appendTabLine(out, rowTexts(event));
    return out;
}

QString tabSeparatedText(const CellTexts& headers, const std::vector<CellTexts>& rows)
{
    return wholeTabText(headers, rows);
}

} // namespace archive_table
