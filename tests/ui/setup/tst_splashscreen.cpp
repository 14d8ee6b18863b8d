#include "WizardControls.h"
#include "ui/common/DialogPlacement.h"
#include "ui/setup/SplashScreen.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QSignalSpy>

// A first run given up ends the program: e2e/test_first_run; the About box from the menu
// is not modal: tst_mainwindowcommands.

namespace {

// A start as the program makes it: the splash, the wizard, two dialogs of other layers and
// a main window that records when it was shown.
struct StartUp : WizardFlow {
    explicit StartUp(int standingMs)
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
        if (standingMs >= 0)
            splash.setStandingTime(standingMs);
    }
    void start()
    {
        sinceStart.start();
        splash.start();
    }
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
    // The splash stands two seconds; the wizard of a first run opens over it and the main
    // window (unless starting small) follows the wizard's Finish (e2e/test_first_run: a
    // first run that does not start small).
    void handOver_data()
    {
        Columns<bool>({ "firstRun" });
        QTest::newRow("two seconds, then the main window") << false;
        QTest::newRow("first run, start small: the wizard, then nothing") << true;
    }
    void handOver()
    {
        QFETCH(bool, firstRun);
        StartUp s(firstRun ? 30 : -1);
        s.env.program.firstRun = s.env.program.startSmall = firstRun;
        QSignalSpy setUp(&s.splash, &SplashScreen::firstRunSetUp);
        s.start();
        QVERIFY(s.splash.isVisible());
        if (firstRun) {
            QTRY_VERIFY(s.wizard.isVisible());
            QVERIFY(s.splash.isVisible() && !s.splash.isDone());
            s.play("next / next alice@home.example;smtp.home.example / next alice@sms.example");
        }
        QTRY_VERIFY_WITH_TIMEOUT(s.splash.isDone(), 5000);
        QCOMPARE(s.mainShownAfterMs.size(), firstRun ? 0 : 1);
        if (!firstRun)
            QVERIFY2(s.mainShownAfterMs[0] >= 1900 && s.mainShownAfterMs[0] < 3000,
                qPrintable(QString::number(s.mainShownAfterMs[0])));
        QVERIFY(!s.wizardOpenAtMain && !s.wizard.isVisible() && !s.splash.isVisible());
        QVERIFY(!s.env.program.firstRun);
        QCOMPARE(setUp.size(), firstRun ? 1 : 0);
    }

    // The dialogs are placed once, at start, each by its own size; the About box, closed
    // with OK, then Esc, neither moves them nor hands over again.
    void aboutBoxLeavesStartUpAlone()
    {
        StartUp s(10);
        const QList<QWidget *> dialogs { &s.wizard, &s.userPicker, &s.entryDialog };
        for (QWidget *dialog : dialogs)
            dialog->move(3, 4);
        s.start();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        for (QWidget *dialog : dialogs)
            QCOMPARE(dialog->pos(), dialogPosition(screen, dialog->size()));
        // At the design size: W / 2 x 15.225 - 3045 twips, 15 twips to the pixel.
        QCOMPARE(dialogPosition(QRect(0, 0, 1280, 1024), QSize(406, 305)), QPoint(447, 367));
        QTRY_VERIFY(s.splash.isDone());
        for (QWidget *dialog : dialogs)
            dialog->move(7, 9);
        auto *ok = s.splash.findChild<QPushButton *>("okButton");
        for (bool byEsc : { false, true }) {
            s.splash.showAbout();
            QCOMPARE(ok->text() + ' ' + s.splash.findChild<QLabel *>("versionLabel")->text(),
                "&OK Version 1.0");
            QTest::qWait(50);
            for (QWidget *dialog : dialogs)
                QCOMPARE(dialog->pos(), QPoint(7, 9));
            QCOMPARE(s.mainShownAfterMs.size(), 1);
            byEsc ? QTest::keyClick(&s.splash, Qt::Key_Escape)
                  : QTest::mouseClick(ok, Qt::LeftButton);
            QVERIFY(!s.splash.isVisible() && !s.splash.isAbout());
        }
    }
};

QTEST_MAIN(TestSplashScreen)
#include "tst_splashscreen.moc"
