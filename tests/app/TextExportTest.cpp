#include "ViewerTestSupport.h"

#include <EventsView.h>
#include <archive_table/TextExport.h>

#include <rs485/testing/FakeSerialPlatform.h>

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

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
        auto* table = window.findChild<EventsView*>(QStringLiteral("eventsView"));
        table->showListedEvents(archive_table::archiveEvents(
            {RecordBuilder().date(2020, 1, 1, 0, 0, 0).address(9).eventClass(1).code(3).event(&configuration),
             RecordBuilder().date(2020, 1, 2, 0, 0, 0).address(10).code(1).event(&configuration)}));
    }

    QByteArray exportOf(const EventsView& table)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!table.exportToText(&buffer))
            return QByteArray("<failed>");
        return buffer.data();
    }

private slots:
    void emptyTableExportsOnlyTheHeader()
    {
        EventsView table;
        QCOMPARE(exportOf(table), archive_table::exportText(archive_table::columnHeaders(), {}));
        QCOMPARE(exportOf(table).count('\n'), 4);
    }

    void exportFollowsTheUsersSort()
    {
        EventsView table;
        table.setSortingEnabled(true);
        table.showListedEvents(archive_table::archiveEvents(
            {RecordBuilder().date(2020, 1, 1, 0, 0, 0).address(9).eventClass(1).code(3).event(&configuration),
             RecordBuilder().date(2020, 1, 2, 0, 0, 0).address(10).eventClass(1).code(3).event(&configuration),
             RecordBuilder().date(2020, 1, 3, 0, 0, 0).address(11).eventClass(1).code(3).event(&configuration)}));
        table.sortByColumn(3, Qt::AscendingOrder); // the user clicks "Адрес"

        const QList<QByteArray> got = exportOf(table).split('\n');
        QVERIFY(got.at(3).contains("| 9     |"));
        QVERIFY(got.at(4).contains("| 2020/01/02 00:00:00 |"));
        QVERIFY(got.at(4).contains("| 10    |"));
        QVERIFY(got.at(5).contains("| 11    |"));
        QCOMPARE(exportOf(table),
                 archive_table::exportText(archive_table::columnHeaders(), tableRows(table)));
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
        auto* table = window.findChild<EventsView*>(QStringLiteral("eventsView"));
        QByteArray expected = exportOf(*table);
#ifdef Q_OS_WIN
        // The file is written in text mode: Windows line ends.
        expected.replace("\n", "\r\n");
#endif
        QCOMPARE(readFile(window.saveFileName), expected);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("archive.txt")});
    }

    void cancelledSaveDoesNothing()
    {
        TestMainWindow window(platform);
        window.saveFileName.clear();
        bool created = false;
        window.saveFileFactory = [&](const QString& name) {
            created = true;
            return std::make_unique<file_output::OutputFile>(name);
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
            return std::make_unique<file_output::OutputFile>(std::make_unique<FailingSaveFile>(name, 100));
        };

        window.onSaveToFile();
        QCOMPARE(window.criticals, QStringList{QStringLiteral("Ошибка при записи файла")});
        QCOMPARE(readFile(window.saveFileName), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("archive.txt")});
    }

    void exportReportsADeviceThatTakesLess()
    {
        EventsView table;
        QBuffer closed; // never opened: every write fails
        QVERIFY(!table.exportToText(&closed));
    }
};

QTEST_MAIN(TextExportTest)
#include "TextExportTest.moc"
