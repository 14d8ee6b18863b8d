#include "delivery/SmtpDelivery.h"
#include "delivery/SmtpWire.h"
#include "support/FakeConnectionService.h"
#include "support/FreePort.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using Script = std::function<void(ScriptedSmtpServer &)>;
Q_DECLARE_METATYPE(Script)

namespace {

using S = ScriptedSmtpServer;
using namespace std::chrono_literals;

constexpr auto ReplyTimeout = 1500ms;

const QString Record
    = QStringLiteral("2026/03/14 09:30 PMNHello there|ann@phone.example,bob@phone.example,");
const QString NoResponse = QStringLiteral("No response from SMTP server: timeout");
const QString Closed = QStringLiteral("SMTP server closed the connection");
const QString UnableToConnect = QStringLiteral("Unable to connect to SMTP server");

// One program with two users, a message file holding the record, and a delivery aimed
// at the given server.
struct Fixture {
    explicit Fixture(const QString &server)
    {
        env.addUser(1, QStringLiteral("Ann"), QStringLiteral("ann@phone.example"),
            QStringLiteral("ann@home.example"), server);
        env.addUser(2, QStringLiteral("Bob"), QStringLiteral("bob@phone.example"));
        env.writeMessageFile(1, { Record });
        connection.clock = &env.clock;
        delivery.setReplyTimeout(ReplyTimeout);
    }

    // Runs one delivery; true when it ended as sent.
    bool deliver(const QString &entry = QStringLiteral("01") + Record)
    {
        QSignalSpy rows(&delivery, &SmtpDelivery::rowColoured);
        QSignalSpy warnings(&delivery, &SmtpDelivery::warning);
        QElapsedTimer timer;
        timer.start();
        env.program.Sending = true;
        delivery.ProcessMessage(entry);
        elapsedMs = timer.elapsed();
        for (const QList<QVariant> &warning : warnings)
            shown.append(warning.at(0).toString());
        // Every delivery ends with exactly one colouring and Sending cleared.
        endedOnce = rows.size() == 1 && !env.program.Sending;
        return !rows.isEmpty() && rows.last().at(4).toBool();
    }

    TestEnvironment env;
    FakeConnectionService connection;
    SmtpDelivery delivery { env.program, connection };
    QStringList shown;
    qint64 elapsedMs = 0;
    bool endedOnce = false;
};

QByteArray joined(const QList<QByteArray> &verbs)
{
    return verbs.join(' ');
}

} // namespace

class TestSmtpConversation : public QObject {
    Q_OBJECT
private slots:
    void conversation_data();
    void conversation();
    void content_data();
    void content();
    void connection_data();
    void connection();
    void unreachable_data();
    void unreachable();
    void surprise_data();
    void surprise();
    void serverAddress_data();
    void serverAddress();
};

void TestSmtpConversation::conversation_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("bobCell");
    QTest::addColumn<QString>("recipients");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<QByteArray>("verbs");
    QTest::addColumn<bool>("atOnce"); // ends well before the reply time-out

    const QString ann = QStringLiteral("ann@home.example");
    const QString bob = QStringLiteral("bob@phone.example");
    const QString both = QStringLiteral("ann@phone.example,bob@phone.example,");
    const QByteArray all = "HELO MAIL RCPT RCPT DATA QUIT";
    const auto silentAt
        = [](S::Step step) -> Script { return [step](S &s) { s.script(step, { S::silence() }); }; };

    QTest::newRow("ordinary") << Script() << ann << bob << both << true << QStringList() << all
                              << true;
    QTest::newRow("greeting 554") << Script([](S &s) {
        s.script(S::Greeting, { S::sayAndClose("554 no service\r\n") });
    }) << ann << bob << both << false
                                  << QStringList { QStringLiteral(
                                         "SMTP Server responded: 554 no service\r\n") }
                                  << QByteArray() << true;
    QTest::newRow("silent greeting")
        << silentAt(S::Greeting) << ann << bob << both << false
        << QStringList { QStringLiteral("SMTP server connected but did not respond") }
        << QByteArray() << false;
    QTest::newRow("silent after HELO") << silentAt(S::Helo) << ann << bob << both << false
                                       << QStringList { NoResponse } << QByteArray("HELO") << false;
    QTest::newRow("silent after MAIL FROM")
        << silentAt(S::Mail) << ann << bob << both << false << QStringList { NoResponse }
        << QByteArray("HELO MAIL") << false;
    QTest::newRow("silent after RCPT TO")
        << silentAt(S::Rcpt) << ann << bob << both << false << QStringList { NoResponse }
        << QByteArray("HELO MAIL RCPT") << false;
    QTest::newRow("silent after DATA")
        << silentAt(S::Data) << ann << bob << both << false << QStringList { NoResponse }
        << QByteArray("HELO MAIL RCPT RCPT DATA") << false;
    QTest::newRow("silent after content")
        << silentAt(S::Content) << ann << bob << both << false << QStringList { NoResponse }
        << QByteArray("HELO MAIL RCPT RCPT DATA") << false;
    QTest::newRow("first recipient refused")
        << Script([](S &s) {
               s.script(S::Rcpt, { S::say("550 no such user\r\n"), S::say("250 OK\r\n") });
           })
        << ann << bob << both << true
        << QStringList { QStringLiteral("SMTP Server responded: 550 no such user\r\n") } << all
        << true;
    QTest::newRow("last recipient refused")
        << Script([](S &s) {
               s.script(S::Rcpt, { S::say("250 OK\r\n"), S::say("550 no such user\r\n") });
           })
        << ann << bob << both << false
        << QStringList { QStringLiteral("SMTP Server responded: 550 no such user\r\n") }
        << QByteArray("HELO MAIL RCPT RCPT") << true;
    QTest::newRow("no recipient of ours, DATA refused")
        << Script([](S &s) { s.script(S::Data, { S::say("554 no valid recipients\r\n") }); }) << ann
        << bob << QStringLiteral("gone@phone.example,") << false
        << QStringList { QStringLiteral("SMTP Server responded: 554 no valid recipients\r\n") }
        << QByteArray("HELO MAIL DATA") << true;
    QTest::newRow("greeting split over arrivals") << Script([](S &s) {
        s.script(S::Greeting, { S::pieces({ "2", "20 rea", "dy\r\n" }) });
    }) << ann << bob << both << true << QStringList()
                                                  << all << true;
    QTest::newRow("multi-line greeting") << Script([](S &s) {
        s.script(
            S::Greeting, { S::pieces({ "220-first line\r\n", "220-second\r\n220 last\r\n" }) });
    }) << ann << bob << both << true << QStringList()
                                         << all << true;
    QTest::newRow("multi-line HELO reply split mid-line") << Script([](S &s) {
        s.script(S::Helo, { S::pieces({ "250-scripted\r\n250-SI", "ZE 1000\r\n250 HELP\r\n" }) });
    }) << ann << bob << both << true << QStringList() << all
                                                          << true;
    QTest::newRow("251 for a recipient")
        << Script([](S &s) { s.script(S::Rcpt, { S::say("251 forwarding\r\n") }); }) << ann << bob
        << QStringLiteral("bob@phone.example,") << true
        << QStringList { QStringLiteral("SMTP Server responded: User not local; will forward to") }
        << QByteArray("HELO MAIL RCPT DATA QUIT") << true;
    QTest::newRow("252 for a recipient")
        << Script([](S &s) { s.script(S::Rcpt, { S::say("252 cannot verify\r\n") }); }) << ann
        << bob << QStringLiteral("bob@phone.example,") << true
        << QStringList { QStringLiteral("SMTP Server responded: Cannot verify user, but will "
                                        "accept message and attempt delivery") }
        << QByteArray("HELO MAIL RCPT DATA QUIT") << true;
    QTest::newRow("400 to MAIL FROM")
        << Script([](S &s) { s.script(S::Mail, { S::say("400 try later\r\n") }); }) << ann << bob
        << both << false << QStringList() << QByteArray("HELO MAIL") << true;
    QTest::newRow("421 to the first recipient")
        << Script([](S &s) { s.script(S::Rcpt, { S::say("421 shutting down\r\n") }); }) << ann
        << bob << both << false
        << QStringList { QStringLiteral("SMTP Server responded: 421 shutting down\r\n") }
        << QByteArray("HELO MAIL RCPT") << true;
    QTest::newRow("421 greeting") << Script([](S &s) {
        s.script(S::Greeting, { S::sayAndClose("421 busy\r\n") });
    }) << ann << bob << both << false
                                  << QStringList { QStringLiteral(
                                         "SMTP Server responded: 421 busy\r\n") }
                                  << QByteArray() << true;
    QTest::newRow("server hangs up after DATA")
        << Script([](S &s) { s.script(S::Data, { S::hangUp() }); }) << ann << bob << both << false
        << QStringList { Closed } << QByteArray("HELO MAIL RCPT RCPT DATA") << true;
    QTest::newRow("server never closes after QUIT")
        << Script([](S &s) { s.script(S::Quit, { S::say("221 Bye\r\n") }); }) << ann << bob << both
        << true << QStringList() << all << false;
    QTest::newRow("recipient address with CR LF")
        << Script() << ann << QStringLiteral("bob@phone.example\r\nRCPT TO: <evil@x.example>")
        << QStringLiteral("ann@phone.example,bob@phone.example\r\nRCPT TO: <evil@x.example>,")
        << true << QStringList() << QByteArray("HELO MAIL RCPT DATA QUIT") << true;
    QTest::newRow("recipient address with angle brackets")
        << Script() << ann << QStringLiteral("bob@x.example> <evil@x.example")
        << QStringLiteral("ann@phone.example,bob@x.example> <evil@x.example,") << true
        << QStringList() << QByteArray("HELO MAIL RCPT DATA QUIT") << true;
    QTest::newRow("sender address with CR LF")
        << Script() << QStringLiteral("ann@home.example\r\nRCPT TO: <evil@x.example>") << bob
        << both << false
        << QStringList { QStringLiteral(
               "The sender e-mail address contains a carriage return and cannot be sent") }
        << QByteArray() << true;
}

void TestSmtpConversation::conversation()
{
    QFETCH(Script, script);
    QFETCH(QString, sender);
    QFETCH(QString, bobCell);
    QFETCH(QString, recipients);
    QFETCH(bool, sent);
    QFETCH(QStringList, warnings);
    QFETCH(QByteArray, verbs);
    QFETCH(bool, atOnce);

    ScriptedSmtpServer server;
    if (script)
        script(server);
    Fixture f(server.address());
    f.env.settings.WriteSetting(QStringLiteral("User1"), QStringLiteral("Email"), sender);
    f.env.settings.WriteSetting(QStringLiteral("User2"), QStringLiteral("CellEmail"), bobCell);
    const QString record = Record.left(Record.indexOf(u'|') + 1) + recipients;
    f.env.writeMessageFile(1, { record });

    // A line break in an address can only come with an instant message: a message file
    // cannot hold one.
    const bool instant = record.contains(u'\r');
    QCOMPARE(f.deliver((instant ? QStringLiteral("21") : QStringLiteral("01")) + record), sent);
    QVERIFY(f.endedOnce);
    QCOMPARE(f.shown, warnings);
    QCOMPARE(joined(server.verbs()), verbs);
    QVERIFY(!server.outOfStep);
    for (const QByteArray &line : server.commands)
        QVERIFY2(!line.contains("evil") && !line.contains("RSET"), line.constData());
    if (sender != QStringLiteral("ann@home.example"))
        QCOMPARE(server.connections, 0);
    if (atOnce)
        QVERIFY2(f.elapsedMs < ReplyTimeout.count() / 2, QByteArray::number(f.elapsedMs));
    else
        QVERIFY(f.elapsedMs >= ReplyTimeout.count() - 50);
    QCOMPARE(f.env.readMessageFile(1).value(0).at(19), sent && !instant ? u'S' : u'N');
}

void TestSmtpConversation::content_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("plain") << QStringLiteral("Hello there") << QByteArray("Hello there");
    QTest::newRow("leading dot") << QStringLiteral(".hidden") << QByteArray("..hidden");
    QTest::newRow("only a dot") << QStringLiteral(".") << QByteArray("..");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("Windows-1252") << QStringLiteral("caf\u00e9 \u20ac5")
                                  << QByteArray("caf\xe9 \x80"
                                                "5");
}

void TestSmtpConversation::content()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, body);

    ScriptedSmtpServer server;
    Fixture f(server.address());
    const QString record
        = QStringLiteral("2026/03/14 09:30 PMN") + text + QStringLiteral("|ann@phone.example,");
    QVERIFY(f.deliver(QStringLiteral("21") + record));
    QVERIFY(f.endedOnce);
    QCOMPARE(server.content, "Subject: Tolvane\r\n\r\n" + body + "\r\n.\r\n");
}

void TestSmtpConversation::connection_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("dialSucceeds");
    QTest::addColumn<int>("dialSeconds");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<int>("dials");
    QTest::addColumn<bool>("dialedUp");
    QTest::addColumn<QStringList>("warnings");

    const int lan = ConnectionService::Lan;
    const int modem = ConnectionService::Modem;
    QTest::newRow("LAN") << lan << true << 0 << true << 0 << false << QStringList();
    QTest::newRow("configured") << int(ConnectionService::Configured) << true << 0 << true << 0
                                << false << QStringList();
    QTest::newRow("no connection") << 0 << true << 0 << false << 0 << false << QStringList();
    QTest::newRow("modem flag only") << modem << true << 0 << false << 0 << false << QStringList();
    QTest::newRow("line dialled") << (lan | modem) << true << 6 << true << 1 << true
                                  << QStringList();
    QTest::newRow("line already up")
        << (lan | modem) << true << 5 << true << 1 << false << QStringList();
    QTest::newRow("dialling fails")
        << (lan | modem) << false << 6 << false << 1 << false << QStringList { UnableToConnect };
}

void TestSmtpConversation::connection()
{
    QFETCH(int, flags);
    QFETCH(bool, dialSucceeds);
    QFETCH(int, dialSeconds);
    QFETCH(bool, sent);
    QFETCH(int, dials);
    QFETCH(bool, dialedUp);
    QFETCH(QStringList, warnings);

    ScriptedSmtpServer server;
    Fixture f(server.address());
    f.connection.connectionFlags = flags;
    f.connection.dialSucceeds = dialSucceeds;
    f.connection.dialSeconds = dialSeconds;

    QCOMPARE(f.deliver(), sent);
    QVERIFY(f.endedOnce);
    QCOMPARE(f.connection.dials, dials);
    QCOMPARE(f.env.program.DialedUp, dialedUp);
    QCOMPARE(f.shown, warnings);
    QCOMPARE(server.connections, sent ? 1 : 0);
}

void TestSmtpConversation::unreachable_data()
{
    QTest::addColumn<QString>("setting");

    QTest::newRow("connection refused") << QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
    QTest::newRow("port not a number") << QStringLiteral("127.0.0.1:smtp");
    QTest::newRow("bracket not closed") << QStringLiteral("[::1:25");
}

void TestSmtpConversation::unreachable()
{
    QFETCH(QString, setting);

    Fixture f(setting);
    QVERIFY(!f.deliver());
    QVERIFY(f.endedOnce);
    QCOMPARE(f.shown, QStringList { UnableToConnect });
    QVERIFY(f.elapsedMs < ReplyTimeout.count());
    QCOMPARE(f.env.readMessageFile(1), QStringList { Record });
}

void TestSmtpConversation::surprise_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("showErrors");

    const QString stamp = QStringLiteral("2026/03/14 09:30 PMN");
    QString twelve;
    for (int i = 0; i < 12; ++i)
        twelve += QStringLiteral("ann@phone.example,");
    for (const bool show : { false, true }) {
        const char *suffix = show ? " (errors shown)" : "";
        QTest::addRow("record without a bar%s", suffix)
            << QStringLiteral("01") + stamp + QStringLiteral("Hello there") << QString() << show;
        QTest::addRow("twelfth recipient%s", suffix)
            << QStringLiteral("01") + stamp + QStringLiteral("Hi|") + twelve << QString() << show;
        QTest::addRow("empty server name%s", suffix)
            << QStringLiteral("01") + Record << QStringLiteral(" ") << show;
        QTest::addRow("no such user%s", suffix)
            << QStringLiteral("00") + Record << QString() << show;
    }
}

void TestSmtpConversation::surprise()
{
    QFETCH(QString, entry);
    QFETCH(QString, server);
    QFETCH(bool, showErrors);

    ScriptedSmtpServer scripted;
    Fixture f(server.isNull() ? scripted.address() : server);
    f.env.program.ShowErrors = showErrors;

    QVERIFY(!f.deliver(entry));
    QVERIFY(f.endedOnce);
    QCOMPARE(scripted.connections, 0);
    QCOMPARE(f.env.boxes.shown.size(), showErrors ? 1 : 0);
    if (showErrors)
        QCOMPARE(f.env.boxes.shown.at(0).text,
            QStringLiteral("Error occurred in mod1.ProcessMessage - Big Surprise!"));
    QCOMPARE(f.env.readMessageFile(1), QStringList { Record });
}

void TestSmtpConversation::serverAddress_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");

    QTest::newRow("host") << QStringLiteral("mail.example") << true
                          << QStringLiteral("mail.example") << 25;
    QTest::newRow("host and port")
        << QStringLiteral("mail.example:587") << true << QStringLiteral("mail.example") << 587;
    QTest::newRow("IPv4 and port")
        << QStringLiteral("192.0.2.7:2525") << true << QStringLiteral("192.0.2.7") << 2525;
    QTest::newRow("bracketed IPv6 and port")
        << QStringLiteral("[2001:db8::1]:2525") << true << QStringLiteral("2001:db8::1") << 2525;
    QTest::newRow("bracketed IPv6")
        << QStringLiteral("[::1]") << true << QStringLiteral("::1") << 25;
    QTest::newRow("bare IPv6") << QStringLiteral("2001:db8::1") << true
                               << QStringLiteral("2001:db8::1") << 25;
    QTest::newRow("port 0") << QStringLiteral("mail.example:0") << false << QString() << 0;
    QTest::newRow("port too big") << QStringLiteral("mail.example:65536") << false << QString()
                                  << 0;
    QTest::newRow("signed port") << QStringLiteral("mail.example:+25") << false << QString() << 0;
    QTest::newRow("junk after bracket") << QStringLiteral("[::1]x25") << false << QString() << 0;
}

void TestSmtpConversation::serverAddress()
{
    QFETCH(QString, setting);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(int, port);

    const auto server = SmtpWire::ParseServerAddress(setting);
    QCOMPARE(server.has_value(), valid);
    if (valid) {
        QCOMPARE(server->host, host);
        QCOMPARE(int(server->port), port);
    }
}

QTEST_MAIN(TestSmtpConversation)
#include "tst_smtpconversation.moc"
