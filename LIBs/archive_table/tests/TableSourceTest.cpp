#include <archive_table/TableSource.h>

#include <QtTest>

#include <ctime>

namespace {

// Runs with the zone `tz` (a POSIX zone string, which needs no zone files),
// the one in force before restored after.
template <typename Check>
void inZone(const char* tz, Check check)
{
    const QByteArray before = qgetenv("TZ");
    const bool had = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", tz);
    tzset();
    check();
    if (had)
        qputenv("TZ", before);
    else
        qunsetenv("TZ");
    tzset();
}

} // namespace

class TableSourceTest : public QObject {
    Q_OBJECT

private slots:
    // A read's time in this computer's time, its offset from UTC named, so
    // that the same dump reads the same wherever it is opened.
    void aTimeIsShownInLocalTimeWithItsOffset()
    {
#ifdef Q_OS_WIN
        QSKIP("the zone is set here through the C library's TZ, which Windows' local time does not follow");
#endif
        const QDateTime read(QDate(2024, 3, 1), QTime(10, 0), Qt::UTC);
        inZone("UTC0", [&] { QCOMPARE(archive_table::shownTime(read), QStringLiteral("01.03.2024 10:00:00 UTC")); });
        inZone("MSK-3", [&] { QCOMPARE(archive_table::shownTime(read), QStringLiteral("01.03.2024 13:00:00 UTC+3")); });
        inZone("IST-5:30",
               [&] { QCOMPARE(archive_table::shownTime(read), QStringLiteral("01.03.2024 15:30:00 UTC+5:30")); });
        inZone("NST3:30", [&] { QCOMPARE(archive_table::shownTime(read), QStringLiteral("01.03.2024 06:30:00 UTC-3:30")); });
        QCOMPARE(archive_table::shownTime(QDateTime()), QString());
    }
};

QTEST_APPLESS_MAIN(TableSourceTest)
#include "TableSourceTest.moc"
