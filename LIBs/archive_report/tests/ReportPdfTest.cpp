// The report as a reader of the PDF gets it: its texts through poppler's
// pdftotext (with -bbox, where each word stands), its pages through pdfinfo,
// its shading through pdftoppm.

#include "PdfTools.h"
#include "TestRows.h"

#include <archive_report/PdfReport.h>
#include <archive_report/ReportContent.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/DeviceNames.h>
#include <site_statistics/EventTally.h>

#include <QFile>
#include <QtTest>

using archive_table::ArchiveEvent;

namespace {

// A central panel: section 1 "Склад" with the named devices 5 "Ворота" and
// 6 "Рампа", section 2 with device 7 "Котельная".
config_quorvel::Configuration storePanel()
{
    config_quorvel::Configuration c;
    c.firmwareVersion = "2.1.5";
    c.firmwareDate = "05.03.2024";
    c.settingsRevision = 17;
    c.pultType = true;
    const auto device = [](int address, const std::u16string& name) {
        config_quorvel::Device d;
        d.address = address;
        d.names = std::make_shared<config_quorvel::DeviceNames>();
        d.names->deviceName = name;
        return d;
    };
    c.sections[1].name = u"Склад";
    c.sections[1].devices[5] = device(5, u"Ворота");
    c.sections[1].devices[6] = device(6, u"Рампа");
    c.sections[2].devices[7] = device(7, u"Котельная");
    return c;
}

const QString signatures =
    QStringLiteral("Техник: ФИО, подпись, дата Представитель объекта: ФИО, подпись, дата");
const QString yearStatistics = QStringLiteral("Статистика за 12 месяцев");
const QString tableHeader = QStringLiteral("Э Дата и время Адрес Шл./Л.с. Событие Источник/Описание");
// A4 landscape less the right margin of 10 mm, in points.
constexpr qreal printableRight = 842 - 10 / 25.4 * 72;

// One row a minute from 1 February 2024 on, a line each.
std::vector<ArchiveEvent> minuteRows(int count)
{
    std::vector<ArchiveEvent> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(eventOf({"", QStringLiteral("2024/02/01 %1:%2:00").arg(i / 60, 2, 10, QLatin1Char('0'))
                                        .arg(i % 60, 2, 10, QLatin1Char('0')),
                                "", "3", "1", "НОРМА", "Датчик"}));
    return rows;
}

// The first line from `at` on that is not empty.
QString nextText(const QStringList& lines, int at)
{
    while (at < lines.size() && lines[at].isEmpty())
        ++at;
    return lines.value(at);
}

bool isRow(const QString& line)
{
    static const QRegularExpression row(QStringLiteral("^(\\+ )?\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d "));
    return row.match(line).hasMatch();
}

// The words of a page that stand on the footer's line, and those above it:
// nothing may reach into the footer.
QStringList wordsReachingTheFooter(const PdfPage& page)
{
    qreal footerTop = page.size.height();
    for (const PdfWord& word : page.words)
        if (word.text == QStringLiteral("Стр."))
            footerTop = word.box.top();
    QStringList reaching;
    for (const PdfWord& word : page.words)
        if (std::abs(word.box.top() - footerTop) > 0.5 && word.box.bottom() > footerTop)
            reaching << word.text;
    return reaching;
}

} // namespace

class ReportPdfTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString writePdf(const archive_report::ReportContent& content, const QString& name)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !archive_report::writePdfReport(file, content))
            return {};
        return path;
    }

    // Each page's lines, runs of spaces made one.
    static std::vector<QStringList> pageLines(const QString& pdf)
    {
        std::vector<QStringList> pages;
        for (const QString& page : pdfLayoutText(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts))
            pages.push_back(pdfLines(page));
        return pages;
    }

private slots:
    // A read recorded under a site: the site under the title and in the
    // running header, the read's details, one date format in the header,
    // the summary, the rows in the reader's spelling and in order, then both
    // signatures.
    void headerSummaryAndRowsOfAVisit()
    {
        // "HEИCПPABH." as the panel spells it, with Latin letters.
        const QString fault = QStringLiteral("\u0048\u0045И\u0043П\u0050\u0041\u0042\u0048.");
        const std::vector<ArchiveEvent> rows = {
            eventOf({"+", "2024/01/19 00:01:00", "2", "7", "1", "ПОЖАР", "Котельная"}),
            eventOf({"", "2024/01/19 00:00:00", "", "", "", "СБРОС", "Пульт"}),
            eventOf({"", "2024/01/18 10:03:00", "1", "6", "1", fault, "Рампа"}),
            eventOf({"+", "2024/01/18 10:02:00", "1", "5", "2", "ПОЖАР", "Ворота"}),
            eventOf({"", "2024/01/18 10:01:00", "1", "5", "1", fault, "Ворота"}),
            eventOf({"+", "2024/01/18 10:00:00", "1", "5", "1", "ПОЖАР", "Ворота"}),
            eventOf({"", "", "1", "", "", "СБРОС", "Склад"}),
        };
        archive_table::TableSource read;
        read.kind = archive_table::TableSource::Kind::Read;
        read.port = QStringLiteral("ttyUSB0");
        read.turbo = true;
        read.readTime = QDateTime(QDate(2024, 1, 20), QTime(9, 30)).toUTC();
        read.site = QStringLiteral("Склад №1");
        archive_report::ReportContent content = archive_report::reportContent(rows, storePanel(), read);
        content.madeAt = QDateTime(QDate(2024, 1, 20), QTime(11, 45, 10));
        const QString pdf = writePdf(content, QStringLiteral("visit.pdf"));
        QVERIFY(!pdf.isEmpty());

        const PdfInfo info = pdfInfo(pdf);
        QCOMPARE(info.pages, 1);
        QCOMPARE(info.pageSize, QStringLiteral("842 x 595 pts (A4)"));

        const QStringList lines = pdfLines(pdfLayoutText(pdf));
        QCOMPARE(lines.mid(0, 3),
                 QStringList({"Склад №1 · Прибор Q-QRV, ПО 2.1.5, ревизия настроек 17 Период: 18.01.2024 10:00:00 — "
                              "19.01.2024 00:01:00, без даты: 1",
                              "", "Отчёт о событиях прибора «Quorvel»"}));
        QCOMPARE(lines[3], QStringLiteral("Склад №1"));
        const QString all = lines.join(QLatin1Char('\n'));
        for (const char* expected :
             {"Тип прибора: Q-QRV Объект: Склад №1", "Версия ПО: 2.1.5 Чтение: 20.01.2024 09:30:00",
              "Дата ПО: 05.03.2024 Порт: ttyUSB0", "Ревизия настроек: 17 Скорость: 345600 бод (повышенная скорость)",
              "Версия программы: 1.1.6.1107 Период: 18.01.2024 10:00:00 — 19.01.2024 00:01:00, без даты: 1",
              "Фильтр: все события", "Отчёт составлен: 20.01.2024 11:45:10", "Событий в отчёте: 7",
              "Из них экстренных: 3", "Самые частые события Устройства с наибольшим числом событий",
              "Стр. 1 из 1"})
            QVERIFY2(all.contains(QString::fromUtf8(expected)), expected);
        // The footer: when, in this computer's time with its offset, and the page.
        QVERIFY(QRegularExpression(QStringLiteral("Отчёт составлен 20\\.01\\.2024 11:45:10 UTC\\S* Стр\\. 1 из 1"))
                    .match(all)
                    .hasMatch());

        // The lists stand side by side: each line holds one entry of each.
        for (const char* pair : {"ПОЖАР 3 Ворота (секция 1, адрес 5) 3\n", "НЕИСПРАВН. 2 Рампа (секция 1, адрес 6) 1\n",
                                 "СБРОС 2 Котельная (секция 2, адрес 7) 1\n"})
            QVERIFY2(all.contains(QString::fromUtf8(pair)), pair);

        // The table's date column as the table writes it; the section
        // column kept, since rows have one.
        const int header = lines.indexOf(QStringLiteral("Э Дата и время Секция Адрес Шл./Л.с. Событие Источник/Описание"));
        QVERIFY(header > 0);
        QCOMPARE(lines.mid(header + 1, 7), QStringList({"+ 2024/01/19 00:01:00 2 7 1 ПОЖАР Котельная",
                                                        "2024/01/19 00:00:00 СБРОС Пульт",
                                                        "2024/01/18 10:03:00 1 6 1 НЕИСПРАВН. Рампа",
                                                        "+ 2024/01/18 10:02:00 1 5 2 ПОЖАР Ворота",
                                                        "2024/01/18 10:01:00 1 5 1 НЕИСПРАВН. Ворота",
                                                        "+ 2024/01/18 10:00:00 1 5 1 ПОЖАР Ворота",
                                                        "1 СБРОС Склад"}));
        QCOMPARE(nextText(lines, header + 8), signatures);
        QVERIFY(!all.contains(fault));
        QVERIFY(!all.contains(yearStatistics));
    }

    // A site's history: after its rows its last twelve months (March 2023 to
    // February 2024, the month of its latest dated event) by month, and its
    // devices by faults, the one with faults in three months marked; then
    // the signatures. February 2023 and the undated fault are outside.
    void aHistoryEndsWithItsLastTwelveMonths()
    {
        const auto event = [](const char* emergency, const char* time, const char* address, int eventClass) {
            ArchiveEvent e = eventOf({emergency, time, "1", address, "1", "СОБЫТИЕ", ""});
            e.eventClass = std::uint8_t(eventClass);
            return e;
        };
        const std::vector<ArchiveEvent> rows = {
            event("", "2024/02/10 10:00:00", "5", 1), event("+", "2024/02/01 08:00:00", "6", 2),
            event("", "2023/12/05 10:00:00", "5", 1), event("", "2023/11/30 23:59:59", "5", 1),
            event("", "2023/11/01 10:00:00", "6", 1), event("", "2023/02/28 10:00:00", "5", 1),
            event("", "", "5", 1),
        };
        archive_table::TableSource history;
        history.kind = archive_table::TableSource::Kind::History;
        history.site = QStringLiteral("Склад №1");
        archive_report::ReportContent content = archive_report::reportContent(rows, storePanel(), history);
        content.siteTallies = site_statistics::tallyEvents(rows);
        // The rows end on the first page, the last the undated one; the
        // statistics and the signatures, too long for what is left, take
        // the second page under its running header.
        const std::vector<QStringList> pages = pageLines(writePdf(content, QStringLiteral("history.pdf")));
        QCOMPARE(int(pages.size()), 2);
        const QStringList& first = pages[0];
        const int lastRow = first.indexOf(QStringLiteral("1 5 1 СОБЫТИЕ"));
        QVERIFY(lastRow > 0);
        QVERIFY(nextText(first, lastRow + 1).startsWith(QStringLiteral("Отчёт составлен ")));
        const QStringList& lines = pages[1];
        QCOMPARE(nextText(lines, 1), yearStatistics);
        const int title = lines.indexOf(yearStatistics);
        const int months = lines.indexOf(QStringLiteral("Месяц Событий Экстренных Неисправностей Состояний шлейфов "
                                                        "Команд Сбросов Прочих"));
        QCOMPARE(nextText(lines, title + 1), lines.value(months));
        QStringList monthRows;
        for (int at = months + 1; at < lines.size() && !lines[at].isEmpty(); ++at)
            monthRows << lines[at];
        QCOMPARE(monthRows.size(), 12);
        QCOMPARE(monthRows.front(), QStringLiteral("2023-03 0 0 0 0 0 0 0"));
        QVERIFY(monthRows.contains(QStringLiteral("2023-11 2 0 2 0 0 0 0")));
        QCOMPARE(monthRows.back(), QStringLiteral("2024-02 2 1 1 1 0 0 0"));

        const int devices = lines.indexOf(QStringLiteral("Секция Адрес Прибор Событий Экстренных Неисправностей "
                                                         "Месяцев с неисправностями"));
        QCOMPARE(nextText(lines, months + 13), QStringLiteral("Устройства с наибольшим числом неисправностей"));
        QCOMPARE(lines.mid(devices + 1, 2), QStringList({"1 5 Ворота 3 0 3 3, повторяющиеся неисправности",
                                                         "1 6 Рампа 2 1 1 1"}));
        QCOMPARE(nextText(lines, devices + 3), signatures);
    }

    // Several pages: on each the running header (site, panel, period), the
    // table's header and the footer; rows in order across the breaks, the
    // section column left out since no row has a section, a long text
    // wrapped within its cell, emergencies pink.
    void pagesOfALongArchive()
    {
        std::vector<ArchiveEvent> rows;
        QStringList dates;
        for (int i = 0; i < 300; ++i) {
            dates << QStringLiteral("2024/02/%1 %2:%3:00")
                         .arg(1 + i / 24, 2, 10, QLatin1Char('0'))
                         .arg(i % 24, 2, 10, QLatin1Char('0'))
                         .arg(i % 60, 2, 10, QLatin1Char('0'));
            rows.push_back(eventOf({i % 7 == 0 ? "+" : "", dates.last(), "", QString::number(1 + i % 9), "1",
                                    i % 7 == 0 ? "ПОЖАР" : "НОРМА", QStringLiteral("Датчик %1").arg(1 + i % 9)}));
        }
        QStringList words;
        for (int i = 1; i <= 60; ++i)
            words << QStringLiteral("слово%1").arg(i);
        rows[1].sourceText = words.join(' ');
        archive_table::TableSource history;
        history.kind = archive_table::TableSource::Kind::History;
        history.site = QStringLiteral("Склад №3 на Заводской");
        const QString pdf =
            writePdf(archive_report::reportContent(rows, config_quorvel::Configuration(), history), "long.pdf");

        const int pages = pdfInfo(pdf).pages;
        QVERIFY2(pages >= 5, qPrintable(QString::number(pages)));
        const std::vector<QStringList> pageTexts = pageLines(pdf);
        QCOMPARE(int(pageTexts.size()), pages);
        for (int page = 0; page < pages; ++page) {
            const QStringList& lines = pageTexts[page];
            QCOMPARE(lines.front(), QStringLiteral("Склад №3 на Заводской · Прибор Q-QRV Период: 01.02.2024 00:00:00 — "
                                                   "13.02.2024 11:59:00"));
            QVERIFY(lines.contains(tableHeader));
            QVERIFY(lines.join('\n').trimmed().endsWith(QStringLiteral("Стр. %1 из %2").arg(page + 1).arg(pages)));
        }
        const QStringList& first = pageTexts.front();
        QCOMPARE(first[first.indexOf(QStringLiteral("Отчёт о событиях прибора «Quorvel»")) + 1],
                 QStringLiteral("Склад №3 на Заводской"));
        QVERIFY(first.contains(QStringLiteral("Событий в отчёте: 300")));
        QVERIFY(first.contains(QStringLiteral("Из них экстренных: 43")));
        int at = 0;
        for (const QString& word : words) {
            at = first.join(' ').indexOf(QStringLiteral(" ") + word + QStringLiteral(" "), at);
            QVERIFY2(at > 0, qPrintable(word));
        }

        QStringList lines;
        for (const QStringList& page : pageTexts)
            lines << page;
        at = 0;
        for (const QString& date : dates) {
            const int found = lines.indexOf(QRegularExpression(QStringLiteral("(\\+ )?") + date + QStringLiteral(" .*")), at);
            QVERIFY2(found > at, qPrintable(date));
            at = found;
        }
        QVERIFY(!lines.join(' ').contains(QStringLiteral("Секция")));
        QVERIFY(pageTexts.back().contains(signatures));
        const QImage image = pdfFirstPage(pdf);
        QVERIFY(!image.isNull());
        bool pink = false;
        for (int y = 0; y < image.height() && !pink; ++y)
            for (int x = 0; x < image.width() && !pink; ++x)
                pink = image.pixelColor(x, y) == QColor(255, 164, 164);
        QVERIFY2(pink, "no emergency row is shaded");
    }

    // A last page that the rows fill leaves the signatures no room: the last
    // row goes over with them, so that they follow a row under the table's
    // header, never stand alone, and every page's header has rows under it.
    void theSignaturesFollowTheLastRowOnItsPage()
    {
        // How many rows fit on the first page and on a page of the table.
        const std::vector<QStringList> probe =
            pageLines(writePdf(archive_report::reportContent(minuteRows(200), {}, {}), "probe.pdf"));
        QVERIFY(probe.size() >= 3);
        const int onFirst = int(std::count_if(probe[0].begin(), probe[0].end(), isRow));
        const int onNext = int(std::count_if(probe[1].begin(), probe[1].end(), isRow));
        QVERIFY(onFirst > 10 && onNext > onFirst);

        const QString pdf = writePdf(archive_report::reportContent(minuteRows(onFirst + onNext), {}, {}), "full.pdf");
        const std::vector<QStringList> pages = pageLines(pdf);
        QCOMPARE(int(pages.size()), 3);
        int rows = 0;
        for (const QStringList& page : pages) {
            const int header = page.indexOf(tableHeader);
            QVERIFY(header > 0);
            QVERIFY2(isRow(page[header + 1]), qPrintable(page[header + 1]));
            rows += int(std::count_if(page.begin(), page.end(), isRow));
        }
        QCOMPARE(rows, onFirst + onNext);
        const QStringList& last = pages.back();
        const int signature = last.indexOf(signatures);
        QVERIFY(signature > 0);
        int lastRow = last.size() - 1;
        while (lastRow > 0 && !isRow(last[lastRow]))
            --lastRow;
        QVERIFY(lastRow > 0);
        QCOMPARE(nextText(last, lastRow + 1), signatures);
        QVERIFY(last.mid(signature + 1).join(' ').simplified().startsWith(QStringLiteral("Отчёт составлен ")));
        QVERIFY(wordsReachingTheFooter(pdfWords(pdf).back()).isEmpty());
        for (const QStringList& page : {pages[0], pages[1]})
            QVERIFY(!page.contains(signatures));
    }

    // Rows of one, two and three lines over many pages: on every page the
    // running header, the repeated table header and the rows leave the
    // footer's line free.
    void rowsEndAboveTheFooterOnEveryPage()
    {
        std::vector<ArchiveEvent> rows = minuteRows(400);
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (std::size_t words = 0; words < i % 3 * 30; ++words)
                rows[i].sourceText += QStringLiteral(" слово");
        const std::vector<PdfPage> pages =
            pdfWords(writePdf(archive_report::reportContent(rows, {}, {}), "heights.pdf"));
        QVERIFY(pages.size() > 5);
        for (std::size_t page = 0; page < pages.size(); ++page) {
            const QStringList reaching = wordsReachingTheFooter(pages[page]);
            QVERIFY2(reaching.isEmpty(), qPrintable(QStringLiteral("page %1: %2").arg(page + 1).arg(reaching.join(' '))));
        }
    }

    // Twelve events of distinct counts: the summary lists the ten most
    // frequent, the tenth included, and no more.
    void theSummaryListsTheTenMostFrequentEvents()
    {
        std::vector<ArchiveEvent> rows;
        for (int text = 1; text <= 12; ++text)
            for (int i = 0; i < 14 - text; ++i)
                rows.push_back(eventOf({"", "2024/03/01 10:00:00", "", "", "",
                                        QStringLiteral("Событие %1").arg(text, 2, 10, QLatin1Char('0')), "Пульт"}));
        const QStringList lines = pdfLines(pdfLayoutText(writePdf(archive_report::reportContent(rows, {}, {}), "top.pdf")));
        const int heading = lines.indexOf(QStringLiteral("Самые частые события Устройства с наибольшим числом событий"));
        QVERIFY(heading > 0);
        QStringList listed;
        for (int at = heading + 1; at < lines.size() && !lines[at].isEmpty(); ++at)
            listed << lines[at];
        QCOMPARE(listed, QStringList({"Событие 01 13", "Событие 02 12", "Событие 03 11", "Событие 04 10",
                                      "Событие 05 9", "Событие 06 8", "Событие 07 7", "Событие 08 6",
                                      "Событие 09 5", "Событие 10 4"}));
    }

    // A single word wider than its column is broken within the column and
    // printed whole; nothing passes the page's printable edge.
    void aWordWiderThanItsColumnIsBrokenAndPrintedWhole()
    {
        const QString word = QStringLiteral("ПожарныйИзвещательКоридораВторогоЭтажа").repeated(5);
        std::vector<ArchiveEvent> rows = minuteRows(3);
        rows[1].sourceText = word;
        const QString pdf = writePdf(archive_report::reportContent(rows, {}, {}), "word.pdf");
        const std::vector<PdfPage> pages = pdfWords(pdf);
        QCOMPARE(int(pages.size()), 1);
        qreal right = 0;
        for (const PdfWord& piece : pages.front().words)
            right = std::max(right, piece.box.right());
        QVERIFY2(right <= printableRight + 0.5, qPrintable(QString::number(right)));
        const QStringList lines = pdfLines(pdfLayoutText(pdf));
        const int row = lines.indexOf(QRegularExpression(QStringLiteral("2024/02/01 00:01:00 .*")));
        QVERIFY(row > 0);
        int end = row + 1;
        while (!isRow(lines[end]))
            ++end;
        QVERIFY2(end - row >= 3, "the word is not broken over lines");
        QString printed = QStringList(lines.mid(row, end - row)).join(QString()).section(QStringLiteral("НОРМА "), 1);
        printed.remove(QLatin1Char(' '));
        QCOMPARE(printed, word);
    }
};

QTEST_MAIN(ReportPdfTest)
#include "ReportPdfTest.moc"
