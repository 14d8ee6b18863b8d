#include "store/MessageRecord.h"
#include "store/Stamp.h"
#include "support/DataColumns.h"

using L = QStringList;

class TestMessageRecord : public QObject {
    Q_OBJECT

private slots:
    void compose_data()
    {
        Columns<QString, L, QByteArray>({ "text", "addresses", "line" });
        QTest::newRow("bar becomes exclamation mark")
            << "a|b||" << L { "one@p" } << QByteArray("Na!b!!|one@p,");
        QTest::newRow("CR LF becomes two spaces, lone CR and LF one each")
            << "a\r\nb\nc\rd" << L {} << QByteArray("Na  b c d|");
        QTest::newRow("each address followed by a comma")
            << "x" << L { "ten@p", "three@p" } << QByteArray("Nx|ten@p,three@p,");
        QTest::newRow("outside the code page")
            << "é€ ☺" << L { "ł@p" } << QByteArray("N\xe9\x80 ?|?@p,");
    }
    // Seconds dropped; the fields are those of the line, as a file holding it reads back.
    void compose()
    {
        QFETCH(QString, text);
        QFETCH(L, addresses);
        QFETCH(QByteArray, line);
        const MessageRecord record = MessageRecord::compose(
            QDateTime(QDate(2026, 3, 20), QTime(21, 15, 59)), text, addresses);
        QCOMPARE(record.line, "2026/03/20 09:15 PM" + line);
        QCOMPARE(record.due(), QDateTime(QDate(2026, 3, 20), QTime(21, 15)));
        QVERIFY(!record.sent && record.hasRecipientList);
        QCOMPARE(record.text, MessageRecord::parse(record.line).text);
        QCOMPARE(record.recipients, MessageRecord::parse(record.line).recipients);
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
                    QVERIFY(!expected.isValid() || Stamp::formatDate(expected) == text);
                }
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

QTEST_GUILESS_MAIN(TestMessageRecord)
#include "tst_messagerecord.moc"
