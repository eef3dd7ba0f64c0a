#include <archive_table/CsvExport.h>

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

void appendCsvLine(QString& out, const RowTexts& texts)
{
    for (int column = 0; column < columnCount; ++column) {
        if (column > 0)
            out += QLatin1Char(';');
        appendCsvField(out, texts[column]);
    }
    out += QLatin1String("\r\n");
}

void appendTabLine(QString& out, const RowTexts& texts)
{
    for (int column = 0; column < columnCount; ++column) {
        if (column > 0)
            out += QLatin1Char('\t');
        QString text = texts[column];
        for (QChar& c : text)
            if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                c = QLatin1Char(' ');
        out += text;
    }
    out += QLatin1Char('\n');
}

} // namespace

QByteArray exportCsv(const RowTexts& headers, const std::vector<RowTexts>& rows)
{
    QString out;
    appendCsvLine(out, headers);
    for (const RowTexts& row : rows)
        appendCsvLine(out, row);
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

QString tabSeparatedText(const RowTexts& headers, const std::vector<RowTexts>& rows)
{
    QString out;
    appendTabLine(out, headers);
    for (const RowTexts& row : rows)
        appendTabLine(out, row);
    return out;
}

} // namespace archive_table
