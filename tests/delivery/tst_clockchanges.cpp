#include "delivery/FrmTimer.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/TestEnvironment.h"

namespace {

// One thing that happens to the program: the slots reloaded (a start or a click on the
// day grid) or one second's ticks of both timers, at a reading of the wall clock.
struct Move {
    enum Kind { Load, Tick } kind;
    QDateTime at;
};
using Moves = QList<Move>;

Move load(const QDateTime &moment)
{
    return { Move::Load, moment };
}
Move tick(const QDateTime &moment)
{
    return { Move::Tick, moment };
}

} // namespace

Q_DECLARE_METATYPE(Move)

// The wall clock jumps forward and back and the machine sleeps over midnight: each record
// is handed to delivery once or not at all, as the scheduler's rules say, never twice.
class TestClockChanges : public QObject {
    Q_OBJECT
private slots:
    void clockMoves_data()
    {
        Columns<QStringList, bool, Moves, QStringList>({ "file", "succeed", "moves", "handed" });
        const QString r1030 = "2026/03/14 10:30 AMNten thirty|";
        const QString r1032 = "2026/03/14 10:32 AMNten thirty-two|";
        const QString late = "2026/03/14 11:45 PMNlate|";
        const QString morning = "2026/03/15 08:00 AMNmorning|";

        // Forward: the record in its slot is due at the first tick at or after its minute,
        // wherever the clock lands; a record whose minute was jumped over before it reached
        // a slot is past and never sent.
        QTest::newRow("forward over the due minute")
            << QStringList { r1030 } << true
            << Moves { load(at(10, 29, 58)), tick(at(10, 29, 59)), tick(at(10, 35)),
                   tick(at(10, 35, 1)) }
            << QStringList { "01" + r1030 };
        QTest::newRow("forward over two due minutes")
            << QStringList { r1030, r1032 } << true
            << Moves { load(at(10, 29, 58)), tick(at(10, 35)), tick(at(10, 35, 1)),
                   tick(at(10, 40)) }
            << QStringList { "01" + r1030 };
        QTest::newRow("forward, then the slots reloaded before a tick")
            << QStringList { r1030 } << true
            << Moves { load(at(10, 29, 58)), load(at(10, 35)), tick(at(10, 35, 1)) }
            << QStringList();

        // Backward: a record handed over is not handed over again when its minute comes
        // round a second time, whether its delivery succeeded or failed.
        const Moves back { load(at(10, 29, 30)), tick(at(10, 30)), tick(at(10, 31)),
            tick(at(10, 32)), load(at(10, 29)), tick(at(10, 29, 30)), tick(at(10, 30)),
            tick(at(10, 31)), tick(at(10, 32)), tick(at(10, 33)) };
        QTest::newRow("backward after a delivery")
            << QStringList { r1030 } << true << back << QStringList { "01" + r1030 };
        QTest::newRow("backward after a failed delivery")
            << QStringList { r1030 } << false << back << QStringList { "01" + r1030 };
        QTest::newRow("backward after two failed deliveries") << QStringList { r1030,
            r1032 } << false << back << QStringList { "01" + r1030, "01" + r1032 };
        QTest::newRow("backward after two deliveries") << QStringList { r1030,
            r1032 } << true << back << QStringList { "01" + r1030, "01" + r1032 };

        // Asleep over midnight: yesterday's record stays unsent; today's goes at its minute
        // when the machine wakes before it, and not at all when it wakes after it.
        QTest::newRow("asleep over midnight, awake before the next record")
            << QStringList { late, morning } << true
            << Moves { load(at(23, 40)), tick(at(23, 40, 1)), tick(at(7, 59, 0, 15)),
                   tick(at(7, 59, 59, 15)), tick(at(8, 0, 0, 15)), tick(at(8, 0, 1, 15)) }
            << QStringList { "01" + morning };
        QTest::newRow("asleep over midnight, awake after the next record")
            << QStringList { late, morning } << true
            << Moves { load(at(23, 40)), tick(at(8, 5, 0, 15)), tick(at(8, 5, 1, 15)) }
            << QStringList();
        QTest::newRow("asleep to the same minute the next day")
            << QStringList { r1030 } << true
            << Moves { load(at(10, 0)), tick(at(10, 30, 0, 15)), tick(at(10, 30, 1, 15)) }
            << QStringList();
    }

    void clockMoves()
    {
        QFETCH(QStringList, file);
        QFETCH(bool, succeed);
        QFETCH(Moves, moves);
        TestEnvironment env;
        RecordingDelivery processor(env.program);
        FakeConnectionService connection;
        FrmTimer frmTimer(env.program, processor, connection);
        env.writeMessageFile(1, file);
        processor.succeed = succeed;

        for (const Move &move : moves) {
            env.clock.set(move.at);
            if (move.kind == Move::Load) {
                frmTimer.LoadNextMessage();
            } else {
                frmTimer.tmrExecute_Timer();
                frmTimer.CheckSend();
            }
        }
        QTEST(processor.entries, "handed");
        QVERIFY(env.boxes.shown.isEmpty());
        // What was handed over and succeeded is marked; nothing else is.
        const QStringList lines = env.readMessageFile(1);
        for (int i = 0; i < file.size(); ++i) {
            const bool handed = processor.entries.contains("01" + file.at(i));
            QCOMPARE(lines.value(i).at(19), handed && succeed ? u'S' : u'N');
        }
    }
};

QTEST_GUILESS_MAIN(TestClockChanges)
#include "tst_clockchanges.moc"
