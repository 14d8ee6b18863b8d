#include "app/Roster.h"
#include "store/MessageRecord.h"
#include "support/TestEnvironment.h"

#include <QTest>

namespace {

const QString Stamp = QStringLiteral("2026/03/20 09:15 PM");

} // namespace

class TestMessageRecord : public QObject {
    Q_OBJECT

private slots:
    void compose_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("recipients");
        QTest::addColumn<QString>("record");
        QTest::newRow("plain") << QStringLiteral("Lunch?") << QList<int> { 1 }
                               << Stamp + QStringLiteral("NLunch?|one@p,");
        QTest::newRow("bar becomes exclamation mark") << QStringLiteral("a|b||") << QList<int> { 1 }
                                                      << Stamp + QStringLiteral("Na!b!!|one@p,");
        QTest::newRow("CR LF becomes two spaces, lone CR and LF one each") << QStringLiteral(
            "a\r\nb\nc\rd") << QList<int> {} << Stamp + QStringLiteral("Na  b c d|");
        QTest::newRow("empty text")
            << QString() << QList<int> { 3 } << Stamp + QStringLiteral("N|three@p,");
        QTest::newRow("in the order of the list") << QStringLiteral(
            "x") << QList<int> { 10, 3, 1 } << Stamp + QStringLiteral("Nx|ten@p,three@p,one@p,");
        QTest::newRow("no phone address, empty or absent, left out") << QStringLiteral(
            "x") << QList<int> { 2, 1, 4, 5 } << Stamp + QStringLiteral("Nx|one@p,");
        QTest::newRow("no usable recipient ends with the bar")
            << QStringLiteral("x") << QList<int> { 2, 4 } << Stamp + QStringLiteral("Nx|");
        QTest::newRow("text outside the code page kept until written") << QStringLiteral(
            "Zoë ł") << QList<int> { 1 } << Stamp + QStringLiteral("NZoë ł|one@p,");
    }

    void compose()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, recipients);
        QFETCH(QString, record);
        TestEnvironment env;
        env.addUser(1, QStringLiteral("One"), QStringLiteral("one@p"));
        env.addUser(2, QStringLiteral("Two"), QString()); // present but empty
        env.addUser(3, QStringLiteral("Three"), QStringLiteral("three@p"));
        env.settings.WriteSetting(
            Roster::UserSection(4), QStringLiteral("Name"), QStringLiteral("Four"));
        env.addUser(10, QStringLiteral("Ten"), QStringLiteral("ten@p"));
        RecipientList list {};
        std::copy(recipients.cbegin(), recipients.cend(), list.begin());
        QCOMPARE(ComposeMessageRecord(env.settings, Stamp, text, list), record);
        // What a reader gets back from the record.
        QCOMPARE(Record::text(record), Record::clean(text));
    }

    void fields_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("recipients");
        QTest::addColumn<bool>("sent");
        QTest::newRow("two recipients")
            << Stamp + QStringLiteral("Nhi|a@p,b@p,") << QStringLiteral("hi")
            << QStringList { QStringLiteral("a@p"), QStringLiteral("b@p") } << false;
        QTest::newRow("after the last comma is no address")
            << Stamp + QStringLiteral("Shi|a@p,b@p") << QStringLiteral("hi")
            << QStringList { QStringLiteral("a@p") } << true;
        QTest::newRow("the first bar ends the text")
            << Stamp + QStringLiteral("Nhi|a@p|,") << QStringLiteral("hi")
            << QStringList { QStringLiteral("a@p|") } << false;
        QTest::newRow("no recipients")
            << Stamp + QStringLiteral("N|") << QString() << QStringList {} << false;
        QTest::newRow("flag S in the text does not count")
            << Stamp + QStringLiteral("NS|") << QStringLiteral("S") << QStringList {} << false;
    }

    // The same fields whether the record is held as text or read from the file's bytes.
    void fields()
    {
        QFETCH(QString, record);
        QFETCH(QString, text);
        QFETCH(QStringList, recipients);
        QFETCH(bool, sent);
        QCOMPARE(Record::text(record), text);
        QCOMPARE(Record::recipients(record), recipients);
        const QByteArray bytes = record.toLatin1();
        const RecordView view(bytes);
        QVERIFY(view.isReadable());
        QCOMPARE(view.date(), QDate(2026, 3, 20));
        QCOMPARE(view.minuteOfDay(), 21 * 60 + 15);
        QCOMPARE(view.isSent(), sent);
        QCOMPARE(view.text(), text);
        QCOMPARE(view.recipients(), recipients);
    }
};

QTEST_GUILESS_MAIN(TestMessageRecord)
#include "tst_messagerecord.moc"
