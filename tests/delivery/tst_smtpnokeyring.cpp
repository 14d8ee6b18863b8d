#include "DeliveryFixture.h"
#include "app/MailServerOptions.h"
#include "support/AiosmtpdServer.h"

#include <QTest>

// Runs where no secret store answers (with-keyring.sh --none), as on a desktop without
// one: a user with a login cannot deliver, and is told why before anything is sent.
class TestSmtpNoKeyring : public QObject {
    Q_OBJECT
private slots:
    void loginWithoutKeyring()
    {
        AiosmtpdServer server;
        QVERIFY(server.start(AiosmtpdServer::Options {}));
        DeliveryFixture f(server.address());
        MailServerOptions { MailServerOptions::Security::StartTls, {}, "ann" }.write(
            f.env.settings, "User1");

        QVERIFY(!f.deliver());
        QVERIFY(f.endedOnce);
        QCOMPARE(f.shown.size(), 1);
        QVERIFY2(f.shown.first().startsWith(
                     "The SMTP password could not be read from the desktop's keyring: ")
                && f.shown.first().size() > 70,
            qPrintable(f.shown.first()));
        QCOMPARE(server.conversationLog(), QStringList());
        QVERIFY(!server.waitForMail(1, 0));
    }
};

QTEST_MAIN(TestSmtpNoKeyring)
#include "tst_smtpnokeyring.moc"
