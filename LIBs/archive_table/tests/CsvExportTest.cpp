#include <archive_table/CsvExport.h>
#include <archive_table/EventColumns.h>
#include <archive_table/EventRows.h>

#include <QtTest>

#include "TestRows.h"

#include "CsvReader.h"

using archive_table::RowTexts;

class CsvExportTest : public QObject {
    Q_OBJECT

private slots:
    // The header in the reader's spelling: the table's "Cобытие" has a
    // Latin C, the CSV's a Cyrillic one.
    void startsWithAByteOrderMarkAndTheHeaderLine()
    {
        const QByteArray csv = archive_table::exportCsv(archive_table::columnHeaders(), {});
        QCOMPARE(csv, QByteArray("\xEF\xBB\xBF")
                          + QStringLiteral("Э;Дата и время;Секция;Адрес;Шл./Л.с.;\u0421обытие;Источник/Описание\r\n")
                                .toUtf8());
    }

    // The panel's Latin look-alikes become Cyrillic letters within a
    // Russian word, in the CSV and in the copied rows alike, so that a
    // search for "НЕИСПРАВН" finds them; Latin words stay.
    void exportsWriteTheReadersSpelling()
    {
        // "HEИCПPABH." and "Bopoтa cклaдa" as the panel spells them.
        const RowTexts panelRow = row({"", "2024/01/18 10:00:00", "2", "5", "1",
                                       QStringLiteral("\u0048\u0045И\u0043П\u0050\u0041\u0042\u0048."),
                                       QStringLiteral("\u0042\u006F\u0070\u006Fт\u0061 \u0063кл\u0061д\u0061 CRC")});
        QVERIFY(archive_table::exportCsv(archive_table::columnHeaders(), std::vector<RowTexts>{panelRow})
                    .endsWith(QStringLiteral(";2024/01/18 10:00:00;2;5;1;НЕИСПРАВН.;Ворота склада CRC\r\n").toUtf8()));
        QCOMPARE(archive_table::tabSeparatedText(row({}), {panelRow}),
                 QStringLiteral("\t\t\t\t\t\t\n\t2024/01/18 10:00:00\t2\t5\t1\tНЕИСПРАВН.\tВорота склада CRC\n"));
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
        QCOMPARE(read[0], QStringList({"Э", "Дата и время", "Секция", "Адрес", "Шл./Л.с.", "\u0421обытие",
                                       "Источник/Описание"}));
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(read[i + 1], rows[i]);
        // Plain texts go unquoted, as spreadsheets write them.
        QVERIFY(csv.contains(";2019/03/05 08:07:09;2;15;1;"));
    }

    void eventsWriteAsTheirTexts()
    {
        const std::vector<archive_table::ArchiveEvent> events = {
            eventOf({"+", "2019/03/05 08:07:09", "2", "15", "1", QStringLiteral("ПОЖАР; зона 3"), QStringLiteral("Датчик \"Вход\"")}),
            eventOf({"", "", "", "", "", QStringLiteral("две\tстроки"), ""}),
        };
        const RowTexts headers = archive_table::columnHeaders();
        const std::vector<RowTexts> texts = archive_table::rowTexts(events);
        QCOMPARE(archive_table::exportCsv(headers, events), archive_table::exportCsv(headers, texts));
        QCOMPARE(archive_table::tabSeparatedText(headers, events), archive_table::tabSeparatedText(headers, texts));
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
