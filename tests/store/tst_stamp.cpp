#include "store/Stamp.h"

#include <QTest>

class TestStamp : public QObject {
    Q_OBJECT

private slots:
    // Every day number 0 to 32 of every month 0 to 13 of years chosen for their leap
    // rules, read as text, must give exactly what QDate says of the same parts.
    void datesAgreeWithQDate_data()
    {
        QTest::addColumn<int>("year");
        for (int year : { 0, 4, 100, 400, 1900, 2000, 2024, 2027, 2100, 9999 })
            QTest::addRow("%04d", year) << year;
    }

    void datesAgreeWithQDate()
    {
        QFETCH(int, year);
        for (int month = 0; month <= 13; ++month) {
            for (int day = 0; day <= 32; ++day) {
                const QString text = QStringLiteral("%1/%2/%3")
                                         .arg(year, 4, 10, QLatin1Char('0'))
                                         .arg(month, 2, 10, QLatin1Char('0'))
                                         .arg(day, 2, 10, QLatin1Char('0'));
                const QDate expected
                    = QDate::isValid(year, month, day) ? QDate(year, month, day) : QDate();
                QCOMPARE(Stamp::parseDate(QStringView(text)), expected);
                QCOMPARE(Stamp::parseDate(QByteArrayView(text.toLatin1())), expected);
                if (expected.isValid())
                    QCOMPARE(Stamp::formatDate(expected), text);
            }
        }
    }

    void malformed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isDate"); // otherwise a time
        for (const char *date : { "2026-03-20", "2026/3/20 ", "2026/03/2x", "+026/03/20",
                 " 026/03/20", "２026/03/20", "2026/03/201" })
            QTest::addRow("date %s", date) << QString::fromUtf8(date) << true;
        for (const char *time : { "00:30 AM", "13:00 PM", "09:60 AM", "09:30 am", "09:30 XM",
                 "09:30AM ", "9:30 AM", "21:30 PM" })
            QTest::addRow("time %s", time) << QString::fromUtf8(time) << false;
    }

    void malformed()
    {
        QFETCH(QString, text);
        QFETCH(bool, isDate);
        if (isDate) {
            QVERIFY(!Stamp::parseDate(QStringView(text)).isValid());
            QVERIFY(!Stamp::parseDate(QByteArrayView(text.toUtf8())).isValid());
        } else {
            QCOMPARE(Stamp::parseTime(QStringView(text)), Stamp::NoTime);
            QCOMPARE(Stamp::parseTime(QByteArrayView(text.toUtf8())), Stamp::NoTime);
        }
    }

    // Every minute of the day survives writing and reading, and the 12-hour clock puts
    // the hour after midnight and the hour after noon at 12.
    void everyMinute()
    {
        for (int minute = 0; minute < 24 * 60; ++minute) {
            const QString text = Stamp::formatTime(minute);
            QCOMPARE(Stamp::parseTime(QStringView(text)), minute);
            QCOMPARE(Stamp::parseTime(QByteArrayView(text.toLatin1())), minute);
        }
        QCOMPARE(Stamp::formatTime(0), "12:00 AM");
        QCOMPARE(Stamp::formatTime(12 * 60 + 59), "12:59 PM");
        QCOMPARE(Stamp::formatTime(13 * 60), "01:00 PM");
    }
};

QTEST_GUILESS_MAIN(TestStamp)
#include "tst_stamp.moc"
