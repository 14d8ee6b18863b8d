#include "delivery/MailDelivery.h"
#include "delivery/Scheduler.h"
#include "store/Stamp.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "ui/entry/DialogScript.h"
#include "ui/entry/EntryDialog.h"
#include "ui/main/DaySlots.h"
#include "ui/main/FlexGrid.h"
#include "ui/main/MarkedCalendar.h"
#include "ui/main/StartedProgram.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

const QString Cell = QStringLiteral("|5551234567@txt.example.net,");

// A user with a message file, and the main window loaded and shown for that user.
struct MainWindowFixture : StartedProgram {
    explicit MainWindowFixture(const QStringList &records = {}, bool withFile = true)
    {
        if (withFile)
            env.writeMessageFile(1, records);
        w().Form_Load();
        w().show();
        w().tmrDateStay.stop();
    }

    QTableWidgetItem *cell(int row) { return w().flxApp->cell(row, 1); }

    void showDay(const QDate &day)
    {
        w().Calendar1->setSelectedDate(day);
        w().tmrDateStay.stop();
        w().LoadScreenData(day.toString("yyyy/MM/dd"));
    }

    QList<int> visibleMarks()
    {
        QList<int> marks;
        for (int i = 0; i <= 42; ++i) {
            if (w().Calendar1->picCheck[i].Visible)
                marks.append(i);
        }
        return marks;
    }

    QColor colour(const QString &name)
    {
        if (name == "grey")
            return w().palette().color(QPalette::Disabled, QPalette::Text);
        return name == "red" ? QColor(255, 0, 0) : QColor(0, 0, 0);
    }
};

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    // The September 2002 page runs from 25 August to 5 October; days of the neighbouring
    // months are marked, days outside the 42 are not, the selected day's mark is dark, and
    // a click on a mark selects its day.
    void marks()
    {
        QStringList records;
        for (const char *day : { "2002/08/24", "2002/08/25", "2002/09/01", "2002/09/10",
                 "2002/09/12", "2002/10/05", "2002/10/06" })
            records << QString::fromLatin1(day) + " 10:00 AMNHello" + Cell;
        MainWindowFixture f(records);
        f.showDay(QDate(2002, 9, 10));
        QCOMPARE(f.env.program.FirstGridDate, QDate(2002, 8, 25));
        QCOMPARE(f.visibleMarks(), (QList<int> { 1, 8, 17, 19, 42 }));
        const QPalette palette = f.w().palette();
        QCOMPARE(f.w().Calendar1->picCheck[17].BackColor, palette.color(QPalette::Dark));
        QCOMPARE(f.w().Calendar1->picCheck[19].BackColor, palette.color(QPalette::Window));
        f.w().picCheck_Click(42);
        QCOMPARE(f.w().Calendar1->selectedDate(), QDate(2002, 10, 5));
        QVERIFY(f.w().tmrDateStay.isActive());
    }

    void colours_data()
    {
        Columns<QString, QDateTime, QString>({ "record", "now", "colour" });
        const QDateTime now(QDate(2026, 3, 14), QTime(10, 15, 40));
        QTest::newRow("due this minute: black") << "2026/03/14 10:15 AMNx" << now << "black";
        QTest::newRow("a minute ago: red") << "2026/03/14 10:14 AMNx" << now << "red";
        QTest::newRow("seen the minute before: black")
            << "2026/03/13 11:59 PMNx" << QDateTime(QDate(2026, 3, 13), QTime(23, 58, 59))
            << "black";
        QTest::newRow("the day before today: red") << "2026/03/13 11:59 PMNx" << now << "red";
        QTest::newRow("sent a minute ago: grey") << "2026/03/14 10:14 AMSx" << now << "grey";
    }
    void colours()
    {
        QFETCH(QString, record);
        QFETCH(QDateTime, now);
        QFETCH(QString, colour);
        MainWindowFixture f({ record + Cell });
        f.env.clock.set(now);
        f.showDay(QDate::fromString(record.left(10), "yyyy/MM/dd"));
        const int row = DaySlots::RowOfTime(record.mid(11, 8));
        QCOMPARE(f.cell(row)->text(), "x");
        QCOMPARE(f.cell(row)->foreground().color(), f.colour(colour));
    }

    // A failed delivery turns red the logged-in user's row of the day on show where the
    // load put the record (the grey of a sent one is seen on the whole road below).
    void colourRow_data()
    {
        Columns<int, QString, int, bool>({ "user", "time", "row", "red" });
        QTest::newRow("failed: red") << 1 << "09:15 AM" << 38 << true;
        QTest::newRow("off the quarter hour") << 1 << "10:05 AM" << 41 << true;
        QTest::newRow("another user's") << 2 << "09:15 AM" << 38 << false;
    }
    void colourRow()
    {
        QFETCH(int, user);
        QFETCH(QString, time);
        QFETCH(int, row);
        MainWindowFixture f({ "2026/03/14 " + time + "Ncall" + Cell });
        f.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
        f.showDay(QDate(2026, 3, 14));
        const QTime due = Stamp::timeOfMinute(Stamp::parseTime(time));
        f.w().colourRow(user, QDateTime(QDate(2026, 3, 14), due), "call", false);
        QFETCH(bool, red);
        QCOMPARE(f.cell(row)->foreground().color(), f.colour(red ? "red" : "black"));
    }

    void recordRows()
    {
        MainWindowFixture f(
            { "2026/03/14 08:08 AMNeight past" + Cell, "2026/03/14 10:07 AMNten past" + Cell,
                "2026/03/14 11:58 PMNlate" + Cell, "2026/03/15 10:00 AMNnext day" + Cell });
        f.showDay(QDate(2026, 3, 14));
        QCOMPARE(f.cell(34)->text(), "eight past"); // 8:15 AM
        QCOMPARE(f.w().flxApp->cell(41, 0)->text(), "10:00 AM");
        QCOMPARE(f.cell(41)->text(), "ten past");
        QCOMPARE(f.cell(97)->text(), "late");
        QCOMPARE(f.w().flxApp->cell(97, 0)->text(), QString());
        int filled = 0;
        for (int row = 1; row <= 97; ++row)
            filled += f.cell(row)->text().isEmpty() ? 0 : 1;
        QCOMPARE(filled, 3);
        // The next day shows nothing of this one, in the blank row neither.
        f.showDay(QDate(2026, 3, 15));
        QCOMPARE(f.cell(97)->text(), QString());
    }

    // No sideways scroll bar while the texts fit; a long text can be scrolled to, and the
    // times stay in view beside it; a click never shifts the grid sideways.
    void timeColumnStaysInView()
    {
        MainWindowFixture f({ "2026/03/14 08:00 AMNshort" + Cell,
            "2026/03/15 08:15 AMN" + QString(400, u'w') + Cell });
        FlexGrid *grid = f.w().flxApp;
        QScrollBar *sideways = grid->horizontalScrollBar();
        f.showDay(QDate(2026, 3, 14));
        QCoreApplication::processEvents(); // the grid lays out its columns afterwards
        QCOMPARE(sideways->maximum(), 0);
        f.showDay(QDate(2026, 3, 15));
        QCoreApplication::processEvents();
        QVERIFY(sideways->maximum() > 0);
        sideways->setValue(sideways->maximum());
        QVERIFY(grid->verticalHeader()->isVisible());
        QCOMPARE(
            grid->verticalHeader()->model()->headerData(33, Qt::Vertical).toString(), "8:15 AM");
        // What a click does before the entry form opens.
        grid->setCurrentCell(33, 0);
        QCOMPARE(sideways->value(), sideways->maximum());
        sideways->setValue(0);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(sideways->value(), 0);
    }

    void openSlot_data()
    {
        Columns<int, QTime>({ "row", "time" });
        QTest::newRow("row 1") << 1 << QTime(0, 0);
        QTest::newRow("row 49") << 49 << QTime(12, 0);
        QTest::newRow("row 96") << 96 << QTime(23, 45);
        QTest::newRow("blank row") << 97 << QTime();
    }
    void openSlot()
    {
        QFETCH(int, row);
        QFETCH(QTime, time);
        MainWindowFixture f;
        f.showDay(QDate(2026, 3, 20));
        QDateTime opened;
        int reloads = 0;
        f.w().editSlot = [&](const QDateTime &slot) { opened = slot; };
        f.w().loadNextMessage = [&] { ++reloads; };
        f.w().flxApp->setCurrentCell(row - 1, 0);
        f.w().flxApp_Click();
        QCOMPARE(opened, time.isValid() ? QDateTime(QDate(2026, 3, 20), time) : QDateTime());
        QCOMPARE(reloads, time.isValid() ? 1 : 0);
    }

    void topRowRestoredAfterEdit()
    {
        MainWindowFixture f;
        f.showDay(QDate(2026, 3, 20));
        QCOMPARE(f.w().flxApp->TopRow(), 33);
        f.w().flxApp->setTopRow(60);
        // The entry form saves a record; the grid comes back at the same place.
        f.w().editSlot = [&](const QDateTime &) {
            f.env.writeMessageFile(1, { "2026/03/20 03:00 PMNsaved" + Cell });
        };
        f.w().flxApp->setCurrentCell(60, 0);
        f.w().flxApp_Click();
        QCOMPARE(f.cell(61)->text(), "saved");
        QCOMPARE(f.w().flxApp->TopRow(), 60);
        // Any other load shows 8:00 AM at the top.
        f.w().flxApp->setTopRow(70);
        f.showDay(QDate(2026, 3, 20));
        QCOMPARE(f.w().flxApp->TopRow(), 33);
    }

    void quickClicksReadOnce()
    {
        MainWindowFixture f({ "2026/06/02 09:00 AMNjune" + Cell });
        f.env.clock.set(QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
        f.w().cmdToday_Click();
        QTRY_VERIFY(!f.w().tmrDateStay.isActive());
        QSignalSpy loads(&f.w(), &FrmMain::screenLoaded);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(f.w().cmdNext, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 1, 3000);
        QTest::qWait(800);
        QCOMPARE(loads.size(), 1);
        QCOMPARE(loads.first().first().toDate(), QDate(2026, 6, 2));
        QCOMPARE(f.cell(37)->text(), "june");
    }

    void userWithoutFile()
    {
        MainWindowFixture f({}, false);
        f.showDay(QDate(2026, 3, 14));
        QVERIFY(f.visibleMarks().isEmpty());
        for (int row = 1; row <= 97; ++row)
            QVERIFY(f.cell(row)->text().isEmpty());
    }

    // Twips, written "#####", 0 as the empty text, read whole also beyond 16 bits (a place
    // right of 2,184 pixels); a maximised window stores only its state.
    void geometryRoundTrip_data()
    {
        Columns<QStringList, QPoint>({ "geometry", "place" });
        QTest::newRow("ordinary") << QStringList { "600", "900", "7610", "8190" } << QPoint(60, 40);
        QTest::newRow("right of 32767 twips")
            << QStringList { "600", "33000", "24110", "8190" } << QPoint(2200, 40);
    }
    void geometryRoundTrip()
    {
        QFETCH(QStringList, geometry);
        TestEnvironment env;
        const QStringList keys { "Top", "Left", "Width", "Height" };
        for (int i = 0; i < keys.size(); ++i)
            env.settings.WriteSetting("Options", keys[i], geometry[i]);
        FrmMain w(env.program);
        if (w.twipsPerPixelX() != 15 || w.twipsPerPixelY() != 15)
            QSKIP("the figures below are for 15 twips per pixel");
        w.Form_Load();
        w.show();
        QCOMPARE(w.sizeTwips(), QSize(geometry[2].toInt(), geometry[3].toInt()));
        QTEST(w.pos(), "place");
        w.SaveScreen();
        auto read = [&](const char *key) { return env.settings.ReadSetting("Options", key, "?"); };
        QCOMPARE(
            QStringList({ read("Top"), read("Left"), read("Width"), read("Height") }), geometry);
        QCOMPARE(read("WindowState"), "0");
        w.move(0, 0);
        w.SaveScreen();
        QCOMPARE(read("Top"), QString());
        QCOMPARE(read("Left"), QString());
        // A maximised window stores only its state, and the next start is maximised.
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        w.Unload();
        QCOMPARE(
            QStringList({ read("Width"), read("WindowState") }), QStringList({ geometry[2], "2" }));
        FrmMain next(env.program);
        next.Form_Load();
        QVERIFY(next.windowState() & Qt::WindowMaximized);
    }

    void scrolling()
    {
        TestEnvironment env;
        env.settings.WriteSetting("Options", "Width", "7010");
        env.settings.WriteSetting("Options", "Height", "7020");
        FrmMain w(env.program);
        w.Form_Load();
        w.show();
        QCOMPARE(w.VScroll1->maximum(), 7860 - w.sizeTwips().height());
        QCOMPARE(w.HScroll1->maximum(), 7160 - w.sizeTwips().width());
        const QList<QWidget *> controls { w.Calendar1, w.flxApp, w.cmdToday, w.cmdNextYear,
            w.lblInfo[2] };
        QList<QRectF> before;
        for (QWidget *c : controls)
            before.append(w.placeOf(c));
        w.VScroll1->setSliderPosition(300);
        w.HScroll1->setSliderPosition(100);
        for (int i = 0; i < controls.size(); ++i)
            QCOMPARE(w.placeOf(controls[i]), before[i].translated(-100, -300));
        // A resize while scrolled sideways keeps the controls where the scroll bar says.
        w.setSizeTwips(7060, 7020);
        w.HScroll1->setSliderPosition(0);
        w.VScroll1->setSliderPosition(0);
        for (int i = 0; i < controls.size(); ++i)
            QCOMPARE(w.placeOf(controls[i]), before[i]);
        // Growing past the natural size hides the bars and brings the content back.
        w.VScroll1->setSliderPosition(300);
        w.setSizeTwips(8000, 9000);
        QVERIFY(!w.VScroll1->isVisible());
        QCOMPARE(w.placeOf(w.Calendar1).top(), -120.0);
    }

    // One message's whole road: a click on the grid, the entry form, the save, the grid
    // row and the scheduler's slot holding it, then its delivery at its minute (not before)
    // to a real server, the file's mark and the row turning grey.
    void oneMessageWholeRoad()
    {
        AiosmtpdServer server;
        QVERIFY2(server.start(), "aiosmtpd (python3-aiosmtpd) did not start");
        MainWindowFixture f;
        f.env.addUser(1, "Ada", "5551234567@txt.example.net", "ada@home.example", server.address());
        FakeConnectionService connection;
        MailDelivery delivery(f.env.program, f.store, connection);
        Scheduler scheduler(f.env.program, f.store, delivery, connection);
        f.w().loadNextMessage = [&] { scheduler.reload(); };
        connect(&scheduler, &Scheduler::delivered, &f.w(), &FrmMain::colourRow);
        f.showDay(QDate(2026, 3, 14));

        EntryDialog &dialog = f.startup.entryDialog();
        ModalSteps steps;
        steps.then(dialog, [&] {
            QTest::keyClicks(dialog.findChild<QWidget *>("textEdit"), "Lunch at noon?");
            playDialog(dialog, { "Save Message" });
        });
        f.w().flxApp->setCurrentCell(48, 0);
        f.w().flxApp_Click();
        QVERIFY2(steps.finished() && !steps.leftOpen, qPrintable(steps.failure));
        const QString saved = "2026/03/14 12:00 PMNLunch at noon?" + Cell;
        QCOMPARE(f.cell(49)->text(), "Lunch at noon?");
        QCOMPARE(scheduler.slot(1)->record.line, saved.toLatin1());

        f.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(11, 59, 59)));
        scheduler.checkDue();
        QVERIFY(!scheduler.isDelivering());
        f.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(12, 0, 0)));
        scheduler.checkDue();
        QVERIFY(server.waitForMail(1));
        QTRY_VERIFY(!scheduler.isDelivering());
        const QList<AiosmtpdServer::Mail> mail = server.takeMail();
        QCOMPARE(mail.size(), 1);
        QCOMPARE(mail.at(0).rcptTo, QStringList { "5551234567@txt.example.net" });
        QCOMPARE(mail.at(0).content, "Subject: Tolvane\n\nLunch at noon?\n");
        QCOMPARE(f.env.readMessageFile(1), QStringList { saved.left(19) + 'S' + saved.mid(20) });
        QCOMPARE(f.cell(49)->foreground().color(), f.colour("grey"));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
