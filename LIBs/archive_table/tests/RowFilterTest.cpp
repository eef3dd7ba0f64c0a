#include <archive_table/EventColumns.h>
#include <archive_table/EventRows.h>
#include <archive_table/RowFilter.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/testing/RecordBuilder.h>

#include <QtTest>

#include "TestRows.h"

using archive_table::RowFilter;
using archive_table::RowTexts;

namespace {

const RowTexts fire = row({"+", "2024/01/18 10:15:00", "2", "15", "1", QStringLiteral("ПОЖАР"),
                           QStringLiteral("Зона 3, склад")});
const RowTexts command = row({"", "2024/01/19 00:00:00", "", "7", "", QStringLiteral("КОМАНДА (нет ответа)"),
                              QStringLiteral("Пульт")});
const RowTexts undated = row({"", "", "", "", "", QStringLiteral("СБРОС"), ""});

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
        for (const RowTexts& r : {fire, command, undated, RowTexts{}})
            QVERIFY(filter.matches(r));
    }

    void textMatchesAnyCellIgnoringCaseAndTakenAsTyped()
    {
        RowFilter filter;
        const auto keeps = [&](const QString& text, const RowTexts& r) {
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
        filter.setText(QString());
        QVERIFY(filter.isEmpty());
    }

    void textMatchesThePanelsSpellingAsAReaderSeesIt()
    {
        const RowTexts spelt = row({"+", "2024/01/18 10:15:00", "2", "5", "1", fireSpelt,
                                    storeSpelt + QStringLiteral(", ") + doorSpelt});
        const RowTexts alarm = row({"", "2024/01/18 10:16:00", "", "", "", alarmSpelt, QStringLiteral("BUS 2")});
        const RowTexts crc = row({"", "", "", "", "", QStringLiteral("ОШИБКА CRC (Плохая связь)"), ""});
        RowFilter filter;
        const auto keeps = [&](const QString& text, const RowTexts& r) {
            filter.setText(text);
            return filter.matches(r);
        };
        for (const QString& typed : {QStringLiteral("склад"), QStringLiteral("СКЛАД"), storeSpelt,
                                     QStringLiteral("cклад"), QStringLiteral("пожар!"), QStringLiteral("Дверь")})
            QVERIFY2(keeps(typed, spelt), qPrintable(typed));
        // "ё" and "е" read alike, in either text.
        for (const QString& typed : {QStringLiteral("отключен"), QStringLiteral("ОТКЛЮЧЁН"), QStringLiteral("отключён")})
            QVERIFY2(keeps(typed, alarm), qPrintable(typed));
        QVERIFY(keeps(QStringLiteral("Ёлка"), row({"", "", "", "", "", QStringLiteral("ЕЛКА")})));
        // Latin words keep matching in either case, 'b' and 'B' included.
        for (const QString& typed : {QStringLiteral("crc"), QStringLiteral("CRC"), QStringLiteral("Crc")})
            QVERIFY2(keeps(typed, crc), qPrintable(typed));
        QVERIFY(keeps(QStringLiteral("bus"), alarm));
        QVERIFY(keeps(QStringLiteral("вus"), alarm));
        QVERIFY(!keeps(QStringLiteral("склады"), spelt));
        QVERIFY(!keeps(QStringLiteral("пожар"), alarm));
        // Ь is written 'b', so a soft sign and 'в' stay apart.
        QVERIFY(!keeps(QStringLiteral("ьus"), row({"", "", "", "", "", QStringLiteral("BUS")})));
        QVERIFY(!keeps(QStringLiteral("ДВЕРЬ"), row({"", "", "", "", "", QStringLiteral("ДВЕРВ")})));
    }

    // Events as the device model decodes them: the built-in texts are spelt
    // with look-alikes.
    void decodedTextsAreFoundByTheirRussianWords()
    {
        using config_quorvel::testing::RecordBuilder;
        config_quorvel::Configuration configuration;
        const auto rowOf = [&](RecordBuilder record) {
            return archive_table::eventRowTexts(record.event(&configuration));
        };
        const RowTexts failure = rowOf(RecordBuilder().eventClass(2).section(1).address(1).code(0x01));
        const RowTexts alarm = rowOf(RecordBuilder().eventClass(2).section(1).address(1).code(0x06));
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

        // A date no calendar has, as a faulty panel clock may write it,
        // still falls where its digits put it.
        const RowTexts odd = row({"", "2024/02/31 23:59:59"});
        filter.setDateRange(QDate(2024, 2, 29), QDate(2024, 3, 1));
        QVERIFY(filter.matches(odd));
        filter.setDateRange(QDate(2024, 3, 1), QDate());
        QVERIFY(!filter.matches(odd));
    }
};

QTEST_APPLESS_MAIN(RowFilterTest)
#include "RowFilterTest.moc"
