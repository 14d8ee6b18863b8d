#include "ui/main/DayPage.h"
#include "ui/main/DaySlots.h"
#include "ui/main/MarkedCalendar.h"

#include <QPainter>
#include <QPixmap>
#include <QTest>

namespace {

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

class TestDayPage : public QObject {
    Q_OBJECT
private slots:
    void everyMonthMatchesQt();
    void pages_data();
    void pages();
    void rows_data();
    void rows();
    void slotStamps_data();
    void slotStamps();
};

void TestDayPage::everyMonthMatchesQt()
{
    RecordingCalendar calendar;
    calendar.resize(280, 200);
    QPixmap target(calendar.size());
    int months = 0;
    for (int year = DayPage::FirstYear; year <= DayPage::LastYear; ++year) {
        for (int month = 1; month <= 12; ++month) {
            calendar.setCurrentPage(year, month);
            calendar.painted.clear();
            calendar.render(&target);
            const QDate first = DayPage::FirstDay(QDate(year, month, 15));
            QVERIFY2(!calendar.painted.isEmpty(), qPrintable(QString::number(year)));
            const QDate qtFirst
                = *std::min_element(calendar.painted.begin(), calendar.painted.end());
            const QDate qtLast
                = *std::max_element(calendar.painted.begin(), calendar.painted.end());
            if (qtFirst != first || qtLast != first.addDays(41))
                QFAIL(
                    qPrintable(QStringLiteral("%1-%2: Qt %3..%4, computed %5")
                                   .arg(year)
                                   .arg(month)
                                   .arg(qtFirst.toString(Qt::ISODate), qtLast.toString(Qt::ISODate),
                                       first.toString(Qt::ISODate))));
            ++months;
        }
    }
    QCOMPARE(months, (DayPage::LastYear - DayPage::FirstYear + 1) * 12);
}

void TestDayPage::pages_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("first");
    QTest::newRow("1st on a Sunday: a week before") << QDate(2002, 9, 10) << QDate(2002, 8, 25);
    QTest::newRow("first month") << QDate(1753, 1, 1) << QDate(1752, 12, 31);
    QTest::newRow("last month") << QDate(2199, 12, 31) << QDate(2199, 11, 24);
    QTest::newRow("year before the range") << QDate(1752, 12, 31) << QDate();
    QTest::newRow("year after the range") << QDate(2200, 1, 1) << QDate();
}

void TestDayPage::pages()
{
    QFETCH(QDate, date);
    QTEST(DayPage::FirstDay(date), "first");
}

void TestDayPage::rows_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("row");
    QTest::newRow("midnight") << "12:00 AM" << 1;
    QTest::newRow("8:07 down") << "08:07 AM" << 33;
    QTest::newRow("8:08 up") << "08:08 AM" << 34;
    QTest::newRow("10:07 AM") << "10:07 AM" << 41;
    QTest::newRow("noon") << "12:00 PM" << 49;
    QTest::newRow("11:52 PM") << "11:52 PM" << 96;
    QTest::newRow("11:53 PM to the blank row") << "11:53 PM" << 97;
    QTest::newRow("not a time") << "25:00 PM" << 0;
}

void TestDayPage::rows()
{
    QFETCH(QString, time);
    QTEST(DaySlots::RowOfTime(time), "row");
}

void TestDayPage::slotStamps_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("stampTime");
    QTest::newRow("row 1") << 1 << "12:00 AM"
                           << "12:00 AM";
    QTest::newRow("row 2") << 2 << "12:15 AM"
                           << "12:15 AM";
    QTest::newRow("row 33") << 33 << "8:00 AM"
                            << "08:00 AM";
    QTest::newRow("row 48") << 48 << "11:45 AM"
                            << "11:45 AM";
    QTest::newRow("row 49") << 49 << "12:00 PM"
                            << "12:00 PM";
    QTest::newRow("row 52") << 52 << "12:45 PM"
                            << "12:45 PM";
    QTest::newRow("row 96") << 96 << "11:45 PM"
                            << "11:45 PM";
}

void TestDayPage::slotStamps()
{
    QFETCH(int, row);
    QTEST(DaySlots::Label(row), "label");
    QTEST(DaySlots::StampTime(row), "stampTime");
    QCOMPARE(DaySlots::RowOfMinute(DaySlots::MinuteOfRow(row)), row);
}

QTEST_MAIN(TestDayPage)
#include "tst_daypage.moc"
