#include <archive_table/EventColumns.h>
#include <archive_table/RowFilter.h>

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
