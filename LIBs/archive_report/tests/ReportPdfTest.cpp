// The report as a reader of the PDF gets it: its texts through poppler's
// pdftotext, its pages through pdfinfo, its shading through pdftoppm.

#include "PdfTools.h"
#include "TestRows.h"

#include <archive_report/PdfReport.h>
#include <archive_report/ReportContent.h>
#include <archive_table/EventRows.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/DeviceNames.h>

#include <QFile>
#include <QtTest>

using archive_table::ArchiveEvent;
using archive_table::RowTexts;

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

const QString signature = QStringLiteral("Проверил: ____________ (_______________) Дата: __________");

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

private slots:
    void headerSummaryAndRowsOfAVisit()
    {
        const std::vector<ArchiveEvent> rows = {
            eventOf({"+", "2024/01/19 00:01:00", "2", "7", "1", "ПОЖАР", "Котельная"}),
            eventOf({"", "2024/01/19 00:00:00", "", "", "", "СБРОС", "Пульт"}),
            eventOf({"", "2024/01/18 10:03:00", "1", "6", "1", "НОРМА", "Рампа"}),
            eventOf({"+", "2024/01/18 10:02:00", "1", "5", "2", "ПОЖАР", "Ворота"}),
            eventOf({"", "2024/01/18 10:01:00", "1", "5", "1", "НОРМА", "Ворота"}),
            eventOf({"+", "2024/01/18 10:00:00", "1", "5", "1", "ПОЖАР", "Ворота"}),
            eventOf({"", "", "1", "", "", "СБРОС", "Склад"}),
        };
        archive_table::TableSource read;
        read.kind = archive_table::TableSource::Kind::Read;
        read.port = QStringLiteral("ttyUSB0");
        read.turbo = true;
        read.readTime = QDateTime(QDate(2024, 1, 20), QTime(9, 30)).toUTC();
        archive_report::ReportContent content = archive_report::reportContent(rows, storePanel(), read);
        content.madeAt = QDateTime(QDate(2024, 1, 20), QTime(11, 45, 10));
        const QString pdf = writePdf(content, QStringLiteral("visit.pdf"));
        QVERIFY(!pdf.isEmpty());

        const PdfInfo info = pdfInfo(pdf);
        QCOMPARE(info.pages, 1);
        QCOMPARE(info.pageSize, QStringLiteral("842 x 595 pts (A4)"));

        const QStringList lines = pdfLines(pdfLayoutText(pdf));
        const QString all = lines.join(QLatin1Char('\n'));
        for (const char* expected :
             {"Отчёт о событиях прибора «Quorvel»", "Тип прибора: Q-QRV", "Версия ПО: 2.1.5", "Дата ПО: 05.03.2024",
              "Ревизия настроек: 17", "Версия программы: 1.1.6.1107", "Чтение: 20.01.2024 09:30:00",
              "Порт: ttyUSB0", "Скорость: 345600 бод (повышенная скорость)",
              "Период: 2024/01/18 10:00:00 — 2024/01/19 00:01:00, без даты: 1", "Фильтр: все события",
              "Отчёт составлен: 20.01.2024 11:45:10", "Событий в отчёте: 7", "Из них экстренных: 3",
              "Самые частые события", "Устройства с наибольшим числом событий",
              "Отчёт составлен 20.01.2024 11:45:10", "Стр. 1 из 1"})
            QVERIFY2(all.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(all.contains(signature));

        // The lists stand side by side: each line holds one entry of each.
        for (const char* pair : {"ПОЖАР 3 Ворота (секция 1, адрес 5) 3\n", "НОРМА 2 Рампа (секция 1, адрес 6) 1\n",
                                 "СБРОС 2 Котельная (секция 2, адрес 7) 1\n"})
            QVERIFY2(all.contains(QString::fromUtf8(pair)), pair);

        // Every row on a line of its own, in the table's order, the section
        // column kept.
        QVERIFY(all.contains(QStringLiteral("Э Дата и время Секция Адрес Шл./Л.с. Cобытие Источник/Описание")));
        int at = 0;
        for (const RowTexts& texts : archive_table::rowTexts(rows)) {
            const QString expected = QStringList(texts.begin(), texts.end()).join(QLatin1Char(' ')).simplified();
            const int found = lines.indexOf(expected, at);
            QVERIFY2(found > at, qPrintable(expected));
            at = found;
        }
        QVERIFY(lines.indexOf(signature) > at);
    }

    // Several pages: the table's header and the footer on each, rows in
    // order across the page breaks, the section column left out since no
    // row has a section, a site's name under the title, a text too long
    // for its cell wrapped within it (text past the page would be lost),
    // emergencies pink.
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
        const QStringList pageTexts = pdfLayoutText(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(pageTexts.size(), pages);
        for (int page = 0; page < pages; ++page) {
            const QString text = pdfLines(pageTexts[page]).join(QLatin1Char('\n')).trimmed();
            QVERIFY(text.contains(QStringLiteral("Э Дата и время Адрес Шл./Л.с. Cобытие Источник/Описание\n")));
            QVERIFY(text.endsWith(QStringLiteral("Стр. %1 из %2").arg(page + 1).arg(pages)));
        }
        const QStringList first = pdfLines(pageTexts.front());
        QCOMPARE(first[first.indexOf(QStringLiteral("Отчёт о событиях прибора «Quorvel»")) + 1],
                 QStringLiteral("Склад №3 на Заводской"));
        QVERIFY(first.contains(QStringLiteral("Событий в отчёте: 300")));
        QVERIFY(first.contains(QStringLiteral("Из них экстренных: 43")));
        int at = 0;
        for (const QString& word : words) {
            at = first.join(' ').indexOf(QStringLiteral(" ") + word + QStringLiteral(" "), at);
            QVERIFY2(at > 0, qPrintable(word));
        }

        const QStringList lines = pdfLines(pageTexts.join(QLatin1Char('\n')));
        at = 0;
        for (const QString& date : dates) {
            const int found = lines.indexOf(QRegularExpression(QStringLiteral("(\\+ )?") + date + QStringLiteral(" .*")), at);
            QVERIFY2(found > at, qPrintable(date));
            at = found;
        }
        QVERIFY(!pageTexts.join(' ').contains(QStringLiteral("Секция")));
        QVERIFY(pdfLines(pageTexts.back()).contains(signature));
        const QImage image = pdfFirstPage(pdf);
        QVERIFY(!image.isNull());
        bool pink = false;
        for (int y = 0; y < image.height() && !pink; ++y)
            for (int x = 0; x < image.width() && !pink; ++x)
                pink = image.pixelColor(x, y) == QColor(255, 164, 164);
        QVERIFY2(pink, "no emergency row is shaded");
    }
};

QTEST_MAIN(ReportPdfTest)
#include "ReportPdfTest.moc"
