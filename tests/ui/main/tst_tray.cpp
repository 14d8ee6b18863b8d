// The notification area on a real tray host (run through tests/support/with-tray.sh).

#include "platform/AutoStart.h"
#include "support/DataColumns.h"
#include "ui/main/StartedProgram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTest>

namespace {

using Answer = MessageBoxes::Answer;
const QString Options = QStringLiteral("Options");

struct Fixture : StartedProgram {
    Fixture()
    {
        // The autostart entry goes into this test's own configuration folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.dir.path() + "/config"));
        env.program.ProgramPath = QStringLiteral("/opt/tolvane/bin/tolvane");
    }
    // "Exit", then the scheduler's next tick puts the icon up.
    bool exitIntoTray()
    {
        w().mnuExit->trigger();
        return QTest::qWaitFor([this] { return p().InTray; }, 1500);
    }
};

// The icon's own window, embedded in the tray host's panel.
QWidget *iconWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()
            && QByteArray(widget->metaObject()->className()) == "QSystemTrayIconSys")
            return widget;
    }
    return nullptr;
}

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000),
            "no notification-area host on this display");
    }

    // In the tray, the scheduler goes on delivering; a double-click on the icon brings the
    // window back a little later, and the icon goes.
    void exitIntoTrayAndBack()
    {
        Fixture f;
        f.env.writeMessageFile(1, { "2026/03/14 10:01 AMNhello|" + AdaCell + ',' });
        f.start();
        QVERIFY(f.w().isVisible());
        QVERIFY(f.exitIntoTray());
        QVERIFY(!f.w().isVisible());
        QCOMPARE(f.w().trayIcon->toolTip(), QStringLiteral("Tolvane"));
        QVERIFY(f.env.boxes.shown.isEmpty());
        f.env.clock.advanceSecs(60);
        QTRY_COMPARE_WITH_TIMEOUT(f.delivery.entries.size(), 1, 2500);
        QVERIFY(f.delivery.entries.first().contains(QStringLiteral("10:01 AMNhello|")));

        QWidget *icon = nullptr;
        QTRY_VERIFY((icon = iconWindow()));
        QElapsedTimer sinceClick;
        sinceClick.start();
        QTest::mouseDClick(icon, Qt::LeftButton);
        QVERIFY(!f.w().isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(f.w().isVisible(), 1000);
        QVERIFY(sinceClick.elapsed() >= 90);
        QVERIFY(!f.w().trayIcon->isVisible() && !f.p().InTray && !f.p().Hooked);
    }

    void menuShutdownAnsweredNo()
    {
        Fixture f;
        f.start();
        QVERIFY(f.exitIntoTray());
        QWidget *icon = nullptr;
        QTRY_VERIFY((icon = iconWindow()));
        QTest::mousePress(icon, Qt::RightButton);
        QTest::mouseRelease(icon, Qt::RightButton);
        QMenu *menu = f.w().RCPopup;
        QTRY_VERIFY(menu->isVisible());
        QStringList items;
        for (QAction *action : menu->actions())
            items << action->text();
        QCOMPARE(items, QStringList({ "Show Tolvane", "Shutdown Tolvane" }));

        f.env.boxes.queueAnswer(Answer::No);
        QTest::mouseClick(
            menu, Qt::LeftButton, {}, menu->actionGeometry(f.w().mnuShutdown).center());
        QVERIFY(f.p().ShutdownRequested);
        QVERIFY(!f.w().trayIcon->isVisible()); // gone before anything is asked
        QTRY_VERIFY_WITH_TIMEOUT(!f.p().ShutdownRequested, 1500);
        QTRY_VERIFY_WITH_TIMEOUT(f.p().InTray && f.w().trayIcon->isVisible(), 1500);
        QCOMPARE(f.boxes(), QStringList { "Shutting Down?" });
        QCOMPARE(f.ends, 0);
        QVERIFY(!f.w().isVisible());
    }

    void firstClose_data()
    {
        Columns<bool, QStringList>({ "shutdown", "titles" });
        QTest::newRow("Exit") << false
                              << QStringList { "Look how nice I am!", "Auto Start / System Tray" };
        QTest::newRow("shutdown confirmed")
            << true << QStringList { "Shutting Down?", "Auto Start / System Tray" };
    }
    // The first close after the first run explains the tray once and turns both options on.
    void firstClose()
    {
        QFETCH(bool, shutdown);
        QFETCH(QStringList, titles);
        Fixture f;
        f.p().ShowFirstTimeMessages = true;
        f.start();
        if (shutdown) {
            f.w().mnuShutdown2->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(f.ends, 1, 1500);
        } else {
            QVERIFY(f.exitIntoTray());
        }
        QCOMPARE(f.boxes(), titles);
        QCOMPARE(f.env.boxes.shown.last().icon, MessageBoxes::Icon::Information);
        QCOMPARE(f.env.settings.ReadSetting(Options, QStringLiteral("StartSmall"), {}), "1");
        QFile entry(AutoStart::EntryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("\nExec=\"/opt/tolvane/bin/tolvane\"\n"));
        QVERIFY(f.w().mnuAutoLoad->isChecked() && f.w().mnuSysTray->isChecked());
        if (shutdown)
            return;
        f.w().mnuRestore->trigger();
        QVERIFY(f.w().isVisible());
        QVERIFY(f.exitIntoTray());
        QCOMPARE(f.boxes(), titles); // nothing explained again
    }

    void startOptions_data()
    {
        Columns<bool>({ "on" });
        QTest::newRow("both on") << true;
        QTest::newRow("both off") << false;
    }
    // The tick marks say what is on disk at load; each click turns its option over at once,
    // on disk as well as in the menu, and does not change how this start began.
    void startOptions()
    {
        QFETCH(bool, on);
        Fixture f;
        if (on)
            QVERIFY(AutoStart::Write(f.p().ProgramPath));
        f.env.settings.WriteSetting(Options, QStringLiteral("StartSmall"), on ? "1" : "0");
        f.w().Form_Load();
        QCOMPARE(f.w().mnuAutoLoad->isChecked(), on);
        QCOMPARE(f.w().mnuSysTray->isChecked(), on);
        f.w().mnuSysTray->trigger();
        QCOMPARE(f.w().mnuSysTray->isChecked(), !on);
        QCOMPARE(
            f.env.settings.ReadSetting(Options, QStringLiteral("StartSmall"), {}), on ? "0" : "1");
        QCOMPARE(f.p().StartSmall, on);
        f.w().mnuAutoLoad->trigger();
        QCOMPARE(f.w().mnuAutoLoad->isChecked(), !on);
        QCOMPARE(AutoStart::Exists(), !on);
    }

    // Without a notification area the window is minimised, never hidden, and the user is
    // told why once.
    void withoutTrayMinimises()
    {
        Fixture f;
        f.w().trayAvailable = [] { return false; };
        f.start();
        for (int close = 0; close < 2; ++close) {
            f.w().mnuExit->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(f.w().isVisible(), 1500);
            QVERIFY(f.w().isMinimized());
            QVERIFY(!f.p().InTray && !f.w().trayIcon->isVisible());
        }
        QCOMPARE(f.boxes(), QStringList { "No System Tray" });
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
