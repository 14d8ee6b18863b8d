#include "DeliveryFixture.h"
#include "app/MailServerOptions.h"
#include "delivery/SmtpWire.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"
#include "support/KeyringAnswer.h"

#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

namespace {

using Tls = AiosmtpdServer::Options::Tls;
using Security = MailServerOptions::Security;

const QString Login = QStringLiteral("ann");
const QString Password = QStringLiteral("correct horse: battery staple, grün");

// What the server logs for Ann's message when it reaches it over TLS.
const QStringList MailOverTls { "MAIL tls ann@home.example", "RCPT tls ann@phone.example",
    "RCPT tls bob@phone.example" };

// One server and one user's choices.
struct Setup {
    Tls tls = Tls::None;
    QString certificate; // "server", "wrongname" or "rogue"
    bool serverLogin = false;
    QStringList excludedMethods;
    Security security = Security::None;
    QString login;
    QString storedPassword; // null: none stored
};

} // namespace

Q_DECLARE_METATYPE(Setup)

// Deliveries to a real server that speaks TLS and asks for a login, with the password in
// a real keyring (the test runs on a private session bus with GNOME Keyring).
class TestSmtpTls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_certificates.isValid());
        QProcess make;
        make.start(qEnvironmentVariable("TOLVANE_SOURCE_DIR")
                + QStringLiteral("/tests/support/make-test-certs.sh"),
            { m_certificates.path() });
        QVERIFY(make.waitForFinished(60000));
        QCOMPARE(make.exitCode(), 0);
        // The tests' own authority is trusted as a system one would be; nothing else is.
        QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
        trusted.setCaCertificates(QSslCertificate::fromPath(m_certificates.filePath("ca.pem")));
        QSslConfiguration::setDefaultConfiguration(trusted);
    }

    void delivery_data()
    {
        Columns<Setup, bool, QString, QStringList>({ "setup", "sent", "warning", "log" });
        const Setup startTls { Tls::StartTls, "server", true, {}, Security::StartTls, Login,
            Password };
        QTest::newRow("STARTTLS and AUTH PLAIN")
            << startTls << true << QString() << QStringList { "AUTH tls PLAIN ok" } + MailOverTls;
        Setup loginOnly = startTls;
        loginOnly.excludedMethods = QStringList { "PLAIN" };
        QTest::newRow("AUTH LOGIN when PLAIN is not offered")
            << loginOnly << true << QString() << QStringList { "AUTH tls LOGIN ok" } + MailOverTls;
        QTest::newRow("TLS from the start with a login")
            << Setup { Tls::FromStart, "server", true, {}, Security::Tls, Login, Password } << true
            << QString() << QStringList { "AUTH tls PLAIN ok" } + MailOverTls;
        QTest::newRow("STARTTLS without a login")
            << Setup { Tls::StartTls, "server", false, {}, Security::StartTls, {}, {} } << true
            << QString() << MailOverTls;

        Setup wrongPassword = startTls;
        wrongPassword.storedPassword = QStringLiteral("wrong");
        QTest::newRow("wrong password")
            << wrongPassword << false
            << "SMTP login failed: 535 5.7.8 Authentication credentials invalid"
            << QStringList { "AUTH tls PLAIN refused" };
        // The same server without TLS: nothing, not even the login, goes over clear text.
        Setup notOffered = startTls;
        notOffered.tls = Tls::None;
        notOffered.serverLogin = false;
        QTest::newRow("STARTTLS chosen but not offered")
            << notOffered << false
            << "The SMTP server does not offer STARTTLS; the message was not sent over an "
               "unencrypted connection"
            << QStringList();
        Setup rogue = startTls;
        rogue.certificate = "rogue";
        QTest::newRow("untrusted certificate after STARTTLS")
            << rogue << false
            << "Secure connection to the SMTP server failed: The certificate is self-signed, "
               "and untrusted"
            << QStringList();
        QTest::newRow("untrusted certificate from the start")
            << Setup { Tls::FromStart, "rogue", true, {}, Security::Tls, Login, Password } << false
            << "Secure connection to the SMTP server failed: The certificate is self-signed, "
               "and untrusted"
            << QStringList();
        Setup wrongName = startTls;
        wrongName.certificate = "wrongname";
        QTest::newRow("certificate for another host")
            << wrongName << false
            << "Secure connection to the SMTP server failed: The host name did not match any of "
               "the valid hosts for this certificate"
            << QStringList();

        Setup clearLogin = startTls;
        clearLogin.security = Security::None;
        QTest::newRow("login without TLS is refused before connecting")
            << clearLogin << false
            << "The SMTP login is only sent over an encrypted connection: choose STARTTLS or "
               "TLS for this server"
            << QStringList();
        Setup noPassword = startTls;
        noPassword.storedPassword = QString();
        QTest::newRow("no password in the keyring")
            << noPassword << false
            << "No SMTP password is stored for this user: enter it under Advanced... in the "
               "Email settings"
            << QStringList();
    }
    void delivery()
    {
        QFETCH(Setup, setup);
        AiosmtpdServer server;
        AiosmtpdServer::Options options { setup.tls, {}, {}, {}, {}, setup.excludedMethods };
        if (!setup.certificate.isEmpty()) {
            options.certificate = m_certificates.filePath(setup.certificate + ".pem");
            options.key = m_certificates.filePath(setup.certificate + ".key");
        }
        if (setup.serverLogin) {
            options.login = Login;
            options.password = Password;
        }
        QVERIFY2(server.start(options), "the TLS test server did not start");

        const auto stored = setup.storedPassword.isNull()
            ? KeyringAnswer::remove("User1")
            : KeyringAnswer::write("User1", setup.storedPassword);
        QVERIFY2(stored.ok, qPrintable(stored.error));

        // "localhost" as written is the name the certificate must carry.
        DeliveryFixture f(QStringLiteral("localhost:%1").arg(server.port()));
        MailServerOptions { setup.security, {}, setup.login }.write(f.env.settings, "User1");

        QFETCH(bool, sent);
        QFETCH(QString, warning);
        QCOMPARE(f.deliver(), sent);
        QVERIFY(f.endedOnce);
        // Ended by the server's answers, never by waiting out a reply's time limit (a TLS
        // server may hold the connection open after QUIT).
        QVERIFY2(f.elapsedMs < ReplyTimeout.count(), qPrintable(QString::number(f.elapsedMs)));
        QCOMPARE(f.shown.isEmpty() ? QString() : f.shown.last(), warning);
        QTEST(server.conversationLog(), "log");
        QCOMPARE(server.waitForMail(1, sent ? 5000 : 0), sent);
        if (sent)
            QCOMPARE(server.takeMail().at(0).content, "Subject: Tolvane\n\nHello there\n");
        // The password is never in the settings file.
        QFile file(f.env.settings.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(Password.toUtf8()));
    }

    // A server that does not know EHLO gets HELO, and its refusal is no warning of its
    // own; STARTTLS then cannot be had, and nothing more is said in clear text.
    void ehloRefused()
    {
        ScriptedSmtpServer server;
        server.script(S::Helo, { S::say("502 unknown command\r\n"), S::say("250 hello\r\n") });
        DeliveryFixture f(server.address());
        MailServerOptions { Security::StartTls, {}, {} }.write(f.env.settings, "User1");
        QVERIFY(!f.deliver());
        QCOMPARE(server.verbs(), (QList<QByteArray> { "EHLO", "HELO" }));
        QCOMPARE(f.shown,
            QStringList { "The SMTP server does not offer STARTTLS; the message was not sent "
                          "over an unencrypted connection" });
    }

    void connectionAddress_data()
    {
        Columns<QString, QString, Security, QString, int>(
            { "setting", "portOption", "security", "host", "port" });
        QTest::newRow("STARTTLS's usual port") << "mail.example"
                                               << "" << Security::StartTls << "mail.example" << 587;
        QTest::newRow("TLS's usual port") << "mail.example"
                                          << "" << Security::Tls << "mail.example" << 465;
        QTest::newRow("no security keeps port 25") << "mail.example"
                                                   << "" << Security::None << "mail.example" << 25;
        QTest::newRow("the port in SMTP beats the usual one")
            << "mail.example:2525"
            << "" << Security::Tls << "mail.example" << 2525;
        QTest::newRow("the port option beats both")
            << "[2001:db8::1]:2525"
            << "8465" << Security::Tls << "2001:db8::1" << 8465;
        QTest::newRow("a port option that is no port")
            << "mail.example"
            << "587a" << Security::StartTls << QString() << 0;
    }
    void connectionAddress()
    {
        QFETCH(QString, setting);
        QFETCH(QString, portOption);
        QFETCH(Security, security);
        QFETCH(QString, host);
        const auto server = SmtpWire::ConnectionAddress(
            setting, portOption, MailServerOptions::usualPort(security));
        QCOMPARE(server.has_value(), !host.isNull());
        if (server) {
            QCOMPARE(server->host, host);
            QTEST(int(server->port), "port");
        }
    }

private:
    QTemporaryDir m_certificates;
};

QTEST_MAIN(TestSmtpTls)
#include "tst_smtptls.moc"
