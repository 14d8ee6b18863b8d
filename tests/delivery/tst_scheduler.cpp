#include "delivery/FrmTimer.h"
#include "store/Stamp.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <functional>

class TestScheduler : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        processor = std::make_unique<RecordingDelivery>(env->program);
        processor->succeed = true;
        connection = std::make_unique<FakeConnectionService>();
        frmTimer = std::make_unique<FrmTimer>(env->program, *processor, *connection);
    }

    // (Past minutes, clock jumps and sleep over midnight are the clock-change tests'.)
    void dueAtFirstTickAtOrAfterItsMinute_data()
    {
        Columns<QStringList, QDateTime, QDateTime, QStringList>(
            { "file", "loadedAt", "tickAt", "sent" });
        const QStringList hello { "2026/03/14 10:30 AMNhello|" };
        const QStringList sent { "012026/03/14 10:30 AMNhello|" };
        QTest::newRow("a second before") << hello << at(10, 0) << at(10, 29, 59) << QStringList();
        QTest::newRow("on the minute") << hello << at(10, 0) << at(10, 30, 0) << sent;
        QTest::newRow("late in the minute") << hello << at(10, 0) << at(10, 30, 59) << sent;
        QTest::newRow("started at 10:30:40") << hello << at(10, 30, 40) << at(10, 30, 41) << sent;
    }
    void dueAtFirstTickAtOrAfterItsMinute()
    {
        QFETCH(QStringList, file);
        QFETCH(QDateTime, loadedAt);
        QFETCH(QDateTime, tickAt);
        env->writeMessageFile(1, file);
        env->clock.set(loadedAt);
        frmTimer->LoadNextMessage();
        env->clock.set(tickAt);
        frmTimer->CheckSend();
        QTEST(processor->entries, "sent");
    }

    // Wherever it stands in the file: a hand edit or a script that appends may put a
    // record out of order.
    void loadsEarliestRecordNeitherSentNorPast()
    {
        env->writeMessageFile(3,
            { "2026/03/13 11:00 PMNyesterday|", "2026/03/14 09:45 AMNpast|",
                "2026/03/14 10:00 AMSsent already|", "this line cannot be read",
                "2026/02/30 10:15 AMNno such day|", "2026/03/14 10:15 AMNlater|",
                "2026/03/14 10:00 AMNthis minute|" });
        QDir().mkpath(env->userFile(1)); // a file that exists but cannot be read as one
        env->program.ShowErrors = true;
        env->clock.set(at(10, 0, 30));
        frmTimer->LoadNextMessage();
        QCOMPARE(env->program.NextMessage[3], "032026/03/14 10:00 AMNthis minute|");
        // The unreadable file holds back only its own user, and says so once the loading
        // is done: its box waits for nobody.
        QVERIFY(env->boxes.shown.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(env->boxes.shown.size(), 1);
        QVERIFY(env->boxes.shown.first().text.startsWith("Cannot read " + env->userFile(1)));
        // Once handed to delivery, the record is not loaded again even though it failed.
        processor->succeed = false;
        frmTimer->CheckSend();
        QCOMPARE(env->program.NextMessage[3], "032026/03/14 10:15 AMNlater|");
        frmTimer->CheckSend();
        QCOMPARE(processor->entries.size(), 1);
    }

    void sendsInstantMessageFirstThenUsersInNumberOrder()
    {
        processor->succeed = false;
        for (int user : { 2, 10, 1 })
            env->writeMessageFile(
                user, { QStringLiteral("2026/03/14 10:30 AMNfrom %1|").arg(user) });
        env->clock.set(at(10, 15));
        frmTimer->LoadNextMessage();
        env->program.NextMessage[0] = "232026/03/14 10:30 AMNinstant|";
        env->clock.set(at(10, 30, 0));
        frmTimer->CheckSend();
        QCOMPARE(processor->entries,
            QStringList({ "232026/03/14 10:30 AMNinstant|", "012026/03/14 10:30 AMNfrom 1|",
                "022026/03/14 10:30 AMNfrom 2|", "102026/03/14 10:30 AMNfrom 10|" }));
        // Emptied whatever the outcome.
        for (int slot = 0; slot <= 10; ++slot)
            QVERIFY(env->program.NextMessage[slot].isEmpty());
        QVERIFY(!env->program.Sending);
    }

    // An instant message goes at the next check, also when midnight came between.
    void instantMessageGoesAtTheNextCheck_data()
    {
        Columns<QDateTime, QDateTime>({ "written", "checked" });
        QTest::newRow("the same minute") << at(10, 30, 5) << at(10, 30, 6);
        QTest::newRow("in the last second of the day") << at(23, 59, 59) << at(0, 0, 0, 15);
    }
    void instantMessageGoesAtTheNextCheck()
    {
        QFETCH(QDateTime, written);
        QFETCH(QDateTime, checked);
        const QString entry = "21" + Stamp::formatStamp(written) + "Nnow|";
        env->program.NextMessage[0] = entry;
        env->clock.set(checked);
        frmTimer->CheckSend();
        QCOMPARE(processor->entries, QStringList { entry });
        QVERIFY(env->program.NextMessage[0].isEmpty());
    }

    // Seven users due at one minute, each delivery waiting out a slow server: the records
    // that fell due meanwhile still go out, in order, once the scheduler is free again.
    void recordsDueWhileBusyGoOutAfterwards()
    {
        QStringList expected;
        for (int user = 1; user <= 7; ++user) {
            const QStringList records { QStringLiteral("2026/03/14 10:30 AMNfirst %1|").arg(user),
                QStringLiteral("2026/03/14 10:31 AMNsecond %1|").arg(user) };
            env->writeMessageFile(user, records);
            expected.insert(
                user - 1, QStringLiteral("%1").arg(user, 2, 10, QChar('0')) + records[0]);
            expected.append(QStringLiteral("%1").arg(user, 2, 10, QChar('0')) + records[1]);
        }
        env->clock.set(at(10, 29, 59));
        frmTimer->LoadNextMessage();
        processor->during = [this] { env->clock.advanceSecs(20); };
        env->clock.set(at(10, 30));
        frmTimer->CheckSend();
        QCOMPARE(env->clock.now(), at(10, 32, 20));
        env->clock.advanceSecs(1);
        frmTimer->CheckSend();
        env->clock.advanceSecs(1);
        frmTimer->CheckSend();
        QCOMPARE(processor->entries, expected);
    }

    void instantMessageWrittenDuringADeliveryIsKept()
    {
        env->clock.set(at(10, 30, 5));
        env->program.NextMessage[0] = "212026/03/14 10:30 AMNfirst|";
        processor->during = [this] {
            if (processor->entries.size() == 1)
                env->program.NextMessage[0] = "212026/03/14 10:30 AMNsecond|";
        };
        frmTimer->CheckSend();
        QCOMPARE(env->program.NextMessage[0], "212026/03/14 10:30 AMNsecond|");
        frmTimer->CheckSend();
        QCOMPARE(processor->entries.size(), 2);
        QVERIFY(env->program.NextMessage[0].isEmpty());
    }

    // A tick that comes while a delivery waits does nothing; a line dialled during the
    // tick is hung up once, after it.
    void tickDuringADeliveryDoesNothing()
    {
        env->writeMessageFile(1, { "2026/03/14 10:30 AMNone|" });
        env->writeMessageFile(2, { "2026/03/14 10:30 AMNtwo|" });
        env->clock.set(at(10, 30));
        frmTimer->LoadNextMessage();
        int nestedEntries = -1;
        processor->during = [&] {
            env->program.DialedUp = true;
            if (nestedEntries < 0) {
                frmTimer->CheckSend();
                nestedEntries = int(processor->entries.size());
                QCOMPARE(connection->hangUps, 0);
            }
        };
        frmTimer->CheckSend();
        QCOMPARE(nestedEntries, 1);
        QCOMPARE(processor->entries.size(), 2);
        QCOMPARE(connection->hangUps, 1);
        QVERIFY(!env->program.DialedUp);
    }

    void rollsOverOnlyFrom1159PMTo1200AM_data()
    {
        Columns<QTime, QTime, int>({ "before", "after", "rollovers" });
        QTest::newRow("11:59 PM to 12:00 AM") << QTime(23, 59, 58) << QTime(0, 0, 1) << 1;
        QTest::newRow("11:58 PM to 12:00 AM") << QTime(23, 58, 59) << QTime(0, 0, 1) << 0;
        QTest::newRow("11:59 PM to 12:01 AM") << QTime(23, 59, 59) << QTime(0, 1, 0) << 0;
        QTest::newRow("12:00 AM to 12:00 AM") << QTime(0, 0, 0) << QTime(0, 0, 1) << 0;
    }
    void rollsOverOnlyFrom1159PMTo1200AM()
    {
        QFETCH(QTime, before);
        QFETCH(QTime, after);
        int rollovers = 0;
        frmTimer->setHooks({ {}, {}, {}, [&] { ++rollovers; } });
        env->clock.set(QDateTime(QDate(2026, 3, 14), before));
        frmTimer->tmrExecute_Timer();
        env->clock.set(QDateTime(QDate(2026, 3, 15), after));
        frmTimer->tmrExecute_Timer();
        QTEST(rollovers, "rollovers");
    }

    void housekeepingRunsShutdownOrMovesIntoTray_data()
    {
        Columns<bool, bool, bool, bool, QString>(
            { "shutdown", "splashDone", "visible", "inTray", "expected" });
        QTest::newRow("shutdown wins") << true << true << false << false << "shutdown";
        QTest::newRow("hidden after the splash") << false << true << false << false << "tray";
        QTest::newRow("window shown") << false << true << true << false << "";
    }
    void housekeepingRunsShutdownOrMovesIntoTray()
    {
        QFETCH(bool, visible);
        QString happened;
        frmTimer->setHooks({ [&] { happened += "shutdown"; }, [&] { return visible; },
            [&] { happened += "tray"; }, {} });
        QFETCH(bool, shutdown);
        QFETCH(bool, splashDone);
        QFETCH(bool, inTray);
        env->program.ShutdownRequested = shutdown;
        env->program.SplashDone = splashDone;
        env->program.InTray = inTray;
        frmTimer->TimedExecution();
        QTEST(happened, "expected");
    }

    void timersTickOnTheirOwn()
    {
        env->clock.set(at(10, 30, 1));
        env->program.NextMessage[0] = "212026/03/14 10:30 AMNnow|";
        frmTimer->tmrCheckSend.setEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(processor->entries.size(), 1, 3000);
        frmTimer->tmrCheckSend.setEnabled(false);
    }

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<RecordingDelivery> processor;
    std::unique_ptr<FakeConnectionService> connection;
    std::unique_ptr<FrmTimer> frmTimer;
};

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
