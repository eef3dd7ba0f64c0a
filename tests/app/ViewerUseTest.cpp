// The window as a person uses it: finding events, selecting and copying
// rows, the CSV export, cut cells, the status line and remembered choices.

#include "ViewerTestSupport.h"

#include <ConnectDialog.h>
#include <EventsView.h>
#include <FilterBar.h>
#include <StatusLabel.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <CsvReader.h>

namespace {

const char* const portName = "COM3";

QStringList cells(const archive_table::RowTexts& row)
{
    return QStringList(row.begin(), row.end());
}

// A row as the copy and the CSV write it: the table's texts in the reader's
// spelling, whose rule CsvExportTest and the device model's tests pin down
// on literal texts.
archive_table::RowTexts exported(const archive_table::RowTexts& row)
{
    return archive_table::readerSpelling(row);
}

bool anyCellContains(const archive_table::RowTexts& row, const QString& text)
{
    return std::any_of(row.begin(), row.end(),
                       [&](const QString& cell) { return cell.contains(text, Qt::CaseInsensitive); });
}

// Types the text key by key; QTest::keyClicks knows only ASCII keys.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class ViewerUseTest : public QObject {
    Q_OBJECT

private:
    // A converter on COM3 with the demo panel behind it, read once.
    struct Bench {
        rs485::testing::FakeSerialPlatform line;
        std::unique_ptr<panel_sim::SimulatedPanel> panel;
        std::unique_ptr<TestMainWindow> window;

        explicit Bench(bool read = true)
        {
            line.existingPorts = {portName};
            line.serialPorts = {"COM1", portName};
            line.converterPorts = {portName};
            panel = std::make_unique<panel_sim::SimulatedPanel>(line, panel_sim::buildPanel(panel_sim::demoPanel()));
            window = std::make_unique<TestMainWindow>(line);
            window->answerDialog = [](QDialog&) { return int(QDialog::Accepted); };
            window->show();
            if (read)
                window->onLoadFromDevice();
            // The progress window took the focus while it was there.
            window->activateWindow();
        }
        ~Bench()
        {
            window.reset();
            panel.reset();
        }

        EventsView& table() { return *window->findChild<EventsView*>("eventsView"); }
        FilterBar& filterBar() { return *window->findChild<FilterBar*>("filterBar"); }
        QLineEdit& filterText() { return *window->findChild<QLineEdit*>("filterText"); }
        QString shownStatus() { return window->findChild<QLabel*>("shownStatus")->text(); }
        QAction& action(const char* name) { return *window->findChild<QAction*>(name); }

        // The rows the table shows, top first.
        std::vector<archive_table::RowTexts> shownRows() { return ::shownRows(table()); }
        // Every event of the table, in the order shown.
        std::vector<archive_table::ArchiveEvent> events()
        {
            const archive_table::EventSpan all = table().eventModel().events().allEvents();
            return {all.begin(), all.end()};
        }
    };

private slots:
    void init() { QSettings().clear(); }

    void filterBarOpensWithCtrlFAndKeepsTheTypedText()
    {
        Bench bench;
        QVERIFY(QTest::qWaitForWindowActive(bench.window.get()));
        const std::vector<archive_table::RowTexts> all = tableRows(bench.table());
        QVERIFY(all.size() > 50);
        QVERIFY(bench.filterBar().isHidden());

        QTest::keyClick(bench.window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(bench.filterBar().isVisible());
        QCOMPARE(QApplication::focusWidget(), &bench.filterText());

        // The event text of some row, typed in lower case.
        const QString wanted = all[all.size() / 2][archive_table::eventColumn];
        QVERIFY(!wanted.isEmpty());
        typeText(&bench.filterText(), wanted.toLower());
        const std::vector<archive_table::RowTexts> shown = bench.shownRows();
        const auto expected = std::count_if(all.begin(), all.end(),
                                            [&](const archive_table::RowTexts& r) { return anyCellContains(r, wanted); });
        QVERIFY(expected > 0 && expected < int(all.size()));
        QCOMPARE(int(shown.size()), int(expected));
        for (const archive_table::RowTexts& row : shown)
            QVERIFY(anyCellContains(row, wanted));
        QCOMPARE(bench.shownStatus(), QStringLiteral("Показано событий: %1 из %2").arg(expected).arg(all.size()));

        // A sort by a header click keeps the same rows shown.
        const QHeaderView* header = bench.table().horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(archive_table::addressColumn) + 5, 5));
        QCOMPARE(header->sortIndicatorSection(), archive_table::addressColumn);
        QCOMPARE(int(bench.shownRows().size()), int(expected));
        for (const archive_table::RowTexts& row : bench.shownRows())
            QVERIFY(anyCellContains(row, wanted));

        // Escape hides the bar and its filter; Ctrl+F brings both back.
        QTest::keyClick(&bench.filterText(), Qt::Key_Escape);
        QVERIFY(bench.filterBar().isHidden());
        QCOMPARE(bench.shownRows().size(), all.size());
        QVERIFY(!bench.window->findChild<QLabel*>("shownStatus")->isVisible());
        QTest::keyClick(bench.window.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(int(bench.shownRows().size()), int(expected));

        // The next read clears the filter: its rows are all shown.
        bench.window->onLoadFromDevice();
        QVERIFY(bench.filterText().text().isEmpty());
        QCOMPARE(bench.shownRows().size(), all.size());
    }

    // On a 1024×600 laptop nothing widens the window: a long site name and a
    // server's long message in the status bar, the filter bar and the
    // devices' dock all fit, the cut texts whole as tool tips.
    void theWindowFitsALaptopsScreen()
    {
        Bench bench;
        QVERIFY(QTest::qWaitForWindowExposed(bench.window.get()));
        const QString site = QStringLiteral("Склад готовой продукции №1 ").repeated(7);
        auto* historyStatus = bench.window->findChild<QLabel*>("historyStatus");
        historyStatus->setText(QStringLiteral("Сохранено в истории объекта «%1», новых событий: 319").arg(site));
        auto* readStatus = bench.window->findChild<QLabel*>("readStatus");
        readStatus->setText(QStringLiteral("История недоступна: could not connect to server: Connection refused ")
                                .repeated(3));
        bench.action("find").trigger();
        bench.window->findChild<QLineEdit*>("filterText")->setText(QStringLiteral("ПОЖАР"));
        auto* dock = bench.window->findChild<QDockWidget*>("deviceOverview");
        if (!dock->isVisible())
            bench.action("showDeviceOverview").trigger();
        bench.window->resize(1024, 600);
        QApplication::processEvents();

        QVERIFY(bench.window->minimumSizeHint().width() <= 1024);
        QCOMPARE(bench.window->width(), 1024);
        QVERIFY(bench.filterBar().isVisible() && dock->isVisible());
        QVERIFY(dock->geometry().right() < 1024);
        QVERIFY(bench.window->statusBar()->geometry().right() < 1024);
        // The longer notes give way to the counts of what the filter shows.
        auto* counts = bench.window->findChild<StatusLabel*>("shownStatus");
        QTRY_VERIFY(counts->isVisible() && !counts->isCut());

        const QPoint at = historyStatus->rect().center();
        QHelpEvent help(QEvent::ToolTip, at, historyStatus->mapToGlobal(at));
        QApplication::sendEvent(historyStatus, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        // The whole text, then the note's own tip (the store in use).
        QCOMPARE(QToolTip::text(), historyStatus->text() + QLatin1Char('\n') + historyStatus->toolTip());
        QToolTip::hideText();
    }

    // Every menu and item has its own Alt letter, F10 opens the menus, and
    // Tab crosses a date field in one press.
    void theKeyboardReachesEveryMenuAndField()
    {
        Bench bench;
        QVERIFY(QTest::qWaitForWindowActive(bench.window.get()));
        const auto letterOf = [](const QString& text) {
            const int at = text.indexOf(QLatin1Char('&'));
            return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
        };
        QSet<QChar> menuLetters;
        for (QAction* menuAction : bench.window->menuBar()->actions()) {
            const QChar letter = letterOf(menuAction->text());
            QVERIFY2(!letter.isNull() && !menuLetters.contains(letter), qPrintable(menuAction->text()));
            menuLetters.insert(letter);
            QSet<QChar> itemLetters;
            for (QAction* item : menuAction->menu()->actions()) {
                if (item->isSeparator())
                    continue;
                const QChar itemLetter = letterOf(item->text());
                QVERIFY2(!itemLetter.isNull() && !itemLetters.contains(itemLetter), qPrintable(item->text()));
                itemLetters.insert(itemLetter);
            }
        }
        QTest::keyClick(bench.window.get(), Qt::Key_F, Qt::ControlModifier);
        auto* from = bench.window->findChild<QWidget*>("dateFrom");
        QVERIFY(from->isVisible());
        from->setFocus();
        QTest::keyClick(from, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("dateTo"));

        QVERIFY(!bench.window->menuBar()->activeAction());
        QTest::keyClick(bench.window.get(), Qt::Key_F10);
        QVERIFY(bench.window->menuBar()->activeAction());
    }

    // Russian words typed in Cyrillic find the demo panel's texts, which the
    // panel spells with Latin look-alikes; the table keeps the panel's texts.
    void typedRussianWordsFindThePanelsSpelling()
    {
        Bench bench;
        const std::vector<archive_table::RowTexts> all = tableRows(bench.table());
        bench.action("find").trigger();
        // Each word and the spellings the demo panel shows it in, code point
        // by code point: склад, тревога, пожар, дверь, зона, отключен.
        const auto spelt = [](std::u16string text) { return QString::fromStdU16String(text); };
        const std::vector<std::pair<QString, QStringList>> words = {
            {QStringLiteral("склад"), {spelt(u"\u0043\u043A\u043B\u0061\u0434"), spelt(u"\u0063\u043A\u043B\u0061\u0434")}},
            {QStringLiteral("ТРЕВОГА"), {spelt(u"\u0054\u0050\u0045\u0042\u004F\u0413\u0041")}},
            {QStringLiteral("Пожар"), {spelt(u"\u041F\u004F\u0416\u0041\u0050")}},
            {QStringLiteral("дверь"), {spelt(u"\u0414\u0432\u0065\u0070\u044C")}},
            {QStringLiteral("зона"), {spelt(u"\u0417\u006F\u043D\u0061")}},
            {QStringLiteral("отключен"), {spelt(u"\u004F\u0054\u004B\u041B\u042E\u0427\u0401\u0048")}},
            {QStringLiteral("crc"), {QStringLiteral("CRC")}},
        };
        for (const auto& [word, spellings] : words) {
            bench.filterText().clear();
            typeText(&bench.filterText(), word);
            const auto expected = std::count_if(all.begin(), all.end(), [&](const archive_table::RowTexts& r) {
                return std::any_of(spellings.begin(), spellings.end(),
                                   [&](const QString& s) { return anyCellContains(r, s); });
            });
            QVERIFY2(expected > 0, qPrintable(word));
            QCOMPARE(int(bench.shownRows().size()), int(expected));
        }
        // What is shown, copied and saved is the panel's own spelling.
        bench.filterText().clear();
        typeText(&bench.filterText(), QStringLiteral("склад"));
        for (const archive_table::RowTexts& row : bench.shownRows())
            QVERIFY(!anyCellContains(row, QStringLiteral("склад")));
        QCOMPARE(tableRows(bench.table()), all);
    }

    void emergenciesAndDatesNarrowTheRows()
    {
        Bench bench;
        std::vector<archive_table::RowTexts> all = tableRows(bench.table());
        bench.action("find").trigger();
        auto* emergencyOnly = bench.window->findChild<QCheckBox*>("emergencyOnly");
        QCOMPARE(emergencyOnly->text(), QStringLiteral("Только экстренные"));
        QTest::mouseClick(emergencyOnly, Qt::LeftButton, {}, QPoint(5, emergencyOnly->height() / 2));
        QVERIFY(emergencyOnly->isChecked());
        const auto emergencies = std::count_if(all.begin(), all.end(), [](const archive_table::RowTexts& r) {
            return r[archive_table::emergencyColumn] == QLatin1String("+");
        });
        QVERIFY(emergencies > 0 && emergencies < int(all.size()));
        QCOMPARE(int(bench.shownRows().size()), int(emergencies));
        // Events shown later are judged as well.
        config_quorvel::Configuration configuration;
        std::vector<archive_table::ArchiveEvent> more = bench.events();
        more.push_back(archive_table::archiveEvent(
            RecordBuilder().date(2024, 1, 18, 10, 15, 0).section(1).address(2).eventClass(1).code(3).event(&configuration)));
        bench.table().showListedEvents(more);
        QCOMPARE(int(bench.shownRows().size()), int(emergencies));
        more.push_back(archive_table::archiveEvent(
            RecordBuilder().date(2024, 1, 18, 10, 16, 0).section(1).address(2).eventClass(1).code(3).emergency().event(&configuration)));
        bench.table().showListedEvents(more);
        QCOMPARE(int(bench.shownRows().size()), int(emergencies) + 1);
        QTest::mouseClick(emergencyOnly, Qt::LeftButton, {}, QPoint(5, emergencyOnly->height() / 2));

        all = tableRows(bench.table());

        // The range ends start empty; one day on both ends keeps that day.
        auto* from = bench.window->findChild<QDateEdit*>("dateFrom");
        auto* to = bench.window->findChild<QDateEdit*>("dateTo");
        QCOMPARE(from->text(), QStringLiteral("—"));
        QCOMPARE(to->text(), QStringLiteral("—"));
        const QString day = all.front()[archive_table::dateTimeColumn].left(10);
        from->setDate(QDate::fromString(day, QStringLiteral("yyyy/MM/dd")));
        to->setDate(from->date());
        const auto onDay = std::count_if(all.begin(), all.end(), [&](const archive_table::RowTexts& r) {
            return r[archive_table::dateTimeColumn].startsWith(day);
        });
        QVERIFY(onDay > 0 && onDay < int(all.size()));
        QCOMPARE(int(bench.shownRows().size()), int(onDay));
        to->setDate(to->minimumDate());
        QCOMPARE(to->text(), QStringLiteral("—"));
        QVERIFY(bench.shownRows().size() >= std::size_t(onDay));

        // The reset button empties every field and shows every row.
        typeText(&bench.filterText(), QStringLiteral("x"));
        emergencyOnly->setChecked(true);
        auto* clear = bench.window->findChild<QToolButton*>("clearFilter");
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(from->text(), QStringLiteral("—"));
        QVERIFY(bench.filterText().text().isEmpty() && !emergencyOnly->isChecked());
        QCOMPARE(bench.shownRows().size(), all.size());
        QCOMPARE(bench.shownStatus(), QStringLiteral("Показано событий: %1 из %1").arg(all.size()));
    }

    void selectedShownRowsCopyWithTheHeader()
    {
        Bench bench;
        QVERIFY(QTest::qWaitForWindowActive(bench.window.get()));
        EventsView& table = bench.table();
        const std::vector<archive_table::RowTexts> all = tableRows(table);
        const archive_table::RowTexts headers = archive_table::columnHeaders();
        const auto line = [](const archive_table::RowTexts& row) { return cells(exported(row)).join('\t') + '\n'; };
        const auto rowPoint = [&](int row) { return table.visualRect(cell(table, row, 1)).center(); };

        // A click, a Shift-click and a Ctrl-click make three whole rows.
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, rowPoint(1));
        QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(2));
        QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(5));
        QCOMPARE(table.selectionModel()->selectedRows().size(), 3);
        QApplication::clipboard()->clear();
        QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), line(headers) + line(all[1]) + line(all[2]) + line(all[5]));

        // The context menu's entry does the same; Ctrl+A then copies only the
        // rows the filter shows.
        QAction* copy = nullptr;
        for (QAction* action : table.actions())
            if (action->text() == QStringLiteral("Копировать"))
                copy = action;
        QVERIFY(copy);
        QCOMPARE(table.contextMenuPolicy(), Qt::ActionsContextMenu);
        bench.action("find").trigger();
        typeText(&bench.filterText(), all[0][archive_table::eventColumn]);
        table.setFocus();
        QTest::keyClick(&table, Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->clear();
        copy->trigger();
        QString expected = line(headers);
        for (const archive_table::RowTexts& row : bench.shownRows())
            expected += line(row);
        QVERIFY(bench.shownRows().size() < all.size());
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    void csvHasTheShownRowsAndTheTextExportAll()
    {
        Bench bench;
        QTemporaryDir dir;
        EventsView& table = bench.table();
        // Texts a spreadsheet needs quoted.
        std::vector<archive_table::ArchiveEvent> events = bench.events();
        events[0].sourceText = QStringLiteral("Склад; \"север\"\nвход");
        table.showOrderedEvents(events);
        const std::vector<archive_table::RowTexts> all = tableRows(table);
        QVERIFY(bench.action("exportToCsv").isEnabled());
        QCOMPARE(shownText(bench.action("exportToCsv").text()), QStringLiteral("Экспорт в CSV…"));

        bench.action("find").trigger();
        typeText(&bench.filterText(), all[0][archive_table::eventColumn]);
        const std::vector<archive_table::RowTexts> shown = bench.shownRows();
        QVERIFY(shown.size() < all.size());

        bench.window->csvFileName = dir.filePath("shown.csv");
        bench.action("exportToCsv").trigger();
        QFile csv(bench.window->csvFileName);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> lines = parseCsv(QString::fromUtf8(bytes.mid(3)), QLatin1Char(';'));
        QCOMPARE(int(lines.size()), int(shown.size()) + 1);
        QCOMPARE(lines[0], cells(exported(archive_table::columnHeaders())));
        QCOMPARE(lines[0][archive_table::eventColumn], QStringLiteral("\u0421обытие"));
        QCOMPARE(lines[1].last(), QStringLiteral("Склад; \"север\"\nвход"));
        for (std::size_t row = 0; row < shown.size(); ++row)
            QCOMPARE(lines[int(row) + 1], cells(exported(shown[row])));

        // The text table keeps every row however the view is filtered.
        bench.window->saveFileName = dir.filePath("all.txt");
        bench.action("saveToFile").trigger();
        QFile text(bench.window->saveFileName);
        QVERIFY(text.open(QIODevice::ReadOnly));
        QCOMPARE(text.readAll().count('\n'), int(all.size()) + 5);

        // A folder cannot be written as a file: the text export's message.
        bench.window->csvFileName = dir.path();
        bench.action("exportToCsv").trigger();
        QCOMPARE(bench.window->criticals, QStringList{QStringLiteral("Невозможно открыть файл для записи")});
    }

    void aCutCellShowsItsWholeTextAsToolTip()
    {
        Bench bench(false);
        // Wide enough that the event column need not give way to the source.
        bench.window->resize(1600, 700);
        QVERIFY(QTest::qWaitForWindowExposed(bench.window.get()));
        EventsView& table = bench.table();
        config_quorvel::Configuration configuration;
        archive_table::ArchiveEvent event = archive_table::archiveEvent(
            RecordBuilder().date(2024, 1, 18, 10, 15, 0).section(1).address(2).eventClass(1).code(3).event(&configuration));
        const QString longText = QString(QStringLiteral("очень длинный текст ")).repeated(20);
        event.sourceText = longText;
        event.eventText = QStringLiteral("ПОЖАР");
        table.showOrderedEvents({event});

        // Whole dates and event texts need no tool tip; the long one does.
        const auto toolTipAt = [&](int column) {
            QToolTip::hideText();
            QTest::qWaitFor([] { return !QToolTip::isVisible(); });
            const QPoint at = table.visualRect(cell(table, 0, column)).center();
            QHelpEvent event(QEvent::ToolTip, at, table.viewport()->mapToGlobal(at));
            QApplication::sendEvent(table.viewport(), &event);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(toolTipAt(archive_table::dateTimeColumn), QString());
        QCOMPARE(toolTipAt(archive_table::eventColumn), QString());
        QCOMPARE(toolTipAt(archive_table::objectColumn), longText);
        QVERIFY(table.columnWidth(archive_table::dateTimeColumn)
                >= table.fittingWidth(QStringLiteral("2024/01/18 10:15:00")));

        // In a larger font the columns widen to their texts again, the
        // event column up to its limit, which cuts what is longer still.
        const QString command = QStringLiteral("КОМАНДА (нет ответа)");
        event.eventText = command;
        table.showOrderedEvents({event});
        QFont larger = table.font();
        larger.setPointSize(larger.pointSize() + 1);
        table.setFont(larger);
        QVERIFY(table.fittingWidth(command) > 220 && table.fittingWidth(command) < 360);
        QVERIFY(table.columnWidth(archive_table::dateTimeColumn) > table.fittingWidth(QStringLiteral("2024/01/18")));
        QCOMPARE(table.columnWidth(archive_table::dateTimeColumn),
                 std::max(120, table.fittingWidth(QStringLiteral("0000/00/00 00:00:00"))));
        QCOMPARE(table.columnWidth(archive_table::eventColumn), qBound(220, table.fittingWidth(command), 360));
        QCOMPARE(toolTipAt(archive_table::eventColumn), QString());
        event.eventText = command.repeated(5);
        table.showOrderedEvents({event});
        table.setFont(QFont(larger.family(), larger.pointSize() + 1));
        QCOMPARE(table.columnWidth(archive_table::eventColumn), 360);
        QCOMPARE(toolTipAt(archive_table::eventColumn), command.repeated(5));
        table.showListedEvents({});
        QCOMPARE(table.columnWidth(archive_table::eventColumn), 220);
    }

    void theReadsOutcomeOutlastsStatusTips()
    {
        Bench bench;
        QVERIFY(QTest::qWaitForWindowExposed(bench.window.get()));
        auto* readStatus = bench.window->findChild<QLabel*>("readStatus");
        QCOMPARE(readStatus->text(), QStringLiteral("Данные успешно загружены из памяти прибора"));

        auto* toolBar = bench.window->findChild<QToolBar*>("toolBar");
        QWidget* button = toolBar->widgetForAction(&bench.action("loadFromDevice"));
        QTest::mouseMove(button);
        QTRY_COMPARE(bench.window->statusBar()->currentMessage(), QStringLiteral("Прочитать данные из памяти прибора"));
        QVERIFY(readStatus->isVisible());
        QTest::mouseMove(&bench.table());
        QTRY_VERIFY(bench.window->statusBar()->currentMessage().isEmpty());
        QCOMPARE(readStatus->text(), QStringLiteral("Данные успешно загружены из памяти прибора"));
        QVERIFY(readStatus->isVisible());
    }

    void choicesAreRememberedBetweenRuns()
    {
        QTemporaryDir dir;
        {
            Bench bench(false);
            bench.line.converterPorts.clear();
            bench.window->answerDialog = [](QDialog& dialog) {
                dialog.findChild<QComboBox*>("portName")->setCurrentText(portName);
                dialog.findChild<QCheckBox*>("turbo")->setChecked(false);
                return int(QDialog::Accepted);
            };
            bench.window->onLoadFromDevice();
            QCOMPARE(bench.window->criticals, QStringList());
            // The folder chosen in the window's own save dialog.
            QTimer::singleShot(0, [&] {
                if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    dialog->selectFile(dir.filePath("archive.txt"));
                    QMetaObject::invokeMethod(dialog, "accept");
                }
            });
            QCOMPARE(bench.window->askSaveFileNameAsTheWindowDoes(), dir.filePath("archive.txt"));
            // Smaller than the offscreen screen, which restoring a geometry keeps to.
            bench.window->resize(760, 480);
            bench.window->close();
        }
        Bench bench(false);
        bench.line.converterPorts.clear();
        QCOMPARE(bench.window->size(), QSize(760, 480));
        QString port;
        bool turbo = true;
        bench.window->answerDialog = [&](QDialog& dialog) {
            port = static_cast<ConnectDialog&>(dialog).selectedPort();
            turbo = static_cast<ConnectDialog&>(dialog).isTurbo();
            return int(QDialog::Rejected);
        };
        bench.window->onLoadFromDevice();
        QCOMPARE(port, QString::fromLatin1(portName));
        QVERIFY(!turbo);

        // The save dialog opens in the folder saved in last.
        QString folder;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                folder = dialog->directory().absolutePath();
                dialog->reject();
            }
        });
        bench.window->askSaveFileNameAsTheWindowDoes();
        QCOMPARE(folder, QDir(dir.path()).absolutePath());

        // A converter found wins over the remembered port.
        bench.line.converterPorts = {"COM1"};
        bench.window->onLoadFromDevice();
        QCOMPARE(port, QStringLiteral("COM1"));
        QVERIFY(!turbo);
    }
};

QTEST_MAIN(ViewerUseTest)
#include "ViewerUseTest.moc"
