#include "DeliveryFixture.h"
#include "support/DataColumns.h"
#include "support/ScriptedSmtpServer.h"

#include <QTest>
#include <functional>

namespace {

const QString Second = QStringLiteral("2026/03/14 09:45 PMNagain|ann@phone.example,");

// How long a delivery may take: ended well inside the reply limit, waited the limit out,
// or anything up to the limit (replies that trickle in).
enum Wait { Prompt, Limit, Within };
// Beyond the limit: the time to tear down and judge, on a busy machine.
constexpr qint64 MarginMs = 1000;

Script at(S::Step step, const QList<S::Reply> &replies)
{
    return [=](S &s) { s.script(step, replies); };
}

Script slow(S::Step step, int ms)
{
    return [=](S &s) { s.delay(step, ms); };
}

void row(const QString &name, const Script &script, bool sent, const QString &warning, Wait wait)
{
    QTest::newRow(qPrintable(name)) << script << sent << warning << int(wait);
}

} // namespace

// Every way a server can fail at every step of the conversation, and replies that are
// malformed, huge, trickling or late: each delivery ends as the rules say, within the
// reply limit, and the next delivery goes through.
class TestSmtpFaultMatrix : public QObject {
    Q_OBJECT
private slots:
    void fault_data()
    {
        Columns<Script, bool, QString, int>({ "script", "sent", "warning", "wait" });

        struct Fault {
            const char *name;
            S::Reply reply;
            QString text;
        };
        const QList<Fault> faults {
            { "silence", S::silence(), {} },
            { "450", S::say("450 mailbox busy\r\n"), "450 mailbox busy\r\n" },
            { "550", S::say("550 refused\r\n"), "550 refused\r\n" },
            { "421", S::sayAndClose("421 closing down\r\n"), "421 closing down\r\n" },
            { "dropped connection", S::hangUp(), {} },
        };
        struct Step {
            const char *name;
            S::Step step;
            int use; // which reply of the step: the first or the second recipient
        };
        const QList<Step> steps { { "greeting", S::Greeting, 0 }, { "HELO", S::Helo, 0 },
            { "MAIL FROM", S::Mail, 0 }, { "first RCPT TO", S::Rcpt, 0 },
            { "last RCPT TO", S::Rcpt, 1 }, { "DATA", S::Data, 0 }, { "content", S::Content, 0 },
            { "QUIT", S::Quit, 0 } };
        const S::Reply ok = S::say("250 OK\r\n");

        for (const Step &step : steps) {
            for (const Fault &fault : faults) {
                const QList<S::Reply> replies = step.use == 0 ? QList<S::Reply> { fault.reply, ok }
                                                              : QList<S::Reply> { ok, fault.reply };
                const bool silent = fault.reply.pieces.isEmpty() && !fault.reply.close;
                const bool dropped = fault.reply.pieces.isEmpty() && fault.reply.close;
                const bool refusedOpen = !fault.reply.pieces.isEmpty() && !fault.reply.close;
                const QString name = QStringLiteral("%1 at %2").arg(fault.name, step.name);
                const QString refusal = fault.text.isEmpty() ? QString() : Responded + fault.text;
                if (step.step == S::Quit) {
                    // The reply to QUIT is not judged, though its arrival still warns; the
                    // client closes once it has come, and waits for it up to the limit.
                    row(name, at(step.step, replies), true, refusal, silent ? Limit : Prompt);
                } else if (step.step == S::Rcpt && step.use == 0 && refusedOpen) {
                    // A refused recipient does not stop the accepted one after it.
                    row(name, at(step.step, replies), true, refusal, Prompt);
                } else if (silent) {
                    row(name, at(step.step, replies), false,
                        step.step == S::Greeting ? NoGreeting : NoResponse, Limit);
                } else {
                    row(name, at(step.step, replies), false, dropped ? ServerClosed : refusal,
                        Prompt);
                }
            }
        }

        row(
            "replies one byte at a time",
            [](S &s) {
                s.script(S::Greeting, { S::bytes("220 ok\r\n") });
                s.script(S::Helo, { S::bytes("250 hi\r\n") });
                s.script(S::Mail, { S::bytes("250 ok\r\n") });
                s.script(S::Rcpt, { S::bytes("250 ok\r\n") });
                s.script(S::Data, { S::bytes("354 go\r\n") });
                s.script(S::Content, { S::bytes("250 ok\r\n") });
            },
            true, {}, Within);
        row("two replies to HELO in one arrival",
            at(S::Helo, { S::say("250 hello\r\n250 welcome\r\n") }), false,
            Unsolicited + "250 welcome", Prompt);
        row("a reply and a closing notice in one arrival",
            at(S::Mail, { S::sayAndClose("250 OK\r\n421 closing now\r\n") }), false,
            Responded + "421 closing now\r\n", Prompt);
        row("354 and a refusal in one arrival",
            at(S::Data, { S::say("354 go ahead\r\n554 changed my mind\r\n") }), false,
            Unsolicited + "554 changed my mind", Prompt);

        const QByteArray megabyte(1024 * 1024, 'x');
        row("a greeting line of 1 MB", at(S::Greeting, { S::say("220 " + megabyte + "\r\n") }),
            true, {}, Prompt);
        row("a refusal line of 1 MB", at(S::Mail, { S::say("550 " + megabyte + "\r\n") }), false,
            Responded + "550 " + megabyte, Prompt);

        row("NUL bytes in a reply's text",
            at(S::Greeting, { S::say(QByteArray("220 re\0\0dy\r\n", 12)) }), true, {}, Prompt);
        row("NUL bytes for the code",
            at(S::Greeting, { S::say(QByteArray("\0\0\0 ready\r\n", 11)) }), false, NoGreeting,
            Limit);
        row("letters for the code", at(S::Helo, { S::say("abc hello\r\n") }), false, NoResponse,
            Limit);
        row("a letter in the code after the content", at(S::Content, { S::say("25x queued\r\n") }),
            false, NoResponse, Limit);
        row("a stray line before the reply", at(S::Mail, { S::say("hello there\r\n250 OK\r\n") }),
            true, {}, Prompt);

        const int limit = int(ReplyTimeout.count());
        row("greeting a second inside the limit", slow(S::Greeting, limit - 1000), true, {},
            Within);
        row("greeting a second past the limit", slow(S::Greeting, limit + 1000), false, NoGreeting,
            Limit);
        row("content accepted a second inside the limit", slow(S::Content, limit - 1000), true, {},
            Within);
        row("content accepted a second past the limit", slow(S::Content, limit + 1000), false,
            NoResponse, Limit);
    }

    void fault()
    {
        QFETCH(Script, script);
        QFETCH(bool, sent);
        QFETCH(QString, warning);
        QFETCH(int, wait);

        ScriptedSmtpServer server;
        script(server);
        DeliveryFixture f(server.address());
        f.env.writeMessageFile(1, { Record, Second });

        QCOMPARE(f.deliver(), sent);
        QVERIFY(f.endedOnce);
        QCOMPARE(f.row.value(4).toBool(), sent);
        QCOMPARE(f.shown.size(), warning.isEmpty() ? 0 : 1);
        // A huge reply is shown by its beginning only.
        const QString shown = f.shown.value(0);
        QCOMPARE(shown.left(200), warning.left(200));
        QVERIFY2(shown.size() <= 70 * 1024, QByteArray::number(shown.size()));
        // Marked only when the server took the content.
        QCOMPARE(f.env.readMessageFile(1).value(0).at(19), sent ? u'S' : u'N');
        if (sent)
            QVERIFY(server.content.endsWith("Hello there\r\n.\r\n"));

        const qint64 limit = ReplyTimeout.count();
        const QByteArray elapsed = QByteArray::number(f.elapsedMs);
        QVERIFY2(f.elapsedMs < limit + MarginMs, elapsed);
        if (wait == Prompt)
            QVERIFY2(f.elapsedMs < limit / 2, elapsed);
        else if (wait == Limit)
            QVERIFY2(f.elapsedMs >= limit - 50, elapsed);

        // The program runs on: the next delivery, to a sound server, goes through.
        ScriptedSmtpServer sound;
        f.env.settings.WriteSetting("User1", "SMTP", sound.address());
        f.shown.clear();
        QVERIFY(f.deliver("01" + Second));
        QVERIFY(f.endedOnce);
        QCOMPARE(f.shown, QStringList());
        QCOMPARE(f.env.readMessageFile(1).value(1).at(19), u'S');
        QCOMPARE(sound.verbs().join(' '), "HELO MAIL RCPT DATA QUIT");
    }
};

QTEST_GUILESS_MAIN(TestSmtpFaultMatrix)
#include "tst_smtpfaultmatrix.moc"
