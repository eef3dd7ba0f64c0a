#include <ConnectDialog.h>

#include <rs485/testing/FakeSerialPlatform.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QtTest>

namespace {

QStringList items(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace

class ConnectDialogTest : public QObject {
    Q_OBJECT

private:
    rs485::testing::FakeSerialPlatform platform;

    static QComboBox* portName(ConnectDialog& d) { return d.findChild<QComboBox*>("portName"); }
    static QLabel* message(ConnectDialog& d) { return d.findChild<QLabel*>("message"); }
    static QPushButton* ok(ConnectDialog& d)
    {
        return d.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
    }

private slots:
    void init()
    {
        platform.serialPorts.clear();
        platform.converterPorts.clear();
    }

    void noPortsAndNoConverter()
    {
        ConnectDialog dialog(platform);
        QCOMPARE(portName(dialog)->count(), 0);
        QVERIFY(!ok(dialog)->isEnabled());
        QCOMPARE(message(dialog)->text(), QStringLiteral("Преобразователь USB-RS485 не обнаружен."));
        QVERIFY(dialog.findChild<QCheckBox*>("turbo")->isChecked());
        QVERIFY(dialog.isTurbo());
        QCOMPARE(dialog.selectedPort(), QString());
    }

    void portsAreListedSortedWithTheConverterSelected()
    {
        platform.serialPorts = {"COM3", "COM10", "COM1"};
        platform.converterPorts = {"COM3"};
        ConnectDialog dialog(platform);
        QCOMPARE(items(portName(dialog)),
                 (QStringList{QStringLiteral("COM1"), QStringLiteral("COM10"), QStringLiteral("COM3")}));
        QCOMPARE(dialog.selectedPort(), QStringLiteral("COM3"));
        QCOMPARE(message(dialog)->text(), QStringLiteral("Преобразователь USB-RS485 подключён к порту COM3."));
        QVERIFY(ok(dialog)->isEnabled());
    }

    void firstOfTwoConvertersIsAnnounced()
    {
        platform.serialPorts = {"COM1", "COM4", "COM7"};
        platform.converterPorts = {"COM7", "COM4"};
        ConnectDialog dialog(platform);
        QCOMPARE(dialog.selectedPort(), QStringLiteral("COM4"));
        QVERIFY(message(dialog)->text().endsWith(QStringLiteral("COM4.")));
    }

    void withoutConverterTheFirstPortStaysSelected()
    {
        platform.serialPorts = {"COM2", "COM1"};
        ConnectDialog dialog(platform);
        QCOMPARE(dialog.selectedPort(), QStringLiteral("COM1"));
        QCOMPARE(message(dialog)->text(), QStringLiteral("Преобразователь USB-RS485 не обнаружен."));
    }

    void converterMissingFromTheListSelectsNothing()
    {
        platform.serialPorts = {"COM1"};
        platform.converterPorts = {"com1"}; // compared case-sensitively
        ConnectDialog dialog(platform);
        QCOMPARE(portName(dialog)->currentIndex(), -1);
        QCOMPARE(dialog.selectedPort(), QString());
        QVERIFY(!ok(dialog)->isEnabled()); // until a port is chosen or typed
        QVERIFY(message(dialog)->text().endsWith(QStringLiteral("com1.")));
    }

    // Typed into the dialog as it opens, without a click first, and Enter:
    // the field has the focus and the preselected name is replaced.
    void aTypedPortIsTheDeviceTheSystemOpens()
    {
        platform.serialPorts = {"COM1", "ttyUSB0"};
        const auto typed = [this](const QString& text) {
            ConnectDialog dialog(platform);
            dialog.show();
            if (!QTest::qWaitForWindowActive(&dialog))
                return QStringLiteral("<not active>");
            QTest::keyClicks(QApplication::focusWidget(), text);
            if (!ok(dialog)->isEnabled())
                return QStringLiteral("<OK off>");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            return dialog.result() == QDialog::Accepted ? dialog.selectedPort() : QStringLiteral("<not accepted>");
        };
#ifdef Q_OS_WIN
        QCOMPARE(typed(QStringLiteral("COM7")), QStringLiteral("COM7"));
#else
        QCOMPARE(typed(QStringLiteral("ttyS7")), QStringLiteral("/dev/ttyS7"));
#endif
        QCOMPARE(typed(QStringLiteral("/dev/pts/3")), QStringLiteral("/dev/pts/3"));
        QCOMPARE(typed(QStringLiteral("pts/3")), QStringLiteral("pts/3"));
        // A listed port keeps the name the list gives it.
        QCOMPARE(typed(QStringLiteral(" ttyUSB0 ")), QStringLiteral("ttyUSB0"));
        QCOMPARE(typed(QStringLiteral("  ")), QStringLiteral("<OK off>"));

        ConnectDialog dialog(platform);
        portName(dialog)->setEditText(QStringLiteral("/dev/pts/4"));
        QTimer::singleShot(0, ok(dialog), &QPushButton::click);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(portName(dialog)->count(), 2); // typing adds nothing to the list
    }

    // What the window stores of a dialog comes back in the next one, unless
    // a converter is found.
    void aRememberedPortComesBack()
    {
        platform.serialPorts = {"COM1", "COM2"};
        const auto reopened = [this](const QString& remembered) {
            ConnectDialog dialog(platform);
            dialog.preselect(remembered, true);
            return dialog.selectedPort();
        };
        QCOMPARE(reopened(QStringLiteral("COM2")), QStringLiteral("COM2"));
        QCOMPARE(reopened(QStringLiteral("/dev/pts/3")), QStringLiteral("/dev/pts/3"));
        QCOMPARE(reopened(QString()), QStringLiteral("COM1"));

        platform.converterPorts = {"COM2"};
        QCOMPARE(reopened(QStringLiteral("/dev/pts/3")), QStringLiteral("COM2"));

        // Typing replaces the remembered name.
        platform.converterPorts.clear();
        ConnectDialog dialog(platform);
        dialog.preselect(QStringLiteral("/dev/pts/3"), true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("/dev/pts/5"));
        QCOMPARE(dialog.selectedPort(), QStringLiteral("/dev/pts/5"));
    }

    void refreshRereadsBothListsAndDropsTheUsersChoice()
    {
        platform.serialPorts = {"COM1", "COM2"};
        ConnectDialog dialog(platform);
        portName(dialog)->setCurrentIndex(1);
        dialog.findChild<QCheckBox*>("turbo")->setChecked(false);

        platform.serialPorts = {"COM1", "COM2", "COM5"};
        platform.converterPorts = {"COM5"};
        QTest::mouseClick(dialog.findChild<QPushButton*>("updatePortList"), Qt::LeftButton);
        QCOMPARE(portName(dialog)->count(), 3);
        QCOMPARE(dialog.selectedPort(), QStringLiteral("COM5"));
        QVERIFY(message(dialog)->text().endsWith(QStringLiteral("COM5.")));
        QVERIFY(!dialog.isTurbo()); // kept while the dialog is open

        platform.serialPorts.clear();
        platform.converterPorts.clear();
        dialog.onUpdatePortList();
        QVERIFY(!ok(dialog)->isEnabled());
        QCOMPARE(message(dialog)->text(), QStringLiteral("Преобразователь USB-RS485 не обнаружен."));
    }

    void formAsTheUserSeesIt()
    {
        ConnectDialog dialog(platform);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Подключение"));
        QCOMPARE(dialog.findChild<QLabel*>("label")->text(), QStringLiteral("Порт:"));
        QCOMPARE(dialog.findChild<QCheckBox*>("turbo")->text(), QStringLiteral("Повышенная скорость"));
        auto* refresh = dialog.findChild<QPushButton*>("updatePortList");
        QCOMPARE(refresh->toolTip(), QStringLiteral("Обновить список портов"));
        QVERIFY(refresh->text().isEmpty());
        QVERIFY(!refresh->icon().isNull());
        QVERIFY(!dialog.windowIcon().isNull());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
        QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!dialog.isModal());
        QCOMPARE(dialog.layout()->sizeConstraint(), QLayout::SetFixedSize);

        // Tab order: port (its field within), refresh, higher speed, buttons.
        QList<QWidget*> chain;
        QWidget* widget = portName(dialog);
        do {
            QWidget* stop = portName(dialog)->isAncestorOf(widget) ? portName(dialog) : widget;
            if (widget->focusPolicy() & Qt::TabFocus && (chain.isEmpty() || chain.last() != stop))
                chain << stop;
            widget = widget->nextInFocusChain();
        } while (widget != portName(dialog) && chain.size() < 10);
        QVERIFY(chain.size() >= 4);
        QCOMPARE(chain.at(1), refresh);
        QCOMPARE(chain.at(2), dialog.findChild<QCheckBox*>("turbo"));
        QVERIFY(dialog.findChild<QDialogButtonBox*>("buttonBox")->isAncestorOf(chain.at(3)));
    }

    void okAcceptsAndCancelRejects()
    {
        platform.serialPorts = {"COM1"};
        ConnectDialog accepted(platform);
        QTimer::singleShot(0, ok(accepted), &QPushButton::click);
        QCOMPARE(accepted.exec(), int(QDialog::Accepted));

        ConnectDialog rejected(platform);
        auto* cancel =
            rejected.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel);
        QTimer::singleShot(0, cancel, &QPushButton::click);
        QCOMPARE(rejected.exec(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(ConnectDialogTest)
#include "ConnectDialogTest.moc"
