// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/NetworkCheck.h"
#include "delivery/SmtpClient.h"
#include "delivery/SmtpWire.h"
#include "delivery/SocketLayer.h"
#include "store/CodePage.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"
#include "support/ScriptedSmtpServer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimeZone>
#include <functional>

namespace {

using S = ScriptedSmtpServer;
using Security = MailServerOptions::Security;
using Mail = SmtpClient::Mail;
using Change = std::function<void(Mail &)>;

constexpr std::chrono::milliseconds Limit { 1500 };
constexpr qint64 MarginMs = 1000; // beyond the limit: tearing down and judging, on a busy machine

const QString Said = "SMTP Server responded: ";
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
// Written at half past nine in Newfoundland, whose offset has minutes too.
const QDateTime Written(QDate(2026, 12, 7), QTime(9, 30, 5), QTimeZone(-(3 * 3600 + 1800)));

Mail mailTo(const QString &server, const QString &text = "Hello there")
{
    return { server, {}, {}, "ann@home.example", Phones, text, Written };
}

// A client driven as the program drives it: start() returns at once, and the result comes
// while the caller's own event loop runs (here QSignalSpy::wait's). run() holds one
// conversation; true when it ended as sent. It must end once (ok), and start() must return
// before anything is reported.
struct ClientRun {
    explicit ClientRun(std::chrono::milliseconds limit = Limit) { client.setReplyTimeout(limit); }
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

const auto at = [](S::Step step, QList<QByteArray> replies) {
    return S::Script { { step, replies } };
};
const auto options = [](Security security, QString login = {}) {
    return Change([=](Mail &m) { m.options = { security, {}, login }; });
};
const auto recipients = [](QStringList to) { return Change([=](Mail &m) { m.recipients = to; }); };
const auto server = [](QString to) { return Change([=](Mail &m) { m.serverSetting = to; }); };

// A row: what the server does, how the conversation ends ("sent", "failed", or "deferred" for
// a failure that may pass by itself; "timeout" when it waited the limit out (else it ends in
// half of it), "unreached" when the scripted server never saw a connection, and what it
// heard), and the warnings; one that begins with a
// reply code is what the server responded; a huge one is shown by its beginning only.
void row(const QString &name, const S::Script &script, const QByteArray &ends,
    QStringList warnings = {}, const Change &change = {})
{
    for (QString &warning : warnings)
        warning = ((warning.front().isDigit() ? Said : "") + warning).left(200);
    QTest::newRow(qPrintable(name)) << script << change << ends << warnings;
}

} // namespace

// Every way a server can fail at every step, replies that are malformed, huge, trickling or
// late, mail that must not go as it is, and real servers with and without TLS.
class TestSmtpClient : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_certificates.isValid());
        const QString source = qEnvironmentVariable("TOLVANE_SOURCE_DIR");
        QCOMPARE(QProcess::execute(
                     source + "/tests/support/make-test-certs.sh", { m_certificates.path() }),
            0);
        // The tests' own authority is trusted as a system one would be; nothing else is.
        QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
        trusted.setCaCertificates(QSslCertificate::fromPath(m_certificates.filePath("ca.pem")));
        QSslConfiguration::setDefaultConfiguration(trusted);
        QLocale::setDefault(QLocale(QLocale::German)); // still English names in a mail's Date
    }

    void conversation_data()
    {
        Columns<S::Script, Change, QByteArray, QStringList>(
            { "script", "change", "ends", "warnings" });
        const QList<std::pair<const char *, QByteArray>> faults { { "silence", "" },
            { "450", "450 mailbox busy\r\n" }, { "550", "550 refused\r\n" },
            { "421", "421 closing down\r\n|!" }, { "dropped connection", "!" } };
        // Each step, and what the server has heard when the conversation ends there.
        const QList<std::tuple<const char *, S::Step, QByteArray>> steps {
            { "greeting", S::Greeting, "" }, { "HELO", S::Helo, " HELO" },
            { "MAIL FROM", S::Mail, " HELO MAIL" }, { "first RCPT TO", S::Rcpt, " HELO MAIL RCPT" },
            { "last RCPT TO", S::Rcpt, " HELO MAIL RCPT RCPT" },
            { "DATA", S::Data, " " + UpToData }, { "content", S::Content, " " + UpToData },
            { "QUIT", S::Quit, " " + All }
        };
        for (const auto &[stepName, step, verbs] : steps) {
            for (const auto &[faultName, reply] : faults) {
                const bool second = verbs.endsWith("RCPT RCPT"); // the last recipient's reply
                const QByteArray ok = "250 OK\r\n";
                const auto script = at(step, second ? QList { ok, reply } : QList { reply, ok });
                const QString name = QStringLiteral("%1 at %2").arg(faultName, stepName);
                const QByteArray said = reply == "!" ? "" : reply.split('|').at(0);
                const QStringList refusal = said.isEmpty() ? QStringList() : QStringList { said };
                if (step == S::Quit) {
                    // The reply to QUIT is not judged, though a refusal still warns; the
                    // client closes once it has come, and waits for it up to the limit.
                    row(name, script, (reply.isEmpty() ? "sent timeout" : "sent") + verbs, refusal);
                } else if (step == S::Rcpt && !second && !said.isEmpty() && !reply.endsWith('!')) {
                    // A refused recipient does not stop the accepted one after it.
                    row(name, script, "sent " + All, refusal);
                } else if (reply.isEmpty()) {
                    row(name, script, "deferred timeout" + verbs,
                        { step == S::Greeting ? "SMTP server connected but did not respond"
                                              : "No response from SMTP server: timeout" });
                } else {
                    const QStringList closed { "SMTP server closed the connection" };
                    row(name, script, (said.startsWith('5') ? "failed" : "deferred") + verbs,
                        refusal.isEmpty() ? closed : refusal);
                }
            }
        }
        // One byte at a time also takes longer than one limit in all.
        S::Script trickle;
        for (const S::Step step : { S::Greeting, S::Helo, S::Mail, S::Rcpt, S::Data, S::Content }) {
            for (const char c :
                QByteArray(step ? step == S::Data ? "354 go\r\n" : "250 ok\r\n" : "220 ok\r\n"))
                trickle[step] = { trickle[step].value(0) + c + (c == '\n' ? "" : "|") };
        }
        row("replies one byte at a time", trickle, "sent timeout " + All);
        row("multi-line refusal in two arrivals",
            at(S::Rcpt, { "250 OK\r\n", "554-first\r\n|554 second\r\n" }),
            "failed HELO MAIL RCPT RCPT", { "554-first\r\n554 second\r\n" });
        const QByteArray megabyte(1024 * 1024, 'x');
        row("a refusal line of 1 MB", at(S::Mail, { "550 " + megabyte + "\r\n" }),
            "failed HELO MAIL", { "550 " + megabyte });
        row("a stray line before the reply", at(S::Mail, { "hello there\r\n250 OK\r\n" }),
            "sent " + All);
        row("400 to MAIL FROM, not shown", at(S::Mail, { "400 try later\r\n" }),
            "deferred HELO MAIL");
        row("401 to MAIL FROM", at(S::Mail, { "401 odd\r\n" }), "deferred HELO MAIL",
            { "401 odd\r\n" });
        const Change toBob = recipients({ Phones[1] });
        const QByteArray toOne = "sent HELO MAIL RCPT DATA QUIT";
        row("251 for a recipient", at(S::Rcpt, { "251 forwarding\r\n" }), toOne,
            { Said + "User not local; will forward to" }, toBob);
        row("252 for a recipient", at(S::Rcpt, { "252 cannot verify\r\n" }), toOne,
            { Said + "Cannot verify user, but will accept message and attempt delivery" }, toBob);
        row("no recipient left, DATA refused", at(S::Data, { "554 no valid recipients\r\n" }),
            "failed HELO MAIL DATA", { "554 no valid recipients\r\n" }, recipients({ "", "" }));
        // One reply too many would put every later reply against the wrong command.
        row("two replies to HELO in one arrival", at(S::Helo, { "250 hello\r\n250 welcome\r\n" }),
            "failed HELO", { Unsolicited + "250 welcome" });
        row("a reply and a closing notice in one arrival",
            at(S::Mail, { "250 OK\r\n421 closing now\r\n|!" }), "deferred HELO MAIL",
            { "421 closing now\r\n" });
        row("354 and a refusal in one arrival",
            at(S::Data, { "354 go\r\n554 changed my mind\r\n" }), "failed " + UpToData,
            { Unsolicited + "554 changed my mind" });
        row("DATA accepted without a go-ahead", at(S::Data, { "250 OK\r\n" }), "failed " + UpToData,
            { Misfit + "250 OK" });
        row("content answered with a go-ahead", at(S::Content, { "354 more\r\n" }),
            "failed " + UpToData, { Misfit + "354 more" });
        row("recipient addresses with CR LF or angle brackets skipped", {}, toOne, {},
            recipients({ Phones[0], "bob@phone.example\r\nRCPT TO: <evil@x.example>",
                "bob@x.example> <evil@x.example" }));
        row("entries beyond the tenth never sent to", {},
            "sent HELO MAIL" + QByteArray(" RCPT").repeated(10) + " DATA QUIT", {},
            recipients(QStringList(11, Phones[0])));
        row("sender address with CR LF", {}, "failed unreached",
            { "The sender e-mail address contains a carriage return and cannot be sent" },
            [](Mail &m) { m.sender += "\r\nRCPT TO: <evil@x.example>"; });
        row("no server set", {}, "failed unreached",
            { "No SMTP server is set for the sender of this message: enter one under Change User "
              "Email Settings" },
            server(" "));
        row("bracket not closed", {}, "failed unreached", { UnableToConnect }, server("[::1:25"));
        row("connection refused", {}, "deferred unreached", { UnableToConnect },
            server(QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort())));
        row("the port option beats the one in SMTP", {}, "sent " + All, {}, [](Mail &m) {
            m.options.port = m.serverSetting.section(u':', 1);
            m.serverSetting = QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
        });
        row("an unknown security setting", {}, "failed unreached",
            { "The SMTP security setting is not one Tolvane knows (None, STARTTLS or TLS)" },
            options(Security::Unknown));
        row("a login without TLS", {}, "failed unreached",
            { "The SMTP login is only sent over an encrypted connection: choose STARTTLS or TLS "
              "for this server" },
            options(Security::None, "ann"));
        const Change startTls = options(Security::StartTls);
        row("STARTTLS not offered", {}, "failed EHLO", { NoStartTls }, startTls);
        // A server that does not know EHLO gets HELO, and its refusal is no warning of its own.
        row("EHLO refused, HELO then", at(S::Helo, { "502 what\r\n", "250 hi\r\n" }),
            "failed EHLO HELO", { NoStartTls }, startTls);
        row("421 to EHLO", at(S::Helo, { "421 too busy\r\n|!" }), "deferred EHLO",
            { "421 too busy\r\n" }, startTls);
        row("STARTTLS refused", at(S::Helo, { "250-scripted\r\n250 STARTTLS\r\n" }),
            "failed EHLO STAR",
            { "500 unknown command\r\n", "The SMTP server refused STARTTLS: 500 unknown command" },
            startTls);
        // A server that takes the connection and never says a word, not even to a handshake.
        auto mute = std::make_shared<QTcpServer>();
        mute->listen(QHostAddress::LocalHost);
        row("a TLS handshake that never ends", {}, "deferred timeout unreached",
            { TlsFailed + "the server did not answer in time" }, [mute](Mail &m) {
                m.options.security = Security::Tls;
                m.serverSetting = QStringLiteral("127.0.0.1:%1").arg(mute->serverPort());
            });
    }
    void conversation()
    {
        QFETCH(S::Script, script);
        QFETCH(Change, change);
        QFETCH(QByteArray, ends);
        QFETCH(QStringList, warnings);
        ScriptedSmtpServer scripted(script);
        Mail mail = mailTo(scripted.address());
        if (change)
            change(mail);

        ClientRun r;
        const bool sent = r.run(mail);
        QVERIFY(r.ok && !scripted.outOfStep);
        QStringList shown;
        for (const QString &warning : std::as_const(r.shown))
            shown << (warning.size() > 70 * 1024 ? "over 70 KB" : warning.left(200));
        QCOMPARE(shown, warnings);
        const qint64 ms = r.elapsedMs, limit = Limit.count();
        QByteArray time = ms < limit / 2 ? "" : " timeout";
        if (ms >= limit / 2 && (ms < limit - 50 || ms >= limit + MarginMs))
            time = " after " + QByteArray::number(ms) + " ms";
        const QByteArray how = sent ? "sent" : r.client.failureMayPass() ? "deferred" : "failed";
        const QByteArray reached = scripted.connections ? " " : " unreached ";
        QCOMPARE((how + time + reached + scripted.verbs()).trimmed(), ends);
        const QByteArray heard = scripted.commands.join('\n');
        QVERIFY2(!heard.contains("evil") && !heard.contains("RSET"), heard.constData());

        // The client is ready for the next mail, to a sound server. The text goes dot-stuffed,
        // in UTF-8, quoted-printable, on one line whatever it holds (an instant message is
        // never cleaned by a file, a file may be edited by hand), never as a command of its
        // own.
        ScriptedSmtpServer sound;
        QVERIFY(r.run(mailTo(sound.address(),
            QString(
                ".caf\u00e9 \u20ac!\r\n.two\r.\rRSET\n.\nMAIL FROM: <x@evil.example>\n.\r\nQUIT")
                + QChar(0) + ".\r\n")));
        QVERIFY(r.ok);
        QCOMPARE(r.shown, QStringList());
        QCOMPARE(sound.verbs(), All);
        QCOMPARE(sound.commands.value(1), "MAIL FROM: <ann@home.example>");
        QCOMPARE(sound.commands.value(3), "RCPT TO: <bob@phone.example>");
        QCOMPARE(QString::fromLatin1(sound.content)
                     .replace(QRegularExpression("Message-ID: <[^>]*>"), "Message-ID: *"),
            "From: ann@home.example\r\nTo: ann@phone.example, bob@phone.example\r\n"
            "Date: Mon, 07 Dec 2026 09:30:05 -0330\r\nMessage-ID: *\r\nSubject: Tolvane\r\n"
            "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
            "..caf=C3=A9 =E2=82=AC!  .two . RSET . MAIL FROM: <x@evil.example> .  QUIT. =\r\n"
            "=20\r\n.\r\n");
    }

    void abort_data()
    {
        Columns<QString>({ "when" });
        for (const char *when : { "before it begins", "waiting for the greeting", "destroyed" })
            QTest::newRow(when) << QString(when);
    }
    // Ends at once, as does destroying the client (waiting for the greeting): nothing is
    // reported, not even once the step's limit has passed, and an aborted client starts afresh.
    void abort()
    {
        QFETCH(QString, when);
        ScriptedSmtpServer silent({ { S::Greeting, { "" } } });
        auto r = std::make_unique<ClientRun>();
        QSignalSpy warned(&r->client, &SmtpClient::warning),
            ended(&r->client, &SmtpClient::finished);
        r->client.start(mailTo(silent.address()));
        if (when != "before it begins")
            QTRY_COMPARE(silent.connections, 1);
        when == "destroyed" ? r.reset() : r->client.abort();
        QTest::qWait(int(Limit.count()) + 500);
        QCOMPARE(warned.size() + ended.size(), 0);
        QCOMPARE(silent.connections, when == "before it begins" ? 0 : 1);
        ScriptedSmtpServer sound;
        QVERIFY(!r || (r->run(mailTo(sound.address())) && r->ok));
    }

    // aiosmtpd with its TLS ("none", "starttls" or "smtps") and certificate ("server", the
    // default, "wrongname" or "rogue"); given a password ("pw": Password) it asks for a login
    // (ann, Password), and the user's is that password; "-PLAIN": login methods not offered;
    // "7bit": it leaves 8BITMIME unannounced and refuses anything but ASCII. What was said:
    // the server's log, then the client's warnings (it refuses nobody@). A mail it took, as
    // Python's e-mail package reads it under its strict SMTP policy: well formed, with the
    // headers providers want, the recipients the server accepted, the text as written, and
    // lines within their limits; 8-bit only to a server that announced 8BITMIME (aiosmtpd
    // greeted with EHLO, as over STARTTLS or TLS) and only for a text that fits a line.
    void realServer_data()
    {
        Columns<QString, QString, QStringList>({ "setup", "text", "said" });
        const auto row = [](const QString &name, const QString &setup, const QStringList &said,
                             const QString &text = "Hello there") {
            QTest::newRow(qPrintable(name)) << setup << text << said;
        };
        const auto mail = [](const QString &setup) {
            return QStringList { "DATA " + QString(setup == "none" ? "clear" : "tls")
                    + " ann@home.example ['ann@phone.example', 'bob@phone.example'] ...",
                Said + "550 5.1.1 No such user\r\n" };
        };
        // The entry form takes at most 145 characters less the longest sender address.
        const QString longest = QString(".\u00e9 \u20ac ")
                                    .repeated(30)
                                    .left(145 - QString("ann@home.example").size());
        const QList<std::pair<const char *, QString>> texts {
            { "accents", "Caf\u00e9 cr\u00e8me, na\u00efve Zo\u00eb \u00e0 l'\u00e9cole" },
            { "euro sign", CodePage::decode("Rent: \x80 80, due Monday") },
            { "leading dot", ".hidden, and seen" }, { "longest for the form", longest },
            { "over a line's 998 octets", QString(400, u'\u20ac') }
        };
        for (const QString setup : { "none", "starttls", "smtps", "starttls 7bit" }) {
            for (const auto &[name, text] : texts)
                row(setup + ", " + name, setup, mail(setup), text);
        }
        const QString plainOk = "AUTH tls PLAIN ok";
        const QString refused = "535 5.7.8 Authentication credentials invalid";
        row("STARTTLS and AUTH PLAIN", "starttls server pw", QStringList { plainOk } + mail("tls"));
        row("AUTH LOGIN when PLAIN is not offered", "starttls server pw -PLAIN",
            QStringList { "AUTH tls LOGIN ok" } + mail("tls"));
        row("neither PLAIN nor LOGIN offered", "starttls server pw -PLAIN,LOGIN",
            { "The SMTP server offers no login method Tolvane can use (PLAIN or LOGIN)" });
        row("TLS from the start with a login", "smtps server pw",
            QStringList { plainOk } + mail("tls"));
        row("wrong password", "starttls server wrong",
            { "AUTH tls PLAIN refused", Said + refused + "\r\n", "SMTP login failed: " + refused });
        // Nothing, not even the login, goes over clear text when the handshake fails.
        const QString untrusted = TlsFailed + "The certificate is self-signed, and untrusted";
        row("untrusted certificate after STARTTLS", "starttls rogue pw", { untrusted });
        row("untrusted certificate from the start", "smtps rogue pw", { untrusted });
        row("certificate for another host", "starttls wrongname pw",
            { TlsFailed
                + "The host name did not match any of the valid hosts for this certificate" });
    }
    void realServer()
    {
        QFETCH(QString, setup);
        QFETCH(QString, text);
        QFETCH(QStringList, said);
        QStringList words = setup.split(u' ');
        const bool sevenBit = words.removeAll("7bit");
        const QString pem = m_certificates.filePath(words.value(1, "server"));
        const QString password = words.value(2) == "pw" ? Password : words.value(2);
        const QString login = password.isEmpty() ? QString() : "ann";
        AiosmtpdServer server;
        QVERIFY2(server.start({ words[0], pem + ".pem", pem + ".key", login, Password,
                     words.value(3).mid(1), sevenBit ? "7bit" : "" }),
            "aiosmtpd (python3-aiosmtpd) did not start");
        // "localhost" as written is the name the certificate must carry.
        Mail mail = mailTo(QStringLiteral("localhost:%1").arg(server.port()), text);
        mail.recipients = { Phones[0], "nobody@phone.example", Phones[1] };
        const QString security = words[0] == "smtps" ? "TLS" : words[0];
        mail.options = { MailServerOptions::parseSecurity(security), {}, login };
        mail.password = password;
        // A limit a slow handshake cannot reach: every conversation must end by the server's
        // answers (a TLS server may hold the connection open after QUIT).
        ClientRun r(std::chrono::seconds(5));
        const bool sent = r.run(mail);
        QVERIFY(r.ok);
        QVERIFY2(r.elapsedMs < 5000, QByteArray::number(r.elapsedMs));
        QCOMPARE(
            server.log().replaceInStrings(QRegularExpression("] .*"), "] ...") + r.shown, said);
        const QList<QJsonObject> mails = server.mails();
        QCOMPARE(mails.size(), int(sent));
        if (!sent)
            return;
        QJsonObject headers = mails[0]["headers"].toObject();
        const QString id = headers.take("Message-ID").toString();
        QVERIFY2(
            QRegularExpression("^<[0-9a-z]+\\.[0-9a-z]+@home\\.example>$").match(id).hasMatch(),
            qPrintable(id));
        QVERIFY2(!m_messageIds.contains(id), qPrintable(id));
        m_messageIds.insert(id);
        const bool eightBit = words[0] != "none" && !sevenBit && text.size() < 400;
        QCOMPARE(headers,
            QJsonObject(
                { { "From", "ann@home.example" }, { "To", "ann@phone.example, bob@phone.example" },
                    { "Date", "Mon, 07 Dec 2026 09:30:05 -0330" }, { "Subject", "Tolvane" },
                    { "MIME-Version", "1.0" }, // Python shows the parameter quoted.
                    { "Content-Type", "text/plain; charset=\"UTF-8\"" },
                    { "Content-Transfer-Encoding", eightBit ? "8bit" : "quoted-printable" } }));
        QCOMPARE(mails[0]["defects"].toArray(), QJsonArray());
        QCOMPARE(mails[0]["text"].toString(), text + "\r\n"); // the line end of the body
        QCOMPARE(mails[0]["mail options"].toArray(),
            eightBit ? QJsonArray { "BODY=8BITMIME" } : QJsonArray());
        QVERIFY(mails[0]["longest line"].toInt() <= (eightBit ? 998 : 76));
    }

    // The address connected to, and the start-up's network check.
    void wire_data()
    {
        Columns<QString, QString>({ "made", "expected" });
        // The setting, the port option ("-": none) and the security: where it goes.
        for (const char *row :
            { "mail.example - None: mail.example 25", "mail.example - STARTTLS: mail.example 587",
                "mail.example - TLS: mail.example 465",
                "mail.example:2525 - TLS: mail.example 2525", "2001:db8::1 - None: 2001:db8::1 25",
                "[2001:db8::1]:2525 8465 TLS: 2001:db8::1 8465", "mail.example:0 - None: nowhere",
                "mail.example 587a STARTTLS: nowhere" }) {
            const QStringList w = QString(row).split(u' ');
            const auto made = SmtpWire::connectionAddress(w[0], w[1] == "-" ? "" : w[1],
                MailServerOptions::usualPort(MailServerOptions::parseSecurity(w[2].chopped(1))));
            QTest::newRow(row) << (made ? made->host + u' ' + QString::number(made->port)
                                        : "nowhere")
                               << QString(row).section(u' ', 3);
        }
        // What the sockets layer grants (result, version, sockets) when asked for version 1.1
        // (257).
        const auto startUp = [](const char *name, SocketLayer::StartUp granted, QString problem) {
            struct Layer final : SocketLayer {
                StartUp startUp(quint16 asked) override { return version = asked, granted; }
                StartUp granted;
                quint16 version = 0;
            } layer;
            layer.granted = granted;
            const QString made = NetworkCheck::problem(layer);
            QTest::newRow(name) << QString::number(layer.version) + ' ' + made << "257 " + problem;
        };
        startUp("1.2", { 0, 0x0201, 32 }, "");
        startUp("not responding", { 10091, 0x0101, 32 }, "Winsock.dll is not responding.");
        startUp("0.9", { 0, 0x0900, 32 },
            "Windows Sockets version 0.9 is not supported by winsock.dll ");
        startUp("no sockets", { 0, 0x0101, 0 },
            "This application requires a minimum of 1 supported sockets.");
    }
    void wire()
    {
        QFETCH(QString, made);
        QTEST(made, "expected");
    }

private:
    QTemporaryDir m_certificates;
    QSet<QString> m_messageIds; // of every mail taken so far: none may come twice
};

QTEST_GUILESS_MAIN(TestSmtpClient)
#include "tst_smtpclient.moc"
