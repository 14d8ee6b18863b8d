#include "store/MessageStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// A child process saves into a message file and is killed at a random moment of the save:
// whatever moment the kill comes at, the file holds exactly what it held before or exactly
// what the same save gave on a copy, and a scratch file that a kill leaves behind does no
// harm to the next save. A removal and a marking rewrite the file the same way. The same
// holds for a message file that is a symbolic link to a file in another folder.
class TestCrashSafety : public QObject {
    Q_OBJECT

private slots:
    void killedWriterLeavesOldOrNewFile_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("file") << false;
        QTest::newRow("link to another folder") << true;
    }
    void killedWriterLeavesOldOrNewFile()
    {
        QFETCH(bool, link);
        TestEnvironment env, copyEnv;
        const QDate firstDay = env.clock.now().date().addDays(1);
        const auto record = [&](int day, QTime time, const QString &text) {
            return MessageRecord::compose(QDateTime(firstDay.addDays(day), time), text,
                { QStringLiteral("5551234567@txt.example.net") });
        };
        QStringList lines;
        for (int i = 0; i < 300; ++i) {
            const QTime time = QTime(0, 0).addSecs(i % 30 * 45 * 60);
            lines << QString::fromLatin1(record(i / 30, time, "first " + QString::number(i)).line);
        }
        lines.insert(150, QStringLiteral("a line somebody typed into the file"));
        env.writeMessageFile(1, lines);
        const QString path = env.userFile(1);
        // The scratch file lies beside the file it replaces; a left-over one shows there.
        const QString targetDir = link ? env.dir.filePath("elsewhere") : env.dataDir();
        if (link)
            QVERIFY(QDir().mkpath(targetDir) && QFile::rename(path, targetDir + "/t.usr")
                && QFile::link(targetDir + "/t.usr", path));
        MessageStore store(env.dataDir(), env.clock), copy(copyEnv.dataDir(), env.clock);
        const auto files
            = [&] { return QDir(targetDir).entryList(QDir::Files | QDir::Hidden | QDir::System); };

        QRandomGenerator random(20260314);
        int midOperation = 0, completed = 0; // killed before the new file was in place, or after
        for (int run = 1; run <= 400; ++run) {
            const MessageRecord saved = record(random.bounded(10),
                QTime(random.bounded(24), 15 * random.bounded(4)), QString::number(run));
            QFile::remove(copy.filePath(1));
            QVERIFY(QFile::copy(path, copy.filePath(1)));
            const QByteArray before = env.readMessageFileBytes(1);
            QElapsedTimer took;
            took.start();
            copy.save(1, saved);
            const qint64 microseconds = took.nsecsElapsed() / 1000 + 1;
            const QByteArray after = copyEnv.readMessageFileBytes(1);
            // The child says when it begins; the kill comes within twice the copy's save.
            int pipe[2];
            QCOMPARE(::pipe(pipe), 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                if (::write(pipe[1], "", 1) == 1)
                    store.save(1, saved);
                ::_exit(0);
            }
            char began;
            QCOMPARE(::read(pipe[0], &began, 1), 1);
            QThread::usleep(random.bounded(quint32(2 * microseconds)));
            ::kill(pid, SIGKILL);
            QCOMPARE(::waitpid(pid, nullptr, 0), pid);
            ::close(pipe[0]);
            ::close(pipe[1]);
            const QByteArray now = env.readMessageFileBytes(1);
            QVERIFY2(now == before || now == after, qPrintable(QString::number(run)));
            ++(now == before ? midOperation : completed);
            if (files().size() > 1) { // the next save works and takes the scratch away
                store.save(1, record(0, QTime(run % 24, 45), "after a kill"));
                QCOMPARE(files().size(), 1);
            }
        }
        // The unreadable line outlived every rewrite.
        QVERIFY(env.readMessageFile(1).contains("a line somebody typed into the file"));
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        // The kills must have met saves under way, or the test proved nothing.
        QVERIFY(midOperation > 0 && completed > 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
