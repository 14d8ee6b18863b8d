#include "store/MessageRecord.h"
#include "store/Stamp.h"
#include "support/DataColumns.h"

namespace {

using L = QStringList;

const QDateTime At(QDate(2026, 3, 20), QTime(21, 15));

} // namespace

class TestMessageRecord : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        Columns<QByteArray, QDateTime, bool, QString, bool, L>(
            { "line", "due", "sent", "text", "hasList", "recipients" });
        QTest::newRow("all fields, Windows-1252")
            << QByteArray("2026/03/20 09:15 PMScaf\xe9 \x80|a@p,\x9f,") << At << true << "café €"
            << true << L { "a@p", "Ÿ" };
        QTest::newRow("no bar") << QByteArray("2026/03/20 12:00 AMNjust text")
                                << QDateTime(At.date(), QTime(0, 0)) << false << "just text"
                                << false << L {};
        QTest::newRow("later bars belong to the addresses, a last one without its comma is none")
            << QByteArray("2026/03/20 12:00 PMN|b|c,,d") << QDateTime(At.date(), QTime(12, 0))
            << false << "" << true << L { "b|c", "" };
        QTest::newRow("no such day: fields, but no date")
            << QByteArray("2026/02/30 09:15 PMSx|y,") << QDateTime() << true << "x" << true
            << L { "y" };
    }
    void parse()
    {
        QFETCH(QByteArray, line);
        QFETCH(QDateTime, due);
        const MessageRecord record = MessageRecord::parse(line);
        QCOMPARE(record.isReadable(), due.isValid());
        QCOMPARE(record.due(), due);
        QCOMPARE(record.minuteOfDay, due.isValid() ? Stamp::minuteOfDay(due.time()) : -1);
        QTEST(record.sent, "sent");
        QTEST(record.text, "text");
        QTEST(record.hasRecipientList, "hasList");
        QTEST(record.recipients, "recipients");
        QCOMPARE(record.line, line);
    }

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
        const MessageRecord record = MessageRecord::compose(At.addSecs(59), text, addresses);
        QCOMPARE(record.line, "2026/03/20 09:15 PM" + line);
        QCOMPARE(record.due(), At);
        QVERIFY(!record.sent && record.hasRecipientList);
        QCOMPARE(record.text, MessageRecord::parse(record.line).text);
        QCOMPARE(record.recipients, MessageRecord::parse(record.line).recipients);
    }

    // Stamps are read by hand rather than by QDate, for speed: every day 0 to 32 of every
    // month 0 to 13 of years chosen for their leap rules gives exactly what QDate says of
    // the same parts.
    void datesAgreeWithQDate()
    {
        for (int year : { 0, 4, 100, 400, 1900, 2000, 2024, 2027, 2100, 9999 }) {
            for (int month = 0; month <= 13; ++month) {
                for (int day = 0; day <= 32; ++day) {
                    const QString text = QString::asprintf("%04d/%02d/%02d", year, month, day);
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

QTEST_GUILESS_MAIN(TestMessageRecord)
#include "tst_messagerecord.moc"
