#include "DeliveryFixture.h"
#include "delivery/SmtpDelivery.h"
#include "delivery/SmtpWire.h"
#include "support/DataColumns.h"
#include "support/FreePort.h"
#include "support/ScriptedSmtpServer.h"

#include <QTest>
#include <functional>

namespace {

const QString Both = QStringLiteral("ann@phone.example,bob@phone.example,");
const QByteArray All = "HELO MAIL RCPT RCPT DATA QUIT";

Script at(S::Step step, const QList<S::Reply> &replies)
{
    return [=](S &s) { s.script(step, replies); };
}

// A conversation row: what the server does, whether the message counts as sent, the one
// warning shown (empty: none), the commands the server got, and whether the delivery
// ended well before the reply time-out.
void row(const char *name, const Script &script, bool sent, const QString &warning,
    const QByteArray &verbs, bool atOnce = true, const QString &recipients = Both,
    const QString &bobCell = Bob, const QString &sender = Ann)
{
    QTest::newRow(name) << script << sender << bobCell << recipients << sent
                        << (warning.isEmpty() ? QStringList() : QStringList { warning }) << verbs
                        << atOnce;
}

} // namespace

class TestSmtpConversation : public QObject {
    Q_OBJECT
private slots:
    void conversation_data()
    {
        Columns<Script, QString, QString, QString, bool, QStringList, QByteArray, bool>(
            { "script", "sender", "bobCell", "recipients", "sent", "warnings", "verbs", "atOnce" });

        const auto silent = [](S::Step step) { return at(step, { S::silence() }); };
        row("ordinary", {}, true, {}, All);
        row("greeting 554", at(S::Greeting, { S::sayAndClose("554 no service\r\n") }), false,
            Responded + "554 no service\r\n", "");
        row("silent greeting", silent(S::Greeting), false,
            "SMTP server connected but did not respond", "", false);
        row("silent after HELO", silent(S::Helo), false, NoResponse, "HELO", false);
        row("silent after MAIL FROM", silent(S::Mail), false, NoResponse, "HELO MAIL", false);
        row("silent after RCPT TO", silent(S::Rcpt), false, NoResponse, "HELO MAIL RCPT", false);
        row("silent after DATA", silent(S::Data), false, NoResponse, "HELO MAIL RCPT RCPT DATA",
            false);
        row("silent after content", silent(S::Content), false, NoResponse,
            "HELO MAIL RCPT RCPT DATA", false);
        row("first recipient refused",
            at(S::Rcpt, { S::say("550 no such user\r\n"), S::say("250 OK\r\n") }), true,
            Responded + "550 no such user\r\n", All);
        row("last recipient refused",
            at(S::Rcpt, { S::say("250 OK\r\n"), S::say("550 no such user\r\n") }), false,
            Responded + "550 no such user\r\n", "HELO MAIL RCPT RCPT");
        row("no recipient of ours, DATA refused",
            at(S::Data, { S::say("554 no valid recipients\r\n") }), false,
            Responded + "554 no valid recipients\r\n", "HELO MAIL DATA", true,
            "gone@phone.example,");
        row("greeting split over arrivals",
            at(S::Greeting, { S::pieces({ "2", "20 rea", "dy\r\n" }) }), true, {}, All);
        row("multi-line greeting",
            at(S::Greeting, { S::pieces({ "220-first line\r\n", "220-second\r\n220 last\r\n" }) }),
            true, {}, All);
        row("251 for a recipient", at(S::Rcpt, { S::say("251 forwarding\r\n") }), true,
            Responded + "User not local; will forward to", "HELO MAIL RCPT DATA QUIT", true,
            Bob + ",");
        row("252 for a recipient", at(S::Rcpt, { S::say("252 cannot verify\r\n") }), true,
            Responded + "Cannot verify user, but will accept message and attempt delivery",
            "HELO MAIL RCPT DATA QUIT", true, Bob + ",");
        row("400 to MAIL FROM", at(S::Mail, { S::say("400 try later\r\n") }), false, {},
            "HELO MAIL");
        row("421 to the first recipient", at(S::Rcpt, { S::say("421 shutting down\r\n") }), false,
            Responded + "421 shutting down\r\n", "HELO MAIL RCPT");
        row("server hangs up after DATA", at(S::Data, { S::hangUp() }), false,
            "SMTP server closed the connection", "HELO MAIL RCPT RCPT DATA");
        // The client closes once QUIT is answered: a server that lingers costs nothing.
        row("server never closes after QUIT", at(S::Quit, { S::say("221 Bye\r\n") }), true, {},
            All);
        // One reply too many would put every later reply against the wrong command.
        row("an extra reply after the greeting",
            at(S::Greeting, { S::say("220 hi\r\n250 extra\r\n") }), false,
            Unsolicited + "250 extra", "");
        row("an extra reply after MAIL FROM", at(S::Mail, { S::say("250 OK\r\n250 extra\r\n") }),
            false, Unsolicited + "250 extra", "HELO MAIL");
        row("DATA accepted without a go-ahead", at(S::Data, { S::say("250 OK\r\n") }), false,
            Misfit + "250 OK", "HELO MAIL RCPT RCPT DATA");
        row("content answered with a go-ahead", at(S::Content, { S::say("354 more\r\n") }), false,
            Misfit + "354 more", "HELO MAIL RCPT RCPT DATA");
        const QString crlf = QStringLiteral("bob@phone.example\r\nRCPT TO: <evil@x.example>");
        row("recipient address with CR LF", {}, true, {}, "HELO MAIL RCPT DATA QUIT", true,
            "ann@phone.example," + crlf + ",", crlf);
        const QString angled = QStringLiteral("bob@x.example> <evil@x.example");
        row("recipient address with angle brackets", {}, true, {}, "HELO MAIL RCPT DATA QUIT", true,
            "ann@phone.example," + angled + ",", angled);
        row("sender address with CR LF", {}, false,
            "The sender e-mail address contains a carriage return and cannot be sent", "", true,
            Both, Bob, "ann@home.example\r\nRCPT TO: <evil@x.example>");
    }
    void conversation()
    {
        QFETCH(Script, script);
        QFETCH(QString, sender);
        QFETCH(QString, bobCell);
        QFETCH(QString, recipients);
        QFETCH(bool, sent);
        QFETCH(QByteArray, verbs);
        QFETCH(bool, atOnce);

        ScriptedSmtpServer server;
        if (script)
            script(server);
        DeliveryFixture f(server.address());
        f.env.settings.WriteSetting("User1", "Email", sender);
        f.env.settings.WriteSetting("User2", "CellEmail", bobCell);
        const QString record = Record.left(Record.indexOf(u'|') + 1) + recipients;
        f.env.writeMessageFile(1, { record });

        // A line break in an address can only come with an instant message: a message file
        // cannot hold one.
        const bool instant = record.contains(u'\r');
        QCOMPARE(f.deliver((instant ? "21" : "01") + record), sent);
        QVERIFY(f.endedOnce);
        QTEST(f.shown, "warnings");
        QCOMPARE(server.verbs().join(' '), verbs);
        QVERIFY(!server.outOfStep);
        for (const QByteArray &line : server.commands)
            QVERIFY2(!line.contains("evil") && !line.contains("RSET"), line.constData());
        if (sender != Ann)
            QCOMPARE(server.connections, 0);
        if (atOnce)
            QVERIFY2(f.elapsedMs < ReplyTimeout.count() / 2, QByteArray::number(f.elapsedMs));
        else
            QVERIFY(f.elapsedMs >= ReplyTimeout.count() - 50);
        QCOMPARE(f.env.readMessageFile(1).value(0).at(19), sent && !instant ? u'S' : u'N');
    }

    void content_data()
    {
        Columns<QString, QByteArray>({ "text", "body" });
        QTest::newRow("leading dot") << ".hidden" << QByteArray("..hidden");
        QTest::newRow("Windows-1252") << "caf\u00e9 \u20ac5"
                                      << QByteArray("caf\xe9 \x80"
                                                    "5");
    }
    // What goes over the wire, before the server undoes the dot-stuffing.
    void content()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, body);
        ScriptedSmtpServer server;
        DeliveryFixture f(server.address());
        QVERIFY(f.deliver("212026/03/14 09:30 PMN" + text + "|ann@phone.example,"));
        QVERIFY(f.endedOnce);
        QCOMPARE(server.content, "Subject: Tolvane\r\n\r\n" + body + "\r\n.\r\n");
    }

    void connection_data()
    {
        Columns<int, bool, int, bool, int, bool>(
            { "flags", "dialSucceeds", "dialSeconds", "sent", "dials", "dialedUp" });
        const int lan = ConnectionService::Lan;
        const int modem = ConnectionService::Modem;
        QTest::newRow("LAN") << lan << true << 0 << true << 0 << false;
        QTest::newRow("line dialled") << (lan | modem) << true << 6 << true << 1 << true;
        QTest::newRow("dialling fails") << (lan | modem) << false << 6 << false << 1 << false;
    }
    void connection()
    {
        QFETCH(int, flags);
        QFETCH(bool, dialSucceeds);
        QFETCH(int, dialSeconds);
        QFETCH(bool, sent);
        ScriptedSmtpServer server;
        DeliveryFixture f(server.address());
        f.connection.connectionFlags = flags;
        f.connection.dialSucceeds = dialSucceeds;
        f.connection.dialSeconds = dialSeconds;
        QCOMPARE(f.deliver(), sent);
        QVERIFY(f.endedOnce);
        QTEST(f.connection.dials, "dials");
        QTEST(f.env.program.DialedUp, "dialedUp");
        QCOMPARE(f.shown, dialSucceeds ? QStringList() : QStringList { UnableToConnect });
        QCOMPARE(server.connections, sent ? 1 : 0);
    }

    void unreachable_data()
    {
        Columns<QString, QString>({ "setting", "warning" });
        QTest::newRow("connection refused")
            << QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort()) << UnableToConnect;
        QTest::newRow("bracket not closed") << "[::1:25" << UnableToConnect;
        QTest::newRow("no server set") << " "
                                       << "No SMTP server is set for the sender of this message: "
                                          "enter one under Change User Email Settings";
    }
    void unreachable()
    {
        QFETCH(QString, setting);
        DeliveryFixture f(setting);
        QVERIFY(!f.deliver());
        QVERIFY(f.endedOnce);
        QTEST(f.shown.value(0), "warning");
        QCOMPARE(f.shown.size(), 1);
        QVERIFY(f.elapsedMs < ReplyTimeout.count());
        QCOMPARE(f.env.readMessageFile(1), QStringList { Record });
    }

    void surprise_data()
    {
        Columns<QString, QString, bool>({ "entry", "server", "showErrors" });
        const QString stamp = QStringLiteral("2026/03/14 09:30 PMN");
        QTest::newRow("record without a bar") << "01" + stamp + "Hello there" << QString() << true;
        QTest::newRow("twelfth recipient")
            << "01" + stamp + "Hi|" + QString("ann@phone.example,").repeated(12) << QString()
            << false;
        QTest::newRow("no such user") << "00" + Record << QString() << false;
    }
    // Ended as failed without a crash; "Big Surprise!" only when errors are shown.
    void surprise()
    {
        QFETCH(QString, entry);
        QFETCH(QString, server);
        QFETCH(bool, showErrors);
        ScriptedSmtpServer scripted;
        DeliveryFixture f(server.isNull() ? scripted.address() : server);
        f.env.program.ShowErrors = showErrors;
        QVERIFY(!f.deliver(entry));
        QVERIFY(f.endedOnce);
        QCOMPARE(scripted.connections, 0);
        // Shown once the delivery is over: it never waits for the user.
        QVERIFY(f.env.boxes.shown.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(f.env.boxes.shown.size(), showErrors ? 1 : 0);
        if (showErrors)
            QCOMPARE(f.env.boxes.shown.at(0).text,
                "Error occurred in mod1.ProcessMessage - Big Surprise!");
        QCOMPARE(f.env.readMessageFile(1), QStringList { Record });
    }

    void serverAddress_data()
    {
        Columns<QString, QString, int>({ "setting", "host", "port" });
        QTest::newRow("host") << "mail.example"
                              << "mail.example" << 25;
        QTest::newRow("host and port") << "mail.example:587"
                                       << "mail.example" << 587;
        QTest::newRow("bracketed IPv6 and port") << "[2001:db8::1]:2525"
                                                 << "2001:db8::1" << 2525;
        QTest::newRow("bare IPv6") << "2001:db8::1"
                                   << "2001:db8::1" << 25;
        QTest::newRow("port 0") << "mail.example:0" << QString() << 0;
    }
    void serverAddress()
    {
        QFETCH(QString, setting);
        QFETCH(QString, host);
        const auto server = SmtpWire::ParseServerAddress(setting);
        QCOMPARE(server.has_value(), !host.isNull());
        if (server) {
            QCOMPARE(server->host, host);
            QTEST(int(server->port), "port");
        }
    }
};

QTEST_MAIN(TestSmtpConversation)
#include "tst_smtpconversation.moc"
