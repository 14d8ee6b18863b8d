#include "app/MailServerOptions.h"
#include "delivery/MailDelivery.h"
#include "delivery/NetworkCheck.h"
#include "delivery/SystemSocketLayer.h"
#include "store/MessageStore.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/FullDisk.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <optional>

// Runs where no secret store answers (with-keyring.sh --none): a row that keeps the
// program's own keyring hears the bus's words; the others get a keyring of their own.

namespace {

using Security = MailServerOptions::Security;
using Result = SecretStore::Result;
const QString Line = "2026/03/14 09:30 PMNHello there|ann@phone.example,bob@phone.example,";
const QByteArray All = "HELO MAIL RCPT RCPT DATA QUIT";
const QString NoPassword = "No SMTP password is stored for this user: enter it under "
                           "Advanced... in the Email settings";

// A keyring that answers a moment later with what the test chose.
struct FakeKeyring final : SecretStore {
    void readPassword(const QString &key, QObject *context, Answer answer) override
    {
        reads.append(key);
        QTimer::singleShot(0, context, [=, this] { answer(result); });
    }
    void writePassword(const QString &, const QString &, QObject *, Answer) override { }
    void removePassword(const QString &, QObject *, Answer) override { }
    Result result;
    QStringList reads;
};

// Ann (1) sends to herself and Bob (2) through the scripted server.
struct Fixture {
    explicit Fixture(const QString &server)
    {
        env.addUser(1, "Ann", "ann@phone.example", "ann@home.example", server);
        env.addUser(2, "Bob", "bob@phone.example");
        env.writeMessageFile(1, { Line });
        connection.clock = &env.clock;
        delivery.setReplyTimeout(std::chrono::milliseconds(1500));
    }
    TestEnvironment env;
    FakeConnectionService connection;
    MessageStore store { env.dataDir(), env.clock };
    MailDelivery delivery { env.program, store, connection };
    FakeKeyring *keyring = nullptr;
    std::optional<FullDisk> fullDisk;
};

using Change = std::function<void(Fixture &)>;
const auto setting = [](const char *key, const char *value, const char *section = "User1") {
    return Change([=](Fixture &f) { f.env.settings.WriteSetting(section, key, value); });
};
// A login ("ann") with the keyring's answer; none: the program's own keyring.
const auto login = [](Security security, std::optional<Result> answer, const Change &then = {}) {
    return Change([=](Fixture &f) {
        MailServerOptions { security, {}, "ann" }.write(f.env.settings, "User1");
        if (answer) {
            f.keyring = new FakeKeyring;
            f.keyring->result = *answer;
            f.env.program.secrets.reset(f.keyring);
        }
        if (then)
            then(f);
    });
};
const auto line = [](int flags, bool dialled, int dialSeconds) {
    return Change([=](Fixture &f) {
        f.connection.connectionFlags = flags;
        f.connection.dialSucceeds = dialled;
        f.connection.dialSeconds = dialSeconds;
    });
};

} // namespace

class TestMailDelivery : public QObject {
    Q_OBJECT
private slots:
    void deliver_data()
    {
        Columns<int, QString, bool, Change, bool, bool, QStringList, QByteArray>(
            { "user", "line", "instant", "change", "sent", "marked", "warnings", "verbs" });
        const auto row = [](const char *name, const Change &change, bool sent, bool marked,
                             const QStringList &warnings, const QByteArray &verbs,
                             const QString &text = Line, int user = 1, bool instant = false) {
            QTest::newRow(name) << user << text << instant << change << sent << marked << warnings
                                << verbs;
        };
        const int lan = ConnectionService::Lan, modem = ConnectionService::Modem;
        const Result found { true, false, "pw", {} }, missing { false, true, {}, {} };
        const QString noServer = "No SMTP server is set for the sender of this message: enter "
                                 "one under Change User Email Settings";
        const QString twelve = Line.left(20) + "Hi|" + QString("ann@phone.example,").repeated(12);
        row("scheduled, marked sent", {}, true, true, {}, All);
        row("instant: no file touched", {}, true, false, {}, All, Line, 1, true);
        row(
            "file gone when marking", [](Fixture &f) { QFile::remove(f.env.userFile(1)); }, false,
            false,
            { "The message was sent, but its message file %1 is gone, so it could not be "
              "marked as sent" },
            All);
        row(
            "file cannot take the mark", [](Fixture &f) { f.fullDisk.emplace(10); }, true, false,
            { "The message was sent, but it could not be marked as sent in the message file. " },
            All);
        // Records nobody wrote, and a user that is not there: the error trap's.
        row("record without a bar", {}, false, false, {}, "", Line.left(20) + "Hello");
        row("twelfth recipient", {}, false, false, {}, "", twelve);
        row("no such user", {}, false, false, {}, "", Line, 0, true);
        row("no server", setting("SMTP", ""), false, false, { noServer }, "");
        row("no server, told before a twelfth recipient", setting("SMTP", ""), false, false,
            { noServer }, "", twelve);
        // The connection, and a line dialled for it: a quicker dial found one already up.
        row("no connection", line(0, true, 0), false, false, {}, "");
        row("line dialled", line(lan | modem, true, 6), true, true, {}, All);
        row("dialling fails", line(lan | modem, false, 6), false, false,
            { "Unable to connect to SMTP server" }, "");
        // Only addresses that still belong to a user are sent to.
        row("recipient no longer a user", setting("CellEmail", "bob@new.example", "User2"), true,
            true, {}, "HELO MAIL RCPT DATA QUIT");
        // The password, read only for a login that can be sent, and only for its own login.
        row("password read, on to the server", login(Security::StartTls, found), false, false,
            { "The SMTP server does not offer STARTTLS; the message was not sent over an "
              "unencrypted connection" },
            "EHLO");
        row("no password stored", login(Security::Tls, missing), false, false, { NoPassword }, "");
        row("password of a login before",
            login(Security::Tls, found, setting("PasswordLogin", "someone else")), false, false,
            { NoPassword }, "");
        row("no keyring", login(Security::Tls, std::nullopt), false, false,
            { "The SMTP password could not be read from the desktop's keyring: " }, "");
        row("login in clear, no keyring asked", login(Security::None, found), false, false,
            { "The SMTP login is only sent over an encrypted connection: choose STARTTLS or TLS "
              "for this server" },
            "");
    }
    void deliver()
    {
        QFETCH(QStringList, warnings);
        QFETCH(QByteArray, verbs);
        ScriptedSmtpServer server;
        Fixture f(server.address());
        QFETCH(Change, change);
        if (change)
            change(f);
        const QStringList before = f.env.readMessageFile(1);
        QSignalSpy finished(&f.delivery, &Deliverer::finished);
        QSignalSpy shown(&f.delivery, &Deliverer::warning);
        QFETCH(int, user);
        QFETCH(QString, line);
        QFETCH(bool, instant);
        f.delivery.start(user, MessageRecord::parse(line.toLatin1()), instant);
        QVERIFY(finished.isEmpty()); // never from inside start()
        QVERIFY(finished.wait(5000));
        QTest::qWait(20); // room for a second result, which must not come
        f.fullDisk.reset();
        QCOMPARE(finished.size(), 1);
        const auto result = finished.at(0).at(0).value<Deliverer::Result>();
        QTEST(result.sent, "sent");
        QCOMPARE(result.failureWhere,
            change || result.sent ? QString() : "mod1.ProcessMessage - Big Surprise!");
        QCOMPARE(result.dialledUp, f.connection.dialSeconds > 5 && f.connection.dialSucceeds);
        QCOMPARE(shown.size(), warnings.size());
        for (qsizetype i = 0; i < warnings.size(); ++i) {
            const QString ours = QString(warnings.at(i)).replace("%1", f.env.userFile(1));
            const QString seen = shown.at(i).at(0).toString();
            // The keyring's and the store's own words follow ours.
            QVERIFY2(ours.endsWith(' ') ? seen.startsWith(ours) && seen.size() > ours.size()
                                        : seen == ours,
                qPrintable(seen));
        }
        QCOMPARE(server.verbs().join(' '), verbs);
        QCOMPARE(server.connections, verbs.isEmpty() ? 0 : 1);
        if (verbs == All)
            QCOMPARE(server.content, "Subject: Tolvane\r\n\r\nHello there\r\n.\r\n");
        QFETCH(bool, marked);
        QCOMPARE(f.env.readMessageFile(1),
            marked ? QStringList { Line.left(19) + 'S' + Line.mid(20) } : before);
        QVERIFY(f.env.boxes.shown.isEmpty()); // a delivery never waits for a box
        if (f.keyring)
            QCOMPARE(f.keyring->reads.size(),
                verbs.isEmpty() && warnings != QStringList { NoPassword } ? 0 : 1);
    }

    // The start-up's question whether the network layer can be used at all.
    void networkCheck_data()
    {
        Columns<int, int, int, QString>({ "result", "version", "sockets", "problem" });
        QTest::newRow("1.2") << 0 << 0x0201 << 32 << QString();
        QTest::newRow("not responding")
            << 10091 << 0x0101 << 32 << "Winsock.dll is not responding.";
        QTest::newRow("0.9") << 0 << 0x0900 << 32
                             << "Windows Sockets version 0.9 is not supported by winsock.dll ";
        QTest::newRow("no sockets")
            << 0 << 0x0101 << 0 << "This application requires a minimum of 1 supported sockets.";
    }
    void networkCheck()
    {
        QFETCH(int, result);
        QFETCH(int, version);
        QFETCH(int, sockets);
        struct Layer final : SocketLayer {
            StartUp startUp(quint16 requested) override { return asked = requested, granted; }
            StartUp granted;
            quint16 asked = 0;
        } layer;
        layer.granted = { result, quint16(version), sockets };
        QTEST(NetworkCheck::problem(layer), "problem");
        QCOMPARE(layer.asked, quint16(257)); // version 1.1
        SystemSocketLayer system; // the machine's own layer is usable here
        QCOMPARE(NetworkCheck::problem(system), QString());
    }
};

QTEST_GUILESS_MAIN(TestMailDelivery)
#include "tst_maildelivery.moc"
