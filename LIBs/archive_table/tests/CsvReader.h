#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Reads CSV as RFC 4180 describes it, independently of the writer: records
// end with CR LF outside quotes, a quoted field may hold anything, a doubled
// quote in it is one quote; an unquoted field holding a CR, a LF or a quote
// makes the whole text unreadable (an empty list).
inline QList<QStringList> parseCsv(const QString& text, QChar separator)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == separator) {
            record << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && text.mid(i, 2) == QLatin1String("\r\n")) {
            record << field;
            records << record;
            record.clear();
            field.clear();
            ++i;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('"')) {
            return {}; // not allowed in an unquoted field
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !record.isEmpty())
        records << (record << field);
    return records;
}
