#include "store/Stamp.h"

#include <QTest>

// Dates and times are checked by hand rather than by QDate, for speed; malformed stamps are
// tested as the unreadable lines of the message file tests.
class TestStamp : public QObject {
    Q_OBJECT

private slots:
    // Every day 0 to 32 of every month 0 to 13 of years chosen for their leap rules gives
    // exactly what QDate says of the same parts.
    void datesAgreeWithQDate()
    {
        for (int year : { 0, 4, 100, 400, 1900, 2000, 2024, 2027, 2100, 9999 }) {
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
    }

    // Every minute survives writing and reading; the 12-hour clock puts the hours after
    // midnight and after noon at 12.
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
        QCOMPARE(Stamp::parseTime(QStringView(u"00:30 AM")), Stamp::NoTime);
    }
};

QTEST_GUILESS_MAIN(TestStamp)
#include "tst_stamp.moc"
