#include "platform/EventWait.h"
#include "ui/main/StartedProgram.h"

#include <QTest>
#include <QTimer>

namespace {

// A desktop with a notification area: a refused shutdown goes back into it.
struct Fixture : StartedProgram {
    Fixture()
    {
        w().trayAvailable = [] { return true; };
    }
};

} // namespace

class TestShutdown : public QObject {
    Q_OBJECT
private slots:
    void startShowsWindowUnlessSmall_data()
    {
        QTest::addColumn<bool>("small");
        QTest::newRow("normal start") << false;
        QTest::newRow("start small") << true;
    }
    void startShowsWindowUnlessSmall()
    {
        QFETCH(bool, small);
        Fixture f;
        f.env.program.StartSmall = small;
        f.startup.Run();
        QVERIFY(f.startup.frmSplash().isVisible() && !f.w().isVisible());
        f.startup.frmSplash().tmrSplash1_Timer();
        QVERIFY(!f.startup.frmSplash().isVisible());
        QCOMPARE(f.w().isVisible(), !small);
        QVERIFY(f.delivering());
        QVERIFY(f.env.program.SplashDone);
    }

    void answered_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes ends the program") << true;
        QTest::newRow("No hides the window") << false;
    }
    // Asked once, at the next housekeeping tick, however often it was requested.
    void answered()
    {
        QFETCH(bool, yes);
        Fixture f;
        f.start();
        f.w().move(80, 60);
        f.env.program.InTray = true;
        f.env.boxes.queueAnswer(yes ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::No);
        f.w().mnuShutdown2->trigger();
        f.w().mnuShutdown_Click();
        QCOMPARE(f.env.boxes.shown.size(), 0);
        f.frmTimer.tmrExecute_Timer();
        if (!yes)
            f.frmTimer.tmrExecute_Timer();
        QCOMPARE(f.env.boxes.shown.size(), 1);
        const auto &box = f.env.boxes.shown.first();
        QCOMPARE(box.title, "Shutting Down?");
        QCOMPARE(box.text,
            "Shutting Down Tolvane will prevent scheduled Emails to be sent.  Exiting Tolvane "
            "would "
            "be a better choice if you have Email events scheduled.  Are you sure you wish to Shut "
            "Down Tolvane?");
        QCOMPARE(box.buttons, MessageBoxes::Buttons::YesNo);
        // The place was saved while the window was still on screen.
        QCOMPARE(f.env.settings.ReadSetting("Options", "Left", {}),
            QString::number(int(std::lround(80 * f.w().twipsPerPixelX()))));
        QCOMPARE(f.ends, yes ? 1 : 0);
        if (!yes) {
            QVERIFY(!f.w().isVisible());
            QVERIFY(f.delivering());
        }
    }

    void yesWhileDeliveryWaits()
    {
        Fixture f;
        f.start();
        f.env.program.NextMessage[1] = "012026/03/14 10:00 AMNhello|" + AdaCell + ',';
        // The delivery waits in its own event loop until the end lets it go, as a delivery
        // waiting for a slow server does.
        EventWait wait;
        bool waiting = false, released = false, endedWhileWaiting = false;
        f.delivery.during = [&] {
            waiting = true;
            wait.waitUntil([&] { return released; }, std::chrono::seconds(10));
            waiting = false;
        };
        f.startup.endProgram = [&] {
            ++f.ends;
            endedWhileWaiting = waiting;
            released = true;
            wait.wake();
        };
        f.env.boxes.queueAnswer(MessageBoxes::Answer::Yes);
        // The shutdown is asked for while the delivery waits in its own loop; the next
        // housekeeping tick comes inside that loop.
        QTimer::singleShot(0, [&] {
            f.w().mnuShutdown2_Click();
            f.frmTimer.tmrExecute_Timer();
        });
        f.frmTimer.CheckSend();
        QCOMPARE(f.delivery.entries.size(), 1);
        QCOMPARE(f.ends, 1);
        QVERIFY(endedWhileWaiting);
    }

    void exitOnlyHides()
    {
        Fixture f;
        f.start();
        f.w().mnuExit->trigger();
        QVERIFY(!f.w().isVisible() && !f.w().isLoaded());
        QCOMPARE(f.ends, 0);
        QVERIFY(f.delivering());
        QVERIFY(f.env.boxes.shown.isEmpty());
        QVERIFY(f.env.settings.HasSetting("Options", "WindowState"));
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
