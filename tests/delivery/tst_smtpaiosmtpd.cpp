#include "delivery/SmtpDelivery.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>

namespace {

using namespace std::chrono_literals;

const QString Other = QStringLiteral("2026/03/15 08:00 AMNAnother day|bob@phone.example,");

QString record(const QString &text, QChar status = u'N')
{
    return QStringLiteral("2026/03/14 09:30 PM") + status + text
        + "|ann@phone.example,bob@phone.example,";
}

} // namespace

// Deliveries to a real server (the scheduled road to it is tested with the main window).
class TestSmtpAiosmtpd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(m_server.start(), "aiosmtpd (python3-aiosmtpd) did not start"); }

    void delivered_data()
    {
        Columns<QString, QString, QStringList, QStringList, bool>(
            { "code", "text", "fileBefore", "fileAfter", "sent" });
        const QString hi = QStringLiteral("Hello there");
        QTest::newRow("scheduled") << "01" << hi << QStringList { record(hi), Other }
                                   << QStringList { record(hi, u'S'), Other } << true;
        QTest::newRow("two identical lines")
            << "01" << hi << QStringList { record(hi), record(hi) }
            << QStringList { record(hi, u'S'), record(hi, u'S') } << true;
        QTest::newRow("instant message leaves the file untouched")
            << "21" << hi << QStringList { record(hi), Other } << QStringList { record(hi), Other }
            << true;
        QTest::newRow("text beginning with a dot")
            << "01"
            << ".hidden" << QStringList { record(".hidden") }
            << QStringList { record(".hidden", u'S') } << true;
        // Delivered, but the mark cannot be made: reported as failed.
        QTest::newRow("file gone when marking")
            << "01" << hi << QStringList() << QStringList() << false;
    }
    void delivered()
    {
        QFETCH(QString, code);
        QFETCH(QString, text);
        QFETCH(QStringList, fileBefore);
        QFETCH(bool, sent);
        TestEnvironment env;
        env.addUser(1, "Ann", "ann@phone.example", "ann@home.example", m_server.address());
        env.addUser(2, "Bob", "bob@phone.example");
        FakeConnectionService connection;
        SmtpDelivery delivery { env.program, connection };
        delivery.setReplyTimeout(5s);
        if (!fileBefore.isEmpty())
            env.writeMessageFile(1, fileBefore);
        QSignalSpy rows(&delivery, &SmtpDelivery::rowColoured);
        QSignalSpy warnings(&delivery, &SmtpDelivery::warning);

        env.program.Sending = true;
        delivery.ProcessMessage(code + record(text));
        QVERIFY(!env.program.Sending);
        QCOMPARE(warnings.size(), 0);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(
            rows.at(0), (QList<QVariant> { code.toInt(), "2026/03/14", "9:30 PM", text, sent }));

        QVERIFY(m_server.waitForMail(1));
        const QList<AiosmtpdServer::Mail> mail = m_server.takeMail();
        QCOMPARE(mail.size(), 1);
        QCOMPARE(mail.at(0).mailFrom, "ann@home.example");
        QCOMPARE(mail.at(0).rcptTo, (QStringList { "ann@phone.example", "bob@phone.example" }));
        QCOMPARE(mail.at(0).content, "Subject: Tolvane\n\n" + text.toLatin1() + '\n');
        QTEST(env.readMessageFile(1), "fileAfter");
        QVERIFY(!QFile::exists(env.dataDir() + "tmp.tmp"));
    }

private:
    AiosmtpdServer m_server;
};

QTEST_MAIN(TestSmtpAiosmtpd)
#include "tst_smtpaiosmtpd.moc"
