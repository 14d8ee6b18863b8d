#include "store/Stamp.h"
#include "support/ModalSteps.h"
#include "ui/entry/DialogScript.h"
#include "ui/entry/EntryDialog.h"
#include "ui/main/DayPage.h"
#include "ui/main/DaySlots.h"
#include "ui/main/MailWarning.h"
#include "ui/main/StartedProgram.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

QColor colour(const QWidget &w, const QString &name)
{
    if (name == "grey")
        return w.palette().color(QPalette::Disabled, QPalette::Text);
    return name == "red" ? QColor(255, 0, 0) : QColor(0, 0, 0);
}

QList<int> visibleMarks(const MarkedCalendar &calendar)
{
    QList<int> marks;
    for (int i = 0; i <= DayPage::Days; ++i) {
        if (calendar.mark(i).visible)
            marks.append(i);
    }
    return marks;
}

// Records the days Qt paints on a page, to compare with the program's own page.
class RecordingCalendar : public MarkedCalendar {
public:
    mutable QList<QDate> painted;

protected:
    void paintCell(QPainter *painter, const QRect &rect, QDate date) const override
    {
        painted.append(date);
        MarkedCalendar::paintCell(painter, rect, date);
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // The September 2002 page runs from 25 August to 5 October; days of the neighbouring
    // months are marked, days outside the 42 are not, the selected day's mark is dark, and
    // the buttons show their day once the calendar has stood still.
    void marks()
    {
        QStringList records;
        for (const char *day : { "2002/08/24", "2002/08/25", "2002/09/01", "2002/09/10",
                 "2002/09/12", "2002/10/05", "2002/10/06" })
            records << QString::fromLatin1(day) + " 10:00 AMNHello" + ToAda;
        StartedProgram f;
        f.open(records);
        f.w().showDay(QDate(2002, 9, 10));
        QCOMPARE(f.calendar()->firstGridDate(), QDate(2002, 8, 25));
        QCOMPARE(visibleMarks(*f.calendar()), (QList<int> { 1, 8, 17, 19, 42 }));
        QCOMPARE(f.calendar()->mark(17).background, f.w().palette().color(QPalette::Dark));
        QCOMPARE(f.calendar()->mark(19).background, f.w().palette().color(QPalette::Window));
        QSignalSpy loads(&f.w(), &MainWindow::dayLoaded);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(f.child<QPushButton>("nextMonthButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 1, 3000);
        QTest::qWait(800); // quick clicks read the file once
        QCOMPARE(loads.size(), 1);
        QCOMPARE(loads.last().first().toDate(), QDate(2002, 12, 10));
        QTest::mouseClick(f.child<QPushButton>("todayButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 2, 3000);
        QCOMPARE(loads.last().first().toDate(), QDate(2026, 3, 14));
    }

    // A record's colour at load: black until its minute has passed, then red; grey once
    // sent. The scheduler's report turns the logged-in user's row where the load put the
    // record (off the quarter hour too) red when failed, grey when sent.
    void colours_data()
    {
        Columns<QString, QDateTime, QString, QString>({ "record", "now", "report", "colour" });
        const QDateTime now(QDate(2026, 3, 14), QTime(10, 15, 40));
        const QDateTime nine(QDate(2026, 3, 14), QTime(9, 0));
        auto row
            = [](const char *tag, const char *record, const QDateTime &at, const char *report,
                  const char *colour) { QTest::newRow(tag) << record << at << report << colour; };
        row("due this minute: black", "2026/03/14 10:15 AMNx", now, "", "black");
        row("a minute ago: red", "2026/03/14 10:14 AMNx", now, "", "red");
        row("seen the minute before: black", "2026/03/13 11:59 PMNx",
            QDateTime(QDate(2026, 3, 13), QTime(23, 58, 59)), "", "black");
        row("the day before today: red", "2026/03/13 11:59 PMNx", now, "", "red");
        row("sent a minute ago: grey", "2026/03/14 10:14 AMSx", now, "", "grey");
        row("reported failed: red", "2026/03/14 09:15 AMNx", nine, "failed", "red");
        row("reported sent: grey", "2026/03/14 09:15 AMNx", nine, "sent", "grey");
        row("off the quarter hour", "2026/03/14 10:05 AMNx", nine, "failed", "red");
        row("another user's", "2026/03/14 09:15 AMNx", nine, "Bob failed", "black");
    }
    void colours()
    {
        QFETCH(QString, record);
        QFETCH(QDateTime, now);
        QFETCH(QString, report);
        QFETCH(QString, colour);
        StartedProgram f;
        f.open({ record + ToAda });
        f.env.clock.set(now);
        const QDate day = QDate::fromString(record.left(10), "yyyy/MM/dd");
        f.w().showDay(day);
        const QTime time = Stamp::timeOfMinute(Stamp::parseTime(record.mid(11, 8)));
        if (!report.isEmpty())
            emit f.scheduler.delivered(
                report.startsWith("Bob") ? 2 : 1, QDateTime(day, time), "x", report == "sent");
        const int row = DaySlots::RowOfMinute(Stamp::minuteOfDay(time));
        QCOMPARE(f.cell(row)->text(), "x");
        QCOMPARE(f.cell(row)->foreground().color(), ::colour(f.w(), colour));
    }

    // Records off the quarter hour go to the nearest row, late ones to the blank row 97,
    // which the next day clears; a user without a file sees an empty page.
    void recordRows()
    {
        StartedProgram f;
        f.open({ "2026/03/14 08:08 AMNeight past" + ToAda, "2026/03/14 10:07 AMNten past" + ToAda,
            "2026/03/14 11:58 PMNlate" + ToAda, "2026/03/15 10:00 AMNnext day" + ToAda });
        const auto filled = [&] {
            QStringList rows;
            for (int row = 1; row <= 97; ++row)
                if (!f.cell(row)->text().isEmpty())
                    rows << QString::number(row) + ' ' + f.cell(row)->text();
            return rows.join(", ");
        };
        f.w().showDay(QDate(2026, 3, 14));
        QCOMPARE(filled(), "34 eight past, 41 ten past, 97 late"); // 8:15 AM, 10:00 AM
        QCOMPARE(f.grid()->cell(41, 0)->text(), "10:00 AM");
        QCOMPARE(f.grid()->cell(97, 0)->text(), QString());
        f.w().showDay(QDate(2026, 3, 15));
        QCOMPARE(filled(), "41 next day");
        QFile::remove(f.env.userFile(1));
        f.w().showDay(QDate(2026, 3, 14));
        QVERIFY(visibleMarks(*f.calendar()).isEmpty());
        QCOMPARE(filled(), QString());
    }

    // No sideways scroll bar while the texts fit; a long text can be scrolled to, and the
    // times stay in view beside it; a click never shifts the grid sideways.
    void timeColumnStaysInView()
    {
        StartedProgram f;
        f.open({ "2026/03/14 08:00 AMNshort" + ToAda,
            "2026/03/15 08:15 AMN" + QString(400, u'w') + ToAda });
        QScrollBar *sideways = f.grid()->horizontalScrollBar();
        f.w().showDay(QDate(2026, 3, 14));
        QCoreApplication::processEvents(); // the grid lays out its columns afterwards
        QCOMPARE(sideways->maximum(), 0);
        f.w().showDay(QDate(2026, 3, 15));
        QCoreApplication::processEvents();
        QVERIFY(sideways->maximum() > 0);
        sideways->setValue(sideways->maximum());
        QVERIFY(f.grid()->verticalHeader()->isVisible());
        QCOMPARE(f.grid()->verticalHeader()->model()->headerData(33, Qt::Vertical).toString(),
            "8:15 AM");
        f.grid()->setCurrentCell(33, 0); // what a click does before the entry form opens
        QCOMPARE(sideways->value(), sideways->maximum());
        sideways->setValue(0);
        QTest::keyClick(f.grid(), Qt::Key_Down);
        QCOMPARE(sideways->value(), 0);
    }

    // A click on a row opens the entry form for its slot; the message saved shows in its
    // row, at the same place, and waits in the scheduler's slot. Any other load shows
    // 8:00 AM at the top.
    void openSlot_data()
    {
        Columns<int, QString>({ "row", "time" });
        QTest::newRow("row 1") << 1 << "12:00 AM";
        QTest::newRow("row 61") << 61 << "03:00 PM";
        QTest::newRow("row 96") << 96 << "11:45 PM";
        QTest::newRow("blank row: nothing opens") << 97 << QString();
    }
    void openSlot()
    {
        QFETCH(int, row);
        QFETCH(QString, time);
        StartedProgram f;
        f.open();
        f.w().showDay(QDate(2026, 3, 20));
        QCOMPARE(f.grid()->topRow(), 33);
        EntryDialog &dialog = f.app.entryDialog();
        ModalSteps steps;
        if (!time.isEmpty())
            steps.then(dialog, [&] {
                QTest::keyClicks(dialog.findChild<QWidget *>("textEdit"), "Lunch?");
                playDialog(dialog, { "Save Message" });
            });
        f.grid()->setTopRow(60);
        f.grid()->setCurrentCell(row - 1, 0);
        const int top = f.grid()->topRow();
        emit f.grid()->cellClicked(row - 1, 0);
        QVERIFY2(steps.finished() && !steps.leftOpen, qPrintable(steps.failure));
        QCOMPARE(f.cell(row)->text(), time.isEmpty() ? "" : "Lunch?");
        QCOMPARE(f.scheduler.slot(1) ? f.scheduler.slot(1)->record.line : QByteArray(),
            time.isEmpty() ? QByteArray() : ("2026/03/20 " + time + "NLunch?" + ToAda).toLatin1());
        QCOMPARE(f.grid()->topRow(), top);
        f.w().showDay(QDate(2026, 3, 20));
        QCOMPARE(f.grid()->topRow(), 33);
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
        auto read
            = [&](const QString &key) { return env.settings.ReadSetting("Options", key, "?"); };
        for (int i = 0; i < keys.size(); ++i)
            env.settings.WriteSetting("Options", keys[i], geometry[i]);
        MainWindow w(env.program);
        if (w.twipsPerPixelX() != 15 || w.twipsPerPixelY() != 15)
            QSKIP("the figures below are for 15 twips per pixel");
        w.load();
        w.show();
        QCOMPARE(w.sizeTwips(), QSize(geometry[2].toInt(), geometry[3].toInt()));
        QTEST(w.pos(), "place");
        w.saveWindowPlace();
        QCOMPARE(
            QStringList({ read("Top"), read("Left"), read("Width"), read("Height") }), geometry);
        QCOMPARE(read("WindowState"), "0");
        w.move(0, 0);
        w.saveWindowPlace();
        QCOMPARE(read("Top") + read("Left"), QString());
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        w.unload();
        QCOMPARE(
            QStringList({ read("Width"), read("WindowState") }), QStringList({ geometry[2], "2" }));
        MainWindow next(env.program);
        next.load();
        QVERIFY(next.windowState() & Qt::WindowMaximized);
    }

    // Scrolled, every control moves with the bars, also after a resize; grown past the
    // natural size, the bars go and the content comes back.
    void scrolling()
    {
        TestEnvironment env;
        env.settings.WriteSetting("Options", "Width", "7010");
        env.settings.WriteSetting("Options", "Height", "7020");
        MainWindow w(env.program);
        w.load();
        w.show();
        auto *down = w.findChild<QScrollBar *>("verticalScroll");
        auto *across = w.findChild<QScrollBar *>("horizontalScroll");
        QCOMPARE(QList<int>({ down->maximum(), across->maximum() }),
            QList<int>({ 7860 - w.sizeTwips().height(), 7160 - w.sizeTwips().width() }));
        const auto places = [&] {
            QList<QRectF> list;
            for (const char *name :
                { "calendar", "dayGrid", "todayButton", "nextYearButton", "infoLabel2" })
                list << w.placeOf(w.findChild<QWidget *>(name));
            return list;
        };
        const QList<QRectF> before = places();
        down->setSliderPosition(300);
        across->setSliderPosition(100);
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(places()[i], before[i].translated(-100, -300));
        w.setSizeTwips(7060, 7020);
        across->setSliderPosition(0);
        down->setSliderPosition(0);
        QCOMPARE(places(), before);
        down->setSliderPosition(300);
        w.setSizeTwips(8000, 9000);
        QVERIFY(!down->isVisible());
        QCOMPARE(places()[0].top(), -120.0);
    }

    // The layout's figures, in twips, for window sizes around the natural 7160 x 7860.
    void layoutSizes_data()
    {
        Columns<QList<int>>({ "figures" }); // w h | vBar hBar vMax hMax calendar w h | grid
        QTest::newRow("natural size") << QList<int> { 7160, 7860, 0, 0, 0, 0, 7010, 4695, 6660,
            5040, 1920, 4560, 4630 }; // width top height | buttons' top, labels' top
        QTest::newRow("smaller: both bars")
            << QList<int> { 7000, 7000, 1, 1, 860, 160, 6905, 4695, 6555, 5040, 1815, 4560, 4630 };
        QTest::newRow("larger") << QList<int> { 8000, 9000, 0, 0, -1140, -840, 7850, 5376, 7500,
            5721, 2379, 5241, 5311 };
        QTest::newRow("one twip narrow")
            << QList<int> { 7159, 7860, 0, 1, 0, 1, 7160, 4695, 6810, 5040, 1920, 4560, 4630 };
        QTest::newRow("one twip low")
            << QList<int> { 7160, 7859, 1, 0, 1, 0, 6755, 4695, 6405, 5040, 1815, 4560, 4630 };
    }
    void layoutSizes()
    {
        QFETCH(QList<int>, figures);
        MainLayout::Input in;
        in.width = figures[0];
        in.height = figures[1];
        const MainLayout::Result r = MainLayout::Compute(in);
        const QList<int> computed { in.width, in.height, r.vScrollVisible, r.hScrollVisible,
            r.vScrollMax, r.hScrollMax, r.calendarWidth, int(std::lround(r.calendarHeight)),
            r.gridWidth, r.gridTop, int(std::lround(r.gridHeight)), r.buttonTop, r.labelTop };
        QCOMPARE(computed, figures);
    }

    // The program's page of every month it can show is the page Qt's own calendar paints;
    // outside those years there is no page.
    void everyMonthMatchesQt()
    {
        RecordingCalendar calendar;
        calendar.resize(280, 200);
        QPixmap target(calendar.size());
        for (int year = DayPage::FirstYear; year <= DayPage::LastYear; ++year) {
            for (int month = 1; month <= 12; ++month) {
                calendar.setCurrentPage(year, month);
                calendar.painted.clear();
                calendar.render(&target);
                const QDate first = DayPage::FirstDay(QDate(year, month, 15));
                const auto [qtFirst, qtLast]
                    = std::minmax_element(calendar.painted.begin(), calendar.painted.end());
                QVERIFY2(!calendar.painted.isEmpty() && *qtFirst == first
                        && *qtLast == first.addDays(41),
                    qPrintable(QStringLiteral("%1-%2").arg(year).arg(month)));
            }
        }
        QCOMPARE(DayPage::FirstDay(QDate(1752, 12, 31)), QDate());
        QCOMPARE(DayPage::FirstDay(QDate(2200, 1, 1)), QDate());
    }

    // The delivery's warning window: the latest warning as it came (never as markup),
    // shown without waiting for anyone; OK hides it.
    void mailWarning()
    {
        MailWarning window;
        auto *message = window.findChild<QLabel *>("messageLabel");
        auto *ok = window.findChild<QPushButton *>("okButton");
        QCOMPARE(window.windowTitle() + ok->text(), "Tolvane Warning&OK");
        QVERIFY(!window.isVisible());
        window.showWarning("SMTP Server responded: 550 <b>no</b> such user\r\n");
        QVERIFY(window.isVisible() && !window.isModal());
        QCOMPARE(message->textFormat(), Qt::PlainText);
        QCOMPARE(message->text(), "SMTP Server responded: 550 <b>no</b> such user\r\n");
        window.showWarning("SMTP Server responded: User not local; will forward to");
        QCOMPARE(message->text(), "SMTP Server responded: User not local; will forward to");
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
