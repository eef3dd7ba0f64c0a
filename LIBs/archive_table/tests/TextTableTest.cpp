#include <archive_table/EventColumns.h>
#include <archive_table/TextExport.h>

#include <QtTest>

using archive_table::RowTexts;

namespace {

QByteArray lines(const QStringList& texts)
{
    return (texts.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

RowTexts row(const QStringList& cells)
{
    RowTexts texts;
    for (int column = 0; column < archive_table::columnCount; ++column)
        texts[column] = cells.value(column);
    return texts;
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
};

QTEST_APPLESS_MAIN(TextTableTest)
#include "TextTableTest.moc"
