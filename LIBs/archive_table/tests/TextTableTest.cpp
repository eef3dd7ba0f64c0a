#include <archive_table/EventColumns.h>
#include <archive_table/EventRows.h>
#include <archive_table/TextExport.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/testing/RecordBuilder.h>

#include <QtTest>

#include "TestRows.h"

using archive_table::RowTexts;
using config_quorvel::testing::RecordBuilder;

namespace {

QByteArray lines(const QStringList& texts)
{
    return (texts.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace

class TextTableTest : public QObject {
    Q_OBJECT

private slots:
    void emptyTableLeavesOutTheSectionColumn()
    {
        const QByteArray expected = lines({
            QStringLiteral("|---|--------------|-------|----------|---------|-------------------|"),
            QStringLiteral("| Э | Дата и время | Адрес | Шл./Л.с. | Cобытие | Источник/Описание |"),
            QStringLiteral("|---|--------------|-------|----------|---------|-------------------|"),
            QStringLiteral("|---|--------------|-------|----------|---------|-------------------|"),
        });
        QCOMPARE(archive_table::exportText(archive_table::columnHeaders(), {}), expected);
    }

    void oneEmergencyRow()
    {
        const QByteArray expected = lines({
            QStringLiteral("|---|---------------------|--------|-------|----------|---------|-------------------|"),
            QStringLiteral("| Э | Дата и время        | Секция | Адрес | Шл./Л.с. | Cобытие | Источник/Описание |"),
            QStringLiteral("|---|---------------------|--------|-------|----------|---------|-------------------|"),
            QStringLiteral("| + | 2019/03/05 08:07:09 | 2      | 15    | 1        |         |                   |"),
            QStringLiteral("|---|---------------------|--------|-------|----------|---------|-------------------|"),
        });
        const RowTexts cells = row({QStringLiteral("+"), QStringLiteral("2019/03/05 08:07:09"),
                                    QStringLiteral("2"), QStringLiteral("15"), QStringLiteral("1")});
        QCOMPARE(archive_table::exportText(archive_table::columnHeaders(), {cells}), expected);
    }

    void sectionColumnAppearsWithTheFirstSectionNumber()
    {
        const RowTexts headers = row({"A", "B", "S", "D", "E", "F", "G"});
        const QByteArray without =
            archive_table::exportText(headers, {row({"+", "x"}), row({"", "y"})});
        QCOMPARE(without, lines({"|---|---|---|---|---|---|",
                                 "| A | B | D | E | F | G |",
                                 "|---|---|---|---|---|---|",
                                 "| + | x |   |   |   |   |",
                                 "|   | y |   |   |   |   |",
                                 "|---|---|---|---|---|---|"}));

        const QByteArray with =
            archive_table::exportText(headers, {row({"+", "x"}), row({"", "y", "12"})});
        QCOMPARE(with, lines({"|---|---|----|---|---|---|---|",
                              "| A | B | S  | D | E | F | G |",
                              "|---|---|----|---|---|---|---|",
                              "| + | x |    |   |   |   |   |",
                              "|   | y | 12 |   |   |   |   |",
                              "|---|---|----|---|---|---|---|"}));
    }

    void widthsCountUtf16UnitsAndTextsAreNeverCut()
    {
        const RowTexts headers = row({"A", QStringLiteral("Дата и время"), "S", "D", "E", "F", "G"});
        // A long cell widens its column, the header is padded to match; a
        // character outside the basic plane counts as two units.
        const QByteArray text = archive_table::exportText(
            headers, {row({"", "", "", "", QString::fromUtf16(u"\U0001F525x"), "a|b", "long text"})});
        const QList<QByteArray> got = text.split('\n');
        QCOMPARE(got.at(1), QStringLiteral("| A | Дата и время | D | E   | F   | G         |").toUtf8());
        QCOMPARE(got.at(3), QString::fromUtf16(u"|   |              |   | \U0001F525x | a|b | long text |").toUtf8());
        QCOMPARE(got.at(0), QByteArray("|---|--------------|---|-----|-----|-----------|"));
        // 12 positions for the 22-byte header.
        QCOMPARE(QStringLiteral("Дата и время").toUtf8().size(), 22);
    }

    // A cell as wide as its header, one narrower and one wider: each is
    // followed by one space at least, and only the wider one widens the column.
    void cellsAsWideAsTheHeaderNarrowerAndWider()
    {
        const RowTexts headers = row({"E", "Head", "S", "D", "L", "V", "O"});
        QCOMPARE(archive_table::exportText(headers, {row({"", "abcd"}), row({"", "abc"})}),
                 lines({"|---|------|---|---|---|---|",
                        "| E | Head | D | L | V | O |",
                        "|---|------|---|---|---|---|",
                        "|   | abcd |   |   |   |   |",
                        "|   | abc  |   |   |   |   |",
                        "|---|------|---|---|---|---|"}));
        QCOMPARE(archive_table::exportText(headers, {row({"", "abcde"}), row({"", "abc"})}),
                 lines({"|---|-------|---|---|---|---|",
                        "| E | Head  | D | L | V | O |",
                        "|---|-------|---|---|---|---|",
                        "|   | abcde |   |   |   |   |",
                        "|   | abc   |   |   |   |   |",
                        "|---|-------|---|---|---|---|"}));
    }

    void emergencyEventsAreMarkedWithAPlus()
    {
        const config_quorvel::Configuration configuration;
        const RecordBuilder record = RecordBuilder().date(2019, 3, 5, 8, 7, 9).eventClass(2).address(15);
        const RowTexts marked = archive_table::eventRowTexts(RecordBuilder(record).emergency().event(&configuration));
        const RowTexts plain = archive_table::eventRowTexts(record.event(&configuration));
        QCOMPARE(marked[archive_table::emergencyColumn], QStringLiteral("+"));
        QCOMPARE(plain[archive_table::emergencyColumn], QString());
        QCOMPARE(marked[archive_table::dateTimeColumn], QStringLiteral("2019/03/05 08:07:09"));
        QCOMPARE(marked[archive_table::addressColumn], QStringLiteral("15"));
        QCOMPARE(marked[archive_table::loopColumn], QStringLiteral("1"));
        QCOMPARE(marked[archive_table::sectionColumn], QString());
    }

    // Latest first; among equal dates the later event of the list stands
    // above the earlier one; an unknown date goes to the bottom. Enough rows
    // that an unstable sort shows.
    void rowsWithEqualDatesStandInReverseListOrder()
    {
        const QStringList dates = {QStringLiteral("2021/03/15 09:05:07"), QStringLiteral("2021/03/15 09:05:08"),
                                   QStringLiteral("2020/12/31 23:59:59")};
        std::vector<RowTexts> rows;
        for (int i = 0; i < 60; ++i)
            rows.push_back(row({"", i == 30 ? QString() : dates[i % 3]}));
        std::vector<std::size_t> expected;
        for (const int first : {1, 0, 2})
            for (int i = 59; i >= 0; --i)
                if (i % 3 == first && i != 30)
                    expected.push_back(std::size_t(i));
        expected.push_back(30);
        QCOMPARE(archive_table::orderAsShownAfterRead(rows), expected);
    }
};

QTEST_APPLESS_MAIN(TextTableTest)
#include "TextTableTest.moc"
