#include "delivery/MailDelivery.h"
#include "delivery/Scheduler.h"
#include "store/Stamp.h"
#include "support/AiosmtpdServer.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TestEnvironment.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>

namespace {

struct Fixture {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    RecordingDelivery delivery { store };
    FakeConnectionService connection;
    Scheduler scheduler { env.program, store, delivery, connection };
    void check(const QDateTime &moment)
    {
        env.clock.set(moment);
        scheduler.checkDue();
    }
    // Plays moves such as "L10:29:58 T10:35 I23:59:59 T00:00+": the slots reloaded (a
    // start, a click on the day grid), a check (a second's tick) or an instant message from
    // user 1 written, at that time of 14 March, or of the 15th with "+".
    void play(const QString &moves)
    {
        for (const QString &move : moves.split(u' ')) {
            const QString time = move.mid(1).remove(u'+');
            env.clock.set(QDateTime(QDate(2026, 3, move.endsWith(u'+') ? 15 : 14),
                QTime::fromString(time, time.size() > 5 ? "hh:mm:ss" : "hh:mm")));
            if (move.startsWith(u'L'))
                scheduler.reload();
            else if (move.startsWith(u'I'))
                scheduler.sendInstantMessage(1, instant(env.clock.now(), "now"));
            else
                scheduler.checkDue();
        }
    }
    static MessageRecord instant(const QDateTime &written, const QString &text)
    {
        return MessageRecord::compose(written, text, {});
    }
};

} // namespace

class TestScheduler : public QObject {
    Q_OBJECT
private slots:
    // Each record is handed to delivery at the first check at or after its minute, once
    // or not at all, however the wall clock jumps and wherever the machine sleeps; the
    // calendar is told of a new day only when the clock goes from 11:59 PM to 12:00 AM.
    void handedOverAtItsMinute_data()
    {
        Columns<QStringList, bool, QString, QStringList, int>(
            { "file", "succeed", "moves", "handed", "days" });
        const QString r1030 = "2026/03/14 10:30 AMNten thirty|";
        const QString r1032 = "2026/03/14 10:32 AMNten thirty-two|";
        const QString late = "2026/03/14 11:45 PMNlate|";
        const QString morning = "2026/03/15 08:00 AMNmorning|";
        const auto row = [](const char *name, const QStringList &file, const char *moves,
                             const QStringList &handed, bool succeed = true, int days = 0) {
            QTest::newRow(name) << file << succeed << QString(moves) << handed << days;
        };
        // A hand edit or a script that appends may put the earliest record anywhere.
        row("earliest of a file in disorder",
            { "2026/03/13 11:00 PMNyesterday|", "2026/03/14 09:45 AMNpast|",
                "2026/03/14 10:00 AMSsent already|", "this line cannot be read",
                "2026/02/30 10:15 AMNno such day|", "2026/03/14 10:15 AMNlater|",
                "2026/03/14 10:00 AMNthis minute|" },
            "L10:00:30 T10:00:31 T10:00:32", { "012026/03/14 10:00 AMNthis minute|" }, false);
        row("a second before", { r1030 }, "L10:00 T10:29:59", {});
        row("on the minute", { r1030 }, "L10:00 T10:30", { "01" + r1030 });
        row("late in the minute", { r1030 }, "L10:00 T10:30:59", { "01" + r1030 });
        row("started at 10:30:40", { r1030 }, "L10:30:40 T10:30:41", { "01" + r1030 });
        // An instant message goes at the next check, also when midnight came between.
        row("instant message", {}, "I10:30:05 T10:30:06", { "212026/03/14 10:30 AMNnow|" });
        row("instant message in the day's last second", {}, "I23:59:59 T00:00+",
            { "212026/03/14 11:59 PMNnow|" });
        row("new day from 11:59 PM", {}, "T23:59:58 T00:00:01+", {}, true, 1);
        row("no new day from 11:58 PM", {}, "T23:58:59 T00:00:01+", {});
        row("no new day to 12:01 AM", {}, "T23:59:59 T00:01+", {});
        row("no new day within 12:00 AM", {}, "T00:00+ T00:00:01+", {});

        // Forward: a record in its slot goes wherever the clock lands; one whose minute was
        // jumped over before it reached a slot is past and never sent.
        row("forward over the due minute", { r1030 }, "L10:29:58 T10:29:59 T10:35 T10:35:01",
            { "01" + r1030 });
        row("forward over two due minutes", { r1030, r1032 }, "L10:29:58 T10:35 T10:35:01 T10:40",
            { "01" + r1030 });
        row("forward, then the slots reloaded before a check", { r1030 },
            "L10:29:58 L10:35 T10:35:01", {});

        // Backward: a record handed over is not handed over again when its minute comes
        // round a second time, whether its delivery succeeded or failed.
        const char *back = "L10:29:30 T10:30 T10:31 T10:32 L10:29 T10:29:30 T10:30 T10:31 "
                           "T10:32 T10:33";
        row("backward after two failed deliveries", { r1030, r1032 }, back,
            { "01" + r1030, "01" + r1032 }, false);
        row("backward after two deliveries", { r1030, r1032 }, back,
            { "01" + r1030, "01" + r1032 });

        // Asleep over midnight: yesterday's record stays unsent, but it does not hold back
        // today's, which goes at its minute when the machine wakes before it.
        row("asleep over midnight, awake before the next record", { late, morning },
            "L23:40 T23:40:01 T07:59+ T07:59:59+ T08:00+ T08:00:01+", { "01" + morning });
        row("asleep over midnight, awake after the next record", { late, morning },
            "L23:40 T08:05+ T08:05:01+", {});
        row("asleep to the same minute the next day", { r1030 }, "L10:00 T10:30+ T10:30:01+", {});
    }
    void handedOverAtItsMinute()
    {
        QFETCH(QStringList, file);
        QFETCH(bool, succeed);
        QFETCH(QString, moves);
        Fixture f;
        f.env.writeMessageFile(1, file);
        f.delivery.result.sent = succeed;
        QSignalSpy days(&f.scheduler, &Scheduler::dayChanged);
        f.play(moves);
        QTEST(f.delivery.entries, "handed");
        QTEST(int(days.size()), "days");
    }

    // Once started, a check every second: the instant message first, then users 1 to 10.
    void batchTakesInstantMessageFirstThenUsersInNumberOrder()
    {
        Fixture f;
        f.delivery.result = { false, false, "mod1.ProcessMessage - Big Surprise!", {} };
        for (int user : { 2, 10, 1 })
            f.env.writeMessageFile(
                user, { QStringLiteral("2026/03/14 10:30 AMNfrom %1|").arg(user) });
        QDir().mkpath(f.env.userFile(4)); // a file that exists but cannot be read as one
        QSignalSpy delivered(&f.scheduler, &Scheduler::delivered);
        QSignalSpy failures(&f.scheduler, &Scheduler::failure);
        f.env.clock.set(at(10, 15));
        f.scheduler.reload();
        // The unreadable file holds back only its own user, and goes to the error trap.
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures.at(0).at(0), "frmTimer.LoadNextMessage");
        QVERIFY(failures.at(0).at(1).toString().startsWith("Cannot read " + f.env.userFile(4)));
        f.scheduler.sendInstantMessage(3, Fixture::instant(at(10, 30), "instant"));
        f.env.clock.set(at(10, 30));
        f.scheduler.start();
        QTRY_COMPARE_WITH_TIMEOUT(f.delivery.entries.size(), 4, 3000);
        QCOMPARE(f.delivery.entries,
            QStringList({ "232026/03/14 10:30 AMNinstant|", "012026/03/14 10:30 AMNfrom 1|",
                "022026/03/14 10:30 AMNfrom 2|", "102026/03/14 10:30 AMNfrom 10|" }));
        // The grid hears of the scheduled messages; the error trap of every failure, and of
        // the unreadable file again at the reload after the batch.
        QCOMPARE(delivered.size(), 3);
        QCOMPARE(delivered.at(2), QVariantList({ 10, at(10, 30), "from 10", false }));
        QCOMPARE(failures.size(), 6);
        QCOMPARE(failures.at(1).at(0), "mod1.ProcessMessage - Big Surprise!");
        for (int slot = 0; slot <= 10; ++slot)
            QVERIFY(!f.scheduler.slot(slot)); // emptied whatever the outcome
    }

    // Records that fell due while each delivery waited out a slow server still go out, in
    // order, once the batch is over; also when it went past midnight.
    void recordsDueDuringABatchGoOutAfterIt_data()
    {
        Columns<QDateTime>({ "first" });
        QTest::newRow("morning") << at(10, 30);
        QTest::newRow("over midnight") << at(23, 58);
    }
    void recordsDueDuringABatchGoOutAfterIt()
    {
        QFETCH(QDateTime, first);
        Fixture f;
        QStringList expected;
        for (int user = 1; user <= 7; ++user) {
            const QStringList records { Stamp::formatStamp(first)
                    + QStringLiteral("Nfirst %1|").arg(user),
                Stamp::formatStamp(first.addSecs(60)) + QStringLiteral("Nsecond %1|").arg(user) };
            f.env.writeMessageFile(user, records);
            expected.insert(user - 1, QStringLiteral("0%1").arg(user) + records[0]);
            expected.append(QStringLiteral("0%1").arg(user) + records[1]);
        }
        f.env.clock.set(first.addSecs(-1));
        f.scheduler.reload();
        f.delivery.during = [&] { f.env.clock.advanceSecs(20); };
        f.check(first);
        QCOMPARE(f.env.clock.now(), first.addSecs(140));
        f.check(f.env.clock.now().addSecs(1));
        f.check(f.env.clock.now().addSecs(1));
        QCOMPARE(f.delivery.entries, expected);
    }

    // While a delivery is under way a check hands over nothing, and an instant message
    // written meanwhile waits for the next one; a line dialled is hung up once, after the
    // batch.
    void checkWhileDeliveringDoesNothing()
    {
        Fixture f;
        f.env.writeMessageFile(1, { "2026/03/14 10:30 AMNone|" });
        f.env.clock.set(at(10, 30));
        f.scheduler.reload();
        f.delivery.hold = true;
        f.delivery.result.dialledUp = true;
        f.scheduler.sendInstantMessage(1, Fixture::instant(at(10, 30), "first"));
        f.check(at(10, 30, 1));
        f.scheduler.sendInstantMessage(1, Fixture::instant(at(10, 30), "second"));
        f.check(at(10, 30, 2));
        QCOMPARE(f.delivery.entries.size(), 1);
        f.delivery.release(); // user 1's record goes next
        QCOMPARE(f.delivery.entries.size(), 2);
        QCOMPARE(f.connection.hangUps, 0);
        f.delivery.release();
        QVERIFY(!f.scheduler.isDelivering());
        QCOMPARE(f.connection.hangUps, 1);
        f.check(at(10, 30, 3));
        QCOMPARE(f.delivery.entries.last(), "212026/03/14 10:30 AMNsecond|");
    }

    // A dialog opened while user 1's delivery waits on a server that never answers holds
    // nothing up: inside the dialog's own loop that delivery fails at its limit, and
    // user 2's message of the same minute reaches its server, all before the dialog closes.
    // A delivery waiting in a loop of its own would either keep the check from returning
    // until both had ended, or be held by the dialog opened inside that loop.
    void dialogHoldsUpNoDelivery()
    {
        ScriptedSmtpServer silent;
        silent.script(ScriptedSmtpServer::Greeting, { ScriptedSmtpServer::silence() });
        AiosmtpdServer answering;
        QVERIFY2(answering.start(), "aiosmtpd (python3-aiosmtpd) did not start");
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
        QStringList ended; // user, sent, whether the dialog was open, when
        connect(&scheduler, &Scheduler::delivered, &dialog,
            [&](int user, const QDateTime &, const QString &, bool sent) {
                ended << QStringLiteral("%1 %2 %3").arg(user).arg(sent).arg(dialog.isVisible())
                      << QString::number(sinceCheck.elapsed());
            });
        qsizetype mailsWhileOpen = -1;
        QTimer::singleShot(Limit * 4, &dialog, [&] {
            mailsWhileOpen = answering.mailFiles().size();
            dialog.reject();
        });
        env.clock.set(at(10, 30));
        sinceCheck.start();
        scheduler.checkDue();
        dialog.exec();

        QCOMPARE(ended.size(), 4);
        QCOMPARE(ended.at(0), "1 0 1"); // failed, while the dialog was open
        QVERIFY2(ended.at(1).toInt() >= Limit - 50 && ended.at(1).toInt() < Limit * 2,
            qPrintable(ended.at(1)));
        QCOMPARE(ended.at(2), "2 1 1");
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.at(0).at(0), "SMTP server connected but did not respond");
        QCOMPARE(mailsWhileOpen, 1);
        QCOMPARE(answering.takeMail().value(0).mailFrom, "bob@home.example");
    }
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
