#include "ViewerTestSupport.h"

#include <ConnectDialog.h>
#include <archive_table/EventRows.h>
#include <EventsView.h>
#include <ProgressDialog.h>

#include <config_quorvel/ConfigQuorvel.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QtTest>

#include <algorithm>
#include <functional>

// Prepares the panel of a failing read.
using PanelSetup = std::function<void(panel_sim::SimulatedPanel&, panel_sim::PanelDescription&)>;
Q_DECLARE_METATYPE(PanelSetup)

using panel_sim::Fault;
using panel_sim::FaultRule;
using rs485::testing::FakeSerialPlatform;

namespace {

const char* const portName = "COM3";

std::vector<archive_table::RowTexts> eventRowsOf(const panel_sim::PanelMemory& memory)
{
    config_quorvel::Configuration configuration;
    std::vector<archive_table::RowTexts> rows;
    for (const config_quorvel::Event& event : readPanel(memory, configuration))
        rows.push_back(archive_table::eventRowTexts(event));
    return rows;
}

template <typename T>
std::vector<T> sorted(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

} // namespace

class ReadArchiveTest : public QObject {
    Q_OBJECT

private:
    // A converter on COM3 with the demo panel behind it.
    struct Bench {
        FakeSerialPlatform line;
        panel_sim::PanelDescription description = panel_sim::demoPanel();
        std::unique_ptr<panel_sim::SimulatedPanel> panel;
        std::unique_ptr<TestMainWindow> window;
        bool turbo = true;
        QString port = QString::fromLatin1(portName);
        int progressWindowsSeen = 0;
        int connectDialogsSeen = 0;
        std::vector<float> progress;

        Bench()
        {
            line.existingPorts = {portName};
            line.serialPorts = {"COM1", portName};
            line.converterPorts = {portName};
            panel = std::make_unique<panel_sim::SimulatedPanel>(line, panel_sim::buildPanel(description));
            window = std::make_unique<TestMainWindow>(line);
            window->answerDialog = [this](QDialog& dialog) {
                dialog.findChild<QCheckBox*>("turbo")->setChecked(turbo);
                auto* box = dialog.findChild<QComboBox*>("portName");
                box->setCurrentIndex(box->findText(port));
                return int(QDialog::Accepted);
            };
            window->progressSpy = [this](float value) {
                progress.push_back(value);
                auto* dialog = window->findChild<ProgressDialog*>();
                // Over the window, whose own parts wait for the read.
                if (dialog && dialog->isVisible() && dialog->parentWidget() == window.get()
                    && !window->menuBar()->isEnabled() && !window->findChild<EventsView*>()->isEnabled())
                    ++progressWindowsSeen;
                // The dialog lives as long as the read action, hidden once answered.
                auto* connect = window->findChild<ConnectDialog*>();
                if (connect && !connect->isVisible())
                    ++connectDialogsSeen;
            };
            window->show();
        }
        ~Bench()
        {
            window.reset();
            panel.reset();
        }

        void rebuild() { panel->loader().setMemory(panel_sim::buildPanel(description)); }
        EventsView& table() { return *window->findChild<EventsView*>("eventsView"); }
        bool saveEnabled() { return enabled("saveToFile"); }
        bool enabled(const char* action) { return window->findChild<QAction*>(action)->isEnabled(); }
        QString status() { return window->findChild<QLabel*>("readStatus")->text(); }
        void read() { window->onLoadFromDevice(); }
    };

    static void checkCleanEnd(Bench& bench)
    {
        QVERIFY(!bench.line.isOpen());
        QVERIFY(!bench.window->findChild<ProgressDialog*>());
        QVERIFY(!bench.window->findChild<ConnectDialog*>());
    }

private slots:
    void goodReadShowsTheArchiveNewestFirst()
    {
        Bench bench;
        bench.read();
        QCOMPARE(bench.window->criticals, QStringList());
        checkCleanEnd(bench);

        const std::vector<archive_table::RowTexts> shown = tableRows(bench.table());
        const std::vector<archive_table::RowTexts> events = eventRowsOf(bench.panel->memory());
        const auto valid = std::count_if(bench.description.records.begin(), bench.description.records.end(),
                                         [](const panel_sim::ArchiveRecord& r) { return r.validCheck; });
        QVERIFY(valid > 100);
        QCOMPARE(int(shown.size()), int(valid));
        QCOMPARE(rowsAsText(sorted(shown)), rowsAsText(sorted(events)));
        for (std::size_t row = 1; row < shown.size(); ++row)
            QVERIFY2(!archive_table::displayTextLess(shown[row - 1][1], shown[row][1]),
                     qPrintable(shown[row][1]));

        QCOMPARE(bench.status(), QStringLiteral("Данные успешно загружены из памяти прибора"));
        QVERIFY(bench.saveEnabled());
    }

    void progressWindowFollowsTheRead()
    {
        Bench bench;
        bench.read();
        QCOMPARE(bench.progress.size(), std::size_t(449));
        QVERIFY(std::is_sorted(bench.progress.begin(), bench.progress.end()));
        QCOMPARE(bench.progress.back(), 1.0f);
        QCOMPARE(bench.progressWindowsSeen, 449);
        QCOMPARE(bench.connectDialogsSeen, 449);
        checkCleanEnd(bench);
    }

    void higherSpeedIsTheUsersChoice()
    {
        Bench bench;
        bench.read();
        QCOMPARE(bench.panel->loader().speedDivisors(), (std::vector<int>{1, 35}));

        Bench slow;
        slow.turbo = false;
        slow.read();
        QVERIFY(slow.panel->loader().speedDivisors().empty());
        QCOMPARE(slow.window->criticals, QStringList());
    }

    void emptyArchiveEmptiesTheTable()
    {
        Bench bench;
        bench.read();
        QVERIFY(bench.table().eventCount() > 0);
        bench.window->findChild<QAction*>("saveToFile")->setEnabled(false);

        bench.description.records.clear();
        bench.rebuild();
        bench.read();
        QCOMPARE(bench.window->criticals, QStringList());
        QCOMPARE(bench.table().eventCount(), 0);
        QCOMPARE(bench.status(), QStringLiteral("Данные успешно загружены из памяти прибора"));
        QVERIFY(bench.saveEnabled());
        checkCleanEnd(bench);
    }

    void failedReadKeepsTheTable_data()
    {
        using Setup = PanelSetup;
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("message");
        const auto fault = [](Fault f, panel_sim::CommandKind kind) {
            return Setup([=](panel_sim::SimulatedPanel& panel, panel_sim::PanelDescription&) {
                panel.addFault(FaultRule{f, kind, 1, -1});
            });
        };
        using panel_sim::CommandKind;
        QTest::newRow("converter fails") << fault(Fault::failWrite(), CommandKind::ReadPage)
                                         << QStringLiteral("Нет связи с преобразователем USB-RS485.");
        QTest::newRow("panel silent") << fault(Fault::silent(), CommandKind::ReadPage)
                                      << QStringLiteral("Нет связи с прибором. Проверьте подключение.");
        QTest::newRow("bad answers") << fault(Fault::flipBit(), CommandKind::ReadPage)
                                     << QStringLiteral("Плохая связь с прибором. Проверьте подключение.");
        QTest::newRow("old loader") << Setup([](panel_sim::SimulatedPanel& panel, panel_sim::PanelDescription&) {
            panel.loader().setLoaderVersion(0x11);
        }) << QStringLiteral("Подключённый прибор не совместим с данной версией программы.");
        QTest::newRow("other panel type") << Setup([](panel_sim::SimulatedPanel& panel, panel_sim::PanelDescription&) {
            panel.loader().setDeviceType("Q-QRV2");
        }) << QStringLiteral("Подключённый прибор не может быть настроен данной программой.");
        QTest::newRow("loader internal error") << fault(Fault::answerStatus(0xA3), CommandKind::ReadPage)
                                               << QStringLiteral("Внутренняя ошибка загрузчика прибора.");
        QTest::newRow("other firmware") << Setup([](panel_sim::SimulatedPanel&, panel_sim::PanelDescription& d) {
            d.settings.identification = 0xB3;
        }) << QStringLiteral("Несовместимая версия ПО прибора.");
        QTest::newRow("address refused") << fault(Fault::answerStatus(0xA2), CommandKind::RangeChecksum)
                                         << QStringLiteral("Внутренняя ошибка программы-конфигуратора.");
    }

    void failedReadKeepsTheTable()
    {
        using Setup = PanelSetup;
        QFETCH(Setup, setup);
        QFETCH(QString, message);

        Bench bench;
        bench.read();
        const std::vector<archive_table::RowTexts> before = tableRows(bench.table());
        QVERIFY(!before.empty());

        setup(*bench.panel, bench.description);
        bench.rebuild();
        bench.read();
        QCOMPARE(bench.window->criticals, QStringList{message});
        QCOMPARE(rowsAsText(tableRows(bench.table())), rowsAsText(before));
        // The earlier read is still shown, named so, and what it allows stays.
        QVERIFY2(bench.status().startsWith(QStringLiteral("Чтение не удалось: ") + message.chopped(1)
                                           + QStringLiteral(". Показаны прежние данные: чтение ")),
                 qPrintable(bench.status()));
        for (const char* action : {"saveToFile", "exportToCsv", "print", "saveReport", "saveDump", "panelDetails",
                                   "loadFromDevice"})
            QVERIFY2(bench.enabled(action), action);
        checkCleanEnd(bench);
    }

    void failedFirstReadLeavesNothingToSave()
    {
        Bench bench;
        bench.panel->addFault(FaultRule{Fault::silent(), panel_sim::CommandKind::ReadPage, 1, -1});
        bench.read();
        QCOMPARE(bench.status(), QStringLiteral("Чтение не удалось: Нет связи с прибором. Проверьте подключение."));
        for (const char* action : {"saveToFile", "exportToCsv", "print", "saveDump", "panelDetails"})
            QVERIFY2(!bench.enabled(action), action);
        QVERIFY(bench.enabled("loadFromDevice"));
        checkCleanEnd(bench);
    }

    void readCanBeStopped_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Отмена") << QStringLiteral("button");
        QTest::newRow("Escape") << QStringLiteral("escape");
        QTest::newRow("window closed") << QStringLiteral("close");
    }

    void readCanBeStopped()
    {
        QFETCH(QString, how);
        Bench bench;
        bench.read();
        const std::vector<archive_table::RowTexts> before = tableRows(bench.table());
        int sitesAsked = 0;
        bench.window->answerSiteDialog = [&](SiteDialog&) {
            ++sitesAsked;
            return int(QDialog::Rejected);
        };
        QStringList questions;
        bench.window->answerYesNo = [&](const QString& question) {
            questions << question;
            return true;
        };
        std::size_t commandsAtStop = 0;
        bool onlyQuitDuringRead = false;
        bench.window->progressSpy = [&](float value) {
            if (value < 0.3f || commandsAtStop)
                return;
            commandsAtStop = bench.panel->loader().commandCount();
            onlyQuitDuringRead = bench.enabled("quit") && !bench.enabled("loadFromDevice")
                                 && !bench.enabled("openDump") && !bench.enabled("saveToFile");
            auto* dialog = bench.window->findChild<ProgressDialog*>();
            if (how == QLatin1String("button")) {
                QPushButton* cancel = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
                QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
                QTest::mouseClick(cancel, Qt::LeftButton);
            } else if (how == QLatin1String("escape")) {
                QApplication::setActiveWindow(dialog);
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                bench.window->close();
            }
        };
        bench.read();

        QVERIFY(commandsAtStop > 0);
        QVERIFY(onlyQuitDuringRead);
        // The loader's speed set back, and not one page more.
        QVERIFY(bench.panel->loader().commandCount() <= commandsAtStop + 1);
        QCOMPARE(bench.window->criticals, QStringList());
        QCOMPARE(sitesAsked, 0);
        QCOMPARE(rowsAsText(tableRows(bench.table())), rowsAsText(before));
        QVERIFY2(bench.status().startsWith(QStringLiteral("Чтение прервано. Показаны прежние данные: чтение ")),
                 qPrintable(bench.status()));
        checkCleanEnd(bench);
        if (how == QLatin1String("close")) {
            QCOMPARE(questions.size(), 1);
            QTRY_VERIFY(!bench.window->isVisible());
        } else {
            QVERIFY(questions.isEmpty());
            QVERIFY(bench.window->isVisible());
            QVERIFY(bench.saveEnabled());
        }
    }

    void unopenablePortChangesNothing()
    {
        Bench bench;
        bench.line.serialPorts = {"COM7", portName};
        bench.port = QStringLiteral("COM7");
        bench.read();
        QCOMPARE(bench.window->criticals, QStringList{QStringLiteral("Ошибка при открытии порта COM7")});
        // One that another program holds is named as taken.
        bench.line.existingPorts.insert("COM7");
        bench.line.busyPorts = {"COM7"};
        bench.read();
        QCOMPARE(bench.window->criticals.value(1),
                 QStringLiteral("Ошибка при открытии порта COM7: порт занят другой программой"));
        QVERIFY(bench.progress.empty());
        QCOMPARE(bench.progressWindowsSeen, 0);
        QCOMPARE(bench.table().eventCount(), 0);
        QVERIFY(bench.status().isEmpty());
        QVERIFY(!bench.saveEnabled());
        QVERIFY(bench.panel->log().empty());
        checkCleanEnd(bench);
    }

    void cancelledDialogChangesNothing()
    {
        Bench bench;
        int dialogs = 0;
        bench.window->answerDialog = [&](QDialog&) {
            ++dialogs;
            return int(QDialog::Rejected);
        };
        bench.read();
        QCOMPARE(dialogs, 1);
        QVERIFY(bench.window->criticals.isEmpty());
        QCOMPARE(bench.line.openCount(), 0);
        QVERIFY(bench.status().isEmpty());
    }
};

QTEST_MAIN(ReadArchiveTest)
#include "ReadArchiveTest.moc"
