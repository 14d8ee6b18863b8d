#include "delivery/FrmTimer.h"
#include "delivery/SmtpDelivery.h"
#include "support/AiosmtpdServer.h"
#include "support/FakeConnectionService.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using namespace std::chrono_literals;

const QString Stamp = QStringLiteral("2026/03/14 09:30 PM");
const QString Recipients = QStringLiteral("ann@phone.example,bob@phone.example,");
const QString Other = QStringLiteral("2026/03/15 08:00 AMNAnother day|bob@phone.example,");

QString record(const QString &text, QChar status = u'N')
{
    return Stamp + status + text + u'|' + Recipients;
}

// Two users sharing the real server; Ann sends.
struct Fixture {
    explicit Fixture(const QString &server)
    {
        env.addUser(1, QStringLiteral("Ann"), QStringLiteral("ann@phone.example"),
            QStringLiteral("ann@home.example"), server);
        env.addUser(2, QStringLiteral("Bob"), QStringLiteral("bob@phone.example"));
        delivery.setReplyTimeout(5s);
    }

    TestEnvironment env;
    FakeConnectionService connection;
    SmtpDelivery delivery { env.program, connection };
};

} // namespace

class TestSmtpAiosmtpd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void delivered_data();
    void delivered();
    void scheduledAtItsMinute();

private:
    AiosmtpdServer m_server;
};

void TestSmtpAiosmtpd::initTestCase()
{
    QVERIFY2(m_server.start(), "aiosmtpd (python3-aiosmtpd) did not start");
}

void TestSmtpAiosmtpd::delivered_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("haveFile");
    QTest::addColumn<QStringList>("fileBefore");
    QTest::addColumn<QStringList>("fileAfter");
    QTest::addColumn<bool>("sent");

    const QString hello = QStringLiteral("Hello there");
    QTest::newRow("scheduled") << QStringLiteral("01") << hello << true
                               << QStringList { record(hello), Other }
                               << QStringList { record(hello, u'S'), Other } << true;
    QTest::newRow("two identical lines")
        << QStringLiteral("01") << hello << true << QStringList { record(hello), record(hello) }
        << QStringList { record(hello, u'S'), record(hello, u'S') } << true;
    QTest::newRow("instant message")
        << QStringLiteral("21") << hello << true << QStringList { record(hello), Other }
        << QStringList { record(hello), Other } << true;
    QTest::newRow("text beginning with a dot")
        << QStringLiteral("01") << QStringLiteral(".hidden") << true
        << QStringList { record(QStringLiteral(".hidden")) }
        << QStringList { record(QStringLiteral(".hidden"), u'S') } << true;
    // Delivered, but the mark cannot be made: reported as failed.
    QTest::newRow("file gone when marking")
        << QStringLiteral("01") << hello << false << QStringList() << QStringList() << false;
}

void TestSmtpAiosmtpd::delivered()
{
    QFETCH(QString, code);
    QFETCH(QString, text);
    QFETCH(bool, haveFile);
    QFETCH(QStringList, fileBefore);
    QFETCH(QStringList, fileAfter);
    QFETCH(bool, sent);

    Fixture f(m_server.address());
    if (haveFile)
        f.env.writeMessageFile(1, fileBefore);
    const QByteArray bytesBefore = f.env.readMessageFileBytes(1);
    QSignalSpy rows(&f.delivery, &SmtpDelivery::rowColoured);
    QSignalSpy warnings(&f.delivery, &SmtpDelivery::warning);

    f.env.program.Sending = true;
    f.delivery.ProcessMessage(code + record(text));

    QVERIFY(!f.env.program.Sending);
    QCOMPARE(warnings.size(), 0);
    QCOMPARE(rows.size(), 1);
    const QList<QVariant> row = rows.at(0);
    QCOMPARE(row.at(0).toInt(), code.toInt());
    QCOMPARE(row.at(1).toString(), QStringLiteral("2026/03/14"));
    QCOMPARE(row.at(2).toString(), QStringLiteral("9:30 PM"));
    QCOMPARE(row.at(3).toString(), text);
    QCOMPARE(row.at(4).toBool(), sent);

    QVERIFY(m_server.waitForMail(1));
    const QList<AiosmtpdServer::Mail> mail = m_server.takeMail();
    QCOMPARE(mail.size(), 1);
    QCOMPARE(mail.at(0).mailFrom, QStringLiteral("ann@home.example"));
    QCOMPARE(mail.at(0).rcptTo,
        (QStringList { QStringLiteral("ann@phone.example"), QStringLiteral("bob@phone.example") }));
    QCOMPARE(mail.at(0).content, "Subject: Tolvane\n\n" + text.toLatin1() + '\n');

    if (code.toInt() > 20)
        QCOMPARE(f.env.readMessageFileBytes(1), bytesBefore);
    else
        QCOMPARE(f.env.readMessageFile(1), fileAfter);
    QVERIFY(!QFile::exists(f.env.dataDir() + QStringLiteral("tmp.tmp")));
}

// A message written by hand into the settings and the message file goes out on the
// scheduler's first tick at its minute, and not before.
void TestSmtpAiosmtpd::scheduledAtItsMinute()
{
    Fixture f(m_server.address());
    const QString hello = QStringLiteral("Hello there");
    f.env.writeMessageFile(1, { record(hello), Other });
    f.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(21, 29, 59)));
    FrmTimer frmTimer(f.env.program, f.delivery, f.connection);
    frmTimer.LoadNextMessage();

    frmTimer.CheckSend();
    QVERIFY(m_server.mailFiles().isEmpty());

    f.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(21, 30, 0)));
    frmTimer.CheckSend();
    QVERIFY(m_server.waitForMail(1));
    QCOMPARE(m_server.takeMail().size(), 1);
    QCOMPARE(f.env.readMessageFile(1), (QStringList { record(hello, u'S'), Other }));
    // The slot now holds the user's next record.
    QCOMPARE(f.env.program.NextMessage[1], QStringLiteral("01") + Other);
}

QTEST_MAIN(TestSmtpAiosmtpd)
#include "tst_smtpaiosmtpd.moc"
