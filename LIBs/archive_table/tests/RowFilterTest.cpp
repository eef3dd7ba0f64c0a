#include <archive_table/EventColumns.h>
#include <archive_table/EventRows.h>
#include <archive_table/RowFilter.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/testing/RecordBuilder.h>

#include <QtTest>

#include "TestRows.h"

using archive_table::RowFilter;
using archive_table::ArchiveEvent;
using archive_table::PanelTime;

namespace {

const ArchiveEvent fire = eventOf({"+", "2024/01/18 10:15:00", "2", "15", "1", QStringLiteral("ПОЖАР"),
                           QStringLiteral("Зона 3, склад")});
const ArchiveEvent command = eventOf({"", "2024/01/19 00:00:00", "", "7", "", QStringLiteral("КОМАНДА (нет ответа)"),
                              QStringLiteral("Пульт")});
const ArchiveEvent undated = eventOf({"", "", "", "", "", QStringLiteral("СБРОС"), ""});

// Texts as the panel writes them, code point by code point: Latin letters
// for the Cyrillic ones they look like.
QString codePoints(std::initializer_list<char16_t> units)
{
    return QString::fromUtf16(std::u16string(units).data(), int(units.size()));
}
const QString storeSpelt = codePoints({0x0043, 0x043A, 0x043B, 0x0061, 0x0434});              // Cклaд
const QString fireSpelt = codePoints({0x041F, 0x004F, 0x0416, 0x0041, 0x0050, 0x0021});       // ПOЖAP!
const QString alarmSpelt = codePoints({0x004F, 0x0054, 0x004B, 0x041B, 0x042E, 0x0427, 0x0401, 0x0048}); // OTKЛЮЧЁH
const QString doorSpelt = codePoints({0x0414, 0x0432, 0x0065, 0x0070, 0x044C});              // Двepь

} // namespace

class RowFilterTest : public QObject {
    Q_OBJECT

private slots:
    void emptyFilterKeepsEverything()
    {
        const RowFilter filter;
        QVERIFY(filter.isEmpty());
        for (const ArchiveEvent& r : {fire, command, undated, ArchiveEvent{}})
            QVERIFY(filter.matches(r));
    }

    void textMatchesAnyCellIgnoringCaseAndTakenAsTyped()
    {
        RowFilter filter;
        const auto keeps = [&](const QString& text, const ArchiveEvent& r) {
            filter.setText(text);
            return filter.matches(r);
        };
        QVERIFY(keeps(QStringLiteral("пожар"), fire));
        QVERIFY(keeps(QStringLiteral("склад"), fire));
        QVERIFY(keeps(QStringLiteral("15"), fire));
        QVERIFY(keeps(QStringLiteral("2024/01/18"), fire));
        QVERIFY(!keeps(QStringLiteral("пожар"), command));
        // Brackets and dots are plain characters, not a pattern.
        QVERIFY(keeps(QStringLiteral("(нет"), command));
        QVERIFY(!keeps(QStringLiteral("К.МАНДА"), command));
        QVERIFY(!keeps(QStringLiteral("зона  3"), fire));
        // Spaces around the text are no part of it; one inside is.
        QVERIFY(keeps(QStringLiteral(" склад "), fire));
        QCOMPARE(filter.text(), QStringLiteral("склад"));
        QVERIFY(keeps(QStringLiteral("зона 3 "), fire));
        QVERIFY(!keeps(QStringLiteral("зона3"), fire));
        filter.setText(QStringLiteral("  "));
        QVERIFY(filter.isEmpty());
    }

    // The mark, the time and the numbers are cells as well.
    void textMatchesTheCellsOfMarksAndNumbers()
    {
        RowFilter filter;
        const auto keeps = [&](const QString& text, const ArchiveEvent& r) {
            filter.setText(text);
            return filter.matches(r);
        };
        QVERIFY(keeps(QStringLiteral("+"), fire));
        QVERIFY(!keeps(QStringLiteral("+"), command));
        QVERIFY(keeps(QStringLiteral("01/18 10:1"), fire));
        QVERIFY(!keeps(QStringLiteral("01/18 10:1"), command));
        QVERIFY(keeps(QStringLiteral("19 00:00"), command));
        QVERIFY(keeps(QStringLiteral("7"), command));  // the address
        QVERIFY(keeps(QStringLiteral("2"), fire));     // the section, and the time
        QVERIFY(!keeps(QStringLiteral("0"), undated)); // no number shows 0
        QVERIFY(!keeps(QStringLiteral("+"), undated));
    }

    void textMatchesThePanelsSpellingAsAReaderSeesIt()
    {
        const ArchiveEvent spelt = eventOf({"+", "2024/01/18 10:15:00", "2", "5", "1", fireSpelt,
                                    storeSpelt + QStringLiteral(", ") + doorSpelt});
        const ArchiveEvent alarm = eventOf({"", "2024/01/18 10:16:00", "", "", "", alarmSpelt, QStringLiteral("BUS 2")});
        const ArchiveEvent crc = eventOf({"", "", "", "", "", QStringLiteral("ОШИБКА CRC (Плохая связь)"), ""});
        RowFilter filter;
        const auto keeps = [&](const QString& text, const ArchiveEvent& r) {
            filter.setText(text);
            return filter.matches(r);
        };
        for (const QString& typed : {QStringLiteral("склад"), QStringLiteral("СКЛАД"), storeSpelt,
                                     QStringLiteral("cклад"), QStringLiteral("пожар!"), QStringLiteral("Дверь")})
            QVERIFY2(keeps(typed, spelt), qPrintable(typed));
        // "ё" and "е" read alike, in either text.
        for (const QString& typed : {QStringLiteral("отключен"), QStringLiteral("ОТКЛЮЧЁН"), QStringLiteral("отключён")})
            QVERIFY2(keeps(typed, alarm), qPrintable(typed));
        QVERIFY(keeps(QStringLiteral("Ёлка"), eventOf({"", "", "", "", "", QStringLiteral("ЕЛКА")})));
        // Latin words keep matching in either case, 'b' and 'B' included.
        for (const QString& typed : {QStringLiteral("crc"), QStringLiteral("CRC"), QStringLiteral("Crc")})
            QVERIFY2(keeps(typed, crc), qPrintable(typed));
        QVERIFY(keeps(QStringLiteral("bus"), alarm));
        QVERIFY(keeps(QStringLiteral("вus"), alarm));
        QVERIFY(!keeps(QStringLiteral("склады"), spelt));
        QVERIFY(!keeps(QStringLiteral("пожар"), alarm));
        // Ь is written 'b', so a soft sign and 'в' stay apart.
        QVERIFY(!keeps(QStringLiteral("ьus"), eventOf({"", "", "", "", "", QStringLiteral("BUS")})));
        QVERIFY(!keeps(QStringLiteral("ДВЕРЬ"), eventOf({"", "", "", "", "", QStringLiteral("ДВЕРВ")})));
    }

    // Events as the device model decodes them: the built-in texts are spelt
    // with look-alikes.
    void decodedTextsAreFoundByTheirRussianWords()
    {
        using config_quorvel::testing::RecordBuilder;
        config_quorvel::Configuration configuration;
        const auto rowOf = [&](RecordBuilder record) {
            return archive_table::archiveEvent(record.event(&configuration));
        };
        const ArchiveEvent failure = rowOf(RecordBuilder().eventClass(2).section(1).address(1).code(0x01));
        const ArchiveEvent alarm = rowOf(RecordBuilder().eventClass(2).section(1).address(1).code(0x06));
        RowFilter filter;
        filter.setText(QStringLiteral("неисправн"));
        QVERIFY(filter.matches(failure));
        QVERIFY(!filter.matches(alarm));
        filter.setText(QStringLiteral("Отключен"));
        QVERIFY(filter.matches(alarm));
        QVERIFY(!filter.matches(failure));
    }

    void foldingKeepsLengthAndOnlyComparesTexts()
    {
        const QString spelt = fireSpelt + storeSpelt;
        QCOMPARE(archive_table::searchFold(spelt), QStringLiteral("пожар!склад"));
        QCOMPARE(archive_table::searchFold(spelt).size(), spelt.size());
        QCOMPARE(archive_table::searchFold(QStringLiteral("Ё 1.1 crc")), QString::fromUtf16(u"е 1.1 \u0441r\u0441"));
    }

    void emergencyOnlyKeepsTheMarkedRows()
    {
        RowFilter filter;
        filter.setEmergencyOnly(true);
        QVERIFY(!filter.isEmpty());
        QVERIFY(filter.matches(fire));
        QVERIFY(!filter.matches(command));
        filter.setText(QStringLiteral("пульт"));
        QVERIFY(!filter.matches(command));
        QVERIFY(!filter.matches(fire));
    }

    void dateRangeIncludesBothEnds()
    {
        RowFilter filter;
        filter.setDateRange(QDate(2024, 1, 18), QDate(2024, 1, 18));
        QVERIFY(!filter.isEmpty());
        QVERIFY(filter.matches(fire));
        QVERIFY(!filter.matches(command));
        QVERIFY(!filter.matches(undated));

        filter.setDateRange(QDate(2024, 1, 19), QDate());
        QVERIFY(!filter.matches(fire));
        QVERIFY(filter.matches(command));
        filter.setDateRange(QDate(), QDate(2024, 1, 18));
        QVERIFY(filter.matches(fire));
        QVERIFY(!filter.matches(command));
        filter.setDateRange(QDate(), QDate());
        QVERIFY(filter.isEmpty());
        QVERIFY(filter.matches(undated));

        // Times no calendar has, as a faulty panel clock may write them,
        // fall where their digits put them: the 31st of February after the
        // 29th, hour 24 and minute 60 within their day.
        filter.setDateRange(QDate(2024, 2, 29), QDate(2024, 3, 1));
        for (const char* time : {"2024/02/31 23:59:59", "2024/02/29 24:00:00", "2024/03/01 23:60:00"})
            QVERIFY2(filter.matches(eventOf({"", time})), time);
        QVERIFY(!filter.matches(eventOf({"", "2024/03/02 00:00:00"})));
        QVERIFY(!filter.matches(eventOf({"", "2024/00/15 10:00:00"})));
        filter.setDateRange(QDate(2024, 3, 1), QDate());
        QVERIFY(!filter.matches(eventOf({"", "2024/02/31 23:59:59"})));
        QVERIFY(filter.matches(eventOf({"", "2024/13/01 00:00:00"})));
        filter.setDateRange(QDate(), QDate(2024, 12, 31));
        QVERIFY(!filter.matches(eventOf({"", "2024/13/01 00:00:00"})));
    }

    // An hour as the timeline's bar chooses it: from its first second to
    // the last value the panel can write within it.
    void timeRangeKeepsOneHour()
    {
        RowFilter filter;
        filter.setTimeRange(PanelTime::fromCalendar(QDate(2024, 1, 18), 10),
                            PanelTime::lastOfHour(QDate(2024, 1, 18), 10));
        for (const char* time : {"2024/01/18 10:00:00", "2024/01/18 10:15:00", "2024/01/18 10:59:59", "2024/01/18 10:60:00"})
            QVERIFY2(filter.matches(eventOf({"", time})), time);
        for (const char* time : {"2024/01/18 09:59:59", "2024/01/18 11:00:00", "2024/01/19 10:15:00", ""})
            QVERIFY2(!filter.matches(eventOf({"", time})), time);
        QCOMPARE(filter.description(), QStringLiteral("с 18.01.2024 10:00 по 18.01.2024 10:59"));
        filter.setTimeRange(PanelTime::fromCalendar(QDate(2024, 1, 15)), PanelTime::lastOfDay(QDate(2024, 1, 21)));
        QCOMPARE(filter.description(), QStringLiteral("с 15.01.2024 по 21.01.2024"));
        // Both ends are kept, to the second.
        filter.setTimeRange(PanelTime::fromCalendar(QDate(2024, 1, 18), 0, 30),
                            PanelTime::fromCalendar(QDate(2024, 1, 18), 10, 15));
        QVERIFY(filter.matches(fire));
        QVERIFY(filter.matches(eventOf({"", "2024/01/18 00:30:00"})));
        QVERIFY(!filter.matches(eventOf({"", "2024/01/18 10:15:01"})));
        QCOMPARE(filter.description(), QStringLiteral("с 18.01.2024 00:30 по 18.01.2024 10:15"));
    }
};

QTEST_APPLESS_MAIN(RowFilterTest)
#include "RowFilterTest.moc"
