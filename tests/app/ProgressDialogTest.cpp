#include <ProgressDialog.h>

#include <QCloseEvent>
#include <QProgressBar>
#include <QtTest>

class ProgressDialogTest : public QObject {
    Q_OBJECT

private slots:
    void barShowsTruncatedPercentages_data()
    {
        QTest::addColumn<float>("fraction");
        QTest::addColumn<int>("percent");
        QTest::newRow("start") << 0.0f << 0;
        QTest::newRow("half") << 0.5f << 50;
        QTest::newRow("almost") << 0.996f << 99;
        QTest::newRow("one page of 449") << 1.0f / 449 << 0;
        QTest::newRow("done") << 1.0f << 100;
    }

    void barShowsTruncatedPercentages()
    {
        QFETCH(float, fraction);
        QFETCH(int, percent);
        ProgressDialog dialog(nullptr, false);
        dialog.setProgress(fraction);
        QCOMPARE(dialog.findChild<QProgressBar*>("progressBar")->value(), percent);
    }

    // A close request stays open and asks the work to stop, once.
    void closeRequestsStopTheWork()
    {
        ProgressDialog dialog(nullptr, false);
        QSignalSpy stops(&dialog, &ProgressDialog::cancelRequested);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!dialog.isCancelled());
        QVERIFY(!dialog.close());
        QCloseEvent event;
        QApplication::sendEvent(&dialog, &event);
        QVERIFY(!event.isAccepted());
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.isCancelled());
        QCOMPARE(stops.count(), 1);
    }

    void windowAsTheUserSeesIt()
    {
        QWidget parent;
        parent.setGeometry(100, 80, 800, 505);
        parent.show();
        ProgressDialog reading(&parent, false);
        QCOMPARE(reading.windowTitle(), QStringLiteral("Чтение данных из прибора"));
        QCOMPARE(ProgressDialog(&parent, true).windowTitle(), QStringLiteral("Запись конфигурации в прибор"));

        // A modal one would keep the window behind from being closed.
        QCOMPARE(reading.windowModality(), Qt::NonModal);
        QVERIFY(reading.isWindow());
        const Qt::WindowFlags flags = reading.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
        QCOMPARE(reading.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(reading.contextMenuPolicy(), Qt::NoContextMenu);
        QVERIFY(!reading.windowIcon().isNull());
        QCOMPARE(reading.findChild<QProgressBar*>("progressBar")->value(), 0);

        // Centred over the parent's frame.
        const QRect frame = parent.frameGeometry();
        QCOMPARE(reading.pos(),
                 QPoint(parent.x() + (frame.width() - reading.frameGeometry().width()) / 2,
                        parent.y() + (frame.height() - reading.frameGeometry().height()) / 2));
        QCOMPARE(reading.pos(), QPoint(100 + (800 - reading.width()) / 2, 80 + (505 - reading.height()) / 2));
        // The bar and "Отмена" below it, laid out before it is placed.
        QVERIFY(reading.height() > 52);
    }
};

QTEST_MAIN(ProgressDialogTest)
#include "ProgressDialogTest.moc"
