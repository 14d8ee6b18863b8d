// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/MailDelivery.h"
#include "delivery/Scheduler.h"
#include "store/Stamp.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TestEnvironment.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <ctime>

namespace {

using Outcome = DeliveryAttempt::Outcome;

// The scheduler with a stand-in delivery, and what happened in order: each message handed
// over ("01 a": the user's number, +20 for an instant message, and the text), each end the
// grid hears of ("1+10:30 a": sent, "-" not, "?" tried again at the time after it, "!" when
// the attempt reported before says otherwise), the error trap's reports ("trap:" where it
// happened, and the text's first two words), "day" for the calendar, "hangup", and "warn"
// for each warning shown.
struct Fixture {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    RecordingDelivery delivery { store };
    FakeConnectionService connection;
    std::optional<Scheduler> scheduler;
    QStringList trace;
    int secondsPerDelivery = 0;
    bool warnEach = false;
    DeliveryAttempt attempt;

    Fixture()
    {
        delivery.result.sent = true;
        delivery.during = [this] {
            trace << delivery.entries.last().left(2) + ' '
                    + MessageRecord::parse(delivery.entries.last().mid(2).toLatin1()).text;
            env.clock.advanceSecs(secondsPerDelivery);
            if (warnEach)
                emit delivery.warning("warn");
        };
        start();
    }
    // A scheduler of its own, as after a restart of the program.
    void start()
    {
        Scheduler &s = scheduler.emplace(env.program, store, delivery, connection);
        QObject::connect(&s, &Scheduler::dayChanged, [this] { trace << "day"; });
        QObject::connect(&s, &Scheduler::warning, [this](QString text) { trace << text; });
        QObject::connect(&s, &Scheduler::failure, [this](QString where, QString text) {
            trace << "trap:" + where + (text.isEmpty() ? "" : ": " + text.section(u' ', 0, 1));
        });
        QObject::connect(
            &s, &Scheduler::attempted, [this](const DeliveryAttempt &a) { attempt = a; });
        QObject::connect(
            &s, &Scheduler::delivered, [this](int user, auto due, auto text, bool sent) {
                ended(user, due, text, sent ? Outcome::Sent : Outcome::Failed);
            });
        QObject::connect(&s, &Scheduler::retrying,
            [this](int user, auto due, auto text, auto reason, auto next) {
                ended(user, due, text, Outcome::WillRetry, next, reason);
            });
    }
    void ended(int user, const QDateTime &due, const QString &text, Outcome outcome,
        const QDateTime &next = {}, const QString &reason = {})
    {
        const bool same = attempt.user == user && attempt.due == due && attempt.outcome == outcome
            && attempt.nextTry == next && (reason.isEmpty() || attempt.reply == reason);
        trace << QString::number(user) + "+?-"[int(outcome)] + due.time().toString("hh:mm ") + text
                + next.toString(" hh:mm") + (same ? "" : "!");
    }
    // Plays moves such as "L10:29:58 T10:35 I23:59:59 T00:00+": the slots reloaded (a start,
    // a click on the day grid), a check (a second's tick) or an instant message from user 1
    // written, at that time of 14 March, of the 15th with "+", or of another day of March
    // with "@" and the day ("T03:00@29"). From "F" on deliveries
    // fail, from "E" they fail with a report for the error trap; from "U" they dial a line;
    // from "W20" each takes 20 seconds; from "H" they wait until "R" releases one. With a
    // late-sending window ("M60": an hour, from the next reload): from "P" deliveries fail
    // for now, from "O" they succeed again, from "K" the mark fails, from "V" each warns;
    // "X10:31" restarts the program, "Z10:50" wakes it from a sleep.
    void play(const QString &moves)
    {
        for (const QString &move : moves.split(u' ')) {
            const QString time = move.mid(1).remove(u'+').section(u'@', 0, 0);
            const QChar what = move.at(0);
            const int day = move.contains(u'@') ? move.section(u'@', 1).toInt()
                : move.endsWith(u'+')           ? 15
                                                : 14;
            if (QStringLiteral("LITXZ").contains(what))
                env.clock.set(QDateTime(QDate(2026, 3, day),
                    QTime::fromString(time, time.size() > 5 ? "hh:mm:ss" : "hh:mm")));
            const int hangUps = connection.hangUps;
            if (what == u'X')
                start();
            if (what == u'L' || what == u'X')
                scheduler->reload();
            else if (what == u'I')
                scheduler->sendInstantMessage(
                    1, MessageRecord::compose(env.clock.now(), "now", {}));
            else if (what == u'T')
                scheduler->checkDue();
            else if (what == u'R')
                delivery.release();
            else if (what == u'Z')
                scheduler->catchUp();
            else if (what == u'M')
                env.settings.writeSetting("Options", "LateMinutes", time);
            Deliverer::Result &r = delivery.result;
            r.sent = (r.sent || what == u'O') && !QString("FEP").contains(what);
            r.mayPass = (r.mayPass || what == u'P') && what != u'O';
            r.reply = r.mayPass ? "down" : "";
            r.failureWhere += what == u'E' ? "delivery" : "";
            r.dialledUp |= what == u'U';
            delivery.hold |= what == u'H';
            delivery.markFails |= what == u'K';
            warnEach |= what == u'V';
            secondsPerDelivery += what == u'W' ? time.toInt() : 0;
            if (connection.hangUps > hangUps)
                trace << "hangup";
        }
    }
};

} // namespace

class TestScheduler : public QObject {
    Q_OBJECT
private slots:
    // A zone with summer time; no other row comes near its change.
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        ::tzset();
    }

    // Each record is handed to delivery at the first check at or after its minute, once or
    // not at all, however the wall clock jumps and wherever the machine sleeps, in a batch
    // that takes the instant message first, then users 1 to 10; the calendar is told of a
    // new day only when the clock goes from 11:59 PM to 12:00 AM. The files are lines of
    // users by their two-digit number ("04" alone: a file that cannot be read).
    void handedOver_data()
    {
        Columns<QStringList, QString, QStringList>({ "files", "moves", "trace" });
        const auto row = [](const char *name, const QStringList &files, const QString &moves,
                             const QStringList &trace = {}) {
            QTest::newRow(name) << files << moves << trace;
        };
        const QStringList one { "012026/03/14 10:30 AMNa|" },
            two = one + QStringList { "012026/03/14 10:32 AMNb|" };
        const QStringList a { "01 a", "1+10:30 a" };
        row("a second before", one, "L10:00 T10:29:59");
        row("on the minute", one, "L10:00 T10:30", a);
        row("late in the minute", one, "L10:00 T10:30:59", a);
        row("started at 10:30:40", one, "L10:30:40 T10:30:41", a);
        // An instant message goes at the next check, also when midnight came between.
        row("instant message", {}, "I10:30:05 T10:30:06", { "21 now" });
        row("instant message in the day's last second", {}, "I23:59:59 T00:00+", { "21 now" });
        row("new day from 11:59 PM", {}, "T23:59:58 T00:00:01+", { "day" });
        row("no new day from 11:58 PM", {}, "T23:58:59 T00:00:01+");
        row("no new day to 12:01 AM", {}, "T23:59:59 T00:01+");
        row("no new day within 12:00 AM", {}, "T00:00+ T00:00:01+");
        // Forward: a record in its slot goes wherever the clock lands; one whose minute was
        // jumped over before it reached a slot is past and never sent.
        row("forward over the due minute", one, "L10:29:58 T10:29:59 T10:35 T10:35:01", a);
        row("forward over two due minutes", two, "L10:29:58 T10:35 T10:35:01 T10:40", a);
        row("forward, then the slots reloaded before a check", one, "L10:29:58 L10:35 T10:35:01");
        // Backward: a record handed over is not handed over again when its minute comes round
        // a second time, whether its delivery succeeded or failed.
        const QString back
            = "L10:29:30 T10:30 T10:31 T10:32 L10:29 T10:29:30 T10:30 T10:31 T10:32 T10:33";
        row("backward after two failed deliveries", two, "F " + back,
            { "01 a", "1-10:30 a", "01 b", "1-10:32 b" });
        row("backward after two deliveries", two, back,
            { "01 a", "1+10:30 a", "01 b", "1+10:32 b" });
        // Asleep over midnight: yesterday's record stays unsent, but it does not hold back
        // today's, which goes at its minute when the machine wakes before it.
        const QStringList asleep { "012026/03/14 11:45 PMNlate|", "012026/03/15 08:00 AMNwake|" };
        row("asleep over midnight, awake before the next record", asleep,
            "L23:40 T23:40:01 T07:59+ T07:59:59+ T08:00+ T08:00:01+",
            { "01 wake", "1+08:00 wake" });
        row("asleep over midnight, awake after the next record", asleep,
            "L23:40 T08:05+ T08:05:01+");
        row("asleep to the same minute the next day", one, "L10:00 T10:30+ T10:30:01+");
        // With a late-sending window ("M60": an hour) what the machine slept over, or what
        // came due before the start, goes within the window, once, also from yesterday.
        row("started 20 minutes late, window of an hour", one, "M60 L10:50 T10:50:01", a);
        row("started 20 minutes late, window of 15 minutes", one, "M15 L10:50 T10:50:01");
        row("asleep over midnight, window of an hour", asleep,
            "M60 L23:40 T23:40:01 T00:10+ T00:10:01+ T08:00+",
            { "01 late", "1+23:45 late", "01 wake", "1+08:00 wake" });
        // A failure that may pass ("P") is tried again 1, 2, 4, ... minutes after each try,
        // the record's later ones going on meanwhile, until the window ends; the warnings of
        // a try to be repeated are not shown. A refusal ("F") is tried once.
        row("server down at 10:30, back at 10:32", two,
            "M60 L10:29:58 P T10:30 T10:31 O T10:32 T10:33",
            { "01 a", "1?10:30 a 10:31", "01 a", "1?10:30 a 10:33", "01 b", "1+10:32 b", "01 a",
                "1+10:30 a" });
        row("refused for good", one, "M60 L10:29:58 F T10:30 T10:31 T10:35",
            { "01 a", "1-10:30 a" });
        row("window ends during the pause", one,
            "M15 V L10:29:58 P T10:30 T10:31 T10:33 T10:37 T10:45 T11:01",
            { "01 a", "1?10:30 a 10:31", "01 a", "1?10:30 a 10:33", "01 a", "1?10:30 a 10:37",
                "01 a", "1?10:30 a 10:45", "01 a", "warn", "1-10:30 a" });
        row("window ends in a sleep", one, "M15 P L10:29:58 T10:30 T10:50",
            { "01 a", "1?10:30 a 10:31", "1-10:30 a" });
        // Awake again or online again ("Z"), the try comes at once.
        row("network back", one, "M60 L10:29:58 P T10:30 O Z10:30:20 T10:30:21",
            { "01 a", "1?10:30 a 10:31", "01 a", "1+10:30 a" });
        // A restart ("X") forgets the pauses but not what a server took, even unmarked ("K").
        row("restart while a try is pending", one,
            "M60 L10:29:58 P T10:30 X10:30:30 O T10:30:31 T10:31 X10:32 T10:32:01",
            { "01 a", "1?10:30 a 10:31", "01 a", "1+10:30 a" });
        row("restart after the mark failed", one, "M60 K L10:29:58 T10:30 X10:31 T10:31:01 T10:32",
            { "01 a", "1+10:30 a" });
        // Summer time: a record stamped with a minute the clock skips (2:00 to 3:00 AM on
        // 29 March in Berlin) goes at the first minute the clock shows after it, before the
        // record of that minute.
        row("a minute summer time skips",
            { "012026/03/29 02:30 AMNgap|", "012026/03/29 03:00 AMNthree|" },
            "L01:30@29 T01:59:59@29 T03:00@29 T03:30@29 T03:31@29",
            { "01 gap", "1+02:30 gap", "01 three", "1+03:00 three" });
        // The unreadable file holds back only its own user, and goes to the error trap, again at
        // the reload after the batch; so does every failure.
        row("batch", { "022026/03/14 10:30 AMNb|", "102026/03/14 10:30 AMNc|", one[0], "04" },
            "E L10:15 I10:30 T10:30",
            { "trap:frmTimer.LoadNextMessage: Cannot read", "21 now", "trap:delivery", "01 a",
                "1-10:30 a", "trap:delivery", "02 b", "2-10:30 b", "trap:delivery", "10 c",
                "10-10:30 c", "trap:delivery", "trap:frmTimer.LoadNextMessage: Cannot read" });
        // While a delivery is under way a check hands over nothing, and an instant message
        // written meanwhile waits for the next one; a line dialled is hung up once, after the
        // batch.
        row("a check while delivering", one,
            "L10:30 U H I10:30 T10:30:01 I10:30 T10:30:02 R R T10:30:03",
            { "21 now", "01 a", "1+10:30 a", "hangup", "21 now" });
        // Records that fell due while each delivery waited out a slow server (20 seconds) still
        // go out, in order, once the batch is over; also when it went past midnight.
        for (const QDateTime &first : { at(10, 30), at(23, 58) }) {
            QStringList files, trace;
            for (int i = 0; i < 14; ++i) { // users 1 to 7, in two minutes
                const QDateTime due = first.addSecs(60 * (i / 7));
                const QString user = QString::number(i % 7 + 1), text = QString::number(i);
                files << '0' + user + Stamp::formatStamp(due) + 'N' + text + '|';
                trace << '0' + user + ' ' + text << user + '+' + due.toString("hh:mm ") + text;
            }
            row(qPrintable("due during a batch from " + first.toString("hh:mm")), files,
                first.time().hour() == 10 ? "L10:29:59 W20 T10:30 T10:32:21 T10:34:42"
                                          : "L23:57:59 W20 T23:58 T00:00:21+ T00:02:42+",
                trace);
        }
    }
    void handedOver()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, moves);
        Fixture f;
        QMap<int, QStringList> lines;
        for (const QString &line : files)
            lines[line.left(2).toInt()] << line.mid(2);
        for (auto [user, its] : lines.asKeyValueRange())
            its == QStringList { "" } ? void(QDir().mkpath(f.env.userFile(user)))
                                      : f.env.writeMessageFile(user, its);
        f.play(moves);
        QTEST(f.trace, "trace");
        // What a server took stays noted only while its mark is missing, for the user alone.
        const QFile taken(f.env.dataDir() + "taken.lst");
        QCOMPARE(taken.exists(), moves.contains('K'));
        QVERIFY(!(taken.permissions() & (QFile::ReadGroup | QFile::ReadOther)));
    }

    // A dialog opened while user 1's delivery waits on a server that never answers holds
    // nothing up: inside the dialog's own loop that delivery fails at its limit, and user 2's
    // message of the same minute reaches its server, all before the dialog closes. A delivery
    // waiting in a loop of its own would either keep the check from returning until both had
    // ended, or be held by the dialog opened inside that loop.
    void dialogHoldsUpNoDelivery()
    {
        ScriptedSmtpServer silent({ { ScriptedSmtpServer::Greeting, { "" } } }), answering;
        TestEnvironment env;
        env.addUser(1, "Ann", "ann@phone.example", "ann@home.example", silent.address());
        env.addUser(2, "Bob", "bob@phone.example", "bob@home.example", answering.address());
        for (int user : { 1, 2 })
            env.writeMessageFile(user, { "2026/03/14 10:30 AMNhello|bob@phone.example," });
        MessageStore store(env.dataDir(), env.clock);
        FakeConnectionService connection;
        MailDelivery delivery(env.program, store, connection);
        constexpr int Limit = 1000;
        delivery.setReplyTimeout(std::chrono::milliseconds(Limit));
        Scheduler scheduler(env.program, store, delivery, connection);
        QSignalSpy warnings(&scheduler, &Scheduler::warning);
        env.clock.set(at(10, 29, 50));
        scheduler.reload();

        QDialog dialog;
        QElapsedTimer sinceCheck;
        // Each end, and for a failure after how many limits; then what the answering server
        // had when the dialog closed.
        QStringList trace;
        connect(&scheduler, &Scheduler::delivered, &dialog, [&](int user, auto, auto, bool sent) {
            trace << QString::number(user) + (sent ? " sent" : " failed")
                    + (dialog.isVisible() ? " while open" : "")
                    + (sent ? ""
                            : " after " + QString::number((sinceCheck.elapsed() + 50) / Limit));
        });
        QTimer::singleShot(Limit * 4, &dialog, [&] {
            const QByteArray &mail = answering.content; // its text (its headers: tst_smtpclient)
            trace << answering.commands.value(1) + mail.mid(mail.indexOf("\r\n\r\n"));
            dialog.reject();
        });
        env.clock.set(at(10, 30));
        sinceCheck.start();
        scheduler.checkDue();
        dialog.exec();
        QCOMPARE(trace,
            QStringList({ "1 failed while open after 1", "2 sent while open",
                "MAIL FROM: <bob@home.example>\r\n\r\nhello\r\n.\r\n" }));
        QCOMPARE(warnings.size(), 1);
    }
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
