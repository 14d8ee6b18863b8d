// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The start, the notification area on a real tray host (run through
// tests/support/with-tray.sh) and the end of the program.

#include "platform/AutoStart.h"
#include "ui/main/StartedProgram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QRegularExpression>

namespace {

using L = QStringList;
const QString Nice = "Look how nice I am!: Tolvane will continue to run in the System Tray.  All "
                     "scheduled Emails will still take place while Tolvane is running.  This keeps "
                     "you happy by keeping your Desktop clean!";
const QString AutoStartBox = "Auto Start / System Tray: Tolvane will configure itself to "
                             "automatically start in the System Tray the next time you boot.  You "
                             "can change these settings in Options.";
const QString NoTray = "No System Tray: This desktop has no System Tray, so Tolvane stays "
                       "minimized on your task bar instead.  All scheduled Emails will still take "
                       "place while Tolvane is running.";

struct Fixture : StartedProgram {
    Fixture()
    {
        // The autostart entry goes into this test's own configuration folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.dir.path() + "/config"));
        env.program.programPath = QStringLiteral("/opt/tolvane/bin/tolvane");
    }
    QSystemTrayIcon *icon() { return w().findChild<QSystemTrayIcon *>("trayIcon"); }
    // The window, "shown", "minimised" or "hidden", then " tray" and " icon" where they hold.
    QString state()
    {
        return QString(w().isVisible() ? (w().isMinimized() ? "minimised" : "shown") : "hidden")
            + (w().isInTray() ? " tray" : "") + (icon()->isVisible() ? " icon" : "");
    }
    // "Exit", then the next housekeeping tick puts the icon up.
    bool exitIntoTray()
    {
        trigger("exitAction");
        return QTest::qWaitFor([this] { return w().isInTray(); }, 1500);
    }
};

// The icon's own window, embedded in the tray host's panel.
QWidget *iconWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->inherits("QSystemTrayIconSys"))
            return widget;
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

    // "first" when the first run's messages are due, "notray [small] [told]" for a desktop
    // without a notification area (started small; the missing tray explained in an earlier
    // run), then how the window is closed: Exit, or Shutdown answered Yes or No, while a
    // delivery waits when "delivering".
    // A shown window stays out of the tray; closed, it goes in at the next tick (deliveries
    // go on: e2e test_delivery), and "Show Tolvane" or a double-click on the icon brings it
    // back, the latter a little later, and the icon goes. Shutdown asks once, at the next
    // tick, however often it was requested (the place saved while the window is still on
    // screen); Yes ends the program once a delivery under way is ended and the window and
    // its icon are gone; No hides the window and delivery goes on. The first close after
    // the first run explains the tray once and turns both options on; the next window's
    // ticks say what is on disk, and a click turns its option over at once, on disk too.
    // Without a notification area the window is minimised, never hidden, and the user is
    // told why once in the installation's life: on first closing it, never at a start.
    void closing_data()
    {
        Columns<QString, L>({ "how", "boxes" });
        Row("Exit", "exit", L());
        Row("first Exit", "first exit", L { Nice, AutoStartBox });
        Row("first Shutdown, Yes while a delivery waits", "first yes delivering",
            L { "Shutting Down?", AutoStartBox }); // Yes without a delivery: e2e test_delivery
        Row("Shutdown, No", "no", L { "Shutting Down?" });
        Row("no tray, shown, closed twice", "notray exit", L { NoTray });
        Row("no tray, started small, then closed", "notray small exit", L { NoTray });
        Row("no tray, told in an earlier run", "notray told exit", L());
    }
    void closing()
    {
        QFETCH(QString, how);
        const bool first = how.startsWith("first"), yes = how.contains("yes");
        const bool notray = how.startsWith("notray");
        Fixture f;
        if (first)
            f.w().setFirstTimeMessagesDue();
        if (notray)
            f.w().trayAvailable = [] { return false; };
        if (how.contains("told"))
            f.env.settings.writeSetting("Options", "NoTrayExplained", "1");
        f.p().startSmall = how.contains("small");
        f.start();
        if (f.p().startSmall) {
            QTRY_COMPARE_WITH_TIMEOUT(f.state(), "minimised", 3000);
            QCOMPARE(f.env.boxes.lines(), L {});
            f.w().showNormal(); // brought back from the task bar
        }
        f.app.housekeep();
        QCOMPARE(f.state(), "shown");
        f.w().move(80, 60);
        QString atEnd;
        f.app.endProgram = [&] {
            ++f.ends;
            atEnd = (f.delivery.underWay() ? "delivering " : "") + f.state();
        };
        f.delivery.hold = true;
        if (how.endsWith("delivering")) {
            f.scheduler.sendInstantMessage(1, MessageRecord::compose(f.env.clock.now(), "hi", {}));
            f.scheduler.checkDue();
            QVERIFY(f.delivery.underWay());
        }
        if (notray) {
            for (int close = 0; close < 2; ++close) {
                f.trigger("exitAction");
                QTRY_COMPARE_WITH_TIMEOUT(f.state(), "minimised", 1500);
            }
            QCOMPARE(f.setting("Options/NoTrayExplained"), "1");
        } else if (how.endsWith("exit")) {
            QVERIFY(f.exitIntoTray());
            L items { f.icon()->toolTip() };
            for (QAction *action : f.w().findChild<QMenu *>("trayMenu")->actions())
                items << action->text();
            QCOMPARE(f.state() + ": " + items.join(", "),
                "hidden tray icon: Tolvane, Show Tolvane, Shutdown Tolvane");
            f.trigger("restoreAction");
            QVERIFY(f.state() == "shown" && f.exitIntoTray()); // nothing explained again
            QWidget *icon = nullptr;
            QTRY_VERIFY((icon = iconWindow()));
            QElapsedTimer sinceClick;
            sinceClick.start();
            QTest::mouseDClick(icon, Qt::LeftButton);
            QCOMPARE(f.state(), "hidden tray icon");
            QTRY_COMPARE_WITH_TIMEOUT(f.state(), "shown", 1000);
            QVERIFY(sinceClick.elapsed() >= 90 && f.ends == 0);
        } else {
            f.env.boxes.queueAnswer(yes ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::No);
            f.trigger("shutdownAction");
            f.trigger("trayShutdownAction");
            QVERIFY(f.env.boxes.shown.isEmpty());
            f.app.housekeep();
            if (!yes)
                f.app.housekeep(); // back into the tray
            QCOMPARE(f.env.boxes.shown[0].buttons, MessageBoxes::Buttons::YesNo);
            QCOMPARE(f.setting("Options/Left").toInt(), std::lround(80 * f.w().twipsPerPixelX()));
            QVERIFY(!f.delivery.underWay() && !f.scheduler.isDelivering());
            if (!yes) // goes on where it was
                atEnd = f.state()
                    + (f.app.housekeepingRunning() && f.scheduler.isStarted() ? " on" : "");
            QCOMPARE(
                QString::number(f.ends) + ' ' + atEnd, yes ? "1 hidden" : "0 hidden tray icon on");
        }
        L shown = f.env.boxes.lines(); // the question's text: e2e test_delivery
        QTEST(
            shown.replaceInStrings(QRegularExpression("^(Shutting Down\\?): .*"), "\\1"), "boxes");
        if (!first)
            return;
        QCOMPARE(f.env.boxes.shown.last().icon, MessageBoxes::Icon::Information);
        QCOMPARE(f.setting("Options/StartSmall"), "1");
        QFile entry(AutoStart::entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("\nExec=\"/opt/tolvane/bin/tolvane\"\n"));
        MainWindow next(f.p());
        next.load();
        for (const char *name : { "autoStartAction", "startSmallAction" }) {
            QVERIFY(f.child<QAction>(name)->isChecked());
            QVERIFY(next.findChild<QAction *>(name)->isChecked());
            next.findChild<QAction *>(name)->trigger();
            QVERIFY(!next.findChild<QAction *>(name)->isChecked());
        }
        QCOMPARE(f.setting("Options/StartSmall"), "0");
        QVERIFY(!AutoStart::exists());
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
