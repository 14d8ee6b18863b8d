// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/DeliveryHistory.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QSignalSpy>

using Outcome = DeliveryAttempt::Outcome;
using Channel = DeliveryAttempt::Channel;

namespace {

// The history as the program keeps it, for Ada (1) and Bob (2). How the scheduler's attempts
// reach it is the program's wiring: tst_mainwindow deliveryHistory and the end-to-end tests.
struct Fixture {
    TestEnvironment env;
    DeliveryHistory history { env.program.historyFile, env.settings };
    Fixture()
    {
        env.addUser(1, "Ada", "ada@phone.example");
        env.addUser(2, "Bob", "bob@phone.example");
    }
    QByteArray file() const
    {
        QFile file(env.program.historyFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>";
    }
};

const QList<DeliveryAttempt::Recipient> ToAda { { "ada@phone.example" } };

DeliveryAttempt attempt(const QString &reply)
{
    return { at(9, 0), 1, at(9, 0), false, ToAda, Outcome::Sent, reply, {} };
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
        f.history.append({ at(10, 30, 5), 1, at(10, 30), false,
            { { "ada@phone.example" }, { "ntfy://n.sh/ada", Channel::Notification } },
            Outcome::Failed, "550 \"ada\"\tunknown\r\n", {} });
        f.env.addUser(1, "Ada L.", "ada@phone.example");
        f.history.append(
            { at(10, 31, 1), 1, at(10, 31), true, ToAda, Outcome::Sent, "250 Ok", {} });
        f.history.append({ at(10, 32), 2, at(10, 30), false, { { "bob@phone.example" } },
            Outcome::WillRetry, "421 busy", at(10, 34) });
        // The lines with ' for ", as they are easier to read.
        const QByteArray expected = QByteArray(
            "{'time':'2026-03-14T10:30:05+01:00','user':1,'userName':'Ada',"
            "'stamp':'2026/03/14 10:30 AM','instant':false,'recipients':["
            "{'address':'ada@phone.example','channel':'mail'},"
            "{'address':'ntfy://n.sh/ada','channel':'notification'}],"
            "'result':'failed','reply':'550 \\'ada\\'\\tunknown\\r\\n'}\n"
            "{'time':'2026-03-14T10:31:01+01:00','user':1,'userName':'Ada L.',"
            "'stamp':'2026/03/14 10:31 AM','instant':true,'recipients':["
            "{'address':'ada@phone.example','channel':'mail'}],'result':'sent','reply':'250 Ok'}\n"
            "{'time':'2026-03-14T10:32:00+01:00','user':2,'userName':'Bob',"
            "'stamp':'2026/03/14 10:30 AM','instant':false,'recipients':["
            "{'address':'bob@phone.example','channel':'mail'}],"
            "'result':'will retry','reply':'421 busy','nextTry':'2026-03-14T10:34:00+01:00'}\n")
                                        .replace('\'', '"');
        QCOMPARE(f.file(), expected);
        const QString path = f.env.program.historyFile;
        const auto rw = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFile::permissions(path), rw);
        QCOMPARE(QFile::permissions(QFileInfo(path).path()), rw | QFile::ExeOwner | QFile::ExeUser);
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
        QCOMPARE(read.size(), 4);
        QCOMPARE(read.last().attempt.reply, "250 again");
        QCOMPARE(read.last().attempt.recipients, ToAda);
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

    // A history that cannot be written is noted once, for the window (the history reaches
    // no box and returns at once, so no delivery waits for it); the attempts are kept for
    // the window, and the history goes on, on a line of its own, once the fault is gone.
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
        const QString path = f.env.program.historyFile, state = f.env.dir.filePath("state");
        std::optional<FullDisk> fullDisk;
        if (fault == "folder is a file")
            QVERIFY(QFile(state).open(QIODevice::WriteOnly));
        else if (fault == "file is a folder")
            QVERIFY(QDir().mkpath(path));
        else
            fullDisk.emplace(100); // a line cut short
        QSignalSpy appended(&f.history, &DeliveryHistory::appended);
        QSignalSpy problems(&f.history, &DeliveryHistory::problemChanged);
        f.history.append(attempt("1"));
        f.history.append(attempt("2"));
        fullDisk.reset();
        QCOMPARE(appended.size(), 2);
        QCOMPARE(problems.size(), 1);
        QVERIFY(!f.history.problem().isEmpty());
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
