#include "ViewerTestSupport.h"

#include <EventsView.h>

#include <archive_table/TableSource.h>
#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpFile.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QLabel>
#include <QtTest>

using rs485::testing::FakeSerialPlatform;

namespace {

const char* const portName = "COM3";

// A window with a converter on COM3; the demo panel behind it when asked.
struct Bench {
    explicit Bench(bool withPanel = true)
    {
        line.existingPorts = {portName};
        line.serialPorts = {portName};
        line.converterPorts = {portName};
        if (withPanel)
            panel = std::make_unique<panel_sim::SimulatedPanel>(line, panel_sim::buildPanel(panel_sim::demoPanel()));
        window = std::make_unique<TestMainWindow>(line);
        window->answerDialog = [](QDialog& dialog) {
            auto* box = dialog.findChild<QComboBox*>("portName");
            box->setCurrentIndex(box->findText(QString::fromLatin1(portName)));
            return int(QDialog::Accepted);
        };
        window->show();
    }
    ~Bench()
    {
        window.reset();
        panel.reset();
    }

    EventsView& table() { return *window->findChild<EventsView*>("eventsView"); }
    bool enabled(const char* action) { return window->findChild<QAction*>(action)->isEnabled(); }
    QString status() { return window->findChild<QLabel*>(QStringLiteral("readStatus"))->text(); }
    QByteArray exported()
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly | QIODevice::Text);
        table().exportToText(&buffer);
        return buffer.data();
    }
    void trigger(const char* action) { window->findChild<QAction*>(action)->trigger(); }

    FakeSerialPlatform line;
    std::unique_ptr<panel_sim::SimulatedPanel> panel;
    std::unique_ptr<TestMainWindow> window;
};

} // namespace

class MemoryDumpWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The save dialogs add their suffix themselves, so that the question
    // before replacing a file names the file that will be written.
    void saveDialogsAskAboutTheFileThatWillBeWritten()
    {
        QTemporaryDir dir;
        QSettings().setValue(QStringLiteral("files/saveFolder"), dir.path());
        QFile earlier(dir.filePath(QStringLiteral("site.qrvdump")));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.close();
        Bench bench(false);
        QStringList suffixes;
        QString question;
        const auto answer = [&](const QString& typed) {
            QTimer::singleShot(0, [&, typed] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                suffixes << dialog->defaultSuffix();
                // The question the dialog asks before replacing: answered No.
                QTimer::singleShot(0, [&] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        question = box->text();
                        box->button(QMessageBox::No)->click();
                    }
                });
                dialog->selectFile(typed);
                QMetaObject::invokeMethod(dialog, "accept");
                if (dialog->isVisible())
                    dialog->reject();
            });
        };
        answer(QStringLiteral("site"));
        QCOMPARE(bench.window->askSaveDumpFileNameAsTheWindowDoes(), QString());
        QVERIFY2(question.contains(QStringLiteral("site.qrvdump")), qPrintable(question));
        answer(QStringLiteral("new"));
        QCOMPARE(bench.window->askSaveDumpFileNameAsTheWindowDoes(), dir.filePath(QStringLiteral("new.qrvdump")));
        answer(QStringLiteral("table"));
        QCOMPARE(bench.window->askSaveFileNameAsTheWindowDoes(), dir.filePath(QStringLiteral("table.txt")));
        answer(QStringLiteral("rows"));
        QCOMPARE(bench.window->askCsvFileNameAsTheWindowDoes(), dir.filePath(QStringLiteral("rows.csv")));
        QCOMPARE(suffixes, (QStringList{"qrvdump", "qrvdump", "txt", "csv"}));
    }

    void actionsSitInTheProgramMenu()
    {
        Bench bench(false);
        auto* open = bench.window->findChild<QAction*>("openDump");
        auto* save = bench.window->findChild<QAction*>("saveDump");
        QCOMPARE(shownText(open->text()), QStringLiteral("Открыть дамп памяти…"));
        QCOMPARE(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(shownText(save->text()), QStringLiteral("Сохранить дамп памяти…"));
        QVERIFY(open->isEnabled());
        QVERIFY(!save->isEnabled());
        auto* menu = bench.window->findChild<QMenu*>("menuFile");
        QVERIFY(menu->actions().contains(open));
        QVERIFY(menu->actions().contains(save));
    }

    void aSavedDumpOpensToTheSameTableWithoutThePanel()
    {
        QTemporaryDir dir;
        QByteArray readExport;
        std::vector<archive_table::RowTexts> readRows;
        {
            Bench reader;
            reader.trigger("loadFromDevice");
            QCOMPARE(reader.window->criticals, QStringList());
            QVERIFY(reader.enabled("saveDump"));
            reader.window->saveDumpName = dir.filePath(QStringLiteral("site.qrvdump"));
            reader.trigger("saveDump");
            QCOMPARE(reader.window->criticals, QStringList());
            readExport = reader.exported();
            readRows = tableRows(reader.table());
        }
        const QString dumpPath = dir.filePath(QStringLiteral("site.qrvdump"));
        QVERIFY(QFile::exists(dumpPath));
        const memory_dump::MemoryDump kept = memory_dump::loadDumpFile(dumpPath);
        QCOMPARE(QString::fromStdString(kept.portName), QString::fromLatin1(portName));
        QVERIFY(kept.turbo);

        Bench viewer(false);
        viewer.window->openDumpName = dumpPath;
        viewer.trigger("openDump");
        QCOMPARE(viewer.window->criticals, QStringList());
        QVERIFY(readRows.size() > 100);
        QCOMPARE(rowsAsText(tableRows(viewer.table())), rowsAsText(readRows));
        QCOMPARE(viewer.exported(), readExport);
        // In this computer's time, as the panel's details and the report say it.
        const QString readTime = archive_table::shownTime(QDateTime::fromMSecsSinceEpoch(kept.readTimeMs, Qt::UTC));
        QCOMPARE(viewer.status(), QStringLiteral("Дамп памяти site.qrvdump, прочитан из прибора ") + readTime);
        QVERIFY(viewer.enabled("saveToFile"));
        QVERIFY(viewer.enabled("saveDump"));
        QVERIFY(viewer.line.openCount() == 0);
        QCOMPARE(viewer.window->windowTitle(),
                 QStringLiteral("site.qrvdump — Утилита просмотра архива событий «Quorvel»"));

        // Saved again from the opened dump: the same file.
        viewer.window->saveDumpName = dir.filePath(QStringLiteral("copy.qrvdump"));
        viewer.trigger("saveDump");
        QVERIFY(memory_dump::loadDumpFile(dir.filePath(QStringLiteral("copy.qrvdump"))) == kept);
    }

    void aDumpThatCannotBeUsedChangesNothing()
    {
        QTemporaryDir dir;
        Bench bench;
        bench.trigger("loadFromDevice");
        const QByteArray before = bench.exported();
        const QString status = bench.status();

        const QString notADump = dir.filePath(QStringLiteral("table.txt"));
        QFile file(notADump);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
        file.close();
        QVERIFY(!bench.window->openDumpFile(notADump));
        QCOMPARE(bench.window->criticals,
                 QStringList{QStringLiteral("Файл не является дампом памяти прибора: неверная сигнатура")});

        // A dump of a panel that a read would turn away.
        bench.window->saveDumpName = dir.filePath(QStringLiteral("good.qrvdump"));
        bench.trigger("saveDump");
        memory_dump::MemoryDump other = memory_dump::loadDumpFile(bench.window->saveDumpName);
        other.infoBlock[0] = 0x11;
        memory_dump::saveDumpFile(dir.filePath(QStringLiteral("old-loader.qrvdump")), other);
        bench.window->criticals.clear();
        bench.window->openDumpName = dir.filePath(QStringLiteral("old-loader.qrvdump"));
        bench.trigger("openDump");
        QCOMPARE(bench.window->criticals,
                 QStringList{QString::fromUtf8(config_quorvel::ConfiguratorError(
                     config_quorvel::ConfiguratorError::IncompatibleLoader).what())});

        QCOMPARE(bench.exported(), before);
        QCOMPARE(bench.status(), status);
        QVERIFY(bench.enabled("saveToFile"));

        // A cancelled dialog does nothing at all.
        bench.window->criticals.clear();
        bench.window->openDumpName.clear();
        bench.trigger("openDump");
        QVERIFY(bench.window->criticals.isEmpty());
    }

    void aDumpDroppedOntoTheWindowOpens()
    {
        QTemporaryDir dir;
        const QString dumpPath = dir.filePath(QStringLiteral("dropped.qrvdump"));
        QByteArray readExport;
        {
            Bench reader;
            reader.trigger("loadFromDevice");
            reader.window->saveDumpName = dumpPath;
            reader.trigger("saveDump");
            readExport = reader.exported();
        }
        Bench viewer(false);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dumpPath)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewer.window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewer.window.get(), &drop);
        QCOMPARE(viewer.window->criticals, QStringList());
        QCOMPARE(viewer.exported(), readExport);

        // Text dragged in is not a file to open.
        QMimeData text;
        text.setText(QStringLiteral("Событие"));
        QDragEnterEvent textEnter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        textEnter.setAccepted(false);
        QCoreApplication::sendEvent(viewer.window.get(), &textEnter);
        QVERIFY(!textEnter.isAccepted());
    }
};

QTEST_MAIN(MemoryDumpWindowTest)
#include "MemoryDumpWindowTest.moc"
