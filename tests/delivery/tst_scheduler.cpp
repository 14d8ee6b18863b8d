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

namespace {

struct Fixture {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    RecordingDelivery delivery { store };
    FakeConnectionService connection;
    Scheduler scheduler { env.program, store, delivery, connection };
    QStringList said; // what the scheduler told the windows and the line, in order

    Fixture()
    {
        QObject::connect(&scheduler, &Scheduler::dayChanged, [this] { said << "day"; });
        QObject::connect(
            &scheduler, &Scheduler::failure, [this](const QString &where, const QString &text) {
                said << "trap:" + where + (text.isEmpty() ? "" : ": " + text.section(u' ', 0, 1));
            });
        QObject::connect(&scheduler, &Scheduler::delivered,
            [this](int user, const QDateTime &due, const QString &text, bool sent) {
                said << QStringLiteral("%1%2%3 %4")
                            .arg(user)
                            .arg(sent ? '+' : '-')
                            .arg(due.toString("hh:mm"), text);
            });
    }
    // Plays moves such as "L10:29:58 T10:35 I23:59:59 T00:00+": the slots reloaded (a start,
    // a click on the day grid), a check (a second's tick) or an instant message from user 1
    // written, at that time of 14 March, or of the 15th with "+". From "F" on deliveries
    // fail, from "E" they fail with a report for the error trap; from "U" they dial a line;
    // from "W20" each takes 20 seconds; from "H" they wait until "R" releases one.
    void play(const QString &moves)
    {
        for (const QString &move : moves.split(u' ')) {
            const QString time = move.mid(1).remove(u'+');
            const QChar what = move.at(0);
            if (QStringLiteral("LIT").contains(what))
                env.clock.set(QDateTime(QDate(2026, 3, move.endsWith(u'+') ? 15 : 14),
                    QTime::fromString(time, time.size() > 5 ? "hh:mm:ss" : "hh:mm")));
            const int hangUps = connection.hangUps;
            if (what == u'L')
                scheduler.reload();
            else if (what == u'I')
                scheduler.sendInstantMessage(1, MessageRecord::compose(env.clock.now(), "now", {}));
            else if (what == u'T')
                scheduler.checkDue();
            else if (what == u'R')
                delivery.release();
            delivery.result.sent &= what != u'F' && what != u'E';
            delivery.result.failureWhere = what == u'E' ? "delivery" : delivery.result.failureWhere;
            delivery.result.dialledUp |= what == u'U';
            delivery.hold |= what == u'H';
            if (what == u'W')
                delivery.during
                    = [this, seconds = move.mid(1).toInt()] { env.clock.advanceSecs(seconds); };
            if (connection.hangUps > hangUps)
                said << "hangup";
        }
    }
};

const QString r1030 = "012026/03/14 10:30 AMNa|", r1032 = "012026/03/14 10:32 AMNb|";

} // namespace

class TestScheduler : public QObject {
    Q_OBJECT
private slots:
    // Each record is handed to delivery at the first check at or after its minute, once or
    // not at all, however the wall clock jumps and wherever the machine sleeps, in a batch
    // that takes the instant message first, then users 1 to 10; the calendar is told of a
    // new day only when the clock goes from 11:59 PM to 12:00 AM. A file holds lines of
    // users by their two-digit number ("01" alone: a file that cannot be read); handed
    // entries are the user's number (+20 for an instant message) and the line.
    void handedOver_data()
    {
        Columns<QStringList, QString, QStringList, QStringList>(
            { "files", "moves", "handed", "said" });
        const auto row = [](const char *name, const QStringList &files, const char *moves,
                             const QStringList &handed, const QStringList &said = {}) {
            QTest::newRow(name) << files << QString(moves) << handed << said;
        };
        // A hand edit or a script that appends may put the earliest record anywhere.
        row("earliest of a file in disorder",
            { "012026/03/13 11:00 PMNyesterday|", "012026/03/14 09:45 AMNpast|",
                "012026/03/14 10:00 AMSsent already|", "01this line cannot be read",
                "012026/02/30 10:15 AMNno such day|", "012026/03/14 10:15 AMNlater|",
                "012026/03/14 10:00 AMNthis minute|" },
            "F L10:00:30 T10:00:31 T10:00:32", { "012026/03/14 10:00 AMNthis minute|" },
            { "1-10:00 this minute" });
        row("a second before", { r1030 }, "L10:00 T10:29:59", {});
        row("on the minute", { r1030 }, "L10:00 T10:30", { r1030 }, { "1+10:30 a" });
        row("late in the minute", { r1030 }, "L10:00 T10:30:59", { r1030 }, { "1+10:30 a" });
        row("started at 10:30:40", { r1030 }, "L10:30:40 T10:30:41", { r1030 }, { "1+10:30 a" });
        // An instant message goes at the next check, also when midnight came between.
        row("instant message", {}, "I10:30:05 T10:30:06", { "212026/03/14 10:30 AMNnow|" });
        row("instant message in the day's last second", {}, "I23:59:59 T00:00+",
            { "212026/03/14 11:59 PMNnow|" });
        row("new day from 11:59 PM", {}, "T23:59:58 T00:00:01+", {}, { "day" });
        row("no new day from 11:58 PM", {}, "T23:58:59 T00:00:01+", {});
        row("no new day to 12:01 AM", {}, "T23:59:59 T00:01+", {});
        row("no new day within 12:00 AM", {}, "T00:00+ T00:00:01+", {});
        // Forward: a record in its slot goes wherever the clock lands; one whose minute was
        // jumped over before it reached a slot is past and never sent.
        row("forward over the due minute", { r1030 }, "L10:29:58 T10:29:59 T10:35 T10:35:01",
            { r1030 }, { "1+10:30 a" });
        row("forward over two due minutes", { r1030, r1032 }, "L10:29:58 T10:35 T10:35:01 T10:40",
            { r1030 }, { "1+10:30 a" });
        row("forward, then the slots reloaded before a check", { r1030 },
            "L10:29:58 L10:35 T10:35:01", {});
        // Backward: a record handed over is not handed over again when its minute comes round
        // a second time, whether its delivery succeeded or failed.
        const QString back = "L10:29:30 T10:30 T10:31 T10:32 L10:29 T10:29:30 T10:30 T10:31 "
                             "T10:32 T10:33";
        row("backward after two failed deliveries", { r1030, r1032 }, qPrintable("F " + back),
            { r1030, r1032 }, { "1-10:30 a", "1-10:32 b" });
        row("backward after two deliveries", { r1030, r1032 }, qPrintable(back), { r1030, r1032 },
            { "1+10:30 a", "1+10:32 b" });
        // Asleep over midnight: yesterday's record stays unsent, but it does not hold back
        // today's, which goes at its minute when the machine wakes before it.
        const QStringList sleep { "012026/03/14 11:45 PMNlate|", "012026/03/15 08:00 AMNwake|" };
        row("asleep over midnight, awake before the next record", sleep,
            "L23:40 T23:40:01 T07:59+ T07:59:59+ T08:00+ T08:00:01+", { sleep[1] },
            { "1+08:00 wake" });
        row("asleep over midnight, awake after the next record", sleep, "L23:40 T08:05+ T08:05:01+",
            {});
        row("asleep to the same minute the next day", { r1030 }, "L10:00 T10:30+ T10:30:01+", {});

        // The unreadable file holds back only its own user, and goes to the error trap, again
        // at the reload after the batch; so does every failure, and the grid hears of the
        // scheduled messages.
        const QStringList batch { "022026/03/14 10:30 AMNb|", "102026/03/14 10:30 AMNc|", r1030 };
        row("batch", batch + QStringList { "04" }, "E L10:15 I10:30 T10:30",
            QStringList { "212026/03/14 10:30 AMNnow|", r1030, batch[0], batch[1] },
            { "trap:frmTimer.LoadNextMessage: Cannot read", "trap:delivery", "1-10:30 a",
                "trap:delivery", "2-10:30 b", "trap:delivery", "10-10:30 c", "trap:delivery",
                "trap:frmTimer.LoadNextMessage: Cannot read" });
        // While a delivery is under way a check hands over nothing, and an instant message
        // written meanwhile waits for the next one; a line dialled is hung up once, after
        // the batch.
        row("a check while delivering", { r1030 },
            "L10:30 U H I10:30 T10:30:01 I10:30 T10:30:02 R R T10:30:03",
            { "212026/03/14 10:30 AMNnow|", r1030, "212026/03/14 10:30 AMNnow|" },
            { "1+10:30 a", "hangup" });
        // Records that fell due while each delivery waited out a slow server still go out,
        // in order, once the batch is over; also when it went past midnight.
        for (const QDateTime &first : { at(10, 30), at(23, 58) }) {
            QStringList files, handed, said;
            for (int user = 1; user <= 7; ++user) {
                for (const int minute : { 0, 1 }) {
                    const QDateTime due = first.addSecs(60 * minute);
                    const QString text = QStringLiteral("%1 %2").arg(minute).arg(user);
                    files << QStringLiteral("%1").arg(user, 2, 10, QChar(u'0'))
                            + Stamp::formatStamp(due) + 'N' + text + '|';
                    handed.insert(minute ? handed.size() : user - 1, files.last());
                    said.insert(minute ? said.size() : user - 1,
                        QStringLiteral("%1+%2 %3").arg(user).arg(due.toString("hh:mm"), text));
                }
            }
            const QString moves = first.time().hour() == 10
                ? "L10:29:59 W20 T10:30 T10:32:21 T10:34:42"
                : "L23:57:59 W20 T23:58 T00:00:21+ T00:02:42+";
            row(qPrintable("due during a batch from " + first.toString("hh:mm")), files,
                qPrintable(moves), handed, said);
        }
    }
    void handedOver()
    {
        QFETCH(QStringList, files);
        Fixture f;
        f.delivery.result.sent = true;
        for (int user = 1; user <= 10; ++user) {
            const QString number = QStringLiteral("%1").arg(user, 2, 10, QChar(u'0'));
            QStringList lines = files.filter(QRegularExpression("^" + number));
            if (lines.contains(number))
                QDir().mkpath(f.env.userFile(user));
            else if (!lines.isEmpty())
                f.env.writeMessageFile(user, lines.replaceInStrings(QRegularExpression("^.."), ""));
        }
        QFETCH(QString, moves);
        f.play(moves);
        QTEST(f.delivery.entries, "handed");
        QTEST(f.said, "said");
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
        QStringList ended; // user, sent, whether the dialog was open; when
        QObject::connect(&scheduler, &Scheduler::delivered, &dialog,
            [&](int user, const QDateTime &, const QString &, bool sent) {
                ended << QStringLiteral("%1 %2 %3").arg(user).arg(sent).arg(dialog.isVisible())
                      << QString::number(sinceCheck.elapsed());
            });
        QByteArray contentWhileOpen;
        QTimer::singleShot(Limit * 4, &dialog, [&] {
            contentWhileOpen = answering.content;
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
        QCOMPARE(contentWhileOpen, "Subject: Tolvane\r\n\r\nhello\r\n.\r\n");
        QCOMPARE(answering.commands.value(1), "MAIL FROM: <bob@home.example>");
    }
};

QTEST_MAIN(TestScheduler)
#include "tst_scheduler.moc"
