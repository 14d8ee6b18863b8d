#include "app/Roster.h"
#include "store/MessageRecord.h"
#include "store/Stamp.h"
#include "support/DataColumns.h"
#include "support/TestEnvironment.h"

namespace {

const QString At = QStringLiteral("2026/03/20 09:15 PM");

} // namespace

class TestMessageRecord : public QObject {
    Q_OBJECT

private slots:
    void compose_data()
    {
        Columns<QString, QList<int>, QString>({ "text", "recipients", "record" });
        QTest::newRow("bar becomes exclamation mark")
            << "a|b||" << QList<int> { 1 } << "Na!b!!|one@p,";
        QTest::newRow("CR LF becomes two spaces, lone CR and LF one each")
            << "a\r\nb\nc\rd" << QList<int> {} << "Na  b c d|";
        QTest::newRow("in list order, no phone address (empty or absent) left out")
            << "x" << QList<int> { 10, 2, 3, 4, 1, 5 } << "Nx|ten@p,three@p,one@p,";
        QTest::newRow("no usable recipient ends with the bar")
            << "x" << QList<int> { 2, 4 } << "Nx|";
    }
    void compose()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, recipients);
        TestEnvironment env;
        env.addUser(1, "One", "one@p");
        env.addUser(2, "Two", QString()); // present but empty
        env.addUser(3, "Three", "three@p");
        env.settings.WriteSetting(Roster::UserSection(4), "Name", "Four");
        env.addUser(10, "Ten", "ten@p");
        RecipientList list {};
        std::copy(recipients.cbegin(), recipients.cend(), list.begin());
        QTEST(ComposeMessageRecord(env.settings, At, text, list).mid(19), "record");
    }

    // Stamps are read by hand rather than by QDate, for speed: every day 0 to 32 of every
    // month 0 to 13 of years chosen for their leap rules gives exactly what QDate says of
    // the same parts. (Malformed stamps are the message file tests' unreadable lines.)
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

QTEST_GUILESS_MAIN(TestMessageRecord)
#include "tst_messagerecord.moc"
