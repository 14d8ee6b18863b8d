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
        QVERIFY(f.startup.splashScreen().isVisible() && !f.w().isVisible());
        f.startup.splashScreen().handOver();
        QVERIFY(!f.startup.splashScreen().isVisible());
        QCOMPARE(f.w().isVisible(), !small);
        QVERIFY(f.delivering());
        QVERIFY(f.startup.splashScreen().isDone());
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
        f.startup.housekeep();
        if (!yes)
            f.startup.housekeep();
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

    // A delivery under way does not hold up the end, which ends the delivery.
    void yesWhileDeliveryWaits()
    {
        Fixture f;
        f.start();
        f.delivery.hold = true;
        f.scheduler.sendInstantMessage(1, MessageRecord::compose(f.env.clock.now(), "hi", {}));
        f.scheduler.checkDue();
        QVERIFY(f.delivery.underWay());
        f.env.boxes.queueAnswer(MessageBoxes::Answer::Yes);
        f.w().mnuShutdown2_Click();
        f.startup.housekeep();
        QCOMPARE(f.ends, 1);
        QVERIFY(!f.delivery.underWay() && !f.scheduler.isDelivering());
    }

    // Each housekeeping tick: a pending shutdown is asked about first; else a window
    // hidden after the splash goes into the notification area.
    void housekeeping_data()
    {
        QTest::addColumn<bool>("shutdown");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("inTray");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("shutdown first")
            << true << false << false << QStringList { "Shutting Down?" };
        QTest::newRow("hidden after the splash") << false << false << true << QStringList();
        QTest::newRow("window shown") << false << true << false << QStringList();
    }
    void housekeeping()
    {
        QFETCH(bool, shutdown);
        QFETCH(bool, shown);
        Fixture f;
        f.start();
        f.w().setVisible(shown);
        f.env.boxes.queueAnswer(MessageBoxes::Answer::No);
        f.p().ShutdownRequested = shutdown;
        f.startup.housekeep();
        QTEST(f.p().InTray, "inTray");
        QTEST(f.boxes(), "boxes");
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
