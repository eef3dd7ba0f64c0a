// The archive at a glance: the timeline strip above the table, the device
// overview beside it, both from the "Вид" menu, and the panel's details.

#include "ViewerTestSupport.h"

#include <DeviceOverview.h>
#include <EventsView.h>
#include <FilterBar.h>
#include <TimelineStrip.h>

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QtTest>

namespace {

const char* const portName = "COM3";

// A window on a converter on COM3, with the given panel behind it.
struct Bench {
    rs485::testing::FakeSerialPlatform line;
    std::unique_ptr<panel_sim::SimulatedPanel> panel;
    std::unique_ptr<TestMainWindow> window;

    explicit Bench(const panel_sim::PanelDescription& description = panel_sim::demoPanel(), bool turbo = true)
    {
        line.existingPorts = {portName};
        line.serialPorts = {portName};
        line.converterPorts = {portName};
        panel = std::make_unique<panel_sim::SimulatedPanel>(line, panel_sim::buildPanel(description));
        window = std::make_unique<TestMainWindow>(line);
        window->answerDialog = [turbo](QDialog& dialog) {
            dialog.findChild<QCheckBox*>("turbo")->setChecked(turbo);
            return int(QDialog::Accepted);
        };
        window->show();
    }
    ~Bench()
    {
        window.reset();
        panel.reset();
    }

    void read()
    {
        window->onLoadFromDevice();
        window->answerDialog = [](QDialog&) { return int(QDialog::Rejected); };
        window->activateWindow();
    }

    EventsView& table() { return *window->findChild<EventsView*>("eventsView"); }
    TimelineStrip& strip() { return *window->findChild<TimelineStrip*>("timeline"); }
    QTreeWidget& tree() { return *window->findChild<QTreeWidget*>("deviceTree"); }
    QDateEdit& date(const char* name) { return *window->findChild<QDateEdit*>(name); }
    QString placeField() { return window->findChild<QLineEdit*>("placeField")->text(); }
    QLabel& undated() { return *window->findChild<QLabel*>("undatedStatus"); }

    std::vector<archive_table::RowTexts> shownRows() { return ::shownRows(table()); }

    // The bar's tool tip, as hovering it shows.
    QString toolTipOfBar(int period)
    {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return QStringLiteral("<the last tool tip stayed>");
        const QPoint at = strip().barArea(period).center();
        QTest::mouseMove(&strip(), at);
        QHelpEvent event(QEvent::ToolTip, at, strip().mapToGlobal(at));
        QApplication::sendEvent(&strip(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    void clickItem(QTreeWidgetItem* item)
    {
        tree().scrollToItem(item);
        // On its text: with the filter bar open the dock may be narrower
        // than the line.
        const QRect line = tree().visualItemRect(item);
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, QPoint(line.left() + 5, line.center().y()));
    }

    // Chooses the entry of the "Вид" menu as a user does, with the mouse.
    void chooseInViewMenu(const char* actionName)
    {
        QMenuBar* bar = window->menuBar();
        auto* menu = window->findChild<QMenu*>("menuView");
        QCOMPARE(shownText(menu->title()), QStringLiteral("Вид"));
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
        QTRY_VERIFY(menu->isVisible());
        auto* action = window->findChild<QAction*>(actionName);
        QVERIFY(menu->actions().contains(action));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QTRY_VERIFY(!menu->isVisible());
    }
};

// The top-level line, or the line under it, whose text starts so.
QTreeWidgetItem* line(QTreeWidget& tree, const QString& start, const QString& childStart = QString())
{
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tree.topLevelItem(i);
        if (!top->text(0).startsWith(start))
            continue;
        if (childStart.isEmpty())
            return top;
        for (int j = 0; j < top->childCount(); ++j)
            if (top->child(j)->text(0).startsWith(childStart))
                return top->child(j);
    }
    return nullptr;
}

struct Count {
    int events = 0;
    int emergencies = 0;
};

template <typename Keep>
Count countRows(const std::vector<archive_table::RowTexts>& rows, Keep keep)
{
    Count count;
    for (const archive_table::RowTexts& row : rows) {
        if (!keep(row))
            continue;
        ++count.events;
        count.emergencies += row[archive_table::emergencyColumn] == QLatin1String("+") ? 1 : 0;
    }
    return count;
}

// A row's section and address cells.
std::function<bool(const archive_table::RowTexts&)> at(const QString& section, const QString& address)
{
    return [=](const archive_table::RowTexts& row) {
        return row[archive_table::sectionColumn] == section && row[archive_table::addressColumn] == address;
    };
}

// A move with the left button held (QTest moves the cursor, which carries
// no button on the offscreen platform).
void dragOver(QWidget& widget, const QPoint& at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

// Turns the mouse wheel over the widget; 120 is one notch away from the user.
void turnWheel(QWidget& widget, const QPoint& at, int angle)
{
    QWheelEvent wheel(at, widget.mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

// The bar of the strip whose days hold the day.
int barOf(const TimelineStrip& strip, const QDate& day)
{
    const archive_table::Timeline& bars = strip.timeline();
    for (int period = 0; period < bars.periodCount(); ++period)
        if (bars.firstDay(period) <= day && day <= bars.lastDay(period))
            return period;
    return -1;
}

void compareCounts(const QTreeWidgetItem* item, const Count& expected)
{
    QVERIFY(item);
    QCOMPARE(item->text(1), QString::number(expected.events));
    QCOMPARE(item->text(2), QString::number(expected.emergencies));
}

// A dialog's "label: value" lines, as its form shows them.
QStringList detailLines(QDialog& dialog)
{
    QStringList lines;
    auto* form = dialog.findChild<QFormLayout*>("detailsForm");
    for (int row = 0; row < form->rowCount(); ++row) {
        QLayoutItem* label = form->itemAt(row, QFormLayout::LabelRole);
        if (!label)
            continue; // the line between the panel and the read
        lines << static_cast<QLabel*>(label->widget())->text() + QLatin1Char(' ')
                + static_cast<QLabel*>(form->itemAt(row, QFormLayout::FieldRole)->widget())->text();
    }
    return lines;
}

} // namespace

class ArchiveGlanceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QSettings().clear(); }

    void theStripsBarsChooseDays()
    {
        Bench bench;
        QVERIFY(QTest::qWaitForWindowExposed(bench.window.get()));
        config_quorvel::Configuration configuration;
        const auto event = [&](int day, int hour, bool emergency = false) {
            return RecordBuilder().date(2024, 1, day, hour, 30, 0).section(1).address(2).eventClass(1).code(3)
                .emergency(emergency).event(&configuration);
        };
        // 15th: 3 events (1 emergency), 16th: none, 17th: 2, 18th: 4 (2
        // emergencies), 19th: 1; one undated, one on 30 February.
        bench.table().showListedEvents(archive_table::archiveEvents({
            event(15, 8), event(15, 9, true), event(15, 23), event(17, 12), event(17, 13), event(18, 0, true),
            event(18, 10), event(18, 12, true), event(18, 23), event(19, 6),
            RecordBuilder().dateTime(0).section(1).address(2).eventClass(1).code(3).event(&configuration),
            RecordBuilder().date(2024, 2, 30, 10, 0, 0).section(1).address(2).eventClass(1).code(3).event(&configuration),
        }));
        QCOMPARE(bench.table().eventCount(), 12);
        TimelineStrip& strip = bench.strip();
        QVERIFY(strip.isVisible());
        QCOMPARE(strip.timeline().periodCount(), 5);
        QVERIFY(bench.undated().isVisible());
        QCOMPARE(bench.undated().text(), QStringLiteral("без даты: 2"));

        QCOMPARE(bench.toolTipOfBar(3), QStringLiteral("18.01.2024: 4 события, из них 2 экстренных"));
        QCOMPARE(bench.toolTipOfBar(1), QStringLiteral("16.01.2024: 0 событий"));

        // A click on the 18th keeps that day.
        QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.barArea(3).center());
        QVERIFY(bench.window->findChild<FilterBar*>("filterBar")->isVisible());
        QCOMPARE(bench.date("dateFrom").date(), QDate(2024, 1, 18));
        QCOMPARE(bench.date("dateTo").date(), QDate(2024, 1, 18));
        QCOMPARE(int(bench.shownRows().size()), 4);
        // The strip now shows that day by the hour, 00:00 to 23:00.
        QCOMPARE(strip.timeline().periodCount(), 24);
        QCOMPARE(bench.toolTipOfBar(12), QStringLiteral("18.01.2024 12:00–13:00: 1 событие, из них 1 экстренное"));
        QVERIFY(!bench.undated().isVisible());

        // A click on an hour's bar keeps that hour; the date fields show its day.
        QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.barArea(12).center());
        QCOMPARE(bench.shownRows().size(), std::size_t(1));
        QCOMPARE(bench.shownRows().front()[archive_table::dateTimeColumn], QStringLiteral("2024/01/18 12:30:00"));
        QCOMPARE(bench.date("dateFrom").date(), QDate(2024, 1, 18));
        QCOMPARE(bench.date("dateTo").date(), QDate(2024, 1, 18));
        // A date field changed by hand keeps whole days again.
        bench.date("dateTo").setDate(QDate(2024, 1, 19));
        QCOMPARE(bench.shownRows().size(), std::size_t(5));

        // A double click clears the dates and shows every row again.
        QTest::mouseDClick(&strip, Qt::LeftButton, {}, strip.barArea(5).center());
        QCOMPARE(bench.date("dateFrom").text(), QStringLiteral("—"));
        QCOMPARE(bench.date("dateTo").text(), QStringLiteral("—"));
        QCOMPARE(bench.table().shownRowCount(), 12);
        QCOMPARE(strip.timeline().periodCount(), 5);

        // A drag from the 15th across the 16th to the 17th keeps the three
        // days, whichever way it goes.
        for (const auto& [from, to] : {std::pair(0, 2), std::pair(2, 0)}) {
            bench.window->findChild<QToolButton*>("clearFilter")->click();
            QTest::mousePress(&strip, Qt::LeftButton, {}, strip.barArea(from).center());
            for (const int over : {1, to})
                dragOver(strip, strip.barArea(over).center());
            QTest::mouseRelease(&strip, Qt::LeftButton, {}, strip.barArea(to).center());
            QCOMPARE(bench.date("dateFrom").date(), QDate(2024, 1, 15));
            QCOMPARE(bench.date("dateTo").date(), QDate(2024, 1, 17));
            QCOMPARE(int(bench.shownRows().size()), 5);
        }
    }

    void aWeeksBarChoosesMondayToSunday()
    {
        Bench bench;
        config_quorvel::Configuration configuration;
        const auto event = [&](int year, int month, int day, int hour) {
            return RecordBuilder().date(year, month, day, hour, 0, 0).section(1).address(2).eventClass(1).code(3)
                .event(&configuration);
        };
        // More than a year: weeks. Wednesday 10 January 2024 stands in the
        // week from Monday the 8th; Sunday the 14th late at night and Monday
        // the 15th just after midnight lie on either side of its end.
        bench.table().showListedEvents(archive_table::archiveEvents(
            {event(2023, 1, 2, 10), event(2024, 1, 10, 12), event(2024, 1, 14, 23), event(2024, 1, 15, 0),
             event(2024, 3, 1, 10)}));
        TimelineStrip& strip = bench.strip();
        QCOMPARE(strip.timeline().step(), archive_table::TimeStep::Week);
        int week = 0;
        while (week < strip.timeline().periodCount() && strip.timeline().firstDay(week) != QDate(2024, 1, 8))
            ++week;
        QCOMPARE(strip.timeline().tally(week).events, 2);
        QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.barArea(week).center());
        QCOMPARE(bench.date("dateFrom").date(), QDate(2024, 1, 8));
        QCOMPARE(bench.date("dateTo").date(), QDate(2024, 1, 14));
        QCOMPARE(bench.shownRows().size(), std::size_t(2));
    }

    // The demo zone panel: 364 events of January 2024 and one whose clock
    // had lost power, in 2011.
    void oneWrongDateLeavesTheMonthOnTheStrip()
    {
        Bench bench(panel_sim::demoZonePanel());
        QVERIFY(QTest::qWaitForWindowExposed(bench.window.get()));
        bench.read();
        TimelineStrip& strip = bench.strip();
        const archive_table::Timeline& bars = strip.timeline();
        QCOMPARE(bars.step(), archive_table::TimeStep::Day);
        const int last = bars.periodCount() - 1;
        QVERIFY(bars.firstDay(0) >= QDate(2024, 1, 1) && bars.lastDay(last) <= QDate(2024, 1, 31));
        // The days' bars fill the strip from edge to edge.
        QVERIFY(last >= 25);
        QVERIFY(strip.barArea(0).left() < 10);
        QVERIFY(strip.barArea(last).right() > strip.width() - 10);

        QCOMPARE(strip.outsideNote(), QStringLiteral("ещё 1 событие вне шкалы"));
        QVERIFY(strip.rect().contains(strip.outsideNoteArea()));
        std::vector<archive_table::TimeRange> chosen;
        connect(&strip, &TimelineStrip::outsideChosen, this,
                [&](const std::vector<archive_table::TimeRange>& ranges) { chosen = ranges; });
        QTest::mouseClick(&strip, Qt::LeftButton, {}, strip.outsideNoteArea().center());
        QCOMPARE(int(chosen.size()), 1);
        // As the window is to take it: the filter's time range set to it
        // shows that event alone.
        auto* filter = bench.window->findChild<FilterBar*>("filterBar");
        filter->show();
        filter->setTimeRange(chosen.front().from, chosen.front().to);
        QCOMPARE(int(bench.shownRows().size()), 1);
        QCOMPARE(bench.shownRows().front()[archive_table::dateTimeColumn], QStringLiteral("2011/01/01 00:00:12"));
        QVERIFY(strip.outsideNote().isEmpty());
        QVERIFY(strip.outsideNoteArea().isEmpty());
    }

    void theStripZoomsAndGoesBack()
    {
        Bench bench(panel_sim::demoZonePanel());
        QVERIFY(QTest::qWaitForWindowExposed(bench.window.get()));
        bench.read();
        TimelineStrip& strip = bench.strip();
        const archive_table::Timeline& bars = strip.timeline();
        const int days = bars.periodCount();
        const QDate mid(2024, 1, 15);

        // A notch in, then three at once: days around the 15th, then its hours.
        turnWheel(strip, strip.barArea(barOf(strip, mid)).center(), 120);
        QVERIFY(strip.isZoomed());
        QCOMPARE(bars.step(), archive_table::TimeStep::Day);
        QVERIFY(bars.periodCount() < days * 2 / 3);
        QVERIFY(barOf(strip, mid) >= 0);
        turnWheel(strip, strip.barArea(barOf(strip, mid)).center(), 360);
        QCOMPARE(bars.step(), archive_table::TimeStep::Hour);
        QVERIFY(barOf(strip, mid) >= 0);
        // Back a step at a time, half a notch (a touchpad's) waiting for its
        // other half.
        turnWheel(strip, strip.barArea(0).center(), -60);
        QCOMPARE(bars.step(), archive_table::TimeStep::Hour);
        turnWheel(strip, strip.barArea(0).center(), -60);
        QCOMPARE(bars.step(), archive_table::TimeStep::Day);
        turnWheel(strip, strip.barArea(0).center(), -360);
        QVERIFY(!strip.isZoomed());
        QCOMPARE(bars.periodCount(), days);
        turnWheel(strip, strip.barArea(0).center(), -120);
        QCOMPARE(bars.periodCount(), days);

        // A drag with Ctrl zooms to the days dragged across, the filter untouched.
        const int from = barOf(strip, QDate(2024, 1, 14));
        QTest::mousePress(&strip, Qt::LeftButton, Qt::ControlModifier, strip.barArea(from).center());
        dragOver(strip, strip.barArea(from + 1).center());
        QTest::mouseRelease(&strip, Qt::LeftButton, Qt::ControlModifier, strip.barArea(from + 1).center());
        QCOMPARE(bars.step(), archive_table::TimeStep::Hour);
        QCOMPARE(bars.periodCount(), 48);
        QCOMPARE(bars.firstDay(0), QDate(2024, 1, 14));
        QCOMPARE(bench.table().shownRowCount(), bench.table().eventCount());

        // Rows that still reach over its hours keep the zoom; a bar chosen
        // shows its own.
        bench.window->findChild<QAction*>("find")->trigger();
        bench.window->findChild<QCheckBox*>("emergencyOnly")->setChecked(true);
        QVERIFY(bench.table().shownRowCount() < bench.table().eventCount());
        QVERIFY(strip.isZoomed());
        QCOMPARE(bars.firstDay(0), QDate(2024, 1, 14));
        // The note counts the rows shown: the event of 2011 is no emergency.
        QVERIFY(strip.outsideNote().isEmpty());

        // A double click goes back to the whole month, the dates cleared.
        QTest::mouseDClick(&strip, Qt::LeftButton, {}, strip.barArea(10).center());
        QVERIFY(!strip.isZoomed());
        QCOMPARE(bars.step(), archive_table::TimeStep::Day);
        QCOMPARE(bench.date("dateFrom").text(), QStringLiteral("—"));
    }

    void theOverviewCountsAndChoosesDevices()
    {
        Bench bench;
        bench.read();
        const std::vector<archive_table::RowTexts> all = tableRows(bench.table());
        QTreeWidget& tree = bench.tree();
        QVERIFY(tree.isVisible());
        QCOMPARE(bench.window->findChild<DeviceOverview*>("deviceOverview")->windowTitle(), QStringLiteral("Приборы"));

        // Counted by the test from the cells.
        QCOMPARE(tree.topLevelItem(0)->text(0), QStringLiteral("Без адреса"));
        compareCounts(tree.topLevelItem(0), countRows(all, [](const archive_table::RowTexts& row) {
            return row[archive_table::addressColumn].isEmpty();
        }));
        QTreeWidgetItem* store = line(tree, QStringLiteral("2: "));
        compareCounts(store, countRows(all, [](const archive_table::RowTexts& row) {
            return row[archive_table::sectionColumn] == QLatin1String("2");
        }));
        QTreeWidgetItem* gate = line(tree, QStringLiteral("2: "), QStringLiteral("5: "));
        const Count gateCount = countRows(all, at("2", "5"));
        QVERIFY(gateCount.events > 0 && gateCount.emergencies > 0);
        compareCounts(gate, gateCount);
        // The devices on the central panel itself.
        compareCounts(line(tree, QStringLiteral("Пульт"), QStringLiteral("40: ")), countRows(all, at("", "40")));

        // A device: its rows only, named in the filter bar.
        bench.clickItem(gate);
        QCOMPARE(int(bench.shownRows().size()), gateCount.events);
        for (const archive_table::RowTexts& row : bench.shownRows())
            QVERIFY(at("2", "5")(row));
        QVERIFY(bench.placeField().startsWith(QStringLiteral("прибор 2.5 «")));
        compareCounts(gate, gateCount);
        // Devices that only other rows named stay, with nothing shown.
        compareCounts(line(tree, QStringLiteral("Пульт"), QStringLiteral("40: ")), {0, 0});
        QCOMPARE(tree.selectedItems(), QList<QTreeWidgetItem*>{gate});

        // A section: every row of it, its devices' and its own.
        bench.clickItem(line(tree, QStringLiteral("1: ")));
        const Count main = countRows(all, [](const archive_table::RowTexts& row) {
            return row[archive_table::sectionColumn] == QLatin1String("1");
        });
        QCOMPARE(int(bench.shownRows().size()), main.events);
        QVERIFY(bench.placeField().startsWith(QStringLiteral("секция 1 «")));

        // The field's own button, then the bar's reset, show every row again.
        bench.window->findChild<QToolButton*>("clearPlace")->click();
        QCOMPARE(bench.shownRows().size(), all.size());
        QVERIFY(bench.placeField().isEmpty());
        QVERIFY(tree.selectedItems().isEmpty());
        bench.clickItem(line(tree, QStringLiteral("Без адреса")));
        QCOMPARE(int(bench.shownRows().size()), countRows(all, [](const archive_table::RowTexts& row) {
                     return row[archive_table::addressColumn].isEmpty();
                 }).events);
        bench.window->findChild<QToolButton*>("clearFilter")->click();
        QCOMPARE(bench.shownRows().size(), all.size());
        QVERIFY(bench.placeField().isEmpty());

        // Sorted by the count, most first, the rows without an address
        // still on top.
        const QHeaderView* header = tree.header();
        const QPoint eventsHeader(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, eventsHeader);
        if (header->sortIndicatorOrder() != Qt::DescendingOrder)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, eventsHeader);
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(tree.topLevelItem(0)->text(0), QStringLiteral("Без адреса"));
        QVERIFY(tree.topLevelItemCount() > 3);
        for (int i = 2; i < tree.topLevelItemCount(); ++i)
            QVERIFY(tree.topLevelItem(i - 1)->text(1).toInt() >= tree.topLevelItem(i)->text(1).toInt());
    }

    void bothHideFromTheViewMenuAndStaySo()
    {
        const auto shownAsChecked = [](Bench& bench, bool shown) {
            QCOMPARE(bench.strip().isVisible(), shown);
            QCOMPARE(bench.tree().isVisible(), shown);
            QCOMPARE(bench.window->findChild<QAction*>("showTimeline")->isChecked(), shown);
            QCOMPARE(bench.window->findChild<QAction*>("showDeviceOverview")->isChecked(), shown);
        };
        for (const bool shown : {false, true}) {
            // Shown at first; then as the run before left them.
            Bench bench;
            QVERIFY(QTest::qWaitForWindowActive(bench.window.get()));
            shownAsChecked(bench, !shown);
            bench.chooseInViewMenu("showTimeline");
            bench.chooseInViewMenu("showDeviceOverview");
            shownAsChecked(bench, shown);
            bench.window->close();
        }
        {
            Bench bench;
            shownAsChecked(bench, true);
            QCOMPARE(shownText(bench.window->findChild<QAction*>("showDeviceOverview")->text()), QStringLiteral("Приборы"));
            QCOMPARE(shownText(bench.window->findChild<QAction*>("showTimeline")->text()), QStringLiteral("Шкала времени"));
            // The dock's place as well.
            auto* overview = bench.window->findChild<DeviceOverview*>("deviceOverview");
            QCOMPARE(bench.window->dockWidgetArea(overview), Qt::RightDockWidgetArea);
            bench.window->addDockWidget(Qt::LeftDockWidgetArea, overview);
            bench.window->close();
        }
        Bench bench;
        QCOMPARE(bench.window->dockWidgetArea(bench.window->findChild<DeviceOverview*>("deviceOverview")),
                 Qt::LeftDockWidgetArea);
    }

    void detailsOfTheDemoPanel()
    {
        Bench bench;
        auto* details = bench.window->findChild<QAction*>("panelDetails");
        QCOMPARE(shownText(details->text()), QStringLiteral("Сведения о приборе…"));
        QVERIFY(!details->isEnabled());
        bench.read();
        QVERIFY(details->isEnabled());
        QStringList lines;
        QString title;
        bench.window->answerDialog = [&](QDialog& dialog) {
            title = dialog.windowTitle();
            lines = detailLines(dialog);
            return int(QDialog::Rejected);
        };
        details->trigger();
        QCOMPARE(title, QStringLiteral("Сведения о приборе"));
        QCOMPARE(lines.size(), 19);
        QCOMPARE(lines.mid(0, 16), (QStringList{
                                       QStringLiteral("Тип прибора: Q-QRV"),
                                       QStringLiteral("Версия ПО: 2.1.5"),
                                       QStringLiteral("Дата ПО: 05.03.2024"),
                                       QStringLiteral("Ревизия настроек: 1"),
                                       QStringLiteral("Яркость подсветки: 2 из 3"),
                                       QStringLiteral("Время подсветки: 30"),
                                       QStringLiteral("Время показа сообщения: 10"),
                                       QStringLiteral("Время выхода из меню: 60"),
                                       QStringLiteral("Синхронизация часов: ежедневно в 03:00"),
                                       QStringLiteral("Пульт: центральный, с секционными пультами"),
                                       QStringLiteral("Адрес пульта: 1"),
                                       QStringLiteral("Секций: 4"),
                                       QStringLiteral("Приборов: 7"),
                                       // Section 5's device has an empty name record.
                                       QStringLiteral("Приборов с именами: 6"),
                                       QStringLiteral("Команд меню: 4"),
                                       // Tables 0, 1 and 2; the spare table is kept though unused.
                                       QStringLiteral("Таблиц событий используется: 3 из 4"),
                                   }));
        QVERIFY(QRegularExpression(QStringLiteral("^Чтение: \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d UTC([+-]\\d+(:\\d\\d)?)?$"))
                    .match(lines[16]).hasMatch());
        QCOMPARE(lines.mid(17), (QStringList{QStringLiteral("Порт: COM3"),
                                            QStringLiteral("Скорость: 345600 бод (повышенная скорость)")}));
    }

    // A panel without sections, opened from its dump: its details, and a
    // zone in the overview, which keeps the rows of the zone's devices.
    void aBuiltPanelWithZonesFromItsDump()
    {
        QTemporaryDir dir;
        const QString dumpFile = dir.filePath(QStringLiteral("pumps.qrvdump"));
        {
            Bench bench(panel_sim::demoZonePanel(), false);
            bench.read();
            bench.window->saveDumpName = dumpFile;
            bench.window->findChild<QAction*>("saveDump")->trigger();
            QCOMPARE(bench.window->criticals, QStringList());
        }
        Bench bench(panel_sim::demoZonePanel());
        auto* details = bench.window->findChild<QAction*>("panelDetails");
        QVERIFY(bench.window->openDumpFile(dumpFile));
        QVERIFY(details->isEnabled());
        QStringList lines;
        bench.window->answerDialog = [&](QDialog& dialog) {
            lines = detailLines(dialog);
            return int(QDialog::Rejected);
        };
        details->trigger();
        QCOMPARE(lines.size(), 20);
        lines.removeAt(17); // the time of the read, as the demo panel's
        QCOMPARE(lines, (QStringList{
                            QStringLiteral("Тип прибора: Q-QRV"),
                            QStringLiteral("Версия ПО: 2.4.0"),
                            QStringLiteral("Дата ПО: 21.11.2023"),
                            QStringLiteral("Ревизия настроек: 7"),
                            QStringLiteral("Яркость подсветки: 0 из 3"),
                            QStringLiteral("Время подсветки: 15"),
                            QStringLiteral("Время показа сообщения: 20"),
                            QStringLiteral("Время выхода из меню: 45"),
                            QStringLiteral("Синхронизация часов: не задана"),
                            QStringLiteral("Пульт: без секций"),
                            QStringLiteral("Адрес пульта: 7"),
                            QStringLiteral("Секций: 0"),
                            QStringLiteral("Приборов: 3"),
                            QStringLiteral("Приборов с именами: 2"),
                            QStringLiteral("Команд меню: 1"),
                            QStringLiteral("Таблиц событий используется: 2 из 2"),
                            QStringLiteral("Дамп памяти: pumps.qrvdump"),
                            QStringLiteral("Порт: COM3"),
                            QStringLiteral("Скорость: 19200 бод"),
                        }));

        QTreeWidget& tree = bench.tree();
        QVERIFY(line(tree, QStringLiteral("Зона 1"), QStringLiteral("3: ")));
        QTreeWidgetItem* zone = line(tree, QStringLiteral("Зона 2"));
        QCOMPARE(zone->childCount(), 2);
        const auto inZone2 = [](const archive_table::RowTexts& row) {
            return row[archive_table::addressColumn] == QLatin1String("4")
                || row[archive_table::addressColumn] == QLatin1String("9");
        };
        const Count zoneCount = countRows(tableRows(bench.table()), inZone2);
        QVERIFY(zoneCount.events > 0 && zoneCount.emergencies > 0);
        compareCounts(zone, zoneCount);
        bench.clickItem(zone);
        QCOMPARE(int(bench.shownRows().size()), zoneCount.events);
        for (const archive_table::RowTexts& row : bench.shownRows())
            QVERIFY(inZone2(row));
        QCOMPARE(bench.placeField(), QStringLiteral("зона 2"));
    }
};

QTEST_MAIN(ArchiveGlanceTest)
#include "ArchiveGlanceTest.moc"
