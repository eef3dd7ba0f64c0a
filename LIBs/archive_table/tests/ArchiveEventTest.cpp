#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventRows.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>

#include <QtTest>

using namespace archive_table;

namespace {

// The record's four time bytes as the panel writes them.
PanelTime timeOf(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    return PanelTime::fromRecord(std::uint32_t(b0) << 24 | std::uint32_t(b1) << 16 | std::uint32_t(b2) << 8 | b3);
}

} // namespace

class ArchiveEventTest : public QObject {
    Q_OBJECT

private slots:
    void timesKeepTheirThreeStates()
    {
        // 2024/01/18 10:15:00: years 14, month 1, day 18, hour 10, minute 15.
        const PanelTime time = timeOf(0x38, 0x64, 0xA3, 0xC0);
        QCOMPARE(time.kind(), PanelTime::Kind::Calendar);
        QCOMPARE(time.text(), QStringLiteral("2024/01/18 10:15:00"));
        QCOMPARE(time.digits(), Q_INT64_C(20240118101500));
        QCOMPARE(time.date(), QDate(2024, 1, 18));
        QCOMPARE(PanelTime::fromDigits(time.digits()), time);

        const PanelTime none = timeOf(0, 0, 0, 0);
        QCOMPARE(none.kind(), PanelTime::Kind::None);
        QVERIFY(none.text().isEmpty());
        QCOMPARE(none.digits(), Q_INT64_C(0));
        QCOMPARE(PanelTime::fromDigits(0), none);

        // Month 0, 2023/02/29, hour 24, minute 60: kept and shown as written.
        const struct {
            PanelTime time;
            const char* text;
        } impossible[] = {
            {timeOf(0x38, 0x24, 0xA0, 0x00), "2024/00/18 10:00:00"},
            {timeOf(0x34, 0xBA, 0xA0, 0x00), "2023/02/29 10:00:00"},
            {timeOf(0x38, 0x65, 0x80, 0x00), "2024/01/18 24:00:00"},
            {timeOf(0x38, 0x64, 0xAF, 0x00), "2024/01/18 10:60:00"},
        };
        for (const auto& [value, text] : impossible) {
            QCOMPARE(value.kind(), PanelTime::Kind::Impossible);
            QCOMPARE(value.text(), QString::fromLatin1(text));
            QVERIFY(!value.date().isValid());
            QCOMPARE(PanelTime::fromDigits(value.digits()), value);
        }
    }

    void timesOrderAsTheirTexts()
    {
        std::vector<PanelTime> times = {timeOf(0x38, 0x64, 0xA3, 0xC0), timeOf(0, 0, 0, 0),
                                        timeOf(0x38, 0x24, 0xA0, 0x00), timeOf(0x34, 0xBA, 0xA0, 0x00),
                                        timeOf(0x38, 0x65, 0x80, 0x00), timeOf(0, 0, 0, 1)};
        for (const PanelTime& a : times)
            for (const PanelTime& b : times) {
                QCOMPARE(a < b, a.text() < b.text());
                QCOMPARE(a < b, a.digits() < b.digits());
            }
    }

    void cellsAreTheDecodersTexts()
    {
        // An emergency alarm of device 5 in section 2, class 2 on loop 2
        // (code 0x08), and a reset with every number 0.
        const config_quorvel::Configuration configuration;
        const config_quorvel::Event alarm({0x38, 0x64, 0xA3, 0xC0, 0x85, 0x12, 0x08, 0x00}, &configuration);
        const config_quorvel::Event reset({0, 0, 0, 0, 0x00, 0x00, 0x01, 0x00}, &configuration);
        for (const config_quorvel::Event* event : {&alarm, &reset}) {
            const ArchiveEvent typed = archiveEvent(*event);
            QCOMPARE(rowTexts(typed), eventRowTexts(*event));
        }
        const ArchiveEvent typed = archiveEvent(alarm);
        QVERIFY(typed.emergency);
        QCOMPARE(int(typed.section), 2);
        QCOMPARE(int(typed.address), 5);
        QCOMPARE(int(typed.eventClass), 2);
        QCOMPARE(int(typed.loop), 2);
        QCOMPARE(cellText(typed, emergencyColumn), QStringLiteral("+"));
        QCOMPARE(cellText(archiveEvent(reset), sectionColumn), QString());
    }
};

QTEST_APPLESS_MAIN(ArchiveEventTest)
#include "ArchiveEventTest.moc"
