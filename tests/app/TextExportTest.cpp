#include "ViewerTestSupport.h"

#include <EventsViewWidget.h>
#include <TextExport.h>

#include <rs485/testing/FakeSerialPlatform.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using viewer_core::RowTexts;

namespace {

QByteArray lines(const QStringList& texts)
{
    return (texts.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

RowTexts row(const QStringList& cells)
{
    RowTexts texts;
    for (int column = 0; column < viewer_core::columnCount; ++column)
        texts[column] = cells.value(column);
    return texts;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A save file whose device gives up after a number of bytes, as a full
// disk does.
class FailingSaveFile : public QSaveFile {
public:
    FailingSaveFile(const QString& name, qint64 capacity) : QSaveFile(name), capacity(capacity) {}

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        if (capacity == 0)
            return -1;
        const qint64 taken = QSaveFile::writeData(data, std::min(size, capacity));
        capacity -= taken;
        return taken;
    }

private:
    qint64 capacity;
};

} // namespace

class TextExportTest : public QObject {
    Q_OBJECT

private:
    config_quorvel::Configuration configuration;
    rs485::testing::FakeSerialPlatform platform;

    void addRows(TestMainWindow& window)
    {
        auto* table = window.findChild<EventsViewWidget*>(QStringLiteral("eventsView"));
        table->addEvent(makeEvent(record(panel_sim::packDateTime(2020, 1, 1, 0, 0, 0), 0, 9, 1, 3),
                                  &configuration));
        table->addEvent(makeEvent(record(panel_sim::packDateTime(2020, 1, 2, 0, 0, 0), 0, 10, 0, 1),
                                  &configuration));
    }

    QByteArray exportOf(const EventsViewWidget& table)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!table.exportToText(&buffer))
            return QByteArray("<failed>");
        return buffer.data();
    }

private slots:
    void emptyTableLeavesOutTheSectionColumn()
    {
        const QByteArray expected = lines({
            QStringLiteral("|---|--------------|-------|----------|---------|-------------------|"),
            QStringLiteral("| Э | Дата и время | Адрес | Шл./Л.с. | Cобытие | Источник/Описание |"),
            QStringLiteral("|---|--------------|-------|----------|---------|-------------------|"),
            QStringLiteral("|---|--------------|-------|----------|---------|-------------------|"),
        });
        QCOMPARE(viewer_core::exportText(viewer_core::columnHeaders(), {}), expected);
        EventsViewWidget table;
        QCOMPARE(exportOf(table), expected);
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
        QCOMPARE(viewer_core::exportText(viewer_core::columnHeaders(), {cells}), expected);
    }

    void sectionColumnAppearsWithTheFirstSectionNumber()
    {
        const RowTexts headers = row({"A", "B", "S", "D", "E", "F", "G"});
        const QByteArray without =
            viewer_core::exportText(headers, {row({"+", "x"}), row({"", "y"})});
        QCOMPARE(without, lines({"|---|---|---|---|---|---|",
                                 "| A | B | D | E | F | G |",
                                 "|---|---|---|---|---|---|",
                                 "| + | x |   |   |   |   |",
                                 "|   | y |   |   |   |   |",
                                 "|---|---|---|---|---|---|"}));

        const QByteArray with =
            viewer_core::exportText(headers, {row({"+", "x"}), row({"", "y", "12"})});
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
        const QByteArray text = viewer_core::exportText(
            headers, {row({"", "", "", "", QString::fromUtf16(u"\U0001F525x"), "a|b", "long text"})});
        const QList<QByteArray> got = text.split('\n');
        QCOMPARE(got.at(1), QStringLiteral("| A | Дата и время | D | E   | F   | G         |").toUtf8());
        QCOMPARE(got.at(3), QString::fromUtf16(u"|   |              |   | \U0001F525x | a|b | long text |").toUtf8());
        QCOMPARE(got.at(0), QByteArray("|---|--------------|---|-----|-----|-----------|"));
        // 12 positions for the 22-byte header.
        QCOMPARE(QStringLiteral("Дата и время").toUtf8().size(), 22);
    }

    void exportFollowsTheUsersSort()
    {
        EventsViewWidget table;
        table.setSortingEnabled(true);
        table.addEvent(makeEvent(record(panel_sim::packDateTime(2020, 1, 1, 0, 0, 0), 0, 9, 1, 3),
                                 &configuration));
        table.addEvent(makeEvent(record(panel_sim::packDateTime(2020, 1, 2, 0, 0, 0), 0, 10, 1, 3),
                                 &configuration));
        table.addEvent(makeEvent(record(panel_sim::packDateTime(2020, 1, 3, 0, 0, 0), 0, 11, 1, 3),
                                 &configuration));
        table.sortByColumn(1, Qt::DescendingOrder);
        table.sortByColumn(3, Qt::AscendingOrder); // the user clicks "Адрес"

        const QList<QByteArray> got = exportOf(table).split('\n');
        QVERIFY(got.at(3).contains("| 2020/01/02 00:00:00 |"));
        QVERIFY(got.at(3).contains("| 10    |"));
        QVERIFY(got.at(4).contains("| 11    |"));
        QVERIFY(got.at(5).contains("| 9     |"));
        QCOMPARE(exportOf(table),
                 viewer_core::exportText(viewer_core::columnHeaders(), tableRows(table)));
    }

    void saveWritesTheTableAndReplacesAnExistingFile()
    {
        QTemporaryDir dir;
        TestMainWindow window(platform);
        addRows(window);
        window.saveFileName = dir.filePath(QStringLiteral("archive.txt"));
        writeFile(window.saveFileName, QByteArray(5000, 'x'));

        window.onSaveToFile();
        QVERIFY(window.criticals.isEmpty());
        auto* table = window.findChild<EventsViewWidget*>(QStringLiteral("eventsView"));
        QCOMPARE(readFile(window.saveFileName), exportOf(*table));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("archive.txt")});
    }

    void cancelledSaveDoesNothing()
    {
        TestMainWindow window(platform);
        window.saveFileName.clear();
        bool created = false;
        window.saveFileFactory = [&](const QString& name) {
            created = true;
            return std::make_unique<QSaveFile>(name);
        };
        window.onSaveToFile();
        QVERIFY(!created);
        QVERIFY(window.criticals.isEmpty());
    }

    void unopenableTargetIsReported()
    {
        QTemporaryDir dir;
        TestMainWindow window(platform);
        addRows(window);
        window.saveFileName = dir.filePath(QStringLiteral("no/such/folder/archive.txt"));
        window.onSaveToFile();
        QCOMPARE(window.criticals, QStringList{QStringLiteral("Невозможно открыть файл для записи")});
        QVERIFY(!QFile::exists(window.saveFileName));

        // A folder in place of the file.
        window.criticals.clear();
        window.saveFileName = dir.path();
        window.onSaveToFile();
        QCOMPARE(window.criticals, QStringList{QStringLiteral("Невозможно открыть файл для записи")});
    }

    void failedWriteIsReportedAndTheOldFileStays()
    {
        QTemporaryDir dir;
        TestMainWindow window(platform);
        addRows(window);
        window.saveFileName = dir.filePath(QStringLiteral("archive.txt"));
        const QByteArray previous("the previous export\n");
        writeFile(window.saveFileName, previous);
        window.saveFileFactory = [](const QString& name) {
            return std::make_unique<FailingSaveFile>(name, 100);
        };

        window.onSaveToFile();
        QCOMPARE(window.criticals, QStringList{QStringLiteral("Ошибка при записи файла")});
        QCOMPARE(readFile(window.saveFileName), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("archive.txt")});
    }

    void exportReportsADeviceThatTakesLess()
    {
        EventsViewWidget table;
        QBuffer closed; // never opened: every write fails
        QVERIFY(!table.exportToText(&closed));
    }
};

QTEST_MAIN(TextExportTest)
#include "TextExportTest.moc"
