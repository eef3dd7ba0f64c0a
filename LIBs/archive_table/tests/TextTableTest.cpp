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

// A device that takes so many bytes and refuses the rest, like a full disk.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room(room) { open(QIODevice::WriteOnly); }
    qint64 taken = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        const qint64 written = std::min(length, room - taken);
        taken += written;
        return written > 0 ? written : -1;
    }

private:
    qint64 room;
};

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

    // Typed events write as their texts would, the widths taken without
    // making the texts; a writer stops at the first write a device refuses.
    void eventsWriteAsTheirTexts()
    {
        const std::vector<archive_table::ArchiveEvent> events = {
            eventOf({"+", "2019/03/05 08:07:09", "", "15", "1", QStringLiteral("ПОЖАР"), QStringLiteral("Зона 3")}),
            eventOf({"", "", "12", "105", "", QStringLiteral("СБРОС"), ""}),
            eventOf({"", "2024/02/31 24:00:00", "", "", "4", "", "x"}),
        };
        // Headers narrower than the numbers, so that their widths show.
        for (const RowTexts& headers : {archive_table::columnHeaders(), row({"E", "T", "S", "A", "L", "V", "O"})})
            QCOMPARE(archive_table::exportText(headers, events),
                     archive_table::exportText(headers, archive_table::rowTexts(events)));

        const RowTexts headers = archive_table::columnHeaders();
        archive_table::TextTableWidths widths;
        widths.add(events[0]);
        FullDevice full(100000);
        archive_table::TextTableWriter writer(full, headers, widths);
        int written = 0;
        while (written < 10000 && writer.write(events[0]))
            ++written;
        QVERIFY(written > 100 && written < 10000);
        QVERIFY(!writer.finish());
        QCOMPARE(full.taken, qint64(100000));
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
        std::vector<archive_table::ArchiveEvent> rows;
        for (int i = 0; i < 60; ++i)
            rows.push_back(eventOf({"", i == 30 ? QString() : dates[i % 3]}));
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
