// The overview of all sites: due at the end of the service interval, sorted
// by value, found by name, saved as the reader writes it, fitted to a
// laptop's screen, and the question before joining two sites.

#include <HistoryCommands.h>
#include <HistoryTestSupport.h>
#include <SiteOverviewModel.h>
#include <SitesDialog.h>

#include <ArchiveOptions.h>

#include <site_history/SiteHistory.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableView>
#include <QThread>
#include <QtTest>

namespace {

qint64 localTime(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(10, 0)).toMSecsSinceEpoch();
}

} // namespace

class SitesOverviewTest : public QObject {
    Q_OBJECT

private:
    // Three sites of 9, 100 and 10 events, last read on 29.02, 01.03 and
    // 15.03.2024.
    struct Store {
        QTemporaryDir dir;
        site_history::SiteHistory history{dir.filePath(QStringLiteral("h.sqlite"))};
        QStringList criticals;
        UserPrompts prompts;

        Store()
        {
            history.record(QStringLiteral("Гараж"), readDump(ringPanel(9), localTime(2024, 2, 29)));
            history.record(QStringLiteral("Склад №1"), readDump(ringPanel(100), localTime(2024, 3, 1)));
            history.record(QStringLiteral("Склад 2"), readDump(ringPanel(10), localTime(2024, 3, 15)));
            prompts.showCritical = [this](const QString& text) { criticals << text; };
        }
    };

    static QTableView& view(SitesDialog& dialog) { return *dialog.findChild<QTableView*>(QStringLiteral("sites")); }
    static QStringList column(SitesDialog& dialog, int column)
    {
        QStringList texts;
        const QAbstractItemModel& shown = *view(dialog).model();
        for (int row = 0; row < shown.rowCount(); ++row)
            texts << shown.index(row, column).data().toString();
        return texts;
    }

private slots:
    void aSiteIsDueAfterItsIntervalAndSortsByValue()
    {
        Store store;
        SitesDialog dialog(store.history, store.prompts);
        dialog.setToday(QDate(2024, 4, 1));
        QCOMPARE(column(dialog, SiteOverviewModel::NameColumn), (QStringList{"Гараж", "Склад 2", "Склад №1"}));
        // 32 days since 29.02 is past the 31 days; 31 since 01.03 is not.
        QCOMPARE(column(dialog, SiteOverviewModel::DaysSinceColumn), (QStringList{"32", "17", "31"}));
        QCOMPARE(column(dialog, SiteOverviewModel::DueColumn), (QStringList{"да", "", ""}));
        const QAbstractItemModel& shown = *view(dialog).model();
        QVERIFY(shown.index(0, SiteOverviewModel::ReadsColumn).data(Qt::BackgroundRole).isValid());
        QVERIFY(!shown.index(2, SiteOverviewModel::ReadsColumn).data(Qt::BackgroundRole).isValid());

        // A site's own interval: 32 days are within 40.
        dialog.selectSite(QStringLiteral("Гараж"));
        dialog.findChild<QSpinBox*>(QStringLiteral("serviceDays"))->setValue(40);
        dialog.findChild<QPushButton*>(QStringLiteral("setServiceDays"))->click();
        QCOMPARE(store.history.overview().front().serviceDays, 40);
        QCOMPARE(column(dialog, SiteOverviewModel::DueColumn), (QStringList{"", "", ""}));
        QCOMPARE(column(dialog, SiteOverviewModel::ServiceDaysColumn), (QStringList{"40", "31", "31"}));

        // Counts as numbers, read times as times (their texts would put
        // 01.03 before 29.02).
        view(dialog).sortByColumn(SiteOverviewModel::EventsColumn, Qt::AscendingOrder);
        QCOMPARE(column(dialog, SiteOverviewModel::EventsColumn), (QStringList{"9", "10", "100"}));
        view(dialog).sortByColumn(SiteOverviewModel::LastReadColumn, Qt::AscendingOrder);
        QCOMPARE(column(dialog, SiteOverviewModel::NameColumn), (QStringList{"Гараж", "Склад №1", "Склад 2"}));
        QVERIFY(store.criticals.isEmpty());
    }

    // The CSV is the reader's --overview --format csv, byte for byte, of
    // the rows the search leaves.
    void searchLeavesTheMatchingSitesAndTheCsvIsTheReaders()
    {
        Store store;
        QTemporaryDir dir;
        const QString readers = dir.filePath(QStringLiteral("reader.csv"));
        const QString location = store.history.location();
        QCOMPARE(quorvel_archive::writeOverview(quorvel_archive::parseArchiveOptions({"--history", location.toStdString(), "--overview", "--format",
                                                    "csv", "--output", readers.toStdString()})),
                 0);
        QFile reader(readers);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = reader.readAll().split('\n');
        QCOMPARE(lines.size(), 5);

        const QString saved = dir.filePath(QStringLiteral("dialog.csv"));
        store.prompts.askSaveName = [&saved](SavedFile, const QString&) { return saved; };
        SitesDialog dialog(store.history, store.prompts);
        auto save = [&] {
            dialog.findChild<QPushButton*>(QStringLiteral("exportCsv"))->click();
            QFile file(saved);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QCOMPARE(save(), lines.join('\n'));

        // Any case, spaces around ignored.
        dialog.findChild<QLineEdit*>(QStringLiteral("siteFilter"))->setText(QStringLiteral(" склад "));
        QCOMPARE(column(dialog, SiteOverviewModel::NameColumn), (QStringList{"Склад 2", "Склад №1"}));
        QCOMPARE(save(), lines[0] + '\n' + lines[2] + '\n' + lines[3] + '\n');
        QVERIFY(store.criticals.isEmpty());

        // A double click opens the site's history.
        emit view(dialog).doubleClicked(view(dialog).model()->index(1, SiteOverviewModel::EventsColumn));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.siteToOpen(), QStringLiteral("Склад №1"));
    }

    // On 1024×600 a 186-character name is cut short, whole in its tool tip,
    // and the counts stay in sight.
    void itFitsALaptopsScreenWithALongName()
    {
        Store store;
        const QString name = QStringLiteral("Склад готовой продукции №1, ").repeated(7).left(186);
        store.history.record(name, readDump(ringPanel(20), localTime(2024, 3, 20)));
        SitesDialog dialog(store.history, store.prompts);
        QVERIFY(dialog.width() <= dialog.screen()->availableGeometry().width());
        QVERIFY(dialog.height() <= dialog.screen()->availableGeometry().height());
        dialog.show();
        dialog.resize(1024, 600);
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.width(), 1024);

        QTableView& table = view(dialog);
        const QHeaderView& header = *table.horizontalHeader();
        const int viewport = table.viewport()->width();
        const int nameWidth = header.sectionSize(SiteOverviewModel::NameColumn);
        QVERIFY(nameWidth >= viewport / 4 && nameWidth < table.fontMetrics().horizontalAdvance(name));
        const QModelIndexList cut = table.model()->match(table.model()->index(0, SiteOverviewModel::NameColumn),
                                                         Qt::ToolTipRole, name, -1, Qt::MatchExactly);
        QCOMPARE(cut.size(), 1);
        // The counts and what a visit is planned by in sight, whole.
        for (int column = SiteOverviewModel::ReadsColumn; column <= SiteOverviewModel::DueColumn; ++column)
            QVERIFY2(header.sectionViewportPosition(column) + header.sectionSize(column) <= viewport,
                     qPrintable(QString::number(column)));
        const int time = table.fontMetrics().horizontalAdvance(QStringLiteral("29.02.2024 10:00:00"));
        QVERIFY(header.sectionSize(SiteOverviewModel::LastReadColumn) > time);

        // Opened at its own size, a short name is whole and the table starts
        // at its left edge.
        store.history.record(QStringLiteral("Гараж"), readDump(ringPanel(30), localTime(2024, 3, 21)));
        SitesDialog opened(store.history, store.prompts);
        opened.selectSite(QStringLiteral("Гараж"));
        opened.show();
        QVERIFY(QTest::qWaitForWindowExposed(&opened));
        QTableView& shown = view(opened);
        QVERIFY(shown.horizontalHeader()->sectionSize(SiteOverviewModel::NameColumn) >= shown.viewport()->width() / 4);
        QCOMPARE(shown.horizontalScrollBar()->value(), 0);
    }

    // The question names both sites with their counts; the join runs off
    // the window's thread, and only after a yes.
    void joiningTwoSitesAsksWithTheCountsOfBoth()
    {
        Store store;
        QStringList offered, questions, joined;
        bool answer = false;
        store.prompts.askChoice = [&](const QString&, const QStringList& items) {
            offered = items;
            return int(items.indexOf(QStringLiteral("Склад №1")));
        };
        store.prompts.askYesNo = [&](const QString& question) {
            questions << question;
            return answer;
        };
        SitesDialog dialog(store.history, store.prompts);
        auto* merge = dialog.findChild<QPushButton*>(QStringLiteral("mergeSites"));
        QVERIFY(merge->isHidden());
        dialog.setMergeSites([&](site_history::SiteHistory& aside, const QString& from, const QString& into) {
            joined << from + QStringLiteral(" → ") + into;
            if (QThread::currentThread() == qApp->thread())
                joined << QStringLiteral("on the window's thread");
            aside.deleteSite(from);
        });
        QVERIFY(!merge->isHidden());
        dialog.selectSite(QStringLiteral("Склад 2"));
        merge->click();
        answer = true;
        merge->click();
        QCOMPARE(offered, (QStringList{"Гараж", "Склад №1"}));
        const QString question = QStringLiteral(
            "Объединить объект «Склад 2» (чтений: 1, событий: 10) с объектом «Склад №1» (чтений: 1, событий: 100)? "
            "История объекта «Склад 2» войдёт в историю объекта «Склад №1», а объект «Склад 2» будет удалён.");
        QCOMPARE(questions, (QStringList{question, question}));
        QCOMPARE(joined, QStringList{QStringLiteral("Склад 2 → Склад №1")});
        QCOMPARE(column(dialog, SiteOverviewModel::NameColumn), (QStringList{"Гараж", "Склад №1"}));
        QCOMPARE(dialog.selectedSite(), QStringLiteral("Склад №1"));
    }
};

QTEST_MAIN(SitesOverviewTest)
#include "SitesOverviewTest.moc"
