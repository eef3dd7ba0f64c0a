#include <archive_table/CsvExport.h>
#include <archive_table/EventColumns.h>

#include <QtTest>

using archive_table::RowTexts;

namespace {

RowTexts row(const QStringList& cells)
{
    RowTexts texts;
    for (int column = 0; column < archive_table::columnCount; ++column)
        texts[column] = cells.value(column);
    return texts;
}

// Reads CSV as RFC 4180 describes it, independently of the writer: records
// end with CR LF outside quotes, a quoted field may hold anything, a doubled
// quote in it is one quote; an unquoted field holding a CR, a LF or a quote
// makes the whole text unreadable (an empty list).
QList<QStringList> parseCsv(const QString& text, QChar separator)
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

} // namespace

class CsvExportTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithAByteOrderMarkAndTheHeaderLine()
    {
        const QByteArray csv = archive_table::exportCsv(archive_table::columnHeaders(), {});
        QCOMPARE(csv, QByteArray("\xEF\xBB\xBF")
                          + QStringLiteral("Э;Дата и время;Секция;Адрес;Шл./Л.с.;Cобытие;Источник/Описание\r\n").toUtf8());
    }

    void awkwardTextsReadBackFieldByField()
    {
        const QList<QStringList> rows = {
            {"+", "2019/03/05 08:07:09", "2", "15", "1", QStringLiteral("ПОЖАР; зона 3"), QStringLiteral("Датчик \"Вход\"")},
            {"", "", "", "", "", QStringLiteral("две\nстроки"), QStringLiteral("конец\r\nстроки")},
            {"", "2020/01/01 00:00:00", "", "9", "", QStringLiteral("\""), QStringLiteral(" пробелы  ")},
            {"", "", "", "", "", QStringLiteral("возврат\rкаретки"), QStringLiteral("конец\r")},
        };
        std::vector<RowTexts> texts;
        for (const QStringList& cells : rows)
            texts.push_back(row(cells));

        const QByteArray csv = archive_table::exportCsv(archive_table::columnHeaders(), texts);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        QVERIFY(csv.endsWith("\r\n"));
        const QList<QStringList> read = parseCsv(QString::fromUtf8(csv.mid(3)), QLatin1Char(';'));
        QCOMPARE(read.size(), rows.size() + 1);
        const RowTexts headers = archive_table::columnHeaders();
        QCOMPARE(read[0], QStringList(headers.begin(), headers.end()));
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(read[i + 1], rows[i]);
        // Plain texts go unquoted, as spreadsheets write them.
        QVERIFY(csv.contains(";2019/03/05 08:07:09;2;15;1;"));
    }

    void tabSeparatedTextHasOneLinePerRow()
    {
        const QString text = archive_table::tabSeparatedText(
            row({"A", "B", "C", "D", "E", "F", "G"}),
            {row({"+", "2019/03/05 08:07:09", "", "15", "1", "a\tb", "c\nd"}), row({})});
        QCOMPARE(text, QStringLiteral("A\tB\tC\tD\tE\tF\tG\n"
                                      "+\t2019/03/05 08:07:09\t\t15\t1\ta b\tc d\n"
                                      "\t\t\t\t\t\t\n"));
    }
};

QTEST_APPLESS_MAIN(CsvExportTest)
#include "CsvExportTest.moc"
