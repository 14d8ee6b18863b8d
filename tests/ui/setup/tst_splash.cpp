#include "PageDriver.h"
#include "support/TestEnvironment.h"
#include "ui/setup/DialogPlacement.h"
#include "ui/setup/FrmCellEmail.h"
#include "ui/setup/FrmLocalEmail.h"
#include "ui/setup/FrmSplash.h"
#include "ui/setup/FrmUserName.h"
#include "ui/setup/SetupWizard.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QtTest>

using Page = SetupWizard::Page;

namespace {

// A start-up as the program makes it: the splash, the wizard, two dialog forms of other
// layers and a main window that records when it was shown.
struct StartUp {
    StartUp()
    {
        wizard.accountName = [] { return QStringLiteral("alice"); };
        wizard.endProgram = [this] { ++programEnds; };
        frmEntry.resize(500, 400);
        frmUserSelect.resize(300, 350);
        splash.setHooks({
            [this] {
                return QList<QWidget *> { &frmUserSelect, &frmEntry };
            },
            [this] {
                ++mainShown;
                mainShownAfterMs = sinceLoad.elapsed();
                wizardOpenAtMain = wizard.frmUserName().isVisible()
                    || wizard.frmLocalEmail().isVisible() || wizard.frmCellEmail().isVisible();
                splashVisibleAtMain = splash.isVisible();
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
    QList<QWidget *> dialogs()
    {
        return { &wizard.frmUserName(), &wizard.frmLocalEmail(), &wizard.frmCellEmail(),
            &frmUserSelect, &frmEntry };
    }

    TestEnvironment env;
    Program &p = env.program;
    SetupWizard wizard { env.program };
    FrmSplash splash { env.program, wizard };
    QWidget frmEntry;
    QWidget frmUserSelect;
    PageDriver driver;
    QElapsedTimer sinceLoad;
    int programEnds = 0;
    int mainShown = 0;
    qint64 mainShownAfterMs = -1;
    bool wizardOpenAtMain = false;
    bool splashVisibleAtMain = false;
};

void finishFirstRun(StartUp &s)
{
    s.driver
        .then(s.wizard.frmUserName(),
            [&s](SetupPage &page) {
                QVERIFY(s.splash.isVisible()); // the wizard opens over the splash
                QVERIFY(!s.p.SplashDone);
                click(page, "cmdNext");
            })
        .then(s.wizard.frmLocalEmail(), [](SetupPage &page) { click(page, "cmdNext"); })
        .then(s.wizard.frmCellEmail(), [](SetupPage &page) {
            type(page, 0, QStringLiteral("alice@sms.example"));
            click(page, "cmdNext");
        });
}

} // namespace

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void handsOver_data();
    void handsOver();
    void showsTwoSecondsThenMainWindow();
    void aboutBoxLeavesStartUpAlone();
    void firstRunCancelledShowsNothing();
    void dialogPosition_data();
    void dialogPosition();
};

void TestSplash::handsOver_data()
{
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<bool>("startSmall");

    QTest::newRow("normal start") << false << false;
    QTest::newRow("start small") << false << true;
    QTest::newRow("first run") << true << false;
    QTest::newRow("first run, start small") << true << true;
}

void TestSplash::handsOver()
{
    QFETCH(bool, firstRun);
    QFETCH(bool, startSmall);
    StartUp s;
    if (!firstRun)
        s.env.addUser(1, QStringLiteral("Desk"), QStringLiteral("desk@sms.example"));
    s.p.FirstRun = firstRun;
    s.p.StartSmall = startSmall;
    if (firstRun)
        finishFirstRun(s);
    s.start(30);
    QVERIFY(!s.splash.cmdOK->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(s.p.SplashDone, 10000);
    QVERIFY2(s.driver.failure.isEmpty(), qPrintable(s.driver.failure));
    if (firstRun)
        QVERIFY(s.driver.finished());
    QCOMPARE(s.p.SetupUser, firstRun ? 1 : 0); // the wizard runs on a first run only

    QCOMPARE(s.mainShown, startSmall ? 0 : 1);
    if (!startSmall) {
        QVERIFY(!s.wizardOpenAtMain); // only after the wizard has finished
        QVERIFY(s.splashVisibleAtMain); // and hidden after that
    }
    QVERIFY(!s.splash.isVisible());
    QVERIFY(!s.splash.tmrSplash1.isActive());
    QVERIFY(!s.p.FirstRun);
    QCOMPARE(s.p.ShowFirstTimeMessages, firstRun);
    if (firstRun) {
        QCOMPARE(s.env.settings.ReadSetting("Options", "Current User", "0"), QStringLiteral("1"));
        QCOMPARE(s.env.settings.ReadSetting("User1", "Name", ""), QStringLiteral("alice"));
    }
    QCOMPARE(s.programEnds, 0);
}

void TestSplash::showsTwoSecondsThenMainWindow()
{
    StartUp s;
    QCOMPARE(s.splash.tmrSplash1.interval(), 2000);
    s.start(0);
    QVERIFY(s.splash.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(s.mainShown == 1, 5000);
    QVERIFY2(s.mainShownAfterMs >= 1900 && s.mainShownAfterMs < 3000,
        qPrintable(QString::number(s.mainShownAfterMs)));
    QVERIFY(s.p.SplashDone);
    QVERIFY(!s.splash.isVisible());
}

void TestSplash::aboutBoxLeavesStartUpAlone()
{
    StartUp s;
    const QList<QWidget *> forms = s.dialogs();
    for (QWidget *form : forms)
        form->move(3, 4);
    s.start(10);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (QWidget *form : forms) // placed at start-up, each by its own size
        QCOMPARE(form->pos(), DialogPosition(screen, form->size()));
    QTRY_VERIFY(s.p.SplashDone);
    for (QWidget *form : forms)
        form->move(7, 9);

    for (int opening = 0; opening < 2; ++opening) {
        s.splash.ShowAbout();
        QTRY_VERIFY(s.splash.cmdOK->isVisible());
        QVERIFY(s.p.AboutMode);
        QCOMPARE(s.splash.cmdOK->text(), QStringLiteral("&OK"));
        QCOMPARE(s.splash.lblInfo.at(0)->text(), QStringLiteral("Version 1.0"));
        QVERIFY(!s.splash.lblInfo.at(1)->text().isEmpty());
        QVERIFY(!s.splash.tmrSplash1.isActive());
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

void TestSplash::firstRunCancelledShowsNothing()
{
    StartUp s;
    s.p.FirstRun = true;
    s.env.boxes.queueAnswer(MessageBoxes::Answer::Yes);
    s.driver.then(s.wizard.frmUserName(), [](SetupPage &page) { click(page, "cmdCancel"); });
    s.start(10);
    QTRY_VERIFY_WITH_TIMEOUT(s.programEnds == 1, 10000);
    QTRY_VERIFY(!s.wizard.frmUserName().isVisible());
    QTest::qWait(20);
    QCOMPARE(s.mainShown, 0);
    QVERIFY(s.p.FirstRun);
    QVERIFY(!s.p.ShowFirstTimeMessages);
    QVERIFY(!s.p.SplashDone);
    QVERIFY(!s.env.settings.HasSetting("Options", "Current User"));
}

void TestSplash::dialogPosition_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QSize>("form");
    QTest::addColumn<QPoint>("expected");

    // At the design size this is W / 2 x 15.225 - 3045 twips, 15 twips to the pixel.
    QTest::newRow("design size") << QRect(0, 0, 1280, 1024) << QSize(406, 305) << QPoint(447, 367);
    QTest::newRow("second screen")
        << QRect(1280, 0, 1920, 1080) << QSize(406, 305) << QPoint(1280 + 771, 396);
    QTest::newRow("form above the screen size")
        << QRect(0, 0, 800, 600) << QSize(1000, 700) << QPoint(0, 0);
}

void TestSplash::dialogPosition()
{
    QFETCH(QRect, screen);
    QFETCH(QSize, form);
    QFETCH(QPoint, expected);
    QCOMPARE(DialogPosition(screen, form), expected);
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
