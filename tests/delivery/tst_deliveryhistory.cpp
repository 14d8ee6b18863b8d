// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/DeliveryHistory.h"
#include "delivery/Scheduler.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/FullDisk.h"
#include "support/RecordingDelivery.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QSignalSpy>

using Outcome = DeliveryAttempt::Outcome;
using Channel = DeliveryAttempt::Channel;

namespace {

// The scheduler with a recording delivery whose every attempt goes into the history, as
// the program wires them: Ada's and Bob's records of 10:30.
struct Fixture {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    RecordingDelivery delivery { store };
    FakeConnectionService connection;
    Scheduler scheduler { env.program, store, delivery, connection };
    DeliveryHistory history { env.program.historyFile, env.settings };
    QStringList delivered;

    Fixture()
    {
        QObject::connect(&scheduler, &Scheduler::attempted, &history, &DeliveryHistory::append);
        QObject::connect(&scheduler, &Scheduler::delivered,
            [this](int user, auto, const QString &text, bool sent) {
                delivered << QString::number(user) + (sent ? " sent " : " failed ") + text;
            });
        env.addUser(1, "Ada", "ada@phone.example");
        env.addUser(2, "Bob", "bob@phone.example");
        env.writeMessageFile(1, { "2026/03/14 10:30 AMNhi|ada@phone.example," });
        env.writeMessageFile(2, { "2026/03/14 10:30 AMNyo|bob@phone.example," });
        env.clock.set(at(10, 29));
        scheduler.reload();
    }
    QByteArray file() const
    {
        QFile file(env.program.historyFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>";
    }
};

DeliveryAttempt attempt(const QString &reply, Outcome outcome = Outcome::Sent)
{
    return { at(9, 0), 1, at(9, 0), false, { { "ada@phone.example", Channel::Mail } }, outcome,
        reply, {} };
}

} // namespace

class TestDeliveryHistory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin"); // the times carry their offset
    }

    // One line per attempt, scheduled or instant, with its result, recipients, the reply
    // as it came and the user's name at the time, in a folder and file only the user can
    // read. Read back, every line is the same attempt; a line cut short or not JSON is
    // left out, and the next run's first line begins on a line of its own.
    void onePerAttempt()
    {
        Fixture f;
        f.delivery.during = [&] {
            const bool ada = !f.delivery.entries.last().startsWith("02");
            f.delivery.result.sent = ada;
            f.delivery.result.recipients = { { "ada@phone.example", Channel::Mail } };
            if (ada)
                f.delivery.result.recipients.append(
                    { "ntfy://ntfy.sh/ada", Channel::Notification });
            f.delivery.result.reply = ada ? "250 2.0.0 Ok: queued" : "550 \"bob\"\tunknown\r\n";
        };
        f.env.clock.set(at(10, 30, 5));
        f.scheduler.checkDue();
        f.env.addUser(1, "Ada L.", "ada@phone.example");
        f.scheduler.sendInstantMessage(1, MessageRecord::compose(at(10, 31), "now", {}));
        f.env.clock.set(at(10, 31, 1));
        f.scheduler.checkDue();
        f.history.append({ at(10, 32), 2, at(10, 30), false, { { "bob@phone.example" } },
            Outcome::WillRetry, "421 busy", at(10, 34) });
        QCOMPARE(f.delivered, QStringList({ "1 sent hi", "2 failed yo" }));
        // The lines with ' for ", as they are easier to read.
        const QByteArray expected = QByteArray(
            "{'time':'2026-03-14T10:30:05+01:00','user':1,'userName':'Ada',"
            "'stamp':'2026/03/14 10:30 AM','instant':false,'recipients':["
            "{'address':'ada@phone.example','channel':'mail'},"
            "{'address':'ntfy://ntfy.sh/ada','channel':'notification'}],"
            "'result':'sent','reply':'250 2.0.0 Ok: queued'}\n"
            "{'time':'2026-03-14T10:30:05+01:00','user':2,'userName':'Bob',"
            "'stamp':'2026/03/14 10:30 AM','instant':false,'recipients':["
            "{'address':'ada@phone.example','channel':'mail'}],"
            "'result':'failed','reply':'550 \\'bob\\'\\tunknown\\r\\n'}\n"
            "{'time':'2026-03-14T10:31:01+01:00','user':1,'userName':'Ada L.',"
            "'stamp':'2026/03/14 10:31 AM','instant':true,'recipients':["
            "{'address':'ada@phone.example','channel':'mail'},"
            "{'address':'ntfy://ntfy.sh/ada','channel':'notification'}],"
            "'result':'sent','reply':'250 2.0.0 Ok: queued'}\n"
            "{'time':'2026-03-14T10:32:00+01:00','user':2,'userName':'Bob',"
            "'stamp':'2026/03/14 10:30 AM','instant':false,'recipients':["
            "{'address':'bob@phone.example','channel':'mail'}],"
            "'result':'will retry','reply':'421 busy','nextTry':'2026-03-14T10:34:00+01:00'}\n")
                                        .replace('\'', '"');
        QCOMPARE(f.file(), expected);
        const QString path = f.env.program.historyFile;
        const auto owner
            = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFile::permissions(path), owner);
        QCOMPARE(
            QFile::permissions(QFileInfo(path).path()), owner | QFile::ExeOwner | QFile::ExeUser);
        QByteArrayList lines;
        for (const DeliveryHistory::Entry &entry : f.history.read())
            lines << DeliveryHistory::line(entry);
        QCOMPARE(lines.join('\n') + '\n', expected);

        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("not json\n42\n{\"time\":\"2026-03-14T10:33:00+01:00\",\"user\":1,\"res");
        file.close();
        DeliveryHistory nextRun(path, f.env.settings);
        nextRun.append(attempt("250 again"));
        const QList<DeliveryHistory::Entry> read = nextRun.read();
        QCOMPARE(read.size(), 5);
        QCOMPARE(read.last().attempt.reply, "250 again");
        QCOMPARE(read.last().attempt.recipients, attempt({}).recipients);
    }

    // Past either bound the oldest lines go, once the event loop turns, and the newest
    // stays; below both nothing goes, and after a trim the next appends only append.
    void bounded_data()
    {
        Columns<int, int, bool>({ "lines", "length", "trimmed" });
        Row("below the number of lines", int(DeliveryHistory::MaxLines - 2), 190, false);
        Row("at the number of lines", int(DeliveryHistory::MaxLines), 190, true);
        Row("below the size", 3998, 500, false);
        Row("at the size", 4000, 500, true);
    }
    void bounded()
    {
        QFETCH(int, lines);
        QFETCH(int, length);
        QFETCH(bool, trimmed);
        Fixture f;
        QDir().mkpath(QFileInfo(f.env.program.historyFile).path());
        QFile file(f.env.program.historyFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < lines; ++i) {
            DeliveryAttempt old = attempt(QString::number(i));
            old.recipients.clear();
            QByteArray line = DeliveryHistory::line({ old, {} });
            line.insert(line.size() - 2, QByteArray(length - line.size() - 1, '.'));
            file.write(line + '\n');
        }
        file.close();
        QCOMPARE(file.size(), qint64(lines) * length);
        f.history.append(attempt("newest"));
        QCOMPARE(f.history.read().size(), lines + 1); // the trim comes from the event loop
        QCoreApplication::processEvents();
        const QList<DeliveryHistory::Entry> after = f.history.read();
        QCOMPARE(after.first().attempt.reply.startsWith("0."), !trimmed);
        QCOMPARE(after.last().attempt.reply, "newest");
        QVERIFY(
            after.size() <= DeliveryHistory::MaxLines && file.size() <= DeliveryHistory::MaxBytes);
        QVERIFY(after.size() > lines * 8 / 10);
        f.history.append(attempt("next"));
        QCoreApplication::processEvents();
        const QList<DeliveryHistory::Entry> next = f.history.read();
        QCOMPARE(next.size(), after.size() + 1);
        QCOMPARE(next.first().attempt.reply, after.first().attempt.reply);
    }

    // A history that cannot be written holds up no delivery, the problem is noted once
    // (for the window, not as a box), the attempts are kept for the window, and the
    // history goes on once the fault is gone.
    void unwritable_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char *fault : { "folder is a file", "file is a folder", "full disk" })
            QTest::newRow(fault) << fault;
    }
    void unwritable()
    {
        QFETCH(QString, fault);
        Fixture f;
        f.delivery.result.sent = true;
        const QString path = f.env.program.historyFile;
        const QString state = f.env.dir.filePath("state");
        std::optional<FullDisk> fullDisk;
        if (fault == "folder is a file")
            QVERIFY(QFile(state).open(QIODevice::WriteOnly));
        else if (fault == "file is a folder")
            QVERIFY(QDir().mkpath(path));
        else
            fullDisk.emplace(100); // room for the message files, not for a line
        QSignalSpy appended(&f.history, &DeliveryHistory::appended);
        QSignalSpy problems(&f.history, &DeliveryHistory::problemChanged);
        f.env.clock.set(at(10, 30));
        f.scheduler.checkDue();
        fullDisk.reset();
        QCOMPARE(f.delivered, QStringList({ "1 sent hi", "2 sent yo" }));
        QCOMPARE(f.env.readMessageFile(2).value(0).at(19), QChar('S'));
        QCOMPARE(appended.size(), 2);
        QCOMPARE(problems.size(), 1);
        QVERIFY(!f.history.problem().isEmpty());
        QVERIFY(f.env.boxes.shown.isEmpty());
        QCOMPARE(f.history.read().size(), 2); // kept for the window while the program runs
        QVERIFY(QFile::remove(state) || QDir(state).removeRecursively());
        f.history.append(attempt("back"));
        QCOMPARE(f.history.problem(), "");
        QCOMPARE(problems.size(), 2);
        QCOMPARE(f.history.read().size(), 3);
        QVERIFY(f.file().endsWith("\"reply\":\"back\"}\n"));
    }
};

QTEST_MAIN(TestDeliveryHistory)
#include "tst_deliveryhistory.moc"
