#include "ui/main/MainLayout.h"

#include <QTest>

using namespace MainLayout;

class TestMainLayout : public QObject {
    Q_OBJECT
private slots:
    void sizes_data();
    void sizes();
    void buttonRow_data();
    void buttonRow();
};

void TestMainLayout::sizes_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("vBar");
    QTest::addColumn<bool>("hBar");
    QTest::addColumn<int>("vMax");
    QTest::addColumn<int>("hMax");
    QTest::addColumn<int>("calendarWidth");
    QTest::addColumn<int>("calendarHeight");
    QTest::addColumn<int>("gridWidth");
    QTest::addColumn<int>("gridTop");
    QTest::addColumn<int>("gridHeight");
    QTest::addColumn<int>("buttonTop");
    QTest::addColumn<int>("labelTop");

    QTest::newRow("natural size") << 7160 << 7860 << false << false << 0 << 0 << 7010 << 4695
                                  << 6660 << 5040 << 1920 << 4560 << 4630;
    QTest::newRow("smaller: both bars") << 7000 << 7000 << true << true << 860 << 160 << 6905
                                        << 4695 << 6555 << 5040 << 1815 << 4560 << 4630;
    QTest::newRow("larger") << 8000 << 9000 << false << false << -1140 << -840 << 7850 << 5376
                            << 7500 << 5721 << 2379 << 5241 << 5311;
    QTest::newRow("one twip narrow") << 7159 << 7860 << false << true << 0 << 1 << 7160 << 4695
                                     << 6810 << 5040 << 1920 << 4560 << 4630;
    QTest::newRow("one twip low") << 7160 << 7859 << true << false << 1 << 0 << 6755 << 4695 << 6405
                                  << 5040 << 1815 << 4560 << 4630;
}

void TestMainLayout::sizes()
{
    QFETCH(int, w);
    QFETCH(int, h);
    Input in;
    in.width = w;
    in.height = h;
    const Result r = Compute(in);
    QTEST(r.vScrollVisible, "vBar");
    QTEST(r.hScrollVisible, "hBar");
    QTEST(r.vScrollMax, "vMax");
    QTEST(r.hScrollMax, "hMax");
    QTEST(r.calendarWidth, "calendarWidth");
    QTEST(int(std::lround(r.calendarHeight)), "calendarHeight");
    QTEST(r.gridWidth, "gridWidth");
    QTEST(r.gridTop, "gridTop");
    QTEST(int(std::lround(r.gridHeight)), "gridHeight");
    QTEST(r.buttonTop, "buttonTop");
    QTEST(r.labelTop, "labelTop");
    QCOMPARE(r.vScrollLeft, w - 365);
    QCOMPARE(r.hScrollTop, h - 955);
}

void TestMainLayout::buttonRow_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("calendarTop");
    QTest::addColumn<int>("today");
    QTest::addColumn<int>("nextYear");
    QTest::addColumn<int>("todayLabel");
    QTest::addColumn<int>("buttonTop");
    QTest::newRow("unscrolled") << 0 << -120 << 437 << 6197 << 877 << 4560;
    QTest::newRow("scrolled down 300") << 0 << -420 << 437 << 6197 << 877 << 4260;
    QTest::newRow("scrolled right 100") << 100 << -120 << 337 << 6097 << 777 << 4560;
}

void TestMainLayout::buttonRow()
{
    QFETCH(int, offset);
    QFETCH(int, calendarTop);
    Input in;
    in.horizontalOffset = offset;
    in.calendarTop = calendarTop;
    const Result r = Compute(in);
    QTEST(r.buttonLeft[CmdToday], "today");
    QTEST(r.buttonLeft[CmdNextYear], "nextYear");
    QTEST(r.labelLeft[2], "todayLabel");
    QTEST(r.buttonTop, "buttonTop");
    QCOMPARE(r.buttonLeft[CmdPrevious], 2537 - offset);
    QCOMPARE(r.buttonLeft[CmdNext], 4097 - offset);
    QCOMPARE(r.labelLeft[0], 2897 - offset);
}

QTEST_APPLESS_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
