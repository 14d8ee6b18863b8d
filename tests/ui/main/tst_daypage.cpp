#include "ui/main/DayPage.h"
#include "ui/main/MarkedCalendar.h"

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
};

QTEST_MAIN(TestDayPage)
#include "tst_daypage.moc"
