// The site history in the window: the "Объект" question after a read of an
// unknown panel, new events in bold, the sites dialog, and a site's history
// shown as a table.

#include "ViewerTestSupport.h"

#include <EventsView.h>
#include <HistoryCommands.h>
#include <HistoryController.h>
#include <HistoryTestSupport.h>
#include <StatisticsWindow.h>
#include <ViewerArguments.h>
#include <TestServer.h>

#include <archive_table/CsvExport.h>
#include <archive_table/EventRows.h>
#include <archive_table/TableSource.h>
#include <archive_table/TextExport.h>
#include <memory_dump/DumpFile.h>
#include <site_history/PendingReads.h>
#include <site_history/SiteHistory.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QtTest>

#ifndef Q_OS_WIN
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

const char* const portName = "COM3";

} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT

private:
    // Another panel with 40 events: its device has another address.
    static panel_sim::PanelDescription garagePanel()
    {
        panel_sim::PanelDescription garage = ringPanel(40, u"Bopoтa");
        garage.zoneDevices[0].address = 4;
        for (panel_sim::ArchiveRecord& record : garage.records)
            record.address = 4;
        return garage;
    }

#ifndef Q_OS_WIN
    // A server's address whose socket takes connections and never answers.
    struct SilentServer {
        int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        bool bound = false;

        SilentServer()
        {
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            bound = ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    ::listen(socket, 4) == 0 &&
                    ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        }
        ~SilentServer() { ::close(socket); }
        bool listening() const { return bound; }
        QString location() const
        {
            return QStringLiteral("postgresql://quorvel@127.0.0.1:%1/history?connect_timeout=2").arg(ntohs(address.sin_port));
        }
    };
#endif

    // A converter on COM3 with a panel behind it whose memory the test
    // changes between reads.
    struct Bench {
        QTemporaryDir storeFolder;
        rs485::testing::FakeSerialPlatform line;
        std::unique_ptr<panel_sim::SimulatedPanel> panel;
        std::unique_ptr<TestMainWindow> window;
        int siteQuestions = 0;

        explicit Bench(const panel_sim::PanelDescription& description)
        {
            // A store of this bench's own, unless the test chose one.
            if (QSettings().value(QStringLiteral("history/store")).toString().isEmpty())
                QSettings().setValue(QStringLiteral("history/store"), storeFolder.filePath(QStringLiteral("h.sqlite")));
            line.existingPorts = {portName};
            line.serialPorts = {portName};
            line.converterPorts = {portName};
            panel = std::make_unique<panel_sim::SimulatedPanel>(line, panel_sim::buildPanel(description));
            window = std::make_unique<TestMainWindow>(line);
            window->answerDialog = [](QDialog&) { return int(QDialog::Accepted); };
            window->show();
        }
        ~Bench()
        {
            window.reset();
            panel.reset();
        }
        // Reads the panel, answering the "Объект" question with the name.
        void read(const panel_sim::PanelDescription& description, const QString& site = QString())
        {
            panel->loader().setMemory(panel_sim::buildPanel(description));
            window->answerSiteDialog = [this, site](SiteDialog& dialog) {
                ++siteQuestions;
                auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
                if (ok->isEnabled() || site.isEmpty())
                    return int(QDialog::Rejected); // OK waits for a name
                dialog.findChild<QComboBox*>("siteName")->lineEdit()->setText(site);
                return ok->isEnabled() ? int(QDialog::Accepted) : int(QDialog::Rejected);
            };
            window->onLoadFromDevice();
        }
        EventsView& table() { return *window->findChild<EventsView*>("eventsView"); }
        QString historyStatus() { return window->findChild<QLabel*>("historyStatus")->text(); }
        QString readStatus() { return window->findChild<QLabel*>("readStatus")->text(); }
        site_history::SiteHistory& store() { return *window->findChild<HistoryController*>()->store(); }
        bool isBold(int row)
        {
            return cell(table(), row, archive_table::eventColumn).data(Qt::FontRole).value<QFont>().bold();
        }
        int boldRows()
        {
            int bold = 0;
            for (int row = 0; row < shownRows(); ++row)
                bold += isBold(row) ? 1 : 0;
            return bold;
        }
        int shownRows() { return table().model()->rowCount(); }
        void showNewOnly(bool only)
        {
            window->findChild<QAction*>("find")->trigger();
            auto* newOnly = window->findChild<QCheckBox*>("newOnly");
            QCOMPARE(newOnly->text(), QStringLiteral("Только новые"));
            if (newOnly->isChecked() != only)
                QTest::mouseClick(newOnly, Qt::LeftButton, {}, QPoint(5, newOnly->height() / 2));
        }
    };

private slots:
    void init() { QSettings().clear(); }

    void anUnknownPanelIsNamedOnceThenRecognised()
    {
        Bench bench(ringPanel(100));
        // "Не сохранять в истории": nothing kept.
        bench.read(ringPanel(100));
        QCOMPARE(bench.siteQuestions, 1);
        QVERIFY(bench.store().sites().empty());
        QCOMPARE(bench.historyStatus(), QStringLiteral("Чтение не сохранено в истории"));
        // The saves propose the panel's type and the day of the read, then
        // the site the read was kept under.
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        bench.window->findChild<QAction*>("saveToFile")->trigger();
        QCOMPARE(bench.window->proposedNames, QStringList{archive_table::panelTypeText() + QLatin1Char(' ') + today});

        bench.read(ringPanel(100), QStringLiteral("Склад №1"));
        QCOMPARE(bench.siteQuestions, 2);
        QCOMPARE(bench.historyStatus(), QStringLiteral("Сохранено в истории объекта «Склад №1», новых событий: 100"));
        bench.window->proposedNames.clear();
        for (const char* save : {"exportToCsv", "saveDump", "saveReport"})
            bench.window->findChild<QAction*>(save)->trigger();
        const QString named = QStringLiteral("Склад №1 ") + today;
        QCOMPARE(bench.window->proposedNames, (QStringList{named, named, named}));
        // The site's first read is all new: nothing stands out, and "only
        // new" shows it all.
        QCOMPARE(bench.boldRows(), 0);
        bench.showNewOnly(true);
        QCOMPARE(bench.shownRows(), 100);
        QCOMPARE(bench.boldRows(), 0);
        bench.showNewOnly(false);

        // The panel 30 records later is known by its records: no question,
        // its 30 new events in bold, the earlier read named.
        bench.read(ringPanel(130));
        QCOMPARE(bench.siteQuestions, 2);
        QVERIFY2(bench.historyStatus().startsWith(
                     QStringLiteral("Сохранено в истории объекта «Склад №1», новых событий: 30; предыдущее чтение ")),
                 qPrintable(bench.historyStatus()));
        QCOMPARE(bench.table().eventCount(), 130);
        QCOMPARE(bench.boldRows(), 30);
        // The bold dates still fit their column.
        const int dateWidth = bench.table().columnWidth(archive_table::dateTimeColumn);
        QVERIFY(dateWidth >= bench.table().fittingWidth(QStringLiteral("0000/00/00 00:00:00"), true));
        bench.showNewOnly(true);
        QCOMPARE(bench.shownRows(), 30);
        QCOMPARE(bench.boldRows(), 30);

        // Switched off, reads are not kept.
        bench.window->findChild<QAction*>("recordReads")->trigger();
        bench.read(ringPanel(140));
        QCOMPARE(bench.store().site(QStringLiteral("Склад №1"))->reads, 2);
    }

    void theSitesDialogRenamesOpensAndDeletes()
    {
        Bench bench(ringPanel(100));
        bench.read(ringPanel(100), QStringLiteral("Склад"));
        bench.read(ringPanel(150));
        bench.read(garagePanel(), QStringLiteral("Гараж"));

        // Rename "Склад", then open its history.
        bench.window->answerText = [](const QString&, const QString& text) { return text + QStringLiteral(" 2"); };
        QStringList listed;
        bench.window->answerSitesDialog = [&](SitesDialog& dialog) {
            const QAbstractItemModel& sites = *dialog.findChild<QTableView*>("sites")->model();
            for (int row = 0; row < sites.rowCount(); ++row)
                listed << sites.index(row, 0).data().toString() + QLatin1Char('|') + sites.index(row, 1).data().toString()
                        + QLatin1Char('|') + sites.index(row, 2).data().toString();
            dialog.selectSite(QStringLiteral("Склад"));
            dialog.findChild<QPushButton*>("renameSite")->click();
            dialog.findChild<QPushButton*>("openHistory")->click();
            return dialog.result();
        };
        bench.window->findChild<QAction*>("showSites")->trigger();
        QCOMPARE(listed, (QStringList{"Гараж|1|40", "Склад|2|150"}));
        QCOMPARE(bench.table().eventCount(), 150);
        QVERIFY2(bench.readStatus().startsWith(QStringLiteral("История объекта «Склад 2»: чтений 2, с ")),
                 qPrintable(bench.readStatus()));
        QCOMPARE(bench.boldRows(), 0);

        // The history is a table like a read's: filter, text and CSV exports.
        const auto expected = archive_table::rowTexts(bench.store().table(QStringLiteral("Склад 2")).events);
        QCOMPARE(rowsAsText(tableRows(bench.table())), rowsAsText(expected));
        QBuffer text;
        text.open(QIODevice::WriteOnly);
        QVERIFY(bench.table().exportToText(&text));
        QCOMPARE(text.data(), archive_table::exportText(archive_table::columnHeaders(), expected));
        bench.window->findChild<QAction*>("find")->trigger();
        bench.window->findChild<QLineEdit*>("filterText")->setText(QStringLiteral("2023/01/01 01:"));
        QCOMPARE(bench.shownRows(), 60);
        QBuffer csv;
        csv.open(QIODevice::WriteOnly);
        QVERIFY(bench.table().exportToCsv(&csv));
        QCOMPARE(csv.data().count("\r\n"), 61);

        // Deleting asks with the counts that go.
        QString question;
        bench.window->answerYesNo = [&](const QString& text) {
            question = text;
            return true;
        };
        bench.window->answerSitesDialog = [&](SitesDialog& dialog) {
            dialog.selectSite(QStringLiteral("Гараж"));
            dialog.findChild<QPushButton*>("deleteSite")->click();
            return int(QDialog::Rejected);
        };
        bench.window->findChild<QAction*>("showSites")->trigger();
        QCOMPARE(question, QStringLiteral("Удалить объект «Гараж» из истории? Будут удалены чтений: 1, событий: 40."));
        QCOMPARE(int(bench.store().sites().size()), 1);
    }

    // The read is recorded on a thread of its own while the window goes on:
    // closed then, the window waits for the recording, which ends whole.
    void closingDuringARecordingKeepsTheReadWhole()
    {
        Bench bench(ringPanel(100));
        bench.panel->loader().setMemory(panel_sim::buildPanel(ringPanel(100)));
        bool closedWhileRecording = false;
        bench.window->answerSiteDialog = [&](SiteDialog& dialog) {
            dialog.findChild<QComboBox*>("siteName")->lineEdit()->setText(QStringLiteral("Склад"));
            // Fires only in the loop that waits for the recording.
            QTimer::singleShot(0, bench.window.get(), [&] {
                closedWhileRecording = true;
                bench.window->close();
            });
            return int(QDialog::Accepted);
        };
        bench.window->onLoadFromDevice();
        QVERIFY(closedWhileRecording);
        QVERIFY(!bench.window->isVisible());
        const std::vector<site_history::SiteInfo> sites = bench.store().sites();
        QCOMPARE(int(sites.size()), 1);
        QCOMPARE(sites.front().reads, 1);
        QCOMPARE(sites.front().events, 100);
    }

    // Two sites of one place joined in the overview, then counted: the
    // joined history's statistics hold the events of both.
    void twoSitesJoinAndTheirStatisticsCountBoth()
    {
        Bench bench(ringPanel(100));
        bench.read(ringPanel(100), QStringLiteral("Склад"));
        bench.read(garagePanel(), QStringLiteral("Гараж"));
        bench.window->answerChoice = [](const QString&, const QStringList& items) {
            return int(items.indexOf(QStringLiteral("Склад")));
        };
        QString question;
        bench.window->answerYesNo = [&](const QString& text) {
            question = text;
            return true;
        };
        bench.window->answerSitesDialog = [&](SitesDialog& dialog) {
            dialog.selectSite(QStringLiteral("Гараж"));
            dialog.findChild<QPushButton*>("mergeSites")->click();
            dialog.findChild<QPushButton*>("openHistory")->click();
            return dialog.result();
        };
        bench.window->findChild<QAction*>("showSites")->trigger();
        QVERIFY2(question.startsWith(QStringLiteral("Объединить объект «Гараж» (чтений: 1, событий: 40) с объектом "
                                                    "«Склад» (чтений: 1, событий: 100)?")),
                 qPrintable(question));
        QCOMPARE(int(bench.store().sites().size()), 1);
        QCOMPARE(bench.table().eventCount(), 140);

        bench.window->findChild<QAction*>("showStatistics")->trigger();
        auto* statistics = bench.window->findChild<StatisticsWindow*>();
        QVERIFY(statistics && statistics->isVisible());
        const QTableWidget& months = *statistics->findChild<QTableWidget*>("months");
        int counted = 0;
        for (int row = 0; row < months.rowCount(); ++row)
            counted += months.item(row, 1)->text().toInt();
        QCOMPARE(counted, 140);
    }

    // Events of one time and events without one, in a history: the window
    // keeps the store's order, so its saved text is the reader's
    // --history-table byte for byte.
    void aHistorySavesAsTheReaderWritesIt()
    {
        panel_sim::PanelDescription panel = ringPanel(100);
        for (const int undated : {10, 20, 30, 40})
            panel.records[std::size_t(undated)].dateTime = 0;
        for (const int same : {50, 51, 52})
            panel.records[std::size_t(same)].dateTime = panel.records[49].dateTime;
        Bench bench(panel);
        bench.read(panel, QStringLiteral("Склад"));
        QVERIFY(bench.window->showSiteHistory(QStringLiteral("Склад")));
        QTemporaryDir dir;
        bench.window->saveFileName = dir.filePath(QStringLiteral("window.txt"));
        bench.window->findChild<QAction*>("saveToFile")->trigger();

        quorvel_archive::ArchiveOptions options;
        options.action = quorvel_archive::ArchiveOptions::Action::HistoryTable;
        options.history = QSettings().value(QStringLiteral("history/store")).toString().toStdString();
        options.site = QStringLiteral("Склад").toStdString();
        options.output = dir.filePath(QStringLiteral("reader.txt")).toStdString();
        QCOMPARE(quorvel_archive::writeHistoryTable(options), 0);

        QFile window(bench.window->saveFileName);
        QFile reader(QString::fromStdString(*options.output));
        QVERIFY(window.open(QIODevice::ReadOnly) && reader.open(QIODevice::ReadOnly));
        const QByteArray saved = window.readAll();
        QCOMPARE(saved, reader.readAll());
        QCOMPARE(saved.count("|   |                     |"), 4);
    }

    // A site with two reads kept: the third, from the panel, names the later
    // of them as the previous read, whichever order they were kept in.
    void theStatusNamesTheLatestEarlierReadAsThePrevious()
    {
        Bench bench(ringPanel(120));
        const QDateTime first(QDate(2024, 3, 1), QTime(10, 0), Qt::UTC);
        const QDateTime second = first.addDays(1);
        bench.store().record(QStringLiteral("Склад"), readDump(ringPanel(110), second.toMSecsSinceEpoch()));
        bench.store().record(QStringLiteral("Склад"), readDump(ringPanel(100), first.toMSecsSinceEpoch()));
        bench.read(ringPanel(120));
        QCOMPARE(bench.siteQuestions, 0);
        QCOMPARE(bench.historyStatus(), QStringLiteral("Сохранено в истории объекта «Склад», новых событий: 10; "
                                                       "предыдущее чтение ")
                                            + archive_table::shownTime(second));
    }

    // A read the history's server cannot take waits on this computer, and
    // what waits for a store is recorded in it when it opens at the next
    // start, the status bar saying so.
    void aReadTheServerCannotTakeWaitsAndIsSentLater()
    {
        QTemporaryDir dir;
        qputenv("QUORVEL_PENDING_DIR", dir.filePath(QStringLiteral("pending")).toUtf8());
        const auto restore = qScopeGuard([] { qunsetenv("QUORVEL_PENDING_DIR"); });
        const QString nowhere =
            QStringLiteral("postgresql:///quorvel?host=%1&connect_timeout=2").arg(dir.filePath(QStringLiteral("none")));
        QSettings().setValue(QStringLiteral("history/store"), nowhere);
        {
            Bench bench(ringPanel(10));
            bench.read(ringPanel(10));
            QVERIFY2(bench.historyStatus().startsWith(QStringLiteral("Сервер истории недоступен: чтение оставлено")),
                     qPrintable(bench.historyStatus()));
            QVERIFY(bench.historyStatus().endsWith(QStringLiteral("(ожидают отправки: 1)")));
            QCOMPARE(site_history::PendingReads().waiting(nowhere).size(), std::size_t(1));
        }

        const QString file = dir.filePath(QStringLiteral("h.sqlite"));
        site_history::PendingReads().keep(file, QStringLiteral("Склад"), readDump(ringPanel(100), 1'700'000'000'000));
        QSettings().setValue(QStringLiteral("history/store"), file);
        Bench bench(ringPanel(10));
        QCOMPARE(bench.historyStatus(), QStringLiteral("Отправлено отложенных чтений: 1"));
        QCOMPARE(bench.store().site(QStringLiteral("Склад"))->events, 100);
        QVERIFY(site_history::PendingReads().waiting(file).empty());
        QCOMPARE(site_history::PendingReads().waiting(nowhere).size(), std::size_t(1));
    }

    // "Проверить историю…" says in words that the store is sound, and says
    // it is damaged, as an error too, when a site's kept count of events
    // no longer matches its events.
    void theHistoryIsCheckedOnDemand()
    {
        Bench bench(ringPanel(10));
        bench.store().record(QStringLiteral("Склад"), readDump(ringPanel(100), 1'700'000'000'000));
        // Which store is in use: the note's tool tip and the sites dialog's title.
        const QString path = QDir::toNativeSeparators(bench.storeFolder.filePath(QStringLiteral("h.sqlite")));
        QCOMPARE(bench.window->findChild<QLabel*>("historyStatus")->toolTip(), QStringLiteral("История: ") + path);
        QCOMPARE(SitesDialog(bench.store(), UserPrompts{}).windowTitle(), QStringLiteral("Обзор объектов — ") + path);

        QAction* check = bench.window->findChild<QAction*>("checkHistory");
        check->trigger();
        QCOMPARE(bench.readStatus(), QStringLiteral("История в порядке: объектов 1, чтений 1, событий 100."));
        QVERIFY(bench.window->criticals.isEmpty());

        {
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            raw.setDatabaseName(bench.storeFolder.filePath(QStringLiteral("h.sqlite")));
            QVERIFY(raw.open());
            QVERIFY(QSqlQuery(raw).exec(QStringLiteral("UPDATE sites SET event_count = 99")));
            raw.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        check->trigger();
        const QString damaged = QStringLiteral("История повреждена:\nобъект «Склад»: учтено событий 99, найдено 100");
        QCOMPARE(bench.readStatus(), damaged);
        QCOMPARE(bench.window->criticals, QStringList{damaged});
    }

    // The window keeps answering while a history opens: its timers run, and
    // what was just recorded on its own connection is there.
    void theWindowAnswersWhileAHistoryOpens()
    {
        Bench bench(ringPanel(10));
        bench.store().record(QStringLiteral("Склад"), readDump(ringPanel(8192), 1'700'000'000'000));
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(0);
        QVERIFY(bench.window->showSiteHistory(QStringLiteral("Склад")));
        timer.stop();
        QVERIFY(ticks > 0);
        QCOMPARE(bench.table().eventCount(), 8192);
        QVERIFY(bench.readStatus().startsWith(QStringLiteral("История объекта «Склад»: чтений 1")));

        // Escape stops the next opening: what was shown stays, and clicks
        // meanwhile act on nothing.
        bench.store().record(QStringLiteral("Гараж"), readDump(ringPanel(8192), 1'700'000'100'000));
        QTimer escape;
        connect(&escape, &QTimer::timeout, [&] {
            QTest::keyClick(bench.window.get(), Qt::Key_Escape);
            QTest::mouseClick(bench.window->findChild<QToolBar*>(), Qt::LeftButton);
        });
        escape.start(0);
        QVERIFY(!bench.window->showSiteHistory(QStringLiteral("Гараж")));
        escape.stop();
        QCOMPARE(bench.readStatus(), QStringLiteral("Открытие истории объекта «Гараж» прервано"));
        QVERIFY(bench.window->windowTitle().startsWith(QStringLiteral("«Склад» ")));
        QCOMPARE(bench.table().eventCount(), 8192);
        QVERIFY(bench.window->criticals.isEmpty());
    }

    // A shortcut per site: the viewer starts with the site's history from the
    // store named, for that session only; what cannot be shown is said in the
    // window, which keeps what it shows.
    void aSitesHistoryOpensAtStart()
    {
        QTemporaryDir dir;
        const QString office = dir.filePath(QStringLiteral("office.sqlite"));
        site_history::SiteHistory(office).record(QStringLiteral("Склад"), readDump(ringPanel(30), 1'700'000'000'000));
        Bench bench(ringPanel(10));
        const QVariant ownStore = QSettings().value(QStringLiteral("history/store"));
        const auto start = [&](const QStringList& arguments) {
            bench.window->startWith(parseViewerArguments(QStringList{QStringLiteral("viewer")} + arguments));
        };

        start({QStringLiteral("--history"), office, QStringLiteral("--site"), QStringLiteral("Склад")});
        QCOMPARE(bench.window->criticals, QStringList());
        QCOMPARE(bench.table().eventCount(), 30);
        QCOMPARE(bench.window->windowTitle(),
                 QStringLiteral("«Склад» — история — Утилита просмотра архива событий «Quorvel»"));
        QCOMPARE(QSettings().value(QStringLiteral("history/store")), ownStore);

        start({QStringLiteral("--site"), QStringLiteral("Офис")});
        start({QStringLiteral("--history"), dir.filePath(QStringLiteral("none/h.sqlite")), QStringLiteral("--site"),
               QStringLiteral("Склад")});
        start({QStringLiteral("a.qrvdump"), QStringLiteral("b.qrvdump")});
        QCOMPARE(bench.window->criticals.size(), 3);
        QCOMPARE(bench.window->criticals.at(0), QStringLiteral("В истории нет объекта «Офис»"));
        QVERIFY2(bench.window->criticals.at(1).startsWith(QStringLiteral("История недоступна: ")),
                 qPrintable(bench.window->criticals.at(1)));
        QVERIFY(bench.historyStatus().startsWith(QStringLiteral("История недоступна: ")));
        QVERIFY(bench.window->criticals.at(2).endsWith(QStringLiteral("a.qrvdump b.qrvdump")));
        QCOMPARE(bench.table().eventCount(), 30);
    }

    // "Сохранить чтение как дамп…" keeps the read that was picked, not the
    // newest one the list starts at.
    void theSitesDialogSavesTheReadThatWasChosen()
    {
        Bench bench(ringPanel(10));
        const QDateTime first(QDate(2024, 3, 1), QTime(10, 0), Qt::UTC);
        for (int i = 0; i < 3; ++i)
            bench.store().record(QStringLiteral("Склад"),
                                 readDump(ringPanel(100 + 10 * i), first.addDays(i).toMSecsSinceEpoch()));
        QTemporaryDir dir;
        for (int chosen : {0, 1}) {
            QStringList offered;
            bench.window->answerChoice = [&](const QString&, const QStringList& items) {
                offered = items;
                return chosen;
            };
            bench.window->saveDumpName = dir.filePath(QStringLiteral("read%1.qrvdump").arg(chosen));
            bench.window->answerSitesDialog = [](SitesDialog& dialog) {
                dialog.selectSite(QStringLiteral("Склад"));
                dialog.findChild<QPushButton*>("saveReadDump")->click();
                return int(QDialog::Rejected);
            };
            bench.window->findChild<QAction*>("showSites")->trigger();
            QCOMPARE(offered.size(), 3);
            const memory_dump::MemoryDump saved = memory_dump::loadDumpFile(bench.window->saveDumpName);
            QCOMPARE(saved.readTimeMs, first.addDays(chosen).toMSecsSinceEpoch());
            QVERIFY(saved == readDump(ringPanel(100 + 10 * chosen), first.addDays(chosen).toMSecsSinceEpoch()));
        }
    }

    // The dialogs say why a name cannot be a site's, and nothing is kept
    // under it.
    void aSitesNameThatBreaksTheRuleIsRefusedWithItsReason()
    {
        Bench bench(ringPanel(10));
        QStringList problems;
        bench.window->answerSiteDialog = [&](SiteDialog& dialog) {
            auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            auto* problem = dialog.findChild<QLabel*>("nameProblem");
            for (const QString& name : {QStringLiteral("Офис\tСклад"), QString(201, QChar(0x042F)),
                                        QStringLiteral("  Склад  ")}) {
                dialog.findChild<QComboBox*>("siteName")->lineEdit()->setText(name);
                problems << (ok->isEnabled() ? QStringLiteral("OK") : problem->text());
                if (problem->isVisibleTo(&dialog) == ok->isEnabled())
                    problems << QStringLiteral("the reason shown or hidden out of step");
            }
            return ok->isEnabled() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        bench.window->onLoadFromDevice();
        QCOMPARE(problems, (QStringList{
                               QStringLiteral("Название объекта не может содержать управляющие знаки (табуляцию, перевод строки)"),
                               QStringLiteral("Название объекта длиннее 200 знаков"), QStringLiteral("OK")}));
        QCOMPARE(bench.store().sites().front().name, QStringLiteral("Склад"));

        bench.window->answerText = [](const QString&, const QString&) { return QStringLiteral("Склад\n2"); };
        bench.window->answerSitesDialog = [&](SitesDialog& dialog) {
            dialog.selectSite(QStringLiteral("Склад"));
            dialog.findChild<QPushButton*>("renameSite")->click();
            return int(QDialog::Rejected);
        };
        bench.window->findChild<QAction*>("showSites")->trigger();
        QCOMPARE(bench.window->criticals, QStringList{QStringLiteral(
                                              "Название объекта не может содержать управляющие знаки (табуляцию, перевод строки)")});
        QCOMPARE(bench.store().sites().front().name, QStringLiteral("Склад"));
    }

    void aStoreThatCannotBeUsedLeavesTheViewerWorking()
    {
        QTemporaryDir dir;
        QFile notAStore(dir.filePath(QStringLiteral("history.sqlite")));
        QVERIFY(notAStore.open(QIODevice::WriteOnly));
        notAStore.write("not a store");
        notAStore.close();
        QSettings().setValue(QStringLiteral("history/store"), notAStore.fileName());
        Bench bench(ringPanel(10));
        QVERIFY(bench.historyStatus().startsWith(QStringLiteral("История недоступна: ")));
        bench.read(ringPanel(10), QStringLiteral("Склад"));
        QCOMPARE(bench.window->criticals, QStringList());
        QCOMPARE(bench.table().eventCount(), 10);
        QVERIFY(notAStore.open(QIODevice::ReadOnly));
        QCOMPARE(notAStore.readAll(), QByteArray("not a store"));
    }

    // A server that takes connections but never answers: the window goes
    // on (its timers run) while the attempt waits for its time-out, then
    // says why and keeps the store in use.
    void aServerThatNeverAnswersLeavesTheWindowAnswering()
    {
#ifdef Q_OS_WIN
        QSKIP("the silent server is a socket of the POSIX calls");
#else
        const SilentServer silent;
        QVERIFY(silent.listening());
        Bench bench(ringPanel(10));
        const QString file = QSettings().value(QStringLiteral("history/store")).toString();
        bench.window->answerText = [&](const QString&, const QString&) { return silent.location(); };
        int ticks = 0;
        QTimer ticking;
        connect(&ticking, &QTimer::timeout, [&] { ++ticks; });
        ticking.start(50);
        bench.window->findChild<QAction*>("chooseHistoryServer")->trigger();
        ticking.stop();
        QVERIFY2(ticks > 0, "the window's timers stood still");
        QCOMPARE(bench.window->criticals.size(), 1);
        QCOMPARE(bench.store().location(), file);
#endif
    }

    // The server the settings name is reached after the window is up; what
    // needs the store waits for it, and a read meanwhile is kept for later.
    void aServerNamedAtStartIsReachedWhileTheWindowIsUp()
    {
#ifdef Q_OS_WIN
        QSKIP("the silent server is a socket of the POSIX calls");
#else
        const SilentServer silent;
        QVERIFY(silent.listening());
        QTemporaryDir dir;
        qputenv("QUORVEL_PENDING_DIR", dir.filePath(QStringLiteral("pending")).toUtf8());
        const auto restore = qScopeGuard([] { qunsetenv("QUORVEL_PENDING_DIR"); });
        QSettings().setValue(QStringLiteral("history/store"), silent.location());
        {
            Bench bench(ringPanel(10));
            QCOMPARE(bench.historyStatus(), QStringLiteral("Подключение к серверу истории…"));
            QTRY_VERIFY_WITH_TIMEOUT(bench.historyStatus().startsWith(QStringLiteral("История недоступна: ")), 20000);
            QVERIFY(!bench.window->findChild<HistoryController*>()->store());
        }
        Bench reading(ringPanel(10));
        reading.read(ringPanel(10));
        QCOMPARE(reading.table().eventCount(), 10);
        QVERIFY2(reading.historyStatus().startsWith(QStringLiteral("Сервер истории недоступен: чтение оставлено")),
                 qPrintable(reading.historyStatus()));
#endif
    }

    // "Сервер истории…" takes a server's address only: any other text would
    // become a store file in the folder the viewer was started from. Neither
    // it nor a server that does not answer changes the settings.
    void theServerQuestionTakesAServersAddressOnly()
    {
        Bench bench(ringPanel(10));
        const QString file = QSettings().value(QStringLiteral("history/store")).toString();
        QTemporaryDir startFolder;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(startFolder.path()));
        QStringList answers = {QStringLiteral("company"), QStringLiteral("postgresql:///x?host=") + startFolder.path()};
        bench.window->answerText = [&](const QString&, const QString&) { return answers.takeFirst(); };
        bench.window->findChild<QAction*>("chooseHistoryServer")->trigger();
        bench.window->findChild<QAction*>("chooseHistoryServer")->trigger();
        QDir::setCurrent(before);
        QCOMPARE(bench.window->criticals.size(), 2);
        QVERIFY2(bench.window->criticals[0].startsWith(QStringLiteral("Адрес сервера истории начинается с postgresql://")),
                 qPrintable(bench.window->criticals[0]));
        QVERIFY(bench.window->criticals[1].contains(QStringLiteral("Невозможно подключиться")));
        QCOMPARE(QDir(startFolder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(QSettings().value(QStringLiteral("history/store")).toString(), file);
        QCOMPARE(bench.store().location(), file);
    }

    // "Сервер истории…": a server that is not there is reported and the
    // store in use stays; one that is there takes the reads.
    void aStoreOnAServerIsChosenAndUsedAsAFile()
    {
        const TestServer* server = TestServer::get();
        if (!server)
            QSKIP("no test server: QUORVEL_TEST_POSTGRES is not set");
        Bench bench(ringPanel(10));
        const QString file = QSettings().value(QStringLiteral("history/store")).toString();
        QTemporaryDir noServer;
        QString uri = QStringLiteral("postgresql:///x?host=") + noServer.path();
        bench.window->answerText = [&](const QString&, const QString&) { return uri; };
        bench.window->findChild<QAction*>("chooseHistoryServer")->trigger();
        QCOMPARE(bench.window->criticals.size(), 1);
        QVERIFY(bench.window->criticals[0].contains(QStringLiteral("Невозможно подключиться")));
        QCOMPARE(QSettings().value(QStringLiteral("history/store")).toString(), file);

        uri = server->newDatabase();
        bench.window->findChild<QAction*>("chooseHistoryServer")->trigger();
        QCOMPARE(bench.window->criticals.size(), 1);
        QCOMPARE(bench.historyStatus(), QString());
        bench.read(ringPanel(10), QStringLiteral("Склад"));
        QCOMPARE(site_history::SiteHistory(uri).site(QStringLiteral("Склад"))->events, 10);
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "HistoryWindowTest.moc"
