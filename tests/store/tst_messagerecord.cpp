#include "store/MessageRecord.h"
#include "store/Stamp.h"

#include <QTest>

// fuzz_record checks that a composed record reads back as its fields, with no CR, LF or
// "|" left in its text; tst_entrydialog, the code page and the seconds dropped.
class TestMessageRecord : public QObject {
    Q_OBJECT

private slots:
    void composeCleansText()
    {
        const MessageRecord record = MessageRecord::compose(
            QDateTime(QDate(2026, 3, 20), QTime(21, 15)), "a|b||\r\nc\nd\re", { "x@p" });
        QCOMPARE(record.line, "2026/03/20 09:15 PMNa!b!!  c d e|x@p,");
    }

    // Stamps are read by hand rather than by QDate, for speed: every day 0 to 32 of every
    // month 0 to 13 of years chosen for their leap rules is what QDate says, and every
    // minute survives writing and reading; the 12-hour clock puts 0 and 12 o'clock at 12.
    void stampsAgreeWithQDate()
    {
        for (int year : { 0, 4, 100, 400, 1900, 2000, 2024, 2027, 2100, 9999 })
            for (int month = 0; month <= 13; ++month)
                for (int day = 0; day <= 32; ++day) {
                    const QString text = QString::asprintf("%04d/%02d/%02d", year, month, day);
                    const QDate expected
                        = QDate::isValid(year, month, day) ? QDate(year, month, day) : QDate();
                    QCOMPARE(Stamp::parseDate(QStringView(text)), expected);
                    QCOMPARE(Stamp::parseDate(QByteArrayView(text.toLatin1())), expected);
                }
        for (int minute = 0; minute < 24 * 60; ++minute) {
            const QString text = Stamp::formatTime(minute);
            QCOMPARE(Stamp::parseTime(QStringView(text)), minute);
            QCOMPARE(Stamp::parseTime(QByteArrayView(text.toLatin1())), minute);
        }
        QCOMPARE(Stamp::formatTime(0) + Stamp::formatTime(779) + Stamp::formatTime(780),
            "12:00 AM12:59 PM01:00 PM");
        QCOMPARE(Stamp::parseTime(QStringView(u"00:30 AM")), Stamp::NoTime);
    }
};

QTEST_GUILESS_MAIN(TestMessageRecord)
#include "tst_messagerecord.moc"
