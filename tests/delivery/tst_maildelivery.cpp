// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/MailDelivery.h"
#include "store/MessageStore.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/FullDisk.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <ctime>
#include <optional>

namespace {

const QString Line = "2026/03/14 09:30 PMNHello there|ann@phone.example,bob@phone.example,";
const QString NoPassword = "No SMTP password is stored for this user: enter it under "
                           "Advanced... in the Email settings";

// A keyring that answers a moment later with what the test chose.
struct FakeKeyring final : SecretStore {
    void readPassword(const QString &, QObject *context, Answer answer) override
    {
        ++reads;
        QTimer::singleShot(0, context, [=, this] { answer(result); });
    }
    void writePassword(const QString &, const QString &, QObject *, Answer) override { }
    void removePassword(const QString &, QObject *, Answer) override { }
    Result result;
    int reads = 0;
};

// Ann (1) sends Line to herself and Bob (2) through the scripted server, changed by words:
// a setting ("Login=ann", of User1 unless named: "User2/CellEmail=x"); "instant", "nobody"
// (user 0), "nobar", "twelve" (recipients) for the record; "offline", "modem", "dial:<s>",
// "dialfails" for the connection; "found", "missing" for the keyring's answer (none: the
// program's own, which does not answer here: with-keyring.sh --none); "gone", "full" for
// the file.
struct Fixture {
    Fixture(const QString &server, const QString &words)
    {
        env.addUser(1, "Ann", "ann@phone.example", "ann@home.example", server);
        env.addUser(2, "Bob", "bob@phone.example");
        env.writeMessageFile(1, { Line });
        connection.clock = &env.clock;
        for (const QString &word : words.split(u' ', Qt::SkipEmptyParts)) {
            const QString key = word.section(u'=', 0, 0), value = word.section(u'=', 1);
            if (word.contains(u'='))
                env.settings.writeSetting(key.contains(u'/') ? key.section(u'/', 0, 0) : "User1",
                    key.section(u'/', -1), value);
            else if (word == "found" || word == "missing") {
                env.program.secrets.reset(keyring = new FakeKeyring);
                keyring->result = { word == "found", word == "missing", "pw", {} };
            } else if (word == "offline" || word == "modem")
                connection.connectionFlags
                    = word == "offline" ? 0 : ConnectionService::Lan | ConnectionService::Modem;
            else if (word == "gone")
                QFile::remove(env.userFile(1));
            else if (word == "full")
                fullDisk.emplace(10);
            instant |= word == "instant";
            user = word == "nobody" ? 0 : user;
            if (word == "nobar" || word == "twelve")
                line = Line.left(20)
                    + (word == "nobar" ? "Hi" : "Hi|" + QString("ann@phone.example,").repeated(12));
            connection.dialSeconds += word.startsWith("dial:") ? word.mid(5).toInt() : 0;
            connection.dialSucceeds &= word != "dialfails";
        }
    }
    TestEnvironment env;
    FakeConnectionService connection;
    MessageStore store { env.dataDir(), env.clock };
    MailDelivery delivery { env.program, store, connection };
    FakeKeyring *keyring = nullptr;
    std::optional<FullDisk> fullDisk;
    int user = 1;
    QString line = Line;
    bool instant = false;
};

// The warnings a delivery gave, each that the expected one ending in "..." begins (the
// system's or the store's words follow ours) written as expected.
QStringList asExpected(const QSignalSpy &shown, const QStringList &warnings, const QString &file)
{
    QStringList seen;
    for (const QList<QVariant> &warning : shown) {
        const QString text = warning.at(0).toString().replace(file, "%1");
        const QString ours = warnings.value(seen.size()), prefix = ours.left(ours.size() - 3);
        seen << (ours.endsWith("...") && text.startsWith(prefix) && text != prefix ? ours : text);
    }
    return seen;
}

// A real HTTP server (tests/support/notify_server.py) for notify() below: ntfy's publish
// API and Apprise's json:// endpoint on a free loopback port; a topic beginning "refuse" is
// answered 500, one beginning "silent" never.
class NotifyServer : public PythonServer {
public:
    bool start()
    {
        return (m_port = PythonServer::start("notify_server.py", { "0", m_dir.filePath("log") })
                             .trimmed()
                             .toUShort());
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // Each post as it arrived: "topic / title / message".
    QStringList received() const
    {
        QStringList posts;
        for (const QString &line : log()) {
            const QJsonObject post = QJsonDocument::fromJson(line.toUtf8()).object();
            posts << post["topic"].toString() + " / " + post["title"].toString() + " / "
                    + post["message"].toString();
        }
        return posts;
    }
};

} // namespace

class TestMailDelivery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The fake clock tells local time; a zone whose offset has minutes shows that the
        // mail's Date carries the clock's moment with the local offset.
        qputenv("TZ", "NST+3:30");
        tzset();
    }

    // How a delivery ends, in words: "sent", "marked" (in the file), "trap" (a failure for the
    // error trap), "dialled" (a line to hang up), "asked" (the keyring, once), "pass" (a
    // failure that may pass by itself, so that a later try may succeed), and what the
    // server heard ("all": every command); the warnings, those that end in "..." by their
    // beginning (the SMTP client's own texts are its test's; the keyring's and the store's
    // words follow ours).
    void deliver_data()
    {
        Columns<QString, QString, QStringList>({ "words", "ends", "warnings" });
        const auto row = [](const char *name, const char *words, const char *ends,
                             const QStringList &warnings = {}) {
            QTest::newRow(name) << QString(words) << QString(ends) << warnings;
        };
        row("scheduled, marked sent", "", "sent marked: all");
        row("instant: no file touched", "instant", "sent: all");
        row("file gone when marking", "gone", ": all",
            { "The message was sent, but its message file %1 is gone, so it could not be "
              "marked as sent" });
        row("file cannot take the mark", "full", "sent: all",
            { "The message was sent, but it could not be marked as sent in the message file. "
              "..." });
        // Records nobody wrote, and a user that is not there: the error trap's.
        row("record without a bar", "nobar", "trap: ");
        row("twelfth recipient", "twelve", "trap: ");
        row("no such user", "nobody instant", "trap: ");
        row("no server, told before a twelfth recipient", "SMTP= twelve", ": ",
            { "No SMTP server ..." });
        // The connection, and a line dialled for it: a quicker dial found one already up.
        row("no connection", "offline", "pass: ");
        row("line dialled", "modem dial:6", "sent marked dialled: all");
        row("quick dial", "modem dial:5", "sent marked: all");
        row("dialling fails", "modem dial:6 dialfails",
            "pass: ", { "Unable to connect to SMTP server" });
        // Only addresses that still belong to a user are sent to.
        row("recipient no longer a user", "User2/CellEmail=bob@new.example",
            "sent marked: HELO MAIL RCPT DATA QUIT");
        // The password, read only for a login that can be sent, and only for its own login.
        row("password read, on to the server", "Login=ann Security=STARTTLS found", "asked: EHLO",
            { "The SMTP server does not offer STARTTLS; ..." });
        row("no password stored", "Login=ann Security=TLS missing", "asked: ", { NoPassword });
        row("password of a login before", "Login=ann Security=TLS found PasswordLogin=someone",
            "asked: ", { NoPassword });
        row("no keyring", "Login=ann Security=TLS",
            "pass: ", { "The SMTP password could not be read from the desktop's keyring: ..." });
        row("login in clear, no keyring asked", "Login=ann found", ": ",
            { "The SMTP login is only sent over an encrypted connection: ..." });
    }
    void deliver()
    {
        QFETCH(QString, words);
        QFETCH(QStringList, warnings);
        ScriptedSmtpServer server;
        Fixture f(server.address(), words);
        const QStringList before = f.env.readMessageFile(1);
        QSignalSpy finished(&f.delivery, &Deliverer::finished),
            shown(&f.delivery, &Deliverer::warning);
        f.delivery.start(f.user, MessageRecord::parse(f.line.toLatin1()), f.instant);
        QVERIFY(finished.isEmpty()); // never from inside start()
        QVERIFY(finished.wait(5000));
        QTest::qWait(20); // room for a second result, which must not come
        f.fullDisk.reset();
        QCOMPARE(finished.size(), 1);
        const auto result = finished.at(0).at(0).value<Deliverer::Result>();
        QFETCH(QString, ends);
        QCOMPARE(f.env.readMessageFile(1),
            ends.contains("marked") ? QStringList { Line.left(19) + 'S' + Line.mid(20) } : before);
        QCOMPARE(result.sent, ends.startsWith("sent"));
        QCOMPARE(result.failureWhere,
            ends.contains("trap") ? "mod1.ProcessMessage - Big Surprise!" : "");
        QCOMPARE(result.dialledUp, ends.contains("dialled"));
        QCOMPARE(result.mayPass, ends.contains("pass"));
        // Taken once the server has the content, marked or not; its answer is the reply, else
        // the last problem told, else the record's own.
        QCOMPARE(result.taken, !server.content.isEmpty());
        QCOMPARE(result.marked, ends.contains("marked"));
        const QString told = shown.isEmpty() ? "" : shown.last().at(0).toString();
        QCOMPARE(result.reply,
            result.taken            ? "250 queued"
                : !told.isEmpty()   ? told
                : words == "nobar"  ? "the record has no recipient list"
                : words == "twelve" ? "more than 11 recipient addresses"
                : f.user == 0       ? "the message names no user"
                                    : "No network connection");
        QCOMPARE(f.keyring ? f.keyring->reads : 0, int(ends.contains("asked")));
        QCOMPARE(
            server.verbs(), ends.section(": ", 1).replace("all", "HELO MAIL RCPT RCPT DATA QUIT"));
        QCOMPARE(server.connections, server.verbs().isEmpty() ? 0 : 1);
        QCOMPARE(asExpected(shown, warnings, f.env.userFile(1)), warnings);
        // The mail names those the server took, and is dated by the program's clock, after
        // any dialling moved it on (the rest of its form: tst_smtpclient).
        QByteArrayList to;
        for (const QByteArray &command : std::as_const(server.commands))
            to << (command.startsWith("RCPT TO: <") ? command.mid(10).chopped(1) : "");
        to.removeAll("");
        const QByteArray dated = "\r\nDate: Sat, 14 Mar 2026 10:00:0"
            + QByteArray::number(f.connection.dialSeconds) + " -0330\r\n";
        if (result.sent)
            QVERIFY2(
                server.content.startsWith("From: ann@home.example\r\nTo: " + to.join(", ") + dated),
                server.content.constData());
        QVERIFY(f.env.boxes.shown.isEmpty()); // a delivery never waits for a box
    }

    // Phone addresses that are notification URLs, through the real apprise and a real
    // server speaking ntfy's publish API and Apprise's json:// ("{http}" is its address;
    // a topic "refuse..." is answered 500, "silent..." never), beside a mail to aiosmtpd:
    // the fixture's words ("limit": a 4-second time limit; "noapprise": no apprise on the
    // PATH; "badapprise": one that cannot be run), the record's recipients and text, how it ends
    // ("sent", "marked", "pass": may be tried again), each post the server took ("topic / title /
    // message", in alphabetical order), the envelope recipients of each mail aiosmtpd took, and the
    // warnings.
    void notify_data()
    {
        Columns<QString, QString, QString, QString, QString, QString, QString>(
            { "words", "recipients", "text", "ends", "heard", "mailedTo", "warnings" });
        const QString bobNtfy = "User2/CellEmail=ntfy://{http}/bob ", bob = "ntfy://{http}/bob,";
        const QString hello = "Hello there", toBob = "bob / Tolvane / Hello there";
        const QString ann = "ann@phone.example,", mailed = "['ann@phone.example']";
        const QString missed = "The message did not reach every recipient:\n";
        Row("ntfy only: no mail server needed", "SMTP= " + bobNtfy, bob, hello, "sent marked",
            toBob, "", "");
        Row("json endpoint, instant message", "instant User2/CellEmail=json://{http}/bob",
            "json://{http}/bob,", hello, "sent", toBob, "", "");
        // A text that would be options, quotes, commands on a command line arrives as it is;
        // each URL recipient on its own, and the failed one named.
        const QString wild = "-n --body=x \"quoted\" 'single' $(touch pwned); `id` \\n & -";
        Row("two URLs, one refused; a wild text verbatim",
            bobNtfy + "User3/Name=Cy User3/CellEmail=json://{http}/refuse-cy",
            bob + "json://{http}/refuse-cy,", wild, "",
            "bob / Tolvane / " + wild + "|refuse-cy / Tolvane / " + wild, "",
            missed
                + "Cy: Failed to send JSON POST notification: Internal server error., error=500.");
        // Mail and a URL together: each channel gets it once whatever the other does, and
        // only both together make it sent.
        Row("mail taken, URL refused", "User2/CellEmail=ntfy://{http}/refuse-bob",
            ann + "ntfy://{http}/refuse-bob,", hello, "", "refuse-bob / Tolvane / Hello there",
            mailed,
            missed
                + "Bob: Failed to send ntfy notification to topic 'refuse-bob': internal server "
                  "error, error=50001.");
        Row("URL taken, mail server unreachable", "SMTP=127.0.0.1:1 " + bobNtfy, ann + bob, hello,
            "", toBob, "", "Unable to connect to SMTP server");
        Row("URL taken, mail refused for its sender", "Email=ann@home.example> " + bobNtfy,
            ann + bob, hello, "", toBob, "",
            "The sender e-mail address contains \">\" and cannot be sent");
        Row("silent service: the time limit", "limit User2/CellEmail=json://{http}/silent?rto=60",
            "json://{http}/silent?rto=60,", hello, "pass", "silent / Tolvane / Hello there", "",
            missed + "Bob: no answer within 4 seconds");
        Row("apprise not installed: the mail still goes", "noapprise " + bobNtfy, ann + bob, hello,
            "", "", mailed,
            missed
                + "Bob: Notification addresses need the program apprise, which is not "
                  "installed: install the package apprise (sudo apt-get install apprise)");
        Row("apprise cannot be run", "badapprise SMTP= " + bobNtfy, bob, hello, "", "", "",
            missed + "Bob: apprise could not be started: ...");
    }
    void notify()
    {
        QFETCH(QString, words);
        QFETCH(QString, recipients);
        QFETCH(QString, text);
        NotifyServer http;
        AiosmtpdServer smtp;
        QVERIFY(http.start());
        QVERIFY(smtp.start({ "none", "", "", "", "", "" }));
        Fixture f("127.0.0.1:" + QString::number(smtp.port()),
            QString(words).replace("{http}", http.address()));
        const QString line
            = Line.left(20) + text + '|' + recipients.replace("{http}", http.address());
        f.env.writeMessageFile(1, { line });
        if (words.contains("limit"))
            f.delivery.setNotificationTimeLimit(std::chrono::seconds(4));
        const QByteArray path = qgetenv("PATH");
        if (words.contains("badapprise")) {
            QFile broken(f.env.dir.filePath("apprise"));
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write("#!/nonexistent/python3\n");
            broken.setPermissions(broken.permissions() | QFile::ExeOwner);
        }
        if (words.contains("apprise"))
            qputenv("PATH", f.env.dir.path().toLocal8Bit());
        QSignalSpy finished(&f.delivery, &Deliverer::finished),
            shown(&f.delivery, &Deliverer::warning);
        f.delivery.start(1, MessageRecord::parse(line.toLatin1()), f.instant);
        QVERIFY(finished.wait(30000));
        qputenv("PATH", path);
        QTest::qWait(20); // room for a second result, which must not come
        QCOMPARE(finished.size(), 1);
        const auto result = finished.at(0).at(0).value<Deliverer::Result>();
        QFETCH(QString, ends);
        QCOMPARE(result.sent, ends.startsWith("sent"));
        QCOMPARE(result.failureWhere, QString());
        QCOMPARE(f.env.readMessageFile(1),
            QStringList { ends.contains("marked") ? line.left(19) + 'S' + line.mid(20) : line });
        // The URL recipients are served side by side, in no particular order.
        QStringList received = http.received();
        received.sort();
        QTEST(received.join('|'), "heard");
        QStringList mailedTo;
        for (const QString &taken : smtp.log())
            mailedTo << taken.section(' ', 3).section("] ", 0, 0) + ']';
        QTEST(mailedTo.join('|'), "mailedTo");
        // Whom it was for, by channel; taken when any channel took it, tried again only when
        // none did and every failure may pass.
        QList<DeliveryAttempt::Recipient> to;
        for (const QString &address : recipients.split(',', Qt::SkipEmptyParts))
            to.append({ address,
                address.contains("://") ? DeliveryAttempt::Channel::Notification
                                        : DeliveryAttempt::Channel::Mail });
        QCOMPARE(result.recipients, to);
        QCOMPARE(result.taken,
            !mailedTo.isEmpty()
                || received.filter(QRegularExpression("^(?!refuse|silent)")).size());
        QCOMPARE(result.mayPass, ends.contains("pass"));
        QFETCH(QString, warnings);
        const QStringList expected = warnings.split('|', Qt::SkipEmptyParts);
        QCOMPARE(asExpected(shown, expected, f.env.userFile(1)), expected);
        QVERIFY(f.env.boxes.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMailDelivery)
#include "tst_maildelivery.moc"
