// A second process (this program, started with --worker) rewrites a message file in a
// loop and is killed at random moments: whatever moment the kill comes at, the file holds
// exactly what it held before the operation under way or exactly what it holds after it,
// and a scratch file that a kill leaves behind does no harm to the next operation. The
// same holds for a message file that is a symbolic link to a file in another folder.

#include "store/MessageStore.h"
#include "store/Stamp.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <unistd.h>

namespace {

const QString Phone = QStringLiteral("5551234567@txt.example.net");

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "-"; // no file
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
}

// worker DATA/ COPY/ SEED: says "ready", then saves, removes and marks at random until it
// is killed. Before each operation it writes, in one write, "<hash of the file now> <hash
// after it>"; the second comes from doing the same operation on a copy of the file first.
int worker(const QStringList &args)
{
    FakeClock clock;
    MessageStore real(args.at(2), clock);
    MessageStore copy(args.at(3), clock);
    QRandomGenerator random(args.at(4).toUInt());
    const QDate firstDay = clock.now().date().addDays(1);
    if (::write(STDOUT_FILENO, "ready\n", 6) != 6)
        return 2;
    for (int n = 1;; ++n) {
        const QList<MessageRecord> records = real.read(1);
        const int kind = records.isEmpty() ? 0 : random.bounded(10);
        const MessageRecord picked = records.value(random.bounded(qMax(1, records.size())));
        const QDateTime slot(firstDay.addDays(random.bounded(10)),
            QTime(random.bounded(24), 15 * random.bounded(4)));
        const MessageRecord record = MessageRecord::compose(slot, QString::number(n), { Phone });
        const auto operation = [&](MessageStore &store) {
            if (kind < 4)
                store.save(1, record);
            else if (kind < 7)
                store.removeSlot(1, picked.due());
            else
                store.markSent(1, picked);
        };
        QFile::remove(copy.filePath(1));
        QFile::copy(real.filePath(1), copy.filePath(1));
        operation(copy);
        const QByteArray line
            = fileHash(real.filePath(1)) + ' ' + fileHash(copy.filePath(1)) + '\n';
        if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) != line.size())
            return 2;
        operation(real);
    }
}

} // namespace

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
        TestEnvironment env;
        QStringList lines;
        const QDate firstDay = env.clock.now().date().addDays(1);
        for (int i = 0; i < 300; ++i)
            lines.append(Stamp::formatStamp(
                             QDateTime(firstDay.addDays(i / 30), Stamp::timeOfMinute(i % 30 * 45)))
                + QStringLiteral("Nfirst message %1|%2,").arg(i).arg(Phone));
        lines.insert(150, QStringLiteral("a line somebody typed into the file"));
        env.writeMessageFile(1, lines);
        const QString path = env.userFile(1);
        // The scratch file lies beside the file it replaces; a left-over one shows there.
        const QString targetDir = link ? env.dir.filePath("elsewhere") : env.dataDir();
        if (link) {
            QVERIFY(QDir().mkpath(targetDir));
            QVERIFY(QFile::rename(path, targetDir + "/t.usr"));
            QVERIFY(QFile::link(targetDir + "/t.usr", path));
        }
        const QString copyDir = env.dir.path() + "/copy/";
        QDir().mkpath(copyDir);
        MessageStore store(env.dataDir(), env.clock);

        QRandomGenerator random(20260314);
        int midOperation = 0, completed = 0; // killed before a change was made, or after
        QByteArray last = fileHash(path);
        for (int run = 1; run <= 400; ++run) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                { "--worker", env.dataDir(), copyDir, QString::number(run) });
            // The kill comes within 20 ms, or two operations' time where the first one took
            // longer (a slow machine, the sanitizers), so that it meets operations under way.
            QByteArray output;
            QElapsedTimer firstOperation;
            while (output.count('\n') < 2) {
                QVERIFY2(writer.waitForReadyRead(10000), qPrintable(writer.errorString()));
                if (output.isEmpty())
                    firstOperation.start();
                output += writer.readAllStandardOutput();
            }
            QThread::usleep(
                random.bounded(quint32(qMax<qint64>(20000, 2000 * firstOperation.elapsed()))));
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));
            QVERIFY2(writer.exitStatus() == QProcess::CrashExit,
                writer.readAllStandardError().constData());

            // The operation under way when the worker was killed, if it got that far.
            QList<QByteArray> outputs = (output + writer.readAllStandardOutput()).split('\n');
            outputs.removeFirst(); // "ready"
            outputs.removeLast(); // what follows the last line end
            const QList<QByteArray> op
                = outputs.isEmpty() ? QList { last, last } : outputs.last().split(' ');
            const QByteArray now = fileHash(path);
            QVERIFY2(now == op[0] || now == op[1], qPrintable(QString::number(run)));
            if (op[0] != op[1])
                ++(now == op[0] ? midOperation : completed);
            const auto files = [&] {
                return QDir(targetDir).entryList(QDir::Files | QDir::Hidden | QDir::System);
            };
            if (files().size() > 1) { // the next operation works and takes the scratch away
                store.save(1,
                    MessageRecord::compose(
                        QDateTime(firstDay, QTime(run % 24, 45)), "after a kill", { Phone }));
                QCOMPARE(files().size(), 1);
            }
            last = fileHash(path);
        }
        // The unreadable line outlived every rewrite.
        QVERIFY(env.readMessageFile(1).contains("a line somebody typed into the file"));
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        // The kills must have met operations under way, or the test proved nothing.
        QVERIFY(midOperation > 0 && completed > 0);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--worker"))
        return worker(app.arguments());
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
