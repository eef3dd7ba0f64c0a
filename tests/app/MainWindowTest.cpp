#include "ViewerTestSupport.h"

#include <EventsView.h>
#include <QAboutDialog.h>
#include <QAboutForm.h>
#include <SaveNames.h>
#include <archive_table/TableSource.h>

#include <rs485/testing/FakeSerialPlatform.h>

#include <QAbstractItemView>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

namespace {

QStringList actionNames(const QList<QAction*>& actions)
{
    QStringList names;
    for (const QAction* action : actions)
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

// Runs the modal dialog that the call opens and hands it to inspect before
// closing it.
template <typename Open, typename Inspect>
void whileModal(Open open, Inspect inspect)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seen = true;
            inspect(*dialog);
            dialog->reject();
        }
    });
    open();
    QVERIFY(seen);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    rs485::testing::FakeSerialPlatform platform;

private slots:
    void windowAtStart()
    {
        TestMainWindow window(platform);
        QCOMPARE(window.windowTitle(), QStringLiteral("Утилита просмотра архива событий «Quorvel» - 1.1.6.1107"));
        QCOMPARE(window.size(), QSize(800, 505));
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
        QVERIFY(window.findChild<QLabel*>("readStatus")->text().isEmpty());

        auto* quit = window.findChild<QAction*>("quit");
        auto* about = window.findChild<QAction*>("about");
        auto* load = window.findChild<QAction*>("loadFromDevice");
        auto* save = window.findChild<QAction*>("saveToFile");
        QVERIFY(quit && about && load && save);
        QVERIFY(load->isEnabled() && about->isEnabled() && quit->isEnabled());
        QVERIFY(!save->isEnabled());

        QCOMPARE(shownText(quit->text()), QStringLiteral("Выход"));
        QCOMPARE(quit->toolTip(), QStringLiteral("Выход из программы"));
        QCOMPARE(quit->statusTip(), QStringLiteral("Выход из программы"));
        QCOMPARE(quit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(shownText(about->text()), QStringLiteral("О программе"));
        QCOMPARE(about->toolTip(), QStringLiteral("О программе"));
        QVERIFY(about->statusTip().isEmpty());
        QVERIFY(about->shortcut().isEmpty());
        QVERIFY(about->icon().isNull());
        QCOMPARE(shownText(load->text()), QStringLiteral("Прочитать данные"));
        QCOMPARE(load->toolTip(), QStringLiteral("Прочитать данные из памяти прибора"));
        QCOMPARE(load->statusTip(), QStringLiteral("Прочитать данные из памяти прибора"));
        QCOMPARE(load->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        QCOMPARE(shownText(save->text()), QStringLiteral("Сохранить в файл"));
        QCOMPARE(save->toolTip(), shownText(save->text()));
        QCOMPARE(save->statusTip(), QStringLiteral("Сохранить в файл"));
        QCOMPARE(save->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        for (const QAction* action : {quit, load, save})
            QVERIFY(!action->icon().isNull());

        auto* menuFile = window.findChild<QMenu*>("menuFile");
        auto* menuHelp = window.findChild<QMenu*>("menuHelp");
        QCOMPARE(shownText(menuFile->title()), QStringLiteral("Программа"));
        QCOMPARE(shownText(menuHelp->title()), QStringLiteral("Справка"));
        auto* menuHistory = window.findChild<QMenu*>("menuHistory");
        auto* menuView = window.findChild<QMenu*>("menuView");
        QCOMPARE(shownText(menuHistory->title()), QStringLiteral("История"));
        QCOMPARE(window.menuBar()->actions(), (QList<QAction*>{menuFile->menuAction(), menuView->menuAction(),
                                                                menuHistory->menuAction(), menuHelp->menuAction()}));
        QCOMPARE(actionNames(menuHistory->actions()),
                 (QStringList{"showSites", "showStatistics", "checkHistory", "sendPending", "-", "recordReads", "chooseHistoryFile", "chooseHistoryServer"}));
        const QStringList fileActions = {"loadFromDevice", "saveToFile", "exportToCsv", "-", "saveReport",
                                         "printPreview", "print", "-", "openDump", "saveDump", "-",
                                         "panelDetails", "-", "quit"};
        QCOMPARE(actionNames(menuFile->actions()), fileActions);
        QCOMPARE(actionNames(menuHelp->actions()), QStringList{"about"});

        auto* toolBar = window.findChild<QToolBar*>("toolBar");
        const QStringList toolActions = {"loadFromDevice", "openDump", "saveToFile", "exportToCsv", "-",
                                         "find", "print", "-", "quit"};
        QCOMPARE(actionNames(toolBar->actions()), toolActions);
        for (const QAction* action : toolBar->actions())
            QVERIFY2(action->isSeparator() || !action->icon().isNull(), qPrintable(action->objectName()));
        QCOMPARE(toolBar->windowTitle(), QStringLiteral("toolBar"));
        QCOMPARE(toolBar->iconSize(), QSize(22, 22));
        QVERIFY(!toolBar->isFloatable());
        QCOMPARE(window.toolBarArea(toolBar), Qt::TopToolBarArea);
    }

    void eventTableViewSettings()
    {
        TestMainWindow window(platform);
        auto* table = window.findChild<EventsView*>("eventsView");
        QVERIFY(table);
        QCOMPARE(window.centralWidget()->objectName(), QStringLiteral("centralwidget"));
        // The timeline, the filter bar, hidden at start, and the table below them.
        QCOMPARE(window.centralWidget()->layout()->count(), 3);
        QCOMPARE(window.centralWidget()->layout()->itemAt(0)->widget()->objectName(), QStringLiteral("timeline"));
        QCOMPARE(window.centralWidget()->layout()->itemAt(2)->widget(), table);
        QVERIFY(window.findChild<QWidget*>("filterBar")->isHidden());
        QCOMPARE(window.centralWidget()->layout()->spacing(), 0);
        QCOMPARE(window.centralWidget()->layout()->contentsMargins(), QMargins());
        QCOMPARE(table->model()->rowCount(), 0);
        QCOMPARE(table->model()->columnCount(), 7);
        QCOMPARE(table->model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString(), QStringLiteral("Экстренное"));
        QVERIFY(table->columnWidth(1) >= 120);
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(table->alternatingRowColors());
        QCOMPARE(table->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(table->isSortingEnabled());
        QVERIFY(table->horizontalHeader()->stretchLastSection());
        QVERIFY(table->verticalHeader()->isHidden());
    }

    void cellsCannotBeEdited()
    {
        TestMainWindow window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        config_quorvel::Configuration configuration;
        auto* table = window.findChild<EventsView*>("eventsView");
        table->showListedEvents(archive_table::archiveEvents(
            {RecordBuilder().date(2020, 1, 1, 0, 0, 0).address(9).eventClass(1).code(3).event(&configuration)}));
        const QModelIndex eventCell = cell(*table, 0, 5);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(eventCell).center());
        QVERIFY(!table->isPersistentEditorOpen(eventCell));
        QVERIFY(table->viewport()->findChildren<QLineEdit*>().isEmpty());
    }

    // The suffix goes by the file's name alone: a dot in a folder's name is
    // none, a name with its own suffix keeps it.
    void aSavedFileGetsItsSuffixByItsNameAlone()
    {
        QCOMPARE(withSuffix(QStringLiteral("/home/i.petrov/table-c"), QStringLiteral("txt")),
                 QStringLiteral("/home/i.petrov/table-c.txt"));
        QCOMPARE(withSuffix(QStringLiteral("/home/i.petrov/ring-read-a"), QStringLiteral("qrvdump")),
                 QStringLiteral("/home/i.petrov/ring-read-a.qrvdump"));
        QCOMPARE(withSuffix(QStringLiteral("/home/i.petrov/archive.csv"), QStringLiteral("txt")),
                 QStringLiteral("/home/i.petrov/archive.csv"));
        QCOMPARE(withSuffix(QString(), QStringLiteral("txt")), QString());

        // The name proposed: the site, else the panel's type, and the read's
        // local date; what no file system takes made "_".
        archive_table::TableSource source;
        QCOMPARE(proposedName(source), QString());
        source.kind = archive_table::TableSource::Kind::Read;
        source.readTime = QDateTime(QDate(2024, 1, 18), QTime(0, 30), Qt::LocalTime).toUTC();
        QCOMPARE(proposedName(source), archive_table::panelTypeText() + QStringLiteral(" 2024-01-18"));
        source.site = QStringLiteral("Склад №1 / ворота: \"север\" ");
        QCOMPARE(proposedName(source), QStringLiteral("Склад №1 _ ворота_ _север_  2024-01-18"));
    }

    void quitClosesTheWindow()
    {
        TestMainWindow window(platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QAction*>("quit")->trigger();
        QVERIFY(!window.isVisible());
    }

    void aboutBoxShowsTheProgramAndItsLicences()
    {
        TestMainWindow window(platform);
        whileModal([&] { window.onAbout(); }, [](QDialog& dialog) {
            QVERIFY(qobject_cast<QAboutForm*>(&dialog));
            QCOMPARE(dialog.objectName(), QStringLiteral("AboutForm"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("О программе"));
            const auto text = [&](const char* name) {
                auto* label = dialog.findChild<QLabel*>(name);
                return label && label->isVisibleTo(&dialog) ? label->text() : QStringLiteral("<hidden>");
            };
            QCOMPARE(text("lblCaption"), QStringLiteral("Утилита просмотра архива событий «Quorvel»"));
            QCOMPARE(text("lblVersion"), QStringLiteral("Версия 1.1.6.1107"));
            QCOMPARE(text("lblDesc"), QStringLiteral("Программа предназначена для просмотра архива событий пульта «Quorvel»."));
            const QString licence = text("lblLicense");
            QVERIFY(licence.startsWith(QStringLiteral("<html>")) && licence.endsWith(QStringLiteral("</html>")));
            QVERIFY(licence.contains(QStringLiteral(">Посмотреть текст лицензионного соглашения</a>")));
            QVERIFY(licence.contains(QStringLiteral("href=\"file:///")));
            QVERIFY(licence.contains(QCoreApplication::applicationDirPath() + QStringLiteral("/License.txt\"")));
            QVERIFY(!text("lblCopyright").isEmpty() && text("lblCopyright") != QStringLiteral("<hidden>"));
            QVERIFY(text("lblContacts").contains(QStringLiteral("mailto:")));
            QVERIFY(text("lblContacts").contains(QStringLiteral(".example.invalid")));
            const QString third = dialog.findChild<QLabel*>("lblThirdParties")->text();
            QVERIFY(third.startsWith(QStringLiteral("<html>Данная программа использует Qt версии ") + QString::fromUtf8(qVersion()) + "."));
            QVERIFY(third.contains(QStringLiteral("2019")));
            QVERIFY(third.contains(QStringLiteral("Указанное программное обеспечение, его распространение, модификация и использование подпадают под действие положений лицензии GNU Lesser General Public License Version 3, полный текст которой представлен в файле ")));
            QVERIFY(third.contains(QStringLiteral("/LGPL.txt\">LGPL.txt</a>, расположенном в установочной директории, а также по адресу ")));
            QVERIFY(third.endsWith(QStringLiteral("</a>.</html>")));
            QVERIFY(dialog.findChild<QGroupBox*>("grpThirdParties")->isVisibleTo(&dialog));
            QCOMPARE(dialog.findChild<QGroupBox*>("grpThirdParties")->title(), QStringLiteral("Третьи стороны"));
            QVERIFY(!dialog.findChild<QLabel*>("label")->pixmap(Qt::ReturnByValue).isNull());
        });
    }

    void aboutBoxHidesEmptyLabels()
    {
        QAboutDialog about;
        about.setCaption(std::string("Утилита просмотра архива событий «Quorvel»"));
        about.setVersion(QStringLiteral("1"));
        whileModal([&] { about.show(); }, [](QDialog& dialog) {
            for (const char* name : {"lblDesc", "lblLicense", "lblCopyright", "lblContacts"})
                QVERIFY2(!dialog.findChild<QLabel*>(name)->isVisibleTo(&dialog), name);
            QVERIFY(!dialog.findChild<QGroupBox*>("grpThirdParties")->isVisibleTo(&dialog));
            QCOMPARE(dialog.findChild<QLabel*>("lblCaption")->text(), QStringLiteral("Утилита просмотра архива событий «Quorvel»"));
            QVERIFY(dialog.findChild<QLabel*>("lblCaption")->isVisibleTo(&dialog));
        });
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
