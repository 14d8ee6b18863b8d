#include "support/DataColumns.h"
#include "ui/main/DayPage.h"
#include "ui/main/MainLayout.h"
#include "ui/main/MarkedCalendar.h"

#include <QPixmap>
#include <QTest>

using namespace MainLayout;

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

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    void sizes_data()
    {
        for (const char *column : { "w", "h", "vBar", "hBar", "vMax", "hMax", "calendarWidth",
                 "calendarHeight", "gridWidth", "gridTop", "gridHeight", "buttonTop", "labelTop" })
            QTest::addColumn<int>(column);
        QTest::newRow("natural size") << 7160 << 7860 << 0 << 0 << 0 << 0 << 7010 << 4695 << 6660
                                      << 5040 << 1920 << 4560 << 4630;
        QTest::newRow("smaller: both bars") << 7000 << 7000 << 1 << 1 << 860 << 160 << 6905 << 4695
                                            << 6555 << 5040 << 1815 << 4560 << 4630;
        QTest::newRow("larger") << 8000 << 9000 << 0 << 0 << -1140 << -840 << 7850 << 5376 << 7500
                                << 5721 << 2379 << 5241 << 5311;
        QTest::newRow("one twip narrow") << 7159 << 7860 << 0 << 1 << 0 << 1 << 7160 << 4695 << 6810
                                         << 5040 << 1920 << 4560 << 4630;
        QTest::newRow("one twip low") << 7160 << 7859 << 1 << 0 << 1 << 0 << 6755 << 4695 << 6405
                                      << 5040 << 1815 << 4560 << 4630;
    }
    void sizes()
    {
        Input in;
        QFETCH(int, w);
        QFETCH(int, h);
        in.width = w;
        in.height = h;
        const Result r = Compute(in);
        QTEST(int(r.vScrollVisible), "vBar");
        QTEST(int(r.hScrollVisible), "hBar");
        QTEST(r.vScrollMax, "vMax");
        QTEST(r.hScrollMax, "hMax");
        QTEST(r.calendarWidth, "calendarWidth");
        QTEST(int(std::lround(r.calendarHeight)), "calendarHeight");
        QTEST(r.gridWidth, "gridWidth");
        QTEST(r.gridTop, "gridTop");
        QTEST(int(std::lround(r.gridHeight)), "gridHeight");
        QTEST(r.buttonTop, "buttonTop");
        QTEST(r.labelTop, "labelTop");
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
};

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
