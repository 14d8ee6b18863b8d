#include "store/MessageFile.h"
#include "store/Stamp.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

namespace {

constexpr int Kills = 400;

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "-";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
}

// The last complete line of the log: the operation that was about to run, or ran, when
// the writer was killed.
QList<QByteArray> lastOperation(const QString &logPath)
{
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QByteArray all = log.readAll();
    all.truncate(all.lastIndexOf('\n'));
    return all.mid(all.lastIndexOf('\n') + 1).split(' ');
}

QSet<QString> readableRecords(Program &program)
{
    QSet<QString> records;
    ReadMessageRecords(program, 1, [&](const RecordView &record) {
        records.insert(record.line());
        return true;
    });
    return records;
}

void appendLog(const QString &logPath, const QByteArray &line)
{
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Append));
    log.write(line + '\n');
}

} // namespace

// A second process rewrites a message file in a loop and is killed at random moments;
// whatever moment the kill comes at, the file holds exactly what it held before the
// operation under way or exactly what it holds after it, and the scratch file that a
// kill may leave behind does no harm to the next operation. The same holds for a message
// file that is a symbolic link to a file in another folder.
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
            lines.append(Stamp::formatStamp(QDateTime(
                             firstDay.addDays(i / 30), QTime(0, 0).addSecs(i % 30 * 45 * 60)))
                + QStringLiteral("Nfirst message %1|5551234567@txt.example.net,").arg(i));
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
        const auto scratchLeft = [&] {
            return QDir(targetDir).entryList(QDir::Files | QDir::Hidden | QDir::System).size() > 1;
        };
        const QString copyDir = env.dir.path() + "/copy/";
        const QString logPath = env.dir.filePath("log");
        QVERIFY(QDir().mkpath(copyDir));
        appendLog(logPath, "start " + fileHash(path) + ' ' + fileHash(path));

        QRandomGenerator random(20260314);
        int midOperation = 0; // killed after announcing a change, before making it
        int completed = 0; // killed after a change was made
        int leftovers = 0;
        QElapsedTimer timer;
        timer.start();
        for (int run = 1; run <= Kills; ++run) {
            QProcess writer;
            writer.start(QStringLiteral(CRASHSAFETY_WORKER),
                { env.dataDir(), copyDir, logPath, QString::number(run) });
            QVERIFY2(writer.waitForReadyRead(10000), qPrintable(writer.errorString()));
            QThread::usleep(random.bounded(20000));
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));
            QVERIFY2(writer.exitStatus() == QProcess::CrashExit,
                writer.readAllStandardError().constData());

            const QList<QByteArray> op = lastOperation(logPath);
            QCOMPARE(op.size(), 3);
            const QByteArray now = fileHash(path);
            QVERIFY2(now == op[1] || now == op[2],
                QByteArray("run " + QByteArray::number(run) + ", after " + op[0]).constData());
            if (op[1] != op[2])
                ++(now == op[1] ? midOperation : completed);

            if (scratchLeft()) {
                // The next operation works and removes the scratch file.
                ++leftovers;
                const QSet<QString> before = readableRecords(env.program);
                const QString record = Stamp::formatStamp(QDateTime(firstDay, QTime(run % 24, 45)))
                    + QStringLiteral("Nafter kill %1|5551234567@txt.example.net,").arg(run);
                SaveMessageRecord(env.program, 1, record);
                QVERIFY(!scratchLeft());
                QSet<QString> expected;
                for (const QString &line : before) {
                    if (!line.startsWith(record.left(Stamp::StampLength)))
                        expected.insert(line);
                }
                expected.insert(record);
                QCOMPARE(readableRecords(env.program), expected);
                appendLog(logPath, "parent " + now + ' ' + fileHash(path));
            }
        }
        // The unreadable line outlived every rewrite.
        QVERIFY(env.readMessageFile(1).contains("a line somebody typed into the file"));
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        qInfo("%d kills in %lld ms: %d in the middle of an operation, %d after a change, "
              "%d left a scratch file",
            Kills, timer.elapsed(), midOperation, completed, leftovers);
        // The kills must have met operations under way, or the test proved nothing.
        QVERIFY(midOperation > 0);
        QVERIFY(completed > 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
