#include "DeliveryFixture.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"

namespace {

const QString Other = QStringLiteral("2026/03/15 08:00 AMNAnother day|bob@phone.example,");
const QString Sent = Record.left(19) + u'S' + Record.mid(20);

} // namespace

// Deliveries to a real server (the scheduled road to it is tested with the main window;
// what goes over the wire, dot-stuffing included, with the scripted server).
class TestSmtpAiosmtpd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(m_server.start(), "aiosmtpd (python3-aiosmtpd) did not start"); }

    void delivered_data()
    {
        Columns<QString, QStringList, QStringList, bool>(
            { "code", "fileBefore", "fileAfter", "sent" });
        QTest::newRow("scheduled")
            << "01" << QStringList { Record, Other } << QStringList { Sent, Other } << true;
        QTest::newRow("two identical lines")
            << "01" << QStringList { Record, Record } << QStringList { Sent, Sent } << true;
        QTest::newRow("instant message leaves the file untouched")
            << "21" << QStringList { Record, Other } << QStringList { Record, Other } << true;
        // Delivered, but the mark cannot be made: reported as failed.
        QTest::newRow("file gone when marking") << "01" << QStringList() << QStringList() << false;
    }
    void delivered()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, fileBefore);
        QFETCH(bool, sent);
        DeliveryFixture f(m_server.address());
        if (fileBefore.isEmpty())
            QFile::remove(f.env.userFile(1));
        else
            f.env.writeMessageFile(1, fileBefore);
        QCOMPARE(f.deliver(code + Record), sent);
        QVERIFY(f.endedOnce);
        // A mark that finds no file says so.
        QCOMPARE(f.shown,
            sent ? QStringList()
                 : QStringList { "The message was sent, but its message file " + f.env.userFile(1)
                     + " is gone, so it could not be marked as sent" });
        QCOMPARE(f.row,
            (QList<QVariant> { code.toInt(), "2026/03/14", "09:30 PM", "Hello there", sent }));

        QVERIFY(m_server.waitForMail(1));
        const QList<AiosmtpdServer::Mail> mail = m_server.takeMail();
        QCOMPARE(mail.size(), 1);
        QCOMPARE(mail.at(0).mailFrom, Ann);
        QCOMPARE(mail.at(0).rcptTo, (QStringList { "ann@phone.example", Bob }));
        QCOMPARE(mail.at(0).content, "Subject: Tolvane\n\nHello there\n");
        QTEST(f.env.readMessageFile(1), "fileAfter");
        QVERIFY(!QFile::exists(f.env.dataDir() + "tmp.tmp"));
    }

private:
    AiosmtpdServer m_server;
};

QTEST_MAIN(TestSmtpAiosmtpd)
#include "tst_smtpaiosmtpd.moc"
