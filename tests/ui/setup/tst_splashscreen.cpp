#include "WizardControls.h"
#include "ui/common/DialogPlacement.h"
#include "ui/setup/SplashScreen.h"

#include <QElapsedTimer>
#include <QScreen>

namespace {

// A start as the program makes it: the splash, the wizard, two dialogs of other layers and
// a main window that records when it was shown.
struct StartUp : WizardTest {
    StartUp()
    {
        entryDialog.resize(500, 400);
        userPicker.resize(300, 350);
        splash.setHooks({ [this] {
                             return QList<QWidget *> { &userPicker, &entryDialog };
                         },
            [this] {
                mainShownAfterMs << sinceStart.elapsed();
                wizardOpenAtMain = wizard.isVisible();
            } });
    }
    void start(int standingMs = -1)
    {
        if (standingMs >= 0)
            splash.setStandingTime(standingMs);
        sinceStart.start();
        splash.start();
    }
    AppContext &p = env.program;
    SplashScreen splash { env.program, wizard };
    QWidget entryDialog, userPicker;
    QElapsedTimer sinceStart;
    QList<qint64> mainShownAfterMs;
    bool wizardOpenAtMain = false;
};

} // namespace

class TestSplashScreen : public QObject {
    Q_OBJECT
private slots:
    void handOver_data()
    {
        Columns<bool, bool>({ "firstRun", "startSmall" });
        QTest::newRow("two seconds, then the main window") << false << false;
        QTest::newRow("first run: the wizard first") << true << false;
        QTest::newRow("first run, start small") << true << true;
    }
    // The splash stands two seconds; the wizard of a first run opens over it and the main
    // window (unless starting small) follows the wizard's Finish.
    void handOver()
    {
        QFETCH(bool, firstRun);
        QFETCH(bool, startSmall);
        StartUp s;
        s.p.firstRun = firstRun;
        s.p.startSmall = startSmall;
        s.start(firstRun ? 30 : -1);
        QVERIFY(s.splash.isVisible());
        if (firstRun) {
            QTRY_VERIFY(s.wizard.isVisible());
            QVERIFY(s.splash.isVisible() && !s.splash.isDone());
            press(s.wizard, {});
            press(s.wizard, { "alice@home.example", "smtp.home.example" });
            press(s.wizard, { "alice@sms.example" });
        }
        QTRY_VERIFY_WITH_TIMEOUT(s.splash.isDone(), 5000);
        QCOMPARE(s.mainShownAfterMs.size(), startSmall ? 0 : 1);
        if (!firstRun)
            QVERIFY2(s.mainShownAfterMs[0] >= 1900 && s.mainShownAfterMs[0] < 3000,
                qPrintable(QString::number(s.mainShownAfterMs[0])));
        QVERIFY(!s.wizardOpenAtMain && !s.wizard.isVisible() && !s.splash.isVisible());
        QVERIFY(!s.p.firstRun);
        QCOMPARE(s.p.ShowFirstTimeMessages, firstRun);
    }

    // The dialogs are placed once, at start, each by its own size; the About box, shown
    // twice and closed with OK, then Esc, neither moves them nor hands over again.
    void aboutBoxLeavesStartUpAlone()
    {
        StartUp s;
        const QList<QWidget *> dialogs { &s.wizard, &s.userPicker, &s.entryDialog };
        for (QWidget *dialog : dialogs)
            dialog->move(3, 4);
        s.start(10);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        for (QWidget *dialog : dialogs)
            QCOMPARE(dialog->pos(), DialogPosition(screen, dialog->size()));
        // At the design size: W / 2 x 15.225 - 3045 twips, 15 twips to the pixel.
        QCOMPARE(DialogPosition(QRect(0, 0, 1280, 1024), QSize(406, 305)), QPoint(447, 367));
        QTRY_VERIFY(s.splash.isDone());
        for (QWidget *dialog : dialogs)
            dialog->move(7, 9);
        auto *ok = s.splash.findChild<QPushButton *>("okButton");
        for (bool byEsc : { false, true }) {
            s.splash.showAbout();
            QVERIFY(s.splash.isAbout() && ok->isVisible());
            QCOMPARE(ok->text(), "&OK");
            QCOMPARE(s.splash.findChild<QLabel *>("versionLabel")->text(), "Version 1.0");
            QTest::qWait(50);
            for (QWidget *dialog : dialogs)
                QCOMPARE(dialog->pos(), QPoint(7, 9));
            QCOMPARE(s.mainShownAfterMs.size(), 1);
            if (byEsc)
                QTest::keyClick(&s.splash, Qt::Key_Escape);
            else
                QTest::mouseClick(ok, Qt::LeftButton);
            QVERIFY(!s.splash.isVisible() && !s.splash.isAbout());
        }
    }

    // Given up, the first run shows nothing more and the program's event loop ends.
    void firstRunGivenUpEndsTheProgram()
    {
        StartUp s;
        QApplication::setQuitOnLastWindowClosed(false); // as the program runs
        s.p.firstRun = true;
        s.env.boxes.queueAnswer(MessageBoxes::Answer::Yes);
        s.start(10);
        QTRY_VERIFY(s.wizard.isVisible());
        QTimer::singleShot(0, &s.wizard, [&] { press(s.wizard, {}, "cancelButton"); });
        QTimer stuck;
        connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stuck.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(s.mainShownAfterMs.isEmpty() && !s.splash.isVisible() && !s.wizard.isVisible());
        QVERIFY(s.p.firstRun && !s.splash.isDone());
        QVERIFY(!s.env.settings.HasSetting("Options", "Current User"));
    }
};

QTEST_MAIN(TestSplashScreen)
#include "tst_splashscreen.moc"
