// The one rule for a site's name, and how a listing shows names that an
// older program let in.

#include <site_history/SiteName.h>

#include <gtest/gtest.h>

using site_history::escapedSiteName;
using site_history::siteNameProblem;

TEST(SiteNameTest, ANewSitesNameFollowsOneRule)
{
    const QString empty = QStringLiteral("Название объекта не может быть пустым");
    const QString spaces = QStringLiteral("Название объекта не может начинаться или кончаться пробелом");
    const QString control = QStringLiteral("Название объекта не может содержать управляющие знаки (табуляцию, перевод строки)");
    const QString tooLong = QStringLiteral("Название объекта длиннее 200 знаков");
    const QString notUtf8 = QStringLiteral("Название объекта записано не в UTF-8");
    // 200 characters that take two UTF-16 units each are still 200.
    QString emoji;
    for (int i = 0; i < 200; ++i)
        emoji += QString::fromUtf8("\xF0\x9F\x94\xA5");
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Склад №1"), QString()},
        {QStringLiteral("Офис (корпус «Б»), 2-й этаж"), QString()},
        {QString(200, QChar(0x042F)), QString()},
        {emoji, QString()},
        {QString(), empty},
        {QStringLiteral("   "), empty},
        {QStringLiteral(" Склад "), spaces},
        {QStringLiteral("Склад\u00A0"), spaces},
        {QStringLiteral("Офис\t0\t0\t\nСклад №1\t99\t123456\t2030-01-01T00:00:00Z"), control},
        {QStringLiteral("Склад\n"), control},
        {QStringLiteral("Склад\u0085№1"), control},
        {QStringLiteral("Склад\u2028№1"), control},
        {QString(201, QChar(0x042F)), tooLong},
        {emoji + QLatin1Char('!'), tooLong},
        {QStringLiteral("Site\uFFFD"), notUtf8},
        {QStringLiteral("Site") + QChar(0xD800), notUtf8},
        {QChar(0xDC00) + QStringLiteral("Site"), notUtf8},
    };
    for (const auto& [name, problem] : cases)
        EXPECT_EQ(siteNameProblem(name).toStdString(), problem.toStdString()) << name.toStdString();
}

TEST(SiteNameTest, AListingEscapesWhatWouldBreakItsLines)
{
    EXPECT_EQ(escapedSiteName(QStringLiteral("Склад №1")), QStringLiteral("Склад №1"));
    EXPECT_EQ(escapedSiteName(QStringLiteral("Офис\t0\nСклад №1\r")), QStringLiteral("Офис\\t0\\nСклад №1\\r"));
    EXPECT_EQ(escapedSiteName(QStringLiteral("C:\\Офис\\t")), QStringLiteral("C:\\\\Офис\\\\t"));
    EXPECT_EQ(escapedSiteName(QStringLiteral("A\x1b[2JB\u2028C")), QStringLiteral("A\\u001b[2JB\\u2028C"));
}
