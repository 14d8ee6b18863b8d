#include "delivery/SmtpClient.h"
#include "delivery/SmtpWire.h"
#include "store/CodePage.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"
#include "support/FreePort.h"
#include "support/ScriptedSmtpServer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>
#include <functional>

namespace {

using S = ScriptedSmtpServer;
using Security = MailServerOptions::Security;
using Tls = AiosmtpdServer::Options::Tls;
using Mail = SmtpClient::Mail;
using Change = std::function<void(Mail &)>;

constexpr std::chrono::milliseconds Limit { 1500 };
constexpr qint64 MarginMs = 1000; // beyond the limit: tearing down and judging, on a busy machine

const QString Said = "SMTP Server responded: ";
const QString NoGreeting = "SMTP server connected but did not respond";
const QString NoResponse = "No response from SMTP server: timeout";
const QString UnableToConnect = "Unable to connect to SMTP server";
const QString Unsolicited = "The SMTP server sent a reply that no command asked for: ";
const QString Misfit = "The SMTP server's reply does not fit the command it answers: ";
const QString NoStartTls = "The SMTP server does not offer STARTTLS; the message was not sent "
                           "over an unencrypted connection";
const QString TlsFailed = "Secure connection to the SMTP server failed: ";
const QByteArray All = "HELO MAIL RCPT RCPT DATA QUIT";
const QByteArray UpToData = "HELO MAIL RCPT RCPT DATA";
const QStringList Phones { "ann@phone.example", "bob@phone.example" };
const QString Password = "correct horse: battery staple, grün";

Mail mailTo(const QString &server, const QString &text = "Hello there")
{
    return { server, {}, {}, "ann@home.example", Phones, text };
}

// A client driven as the program drives it: start() returns at once, and the result comes
// while the caller's own event loop runs (here QSignalSpy::wait's).
struct ClientRun {
    explicit ClientRun(std::chrono::milliseconds limit = Limit) { client.setReplyTimeout(limit); }

    // One conversation; true when it ended as sent. It must end once (ok), and start() must
    // return before anything is reported.
    bool run(const Mail &mail)
    {
        QSignalSpy finished(&client, &SmtpClient::finished), warned(&client, &SmtpClient::warning);
        QElapsedTimer timer;
        timer.start();
        client.start(mail);
        const bool quiet = finished.isEmpty() && warned.isEmpty();
        finished.wait(int(client.replyTimeout().count()) * 4);
        elapsedMs = timer.elapsed();
        QTest::qWait(20); // room for a second result, which must not come
        shown.clear();
        for (const QList<QVariant> &warning : std::as_const(warned))
            shown.append(warning.at(0).toString());
        ok = quiet && finished.size() == 1;
        return ok && finished.at(0).at(0).toBool();
    }

    SmtpClient client;
    QStringList shown; // the warnings of the last run, in order
    qint64 elapsedMs = 0;
    bool ok = false;
};

// How a conversation ends: well inside the reply limit, by waiting the limit out, anything
// up to the limit (replies that trickle in), or at once without reaching the server.
enum Wait { Prompt, TimedOut, Within, Unreached };

const auto at = [](S::Step step, QList<QByteArray> replies) {
    return S::Script { { step, replies } };
};
const auto options = [](Security security, QString login = {}) {
    return Change([=](Mail &m) { m.options = { security, {}, login }; });
};
const auto recipients = [](QStringList to) { return Change([=](Mail &m) { m.recipients = to; }); };
const auto server = [](QString to) { return Change([=](Mail &m) { m.serverSetting = to; }); };
// The text sent a byte at a time, each byte a separate arrival.
QByteArray bytewise(const QByteArray &text)
{
    QList<QByteArray> bytes;
    for (const char c : text)
        bytes.append(QByteArray(1, c));
    return bytes.join('|');
}

void row(const QString &name, const S::Script &script, bool sent, const QStringList &warnings,
    const QByteArray &verbs, Wait wait = Prompt, const Change &change = {})
{
    QTest::newRow(qPrintable(name)) << script << change << sent << warnings << verbs << int(wait);
}

} // namespace

// The SMTP conversation: every way a server can fail at every step, replies that are
// malformed, huge, trickling or late, mail that must not go as it is, and real servers with
// and without TLS. Each conversation ends once, within the reply limit.
class TestSmtpClient : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_certificates.isValid());
        QCOMPARE(QProcess::execute(qEnvironmentVariable("TOLVANE_SOURCE_DIR")
                         + "/tests/support/make-test-certs.sh",
                     { m_certificates.path() }),
            0);
        // The tests' own authority is trusted as a system one would be; nothing else is.
        QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
        trusted.setCaCertificates(QSslCertificate::fromPath(m_certificates.filePath("ca.pem")));
        QSslConfiguration::setDefaultConfiguration(trusted);
    }

    void conversation_data()
    {
        Columns<S::Script, Change, bool, QStringList, QByteArray, int>(
            { "script", "change", "sent", "warnings", "verbs", "wait" });
        const QList<std::pair<const char *, QByteArray>> faults { { "silence", "" },
            { "450", "450 mailbox busy\r\n" }, { "550", "550 refused\r\n" },
            { "421", "421 closing down\r\n|!" }, { "dropped connection", "!" } };
        // Each step, and what the server has heard when the conversation ends there.
        const QList<std::tuple<const char *, S::Step, QByteArray>> steps {
            { "greeting", S::Greeting, "" }, { "HELO", S::Helo, "HELO" },
            { "MAIL FROM", S::Mail, "HELO MAIL" }, { "first RCPT TO", S::Rcpt, "HELO MAIL RCPT" },
            { "last RCPT TO", S::Rcpt, "HELO MAIL RCPT RCPT" }, { "DATA", S::Data, UpToData },
            { "content", S::Content, UpToData }, { "QUIT", S::Quit, All }
        };
        for (const auto &[stepName, step, verbs] : steps) {
            for (const auto &[faultName, reply] : faults) {
                const bool second = verbs.endsWith("RCPT RCPT"); // the last recipient's reply
                const QByteArray ok = "250 OK\r\n";
                const auto script = at(step, second ? QList { ok, reply } : QList { reply, ok });
                const QString name = QStringLiteral("%1 at %2").arg(faultName, stepName);
                const QByteArray said = reply == "!" ? "" : reply.split('|').at(0);
                const QStringList refusal
                    = said.isEmpty() ? QStringList() : QStringList { Said + said };
                if (step == S::Quit) {
                    // The reply to QUIT is not judged, though a refusal still warns; the
                    // client closes once it has come, and waits for it up to the limit.
                    row(name, script, true, refusal, All, reply.isEmpty() ? TimedOut : Prompt);
                } else if (step == S::Rcpt && !second && !refusal.isEmpty()
                    && !reply.endsWith('!')) {
                    // A refused recipient does not stop the accepted one after it.
                    row(name, script, true, refusal, All);
                } else if (reply.isEmpty()) {
                    row(name, script, false, { step == S::Greeting ? NoGreeting : NoResponse },
                        verbs, TimedOut);
                } else {
                    const QStringList closed { "SMTP server closed the connection" };
                    row(name, script, false, refusal.isEmpty() ? closed : refusal, verbs);
                }
            }
        }

        // How replies arrive. One byte at a time also takes longer than one limit in all.
        row("replies one byte at a time",
            { { S::Greeting, { bytewise("220 ok\r\n") } }, { S::Helo, { bytewise("250 ok\r\n") } },
                { S::Mail, { bytewise("250 ok\r\n") } }, { S::Rcpt, { bytewise("250 ok\r\n") } },
                { S::Data, { bytewise("354 go\r\n") } },
                { S::Content, { bytewise("250 ok\r\n") } } },
            true, {}, All, Within);
        row("multi-line refusal in two arrivals",
            at(S::Rcpt, { "250 OK\r\n", "554-first\r\n|554 second\r\n" }), false,
            { Said + "554-first\r\n554 second\r\n" }, "HELO MAIL RCPT RCPT");
        const QByteArray megabyte(1024 * 1024, 'x');
        row("a refusal line of 1 MB", at(S::Mail, { "550 " + megabyte + "\r\n" }), false,
            { Said + "550 " + megabyte }, "HELO MAIL");
        row("NUL bytes in a reply's text", at(S::Greeting, { QByteArray("220 re\0\0dy\r\n", 12) }),
            true, {}, All);
        row("NUL bytes for the code", at(S::Greeting, { QByteArray("\0\0\0 ready\r\n", 11) }),
            false, { NoGreeting }, "", TimedOut);
        row("a letter in the code after the content", at(S::Content, { "25x queued\r\n" }), false,
            { NoResponse }, UpToData, TimedOut);
        row("a stray line before the reply", at(S::Mail, { "hello there\r\n250 OK\r\n" }), true, {},
            All);
        row("content accepted a second inside the limit",
            at(S::Content, { "@" + QByteArray::number(Limit.count() - 1000) + "|250 queued\r\n" }),
            true, {}, All, Within);

        // What a reply means.
        row("400 to MAIL FROM, not shown", at(S::Mail, { "400 try later\r\n" }), false, {},
            "HELO MAIL");
        row("401 to MAIL FROM", at(S::Mail, { "401 odd\r\n" }), false, { Said + "401 odd\r\n" },
            "HELO MAIL");
        const Change toBob = recipients({ Phones[1] });
        row("251 for a recipient", at(S::Rcpt, { "251 forwarding\r\n" }), true,
            { Said + "User not local; will forward to" }, "HELO MAIL RCPT DATA QUIT", Prompt,
            toBob);
        row("252 for a recipient", at(S::Rcpt, { "252 cannot verify\r\n" }), true,
            { Said + "Cannot verify user, but will accept message and attempt delivery" },
            "HELO MAIL RCPT DATA QUIT", Prompt, toBob);
        row("no recipient left, DATA refused", at(S::Data, { "554 no valid recipients\r\n" }),
            false, { Said + "554 no valid recipients\r\n" }, "HELO MAIL DATA", Prompt,
            recipients({ "", "" }));
        // One reply too many would put every later reply against the wrong command.
        row("two replies to HELO in one arrival", at(S::Helo, { "250 hello\r\n250 welcome\r\n" }),
            false, { Unsolicited + "250 welcome" }, "HELO");
        row("a reply and a closing notice in one arrival",
            at(S::Mail, { "250 OK\r\n421 closing now\r\n|!" }), false,
            { Said + "421 closing now\r\n" }, "HELO MAIL");
        row("354 and a refusal in one arrival",
            at(S::Data, { "354 go\r\n554 changed my mind\r\n" }), false,
            { Unsolicited + "554 changed my mind" }, UpToData);
        row("DATA accepted without a go-ahead", at(S::Data, { "250 OK\r\n" }), false,
            { Misfit + "250 OK" }, UpToData);
        row("content answered with a go-ahead", at(S::Content, { "354 more\r\n" }), false,
            { Misfit + "354 more" }, UpToData);

        // Mail that goes only in part, or not at all.
        const QByteArray toOne = "HELO MAIL RCPT DATA QUIT";
        row("recipient address with CR LF skipped", {}, true, {}, toOne, Prompt,
            recipients({ Phones[0], "bob@phone.example\r\nRCPT TO: <evil@x.example>" }));
        row("recipient address with angle brackets skipped", {}, true, {}, toOne, Prompt,
            recipients({ Phones[0], "bob@x.example> <evil@x.example" }));
        row("entries beyond the tenth never sent to", {}, true, {},
            "HELO MAIL" + QByteArray(" RCPT").repeated(10) + " DATA QUIT", Prompt,
            recipients(QStringList(11, Phones[0])));
        row("sender address with CR LF", {}, false,
            { "The sender e-mail address contains a carriage return and cannot be sent" }, "",
            Unreached, [](Mail &m) { m.sender += "\r\nRCPT TO: <evil@x.example>"; });
        row("no server set", {}, false,
            { "No SMTP server is set for the sender of this message: enter one under Change User "
              "Email Settings" },
            "", Unreached, server(" "));
        row("bracket not closed", {}, false, { UnableToConnect }, "", Unreached, server("[::1:25"));
        row("connection refused", {}, false, { UnableToConnect }, "", Unreached,
            server(QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort())));
        row("the port option beats the one in SMTP", {}, true, {}, All, Prompt, [](Mail &m) {
            m.options.port = m.serverSetting.section(u':', 1);
            m.serverSetting = QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
        });

        // Security and login, as far as a server without TLS can show them.
        row("an unknown security setting", {}, false,
            { "The SMTP security setting is not one Tolvane knows (None, STARTTLS or TLS)" }, "",
            Unreached, options(Security::Unknown));
        row("a login without TLS", {}, false,
            { "The SMTP login is only sent over an encrypted connection: choose STARTTLS or TLS "
              "for this server" },
            "", Unreached, options(Security::None, "ann"));
        const Change startTls = options(Security::StartTls);
        row("STARTTLS not offered", {}, false, { NoStartTls }, "EHLO", Prompt, startTls);
        // A server that does not know EHLO gets HELO, and its refusal is no warning of its own.
        row("EHLO refused, HELO then", at(S::Helo, { "502 what\r\n", "250 hi\r\n" }), false,
            { NoStartTls }, "EHLO HELO", Prompt, startTls);
        row("421 to EHLO", at(S::Helo, { "421 too busy\r\n|!" }), false,
            { Said + "421 too busy\r\n" }, "EHLO", Prompt, startTls);
        row("STARTTLS refused", at(S::Helo, { "250-scripted\r\n250 STARTTLS\r\n" }), false,
            { Said + "500 unknown command\r\n",
                "The SMTP server refused STARTTLS: 500 unknown command" },
            "EHLO STAR", Prompt, startTls);
        // A server that takes the connection and never says a word, not even to a handshake.
        auto mute = std::make_shared<QTcpServer>();
        mute->listen(QHostAddress::LocalHost);
        row("a TLS handshake that never ends", {}, false,
            { TlsFailed + "the server did not answer in time" }, "", TimedOut, [mute](Mail &m) {
                m.options.security = Security::Tls;
                m.serverSetting = QStringLiteral("127.0.0.1:%1").arg(mute->serverPort());
            });
    }
    void conversation()
    {
        QFETCH(S::Script, script);
        QFETCH(Change, change);
        QFETCH(QStringList, warnings);
        QFETCH(int, wait);
        ScriptedSmtpServer scripted(script);
        Mail mail = mailTo(scripted.address());
        if (change)
            change(mail);

        ClientRun r;
        QTEST(r.run(mail), "sent");
        QVERIFY(r.ok);
        QCOMPARE(r.shown.size(), warnings.size());
        for (qsizetype i = 0; i < warnings.size(); ++i) {
            // A huge reply is shown by its beginning only.
            QCOMPARE(r.shown.at(i).left(200), warnings.at(i).left(200));
            QVERIFY2(r.shown.at(i).size() <= 70 * 1024, QByteArray::number(r.shown.at(i).size()));
        }
        QTEST(scripted.verbs(), "verbs");
        if (wait == Unreached)
            QCOMPARE(scripted.connections, 0);
        QVERIFY(!scripted.outOfStep);
        for (const QByteArray &line : std::as_const(scripted.commands))
            QVERIFY2(!line.contains("evil") && !line.contains("RSET"), line.constData());
        const QByteArray elapsed = QByteArray::number(r.elapsedMs);
        QVERIFY2(r.elapsedMs < Limit.count() + MarginMs, elapsed);
        if (wait == Prompt || wait == Unreached)
            QVERIFY2(r.elapsedMs < Limit.count() / 2, elapsed);
        else if (wait == TimedOut)
            QVERIFY2(r.elapsedMs >= Limit.count() - 50, elapsed);

        // The client is ready for the next mail, to a sound server. The text goes dot-stuffed,
        // in Windows-1252, on one line.
        ScriptedSmtpServer sound;
        QVERIFY(r.run(mailTo(sound.address(), ".caf\u00e9 \u20ac!\r\n.two")));
        QVERIFY(r.ok);
        QCOMPARE(r.shown, QStringList());
        QCOMPARE(sound.verbs(), All);
        QCOMPARE(sound.commands.value(1), "MAIL FROM: <ann@home.example>");
        QCOMPARE(sound.commands.value(3), "RCPT TO: <bob@phone.example>");
        QCOMPARE(sound.content, "Subject: Tolvane\r\n\r\n..caf\xe9 \x80!  .two\r\n.\r\n");
    }

    void abort_data()
    {
        Columns<bool, bool>({ "underWay", "destroyed" });
        QTest::newRow("before it begins") << false << false;
        QTest::newRow("waiting for the greeting") << true << false;
        QTest::newRow("destroyed waiting for the greeting") << true << true;
    }
    // Ends at once, as does destroying the client: nothing is reported, not even once the
    // step's limit has passed, and an aborted client starts afresh.
    void abort()
    {
        QFETCH(bool, underWay);
        QFETCH(bool, destroyed);
        ScriptedSmtpServer silent({ { S::Greeting, { "" } } });
        auto r = std::make_unique<ClientRun>();
        int reports = 0;
        connect(&r->client, &SmtpClient::warning, this, [&] { ++reports; });
        connect(&r->client, &SmtpClient::finished, this, [&] { ++reports; });
        r->client.start(mailTo(silent.address()));
        if (underWay)
            QTRY_COMPARE(silent.connections, 1);
        destroyed ? r.reset() : r->client.abort();
        QTest::qWait(int(Limit.count()) + 500);
        QCOMPARE(reports, 0);
        QCOMPARE(silent.connections, underWay ? 1 : 0);
        if (destroyed)
            return;
        ScriptedSmtpServer sound;
        QVERIFY(r->run(mailTo(sound.address())));
        QVERIFY(r->ok);
    }

    // A server with TLS gets a certificate ("server", "wrongname" or "rogue"); with a password
    // it asks for a login (ann, Password), and the user's is that password.
    void realServer_data()
    {
        Columns<Tls, QString, QString, QString, bool, QString, QStringList>(
            { "tls", "certificate", "password", "excluded", "sent", "warning", "log" });
        const auto add = [](const char *name, Tls tls, const QString &certificate,
                             const QString &password, const QString &excluded, bool sent,
                             const QString &warning, const QStringList &log) {
            QTest::newRow(name) << tls << certificate << password << excluded << sent << warning
                                << log;
        };
        // What the server logs for the mail when it reaches it; the server undid the
        // dot-stuffing.
        const auto mail = [](const char *over) {
            return QStringList { "MAIL % ann@home.example", "RCPT % ann@phone.example",
                "RCPT % bob@phone.example",
                R"(DATA % b'Subject: Tolvane\r\n\r\n.hidden, and seen\r\n')" }
                .replaceInStrings("%", over);
        };
        const QStringList overTls = mail("tls");
        add("aiosmtpd", Tls::None, {}, {}, {}, true, {}, mail("clear"));
        add("STARTTLS and AUTH PLAIN", Tls::StartTls, "server", Password, {}, true, {},
            QStringList { "AUTH tls PLAIN ok" } + overTls);
        add("AUTH LOGIN when PLAIN is not offered", Tls::StartTls, "server", Password, "PLAIN",
            true, {}, QStringList { "AUTH tls LOGIN ok" } + overTls);
        add("TLS from the start with a login", Tls::FromStart, "server", Password, {}, true, {},
            QStringList { "AUTH tls PLAIN ok" } + overTls);
        add("STARTTLS without a login", Tls::StartTls, "server", {}, {}, true, {}, overTls);
        add("wrong password", Tls::StartTls, "server", "wrong", {}, false,
            "SMTP login failed: 535 5.7.8 Authentication credentials invalid",
            { "AUTH tls PLAIN refused" });
        // Nothing, not even the login, goes over clear text when the handshake fails.
        const QString untrusted = TlsFailed + "The certificate is self-signed, and untrusted";
        add("untrusted certificate after STARTTLS", Tls::StartTls, "rogue", Password, {}, false,
            untrusted, {});
        add("untrusted certificate from the start", Tls::FromStart, "rogue", Password, {}, false,
            untrusted, {});
        add("certificate for another host", Tls::StartTls, "wrongname", Password, {}, false,
            TlsFailed + "The host name did not match any of the valid hosts for this certificate",
            {});
    }
    void realServer()
    {
        QFETCH(Tls, tls);
        QFETCH(QString, certificate);
        QFETCH(QString, password);
        QFETCH(QString, excluded);
        const QString login = password.isEmpty() ? QString() : "ann";
        AiosmtpdServer server;
        QVERIFY2(server.start({ tls, m_certificates.filePath(certificate + ".pem"),
                     m_certificates.filePath(certificate + ".key"), login, Password,
                     excluded.split(u' ', Qt::SkipEmptyParts) }),
            "aiosmtpd (python3-aiosmtpd) did not start");

        // "localhost" as written is the name the certificate must carry.
        Mail mail = mailTo(QStringLiteral("localhost:%1").arg(server.port()), ".hidden, and seen");
        mail.options = { tls == Tls::None ? Security::None
                : tls == Tls::StartTls    ? Security::StartTls
                                          : Security::Tls,
            {}, login };
        mail.password = password;
        // A limit a slow handshake cannot reach: every conversation must end by the server's
        // answers (a TLS server may hold the connection open after QUIT).
        ClientRun r(std::chrono::seconds(5));
        QTEST(r.run(mail), "sent");
        QVERIFY(r.ok);
        QVERIFY2(r.elapsedMs < 5000, QByteArray::number(r.elapsedMs));
        QTEST(r.shown.value(r.shown.size() - 1), "warning");
        QTEST(server.log(), "log");
    }

    // The text goes on one line of the mail whatever it holds (an instant message is never
    // cleaned by a file, a file may be edited by hand), never as a command of its own.
    void content_data()
    {
        Columns<QString, QByteArray>({ "text", "body" });
        QTest::newRow("bare CR around a dot") << "one\r.\rRSET" << QByteArray("one . RSET");
        QTest::newRow("bare LF around a dot") << "one\n.\nMAIL FROM: <x@evil.example>"
                                              << QByteArray("one . MAIL FROM: <x@evil.example>");
        QTest::newRow("LF dot CR LF") << "one\n.\r\nQUIT" << QByteArray("one .  QUIT");
        QTest::newRow("NUL") << QStringLiteral("one") + QChar(0) + QStringLiteral("two")
                             << QByteArray("onetwo");
        QTest::newRow("dot and line end only") << ".\r\n" << QByteArray("..  ");
    }
    void content()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, body);
        QCOMPARE(CodePage::encode(SmtpWire::MessageContent(text)),
            "Subject: Tolvane\r\n\r\n" + body + "\r\n.\r\n");
    }

    void serverAddress_data()
    {
        Columns<QString, QString, Security, QString>({ "setting", "option", "security", "goes" });
        const auto add
            = [](const char *name, QString setting, QString option, Security security,
                  QString goes) { QTest::newRow(name) << setting << option << security << goes; };
        add("host", "mail.example", "", Security::None, "mail.example 25");
        add("STARTTLS's usual port", "mail.example", "", Security::StartTls, "mail.example 587");
        add("TLS's usual port", "mail.example", "", Security::Tls, "mail.example 465");
        add("the port in SMTP first", "mail.example:2525", "", Security::Tls, "mail.example 2525");
        add("bare IPv6", "2001:db8::1", "", Security::None, "2001:db8::1 25");
        add("the port option first", "[2001:db8::1]:2525", "8465", Security::Tls,
            "2001:db8::1 8465");
        add("port 0", "mail.example:0", "", Security::None, {});
        add("a port option that is no port", "mail.example", "587a", Security::StartTls, {});
    }
    void serverAddress()
    {
        QFETCH(QString, setting);
        QFETCH(QString, option);
        QFETCH(Security, security);
        const auto goes
            = SmtpWire::ConnectionAddress(setting, option, MailServerOptions::usualPort(security));
        QTEST(goes ? goes->host + u' ' + QString::number(goes->port) : QString(), "goes");
    }

private:
    QTemporaryDir m_certificates;
};

QTEST_GUILESS_MAIN(TestSmtpClient)
#include "tst_smtpclient.moc"
