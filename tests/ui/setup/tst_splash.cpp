#include "WizardControls.h"
#include "support/DataColumns.h"
#include "ui/setup/DialogPlacement.h"
#include "ui/setup/FrmSplash.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QtTest>

namespace {

// A start-up as the program makes it: the splash, the wizard, two dialog forms of other
// layers and a main window that records when it was shown. (The real main window's
// hand-over is tested with the start-up itself.)
struct StartUp {
    StartUp()
    {
        wizard.accountName = [] { return QStringLiteral("alice"); };
        entryDialog.resize(500, 400);
        userPicker.resize(300, 350);
        splash.setHooks({
            [this] {
                return QList<QWidget *> { &userPicker, &entryDialog };
            },
            [this] {
                ++mainShown;
                mainShownAfterMs = sinceLoad.elapsed();
                wizardOpenAtMain = wizard.isVisible();
            },
        });
    }
    void start(int intervalMs)
    {
        if (intervalMs > 0)
            splash.tmrSplash1.setInterval(intervalMs);
        sinceLoad.start();
        splash.Form_Load();
        splash.show();
    }

    TestEnvironment env;
    Program &p = env.program;
    SetupWizard wizard { env.program };
    FrmSplash splash { env.program, wizard };
    QWidget entryDialog;
    QWidget userPicker;
    QElapsedTimer sinceLoad;
    int mainShown = 0;
    qint64 mainShownAfterMs = -1;
    bool wizardOpenAtMain = false;
};

} // namespace

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void firstRun_data()
    {
        Columns<bool>({ "startSmall" });
        QTest::newRow("first run") << false;
        QTest::newRow("first run, start small") << true;
    }
    // The wizard opens over the splash, then the main window (unless starting small).
    void firstRun()
    {
        QFETCH(bool, startSmall);
        StartUp s;
        s.p.FirstRun = true;
        s.p.StartSmall = startSmall;
        s.start(30);
        QTRY_VERIFY(s.wizard.isVisible());
        QVERIFY(s.splash.isVisible() && !s.p.SplashDone);
        press(s.wizard, {});
        press(s.wizard, { "alice@home.example", "smtp.home.example" });
        press(s.wizard, { "alice@sms.example" });
        QVERIFY(s.p.SplashDone);
        QCOMPARE(s.mainShown, startSmall ? 0 : 1);
        QVERIFY(!s.wizardOpenAtMain);
        QVERIFY(!s.splash.isVisible());
        QVERIFY(!s.p.FirstRun);
        QVERIFY(s.p.ShowFirstTimeMessages);
        QCOMPARE(s.env.settings.ReadSetting("Options", "Current User", "0"), "1");
        QCOMPARE(s.env.settings.ReadSetting("User1", "Name", ""), "alice");
    }

    void showsTwoSecondsThenMainWindow()
    {
        StartUp s;
        s.env.addUser(1, "Desk", "desk@sms.example");
        s.start(0);
        QVERIFY(s.splash.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(s.mainShown == 1, 5000);
        QVERIFY2(s.mainShownAfterMs >= 1900 && s.mainShownAfterMs < 3000,
            qPrintable(QString::number(s.mainShownAfterMs)));
        QVERIFY(s.p.SplashDone);
        QVERIFY(!s.splash.isVisible());
        QVERIFY(!s.p.ShowFirstTimeMessages);
        QVERIFY(!s.wizard.isVisible());
    }

    // The dialogs are placed once, at start-up, each by its own size; the About box, shown
    // twice, neither moves them nor runs the hand-over again.
    void aboutBoxLeavesStartUpAlone()
    {
        StartUp s;
        const QList<QWidget *> forms { &s.wizard, &s.userPicker, &s.entryDialog };
        for (QWidget *form : forms)
            form->move(3, 4);
        s.start(10);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        for (QWidget *form : forms)
            QCOMPARE(form->pos(), DialogPosition(screen, form->size()));
        // At the design size: W / 2 x 15.225 - 3045 twips, 15 twips to the pixel.
        QCOMPARE(DialogPosition(QRect(0, 0, 1280, 1024), QSize(406, 305)), QPoint(447, 367));
        QTRY_VERIFY(s.p.SplashDone);
        for (QWidget *form : forms)
            form->move(7, 9);
        for (int opening = 0; opening < 2; ++opening) {
            s.splash.ShowAbout();
            QTRY_VERIFY(s.splash.cmdOK->isVisible());
            QCOMPARE(s.splash.cmdOK->text(), "&OK");
            QCOMPARE(s.splash.lblInfo.at(0)->text(), "Version 1.0");
            QTest::qWait(50);
            for (QWidget *form : forms)
                QCOMPARE(form->pos(), QPoint(7, 9));
            QCOMPARE(s.mainShown, 1);
            if (opening == 0)
                QTest::mouseClick(s.splash.cmdOK, Qt::LeftButton);
            else
                QTest::keyClick(&s.splash, Qt::Key_Escape);
            QVERIFY(!s.splash.isVisible());
            QVERIFY(!s.p.AboutMode);
        }
    }

    // Given up, the first run shows nothing more and the program's event loop ends.
    void firstRunGivenUpEndsTheProgram()
    {
        StartUp s;
        QApplication::setQuitOnLastWindowClosed(false); // as the program runs
        s.p.FirstRun = true;
        s.env.boxes.queueAnswer(MessageBoxes::Answer::Yes);
        s.start(10);
        QTRY_VERIFY(s.wizard.isVisible());
        QTimer::singleShot(0, &s.wizard, [&] { press(s.wizard, {}, "cancelButton"); });
        QTimer stuck;
        connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stuck.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(s.mainShown, 0);
        QVERIFY(!s.splash.isVisible() && !s.wizard.isVisible());
        QVERIFY(s.p.FirstRun);
        QVERIFY(!s.p.SplashDone);
        QVERIFY(!s.env.settings.HasSetting("Options", "Current User"));
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
