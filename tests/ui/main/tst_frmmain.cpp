#include "app/Program.h"
#include "support/TestEnvironment.h"
#include "ui/main/DaySlots.h"
#include "ui/main/FlexGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/main/MarkedCalendar.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString Options = QStringLiteral("Options");
const QString Cell = QStringLiteral("|5551234567@txt.example.net,");

// A user with a message file, and the main window loaded and shown for that user.
struct MainWindowFixture {
    TestEnvironment env;
    std::unique_ptr<FrmMain> w;

    explicit MainWindowFixture(const QStringList &records = {}, bool withFile = true)
    {
        env.settings.WriteSetting(Options, QStringLiteral("Current User"), QStringLiteral("1"));
        env.addUser(1, QStringLiteral("Ada"), QStringLiteral("5551234567@txt.example.net"));
        if (withFile)
            env.writeMessageFile(1, records);
        w = std::make_unique<FrmMain>(env.program);
        w->Form_Load();
        w->show();
        w->tmrDateStay.stop();
    }

    QTableWidgetItem *cell(int row) { return w->flxApp->cell(row, 1); }

    void showDay(const QDate &day)
    {
        w->Calendar1->setSelectedDate(day);
        w->tmrDateStay.stop();
        w->LoadScreenData(day.toString(QStringLiteral("yyyy/MM/dd")));
    }

    QList<int> visibleMarks() const
    {
        QList<int> marks;
        for (int i = 0; i <= 42; ++i) {
            if (w->Calendar1->picCheck[i].Visible)
                marks.append(i);
        }
        return marks;
    }
};

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void marksOnPage_data();
    void marksOnPage();
    void selectedMarkColour();
    void colours_data();
    void colours();
    void recordRows();
    void openSlot_data();
    void openSlot();
    void blankRowOpensNothing();
    void topRowRestoredAfterEdit();
    void quickClicksReadOnce();
    void markClickSelectsDay();
    void userWithoutFile();
    void colourRow_data();
    void colourRow();
    void geometryRoundTrip();
    void maximisedStoresOnlyState();
    void zeroIsEmptyText();
    void scrolling();
    void resizeWhileScrolledSideways();
};

void TestFrmMain::marksOnPage_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<int>("mark"); // 0: none
    QTest::newRow("day before the page") << "2002/08/24 10:00 AM" << 0;
    QTest::newRow("first day: previous month") << "2002/08/25 10:00 AM" << 1;
    QTest::newRow("the 1st") << "2002/09/01 10:00 AM" << 8;
    QTest::newRow("last day: next month") << "2002/10/05 10:00 AM" << 42;
    QTest::newRow("day after the page") << "2002/10/06 10:00 AM" << 0;
}

void TestFrmMain::marksOnPage()
{
    QFETCH(QString, stamp);
    QFETCH(int, mark);
    MainWindowFixture f({ stamp + QStringLiteral("NHello") + Cell });
    f.showDay(QDate(2002, 9, 10));
    QCOMPARE(f.env.program.FirstGridDate, QDate(2002, 8, 25));
    QCOMPARE(f.visibleMarks(), mark ? QList<int> { mark } : QList<int> {});
}

void TestFrmMain::selectedMarkColour()
{
    MainWindowFixture f({ QStringLiteral("2002/09/10 10:00 AMNa") + Cell,
        QStringLiteral("2002/09/10 11:00 AMNb") + Cell,
        QStringLiteral("2002/09/12 10:00 AMNc") + Cell });
    f.showDay(QDate(2002, 9, 10));
    QCOMPARE(f.visibleMarks(), (QList<int> { 17, 19 }));
    const QPalette palette = f.w->palette();
    QCOMPARE(f.w->Calendar1->picCheck[17].BackColor, palette.color(QPalette::Dark));
    QCOMPARE(f.w->Calendar1->picCheck[19].BackColor, palette.color(QPalette::Window));
    QVERIFY(palette.color(QPalette::Dark) != palette.color(QPalette::Window));
}

void TestFrmMain::colours_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("colour");
    const QDateTime now(QDate(2026, 3, 14), QTime(10, 15, 40));
    QTest::newRow("due this minute: black") << "2026/03/14 10:15 AMNx" << now << "black";
    QTest::newRow("a minute ago: red") << "2026/03/14 10:14 AMNx" << now << "red";
    QTest::newRow("later today: black") << "2026/03/14 10:16 AMNx" << now << "black";
    QTest::newRow("seen the minute before: black")
        << "2026/03/13 11:59 PMNx" << QDateTime(QDate(2026, 3, 13), QTime(23, 58, 59)) << "black";
    QTest::newRow("the day before today: red") << "2026/03/13 11:59 PMNx" << now << "red";
    QTest::newRow("sent a minute ago: grey") << "2026/03/14 10:14 AMSx" << now << "grey";
}

void TestFrmMain::colours()
{
    QFETCH(QString, record);
    QFETCH(QDateTime, now);
    QFETCH(QString, colour);
    MainWindowFixture f({ record + Cell });
    f.env.clock.set(now);
    const QDate day = QDate::fromString(record.left(10), QStringLiteral("yyyy/MM/dd"));
    f.showDay(day);
    const int row = DaySlots::RowOfTime(record.mid(11, 8));
    QCOMPARE(f.cell(row)->text(), QStringLiteral("x"));
    const QColor expected = colour == QLatin1String("grey")
        ? f.w->palette().color(QPalette::Disabled, QPalette::Text)
        : colour == QLatin1String("red") ? QColor(255, 0, 0)
                                         : QColor(0, 0, 0);
    QCOMPARE(f.cell(row)->foreground().color(), expected);
}

void TestFrmMain::recordRows()
{
    MainWindowFixture f({ QStringLiteral("2026/03/14 10:07 AMNten past") + Cell,
        QStringLiteral("2026/03/14 11:58 PMNlate") + Cell,
        QStringLiteral("2026/03/15 10:00 AMNnext day") + Cell });
    f.showDay(QDate(2026, 3, 14));
    QCOMPARE(f.w->flxApp->cell(41, 0)->text(), QStringLiteral("10:00 AM"));
    QCOMPARE(f.cell(41)->text(), QStringLiteral("ten past"));
    QCOMPARE(f.cell(97)->text(), QStringLiteral("late"));
    QCOMPARE(f.w->flxApp->cell(97, 0)->text(), QString());
    int filled = 0;
    for (int row = 1; row <= 97; ++row)
        filled += f.cell(row)->text().isEmpty() ? 0 : 1;
    QCOMPARE(filled, 2);
}

void TestFrmMain::openSlot_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QTime>("time");
    QTest::newRow("row 1") << 1 << "2026/03/20 12:00 AM" << QTime(0, 0);
    QTest::newRow("row 49") << 49 << "2026/03/20 12:00 PM" << QTime(12, 0);
    QTest::newRow("row 96") << 96 << "2026/03/20 11:45 PM" << QTime(23, 45);
}

void TestFrmMain::openSlot()
{
    QFETCH(int, row);
    QFETCH(QString, stamp);
    QFETCH(QTime, time);
    MainWindowFixture f;
    f.showDay(QDate(2026, 3, 20));
    QString opened;
    int reloads = 0;
    f.w->openEntryForm = [&] { opened = f.env.program.SelectedStamp; };
    f.w->loadNextMessage = [&] { ++reloads; };
    f.w->flxApp->setCurrentCell(row - 1, 1);
    f.w->flxApp_Click();
    QCOMPARE(opened, stamp);
    QCOMPARE(f.env.program.SelectedSlot, QDateTime(QDate(2026, 3, 20), time));
    QCOMPARE(reloads, 1);
}

void TestFrmMain::blankRowOpensNothing()
{
    MainWindowFixture f;
    f.showDay(QDate(2026, 3, 20));
    bool opened = false;
    f.w->openEntryForm = [&] { opened = true; };
    f.w->flxApp->setCurrentCell(96, 1);
    f.w->flxApp_Click();
    QVERIFY(!opened);
}

void TestFrmMain::topRowRestoredAfterEdit()
{
    MainWindowFixture f;
    f.showDay(QDate(2026, 3, 20));
    QCOMPARE(f.w->flxApp->TopRow(), 33);
    f.w->flxApp->setTopRow(60);
    QCOMPARE(f.w->flxApp->TopRow(), 60);
    // The entry form saves a record; the grid comes back at the same place.
    f.w->openEntryForm = [&] {
        f.env.writeMessageFile(1, { QStringLiteral("2026/03/20 03:00 PMNsaved") + Cell });
    };
    f.w->flxApp->setCurrentCell(60, 1);
    f.w->flxApp_Click();
    QCOMPARE(f.cell(61)->text(), QStringLiteral("saved"));
    QCOMPARE(f.w->flxApp->TopRow(), 60);
    QVERIFY(!f.env.program.RestoreTopRow);
    QCOMPARE(f.env.program.SavedTopRow, 33);
    // Any other load shows 8:00 AM at the top.
    f.w->flxApp->setTopRow(70);
    f.showDay(QDate(2026, 3, 20));
    QCOMPARE(f.w->flxApp->TopRow(), 33);
}

void TestFrmMain::quickClicksReadOnce()
{
    MainWindowFixture f({ QStringLiteral("2026/06/02 09:00 AMNjune") + Cell });
    f.env.clock.set(QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    f.w->cmdToday_Click();
    QTRY_VERIFY(!f.w->tmrDateStay.isActive());
    QSignalSpy loads(f.w.get(), &FrmMain::screenLoaded);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(f.w->cmdNext, Qt::LeftButton);
    QCOMPARE(f.cell(37)->text(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 1, 3000);
    QTest::qWait(800);
    QCOMPARE(loads.size(), 1);
    QCOMPARE(loads.first().first().toDate(), QDate(2026, 6, 2));
    QCOMPARE(f.cell(37)->text(), QStringLiteral("june"));
}

void TestFrmMain::markClickSelectsDay()
{
    MainWindowFixture f({ QStringLiteral("2002/10/04 09:00 AMNoctober") + Cell });
    f.showDay(QDate(2002, 9, 10));
    QCOMPARE(f.visibleMarks(), QList<int> { 41 });
    f.w->picCheck_Click(41);
    QCOMPARE(f.w->Calendar1->selectedDate(), QDate(2002, 10, 4));
    QVERIFY(f.visibleMarks().isEmpty());
    QVERIFY(f.w->tmrDateStay.isActive());
}

void TestFrmMain::userWithoutFile()
{
    MainWindowFixture f({}, false);
    QSignalSpy loads(f.w.get(), &FrmMain::screenLoaded);
    f.env.program.RestoreTopRow = true;
    f.env.program.SavedTopRow = 50;
    f.showDay(QDate(2026, 3, 14));
    QVERIFY(f.visibleMarks().isEmpty());
    for (int row = 1; row <= 97; ++row)
        QVERIFY(f.cell(row)->text().isEmpty());
    QCOMPARE(loads.size(), 0);
    // The saved place waits for a load that finds a file.
    QVERIFY(f.env.program.RestoreTopRow);
    QCOMPARE(f.env.program.SavedTopRow, 50);
}

void TestFrmMain::colourRow_data()
{
    QTest::addColumn<int>("user");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("colour");
    QTest::newRow("sent: grey") << 1 << "2026/03/14"
                                << "9:15 AM"
                                << "call" << true << "grey";
    QTest::newRow("failed: red") << 1 << "2026/03/14"
                                 << "9:15 AM"
                                 << "call" << false << "red";
    QTest::newRow("another user") << 2 << "2026/03/14"
                                  << "9:15 AM"
                                  << "call" << true << "black";
    QTest::newRow("instant message") << 21 << "2026/03/14"
                                     << "9:15 AM"
                                     << "call" << true << "black";
    QTest::newRow("another day") << 1 << "2026/03/15"
                                 << "9:15 AM"
                                 << "call" << true << "black";
    QTest::newRow("other text") << 1 << "2026/03/14"
                                << "9:15 AM"
                                << "cal" << true << "black";
    QTest::newRow("other time") << 1 << "2026/03/14"
                                << "9:30 AM"
                                << "call" << true << "black";
}

void TestFrmMain::colourRow()
{
    QFETCH(int, user);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, text);
    QFETCH(bool, sent);
    QFETCH(QString, colour);
    MainWindowFixture f({ QStringLiteral("2026/03/14 09:15 AMNcall") + Cell });
    f.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
    f.showDay(QDate(2026, 3, 14));
    f.w->colourRow(user, date, time, text, sent);
    const QColor expected = colour == QLatin1String("grey")
        ? f.w->palette().color(QPalette::Disabled, QPalette::Text)
        : colour == QLatin1String("red") ? QColor(255, 0, 0)
                                         : QColor(0, 0, 0);
    QCOMPARE(f.cell(38)->foreground().color(), expected);
}

void TestFrmMain::geometryRoundTrip()
{
    TestEnvironment env;
    const double tpp = 15;
    for (const auto &[key, value] : { std::pair { "Top", "600" }, { "Left", "900" },
             { "Width", "7610" }, { "Height", "8190" } })
        env.settings.WriteSetting(Options, QString::fromLatin1(key), QString::fromLatin1(value));
    FrmMain w(env.program);
    if (w.twipsPerPixelX() != tpp || w.twipsPerPixelY() != tpp)
        QSKIP("the figures below are for 15 twips per pixel");
    w.Form_Load();
    w.show();
    QCOMPARE(w.sizeTwips(), QSize(7610, 8190));
    QCOMPARE(w.pos(), QPoint(60, 40));
    for (const char *key : { "Top", "Left", "Width", "Height", "WindowState" })
        env.settings.WriteSetting(Options, QString::fromLatin1(key), QStringLiteral("1234"));
    w.SaveScreen();
    auto read = [&](const char *key) {
        return env.settings.ReadSetting(Options, QString::fromLatin1(key), QStringLiteral("?"));
    };
    QCOMPARE(read("Top"), QStringLiteral("600"));
    QCOMPARE(read("Left"), QStringLiteral("900"));
    QCOMPARE(read("Width"), QStringLiteral("7610"));
    QCOMPARE(read("Height"), QStringLiteral("8190"));
    QCOMPARE(read("WindowState"), QStringLiteral("0"));
}

void TestFrmMain::maximisedStoresOnlyState()
{
    TestEnvironment env;
    env.settings.WriteSetting(Options, QStringLiteral("Width"), QStringLiteral("7310"));
    {
        FrmMain w(env.program);
        w.Form_Load();
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        w.Unload();
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(
        env.settings.ReadSetting(Options, QStringLiteral("WindowState"), {}), QStringLiteral("2"));
    QCOMPARE(
        env.settings.ReadSetting(Options, QStringLiteral("Width"), {}), QStringLiteral("7310"));
    QVERIFY(!env.settings.HasSetting(Options, QStringLiteral("Top")));
    QVERIFY(!env.settings.HasSetting(Options, QStringLiteral("Height")));
    FrmMain next(env.program);
    next.Form_Load();
    QVERIFY(next.windowState() & Qt::WindowMaximized);
}

void TestFrmMain::zeroIsEmptyText()
{
    TestEnvironment env;
    env.settings.WriteSetting(Options, QStringLiteral("Top"), QString());
    env.settings.WriteSetting(Options, QStringLiteral("Left"), QStringLiteral("zero"));
    FrmMain w(env.program);
    w.Form_Load();
    w.show();
    QCOMPARE(w.pos(), QPoint(0, 0));
    w.SaveScreen();
    QCOMPARE(
        env.settings.ReadSetting(Options, QStringLiteral("Top"), QStringLiteral("?")), QString());
    QCOMPARE(
        env.settings.ReadSetting(Options, QStringLiteral("Left"), QStringLiteral("?")), QString());
}

void TestFrmMain::scrolling()
{
    TestEnvironment env;
    env.settings.WriteSetting(Options, QStringLiteral("Width"), QStringLiteral("7010"));
    env.settings.WriteSetting(Options, QStringLiteral("Height"), QStringLiteral("7020"));
    FrmMain w(env.program);
    w.Form_Load();
    w.show();
    const QSize size = w.sizeTwips();
    QCOMPARE(w.VScroll1->maximum(), 7860 - size.height());
    QCOMPARE(w.HScroll1->maximum(), 7160 - size.width());
    QList<QWidget *> controls;
    controls << w.Calendar1 << w.flxApp << w.cmdToday << w.cmdPrevious << w.cmdNext
             << w.cmdPreviousYear << w.cmdNextYear << w.lblInfo[0] << w.lblInfo[1] << w.lblInfo[2];
    QList<QRectF> before;
    for (QWidget *c : controls)
        before.append(w.placeOf(c));

    w.VScroll1->setSliderPosition(300);
    for (int i = 0; i < controls.size(); ++i)
        QCOMPARE(w.placeOf(controls[i]), before[i].translated(0, -300));
    w.VScroll1->setSliderPosition(0);
    for (int i = 0; i < controls.size(); ++i)
        QCOMPARE(w.placeOf(controls[i]), before[i]);

    const int step = int(std::lround(10 * w.twipsPerPixelY()));
    w.VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(w.placeOf(w.flxApp).top(), before[1].top() - step);
    w.VScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(w.placeOf(w.flxApp).top(), before[1].top() - 2 * step);

    // Growing past the natural size hides the bar and brings the content back.
    w.setSizeTwips(8000, 9000);
    QVERIFY(!w.VScroll1->isVisible());
    QCOMPARE(w.LastVScrollValue, 0);
    QCOMPARE(w.placeOf(w.Calendar1).top(), -120.0);
}

void TestFrmMain::resizeWhileScrolledSideways()
{
    TestEnvironment env;
    env.settings.WriteSetting(Options, QStringLiteral("Width"), QStringLiteral("6110"));
    env.settings.WriteSetting(Options, QStringLiteral("Height"), QStringLiteral("8190"));
    FrmMain w(env.program);
    w.Form_Load();
    w.show();
    w.HScroll1->setSliderPosition(600);
    w.setSizeTwips(6410, 8190);
    QCOMPARE(w.HScroll1->value(), 600);
    w.HScroll1->setSliderPosition(0);
    // Back at the left edge every control stands where the formulas put it unscrolled.
    QCOMPARE(w.placeOf(w.Calendar1).left(), 0.0);
    QCOMPARE(w.placeOf(w.flxApp).left(), 200.0);
    QCOMPARE(w.placeOf(w.cmdToday).left(), 7160 / 2 - 3068.0);
    QCOMPARE(w.placeOf(w.cmdNextYear).left(), 7160 / 2 + 2692.0);
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
