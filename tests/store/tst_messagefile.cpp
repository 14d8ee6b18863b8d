#include "store/MessageFile.h"
#include "store/StoreError.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Op { Save, Delete, Mark, Find };

} // namespace

Q_DECLARE_METATYPE(Op)

namespace {

using L = QStringList;

const QString A = QStringLiteral("2026/03/20 09:00 AMNfirst|a@p,");
const QString B = QStringLiteral("2026/03/21 09:00 AMNsecond|");
const QString C = QStringLiteral("2026/03/22 09:00 AMSthird|a@p,b@p,");
const QString Junk = QStringLiteral("junk");
const QString BadDate = QStringLiteral("2026/02/30 09:00 AMNno such day|");
const QString None = QStringLiteral("<none>");

// Bytes of a literal, embedded NULs included.
template<size_t N> QByteArray bytes(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

QString scratch(const TestEnvironment &env)
{
    return env.dataDir() + "tmp.tmp";
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Moves user 1's message file, if any, to t.usr in a folder "elsewhere" beside the data
// folder and puts in its place a symbolic link holding the given text; returns that folder.
QString moveBehindLink(const TestEnvironment &env, const QByteArray &link = "../elsewhere/t.usr")
{
    const QString elsewhere = env.dir.filePath("elsewhere");
    QDir().mkpath(elsewhere);
    QFile::rename(env.userFile(1), elsewhere + "/t.usr");
    ::symlink(link.constData(), QFile::encodeName(env.userFile(1)).constData());
    return elsewhere;
}

// Hidden files too: a scratch file left beside a link's target shows.
QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Runs one operation on the user with the stamp or record given; returns what Find got.
QString run(TestEnvironment &env, Op op, const QString &arg, int user = 1)
{
    if (op == Op::Save)
        SaveMessageRecord(env.program, user, arg);
    else if (op == Op::Delete)
        DeleteMessageSlot(env.program, user, arg.left(19));
    else if (op == Op::Mark)
        MarkMessageSent(env.program, user, arg);
    else
        return FindMessageRecord(env.program, user, arg.left(19)).value_or(None);
    return {};
}

void verifyClean(const TestEnvironment &env)
{
    QVERIFY(!env.program.FileBusy.isSet());
    QVERIFY(!QFile::exists(scratch(env)));
}

void rewriteRow(const char *name, Op op, const L &before, const QString &arg, const L &after,
    const QDate &today = QDate(2026, 3, 14))
{
    QTest::newRow(name) << op << before << arg << after << QDateTime(today, QTime(10, 0));
}

} // namespace

class TestMessageFile : public QObject {
    Q_OBJECT

private slots:
    void rewrite_data()
    {
        // "before" empty: no file
        Columns<Op, QStringList, QString, QStringList, QDateTime>(
            { "op", "before", "arg", "after", "now" });
        const QString r = QStringLiteral("2026/03/20 09:15 AMNnew|c@p,");
        rewriteRow("insert in the middle", Op::Save, { A, B }, r, { A, r, B });
        rewriteRow("into a missing file", Op::Save, {}, r, { r });
        const QString old = QStringLiteral("2026/03/21 09:00 AMSold text|x@p,");
        const QString replaced = QStringLiteral("2026/03/21 09:00 AMNnew text|");
        rewriteRow("same stamp replaced in place, sent or not", Op::Save, { A, old, C }, replaced,
            { A, replaced, C });
        const L noon { "2026/03/20 01:00 AMNa|", "2026/03/20 12:00 PMNb|",
            "2026/03/20 01:00 PMNc|" };
        const QString pm = QStringLiteral("2026/03/20 12:30 PMNr|");
        rewriteRow("12 PM before 1 PM", Op::Save, noon, pm, { noon[0], noon[1], pm, noon[2] });
        const QString d366 = QStringLiteral("2025/03/13 11:45 PMSgone|");
        const QString d365 = QStringLiteral("2025/03/14 12:00 AMSkept|");
        rewriteRow(
            "purge: 366 days goes, 365 stays", Op::Save, { d366, d365, A }, r, { d365, A, r });
        const QString leapKept = QStringLiteral("2027/03/02 09:00 AMNkept|");
        const QString leapNew = QStringLiteral("2028/03/01 11:00 AMNr|");
        rewriteRow("purge over a leap day", Op::Save, { "2027/03/01 09:00 AMNgone|", leapKept },
            leapNew, { leapKept, leapNew }, QDate(2028, 3, 1));
        const QString older = QStringLiteral("2025/01/01 09:00 AMNolder|");
        rewriteRow(
            "old record after the new one stays", Op::Save, { d366, A }, older, { older, d366, A });
        rewriteRow("save keeps unreadable lines in place", Op::Save, { Junk, A, BadDate, B }, r,
            { Junk, A, BadDate, r, B });

        const L day { "2026/03/20 09:00 AMNa|", "2026/03/20 09:15 AMNb|",
            "2026/03/20 09:00 PMSc|" };
        rewriteRow("delete only that date and time", Op::Delete, day, day[0], { day[1], day[2] });
        rewriteRow("delete keeps unreadable lines", Op::Delete, { Junk, day[0], BadDate }, day[0],
            { Junk, BadDate });

        const QString x = QStringLiteral("2026/03/20 09:00 AMNNo N|n@p,");
        const QString xSent = QStringLiteral("2026/03/20 09:00 AMSNo N|n@p,");
        const QString edited = QStringLiteral("2026/03/20 09:00 AMNNo N, edited|n@p,");
        rewriteRow("mark only character 20, of every identical line", Op::Mark, { A, x, x, B }, x,
            { A, xSent, xSent, B });
        rewriteRow("mark: changed since it was read", Op::Mark, { A, edited }, x, { A, edited });
        rewriteRow(
            "mark: a line that only begins with it", Op::Mark, { x + "m@p," }, x, { x + "m@p," });
        rewriteRow("mark keeps unreadable lines", Op::Mark, { Junk, x, BadDate }, x,
            { Junk, xSent, BadDate });
    }
    // Every rewrite also clears a scratch file that an interrupted one left behind, and
    // writes an owner-only file with CR LF line ends.
    void rewrite()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QDateTime, now);
        TestEnvironment env;
        env.clock.set(now);
        if (!before.isEmpty())
            env.writeMessageFile(1, before);
        writeBytes(scratch(env), "2026/03/20 09:00 AMNhalf a rewrite");
        QFETCH(Op, op);
        QFETCH(QString, arg);
        run(env, op, arg);
        QCOMPARE(env.readMessageFile(1), after);
        QCOMPARE(env.readMessageFileBytes(1).count('\n'), after.size()); // no bare line feeds
        if (after != before)
            QCOMPARE(QFile::permissions(env.userFile(1)),
                QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        verifyClean(env);
    }

    void missingFile_data()
    {
        Columns<Op, int, bool, QString, QStringList>(
            { "op", "user", "folderGone", "result", "files" });
        QTest::newRow("delete") << Op::Delete << 1 << false << QString() << L {};
        QTest::newRow("mark") << Op::Mark << 1 << false << QString() << L {};
        QTest::newRow("find") << Op::Find << 1 << false << None << L {};
        QTest::newRow("save for user 10")
            << Op::Save << 10 << false << QString() << L { "u10.usr" };
        QTest::newRow("delete, data folder gone") << Op::Delete << 1 << true << QString() << L {};
        QTest::newRow("mark, data folder gone") << Op::Mark << 1 << true << QString() << L {};
        QTest::newRow("save, data folder gone")
            << Op::Save << 1 << true << QString() << L { "u1.usr" };
    }
    void missingFile()
    {
        QFETCH(Op, op);
        QFETCH(int, user);
        QFETCH(bool, folderGone);
        QFETCH(QStringList, files);
        TestEnvironment env;
        if (folderGone)
            QVERIFY(QDir(env.dataDir()).removeRecursively());
        QCOMPARE(MessageFilePath(env.program, user), env.userFile(user));
        QTEST(run(env, op, A, user), "result");
        QCOMPARE(QDir(env.dataDir()).entryList(QDir::Files), files);
        // Only a save makes a missing data folder again, private as at the first start.
        if (folderGone)
            QCOMPARE(QFile::permissions(env.dataDir()),
                files.isEmpty() ? QFile::Permissions()
                                : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                        | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        verifyClean(env);
    }

    void find_data()
    {
        Columns<QStringList, QString>({ "lines", "found" });
        QTest::newRow("found") << L { A, B, C } << B;
        // A line out of order after a later day shows where the reading stopped.
        QTest::newRow("stops at the first later day") << L { A, C, B } << None;
        QTest::newRow("a later time of the same day does not stop it")
            << L { "2026/03/21 11:00 AMNa|", B } << B;
        QTest::newRow("after unreadable lines") << L { Junk, "2027/13/01 09:00 AMNbad|", B } << B;
    }
    void find()
    {
        QFETCH(QStringList, lines);
        TestEnvironment env;
        env.writeMessageFile(1, lines);
        QTEST(FindMessageRecord(env.program, 1, B.left(19)).value_or(None), "found");
        verifyClean(env);
    }

    void readers_data()
    {
        // the reader stops after this many records
        Columns<QByteArray, int, QStringList>({ "content", "stopAfter", "records" });
        const QByteArray a = A.toLatin1();
        const QByteArray b = B.toLatin1();
        QTest::newRow("LF only") << a + "\n" + b + "\n" << 9 << L { A, B };
        QTest::newRow("no line end at the end") << a + "\r\n" + b << 9 << L { A, B };
        QTest::newRow("reader stops") << a + "\r\n" + b + "\r\n" << 1 << L { A };
        const QByteArray unreadable = QByteArray("2026/03/20\r\n") // too short
            + "2026/02/30 09:00 AMNx|\r\n" // no such day
            + "2026/03/20 13:00 PMNx|\r\n" // no such hour
            + "2026/03/20 09:60 AMNx|\r\n" // no such minute
            + "2026/03/20 09:00 am N|\r\n" // lower case
            + "2026/03/20-09:00 AMNx|\r\n" // no blank after the date
            + "\r\n" + bytes("\x00\xff\x01\x7f\x80 binary\x00 bytes of some length\r\n");
        QTest::newRow("unreadable lines passed over")
            << a + "\r\n" + unreadable + b + "\r\n" + unreadable << 9 << L { A, B };
    }
    void readers()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, stopAfter);
        TestEnvironment env;
        writeBytes(env.userFile(1), content);
        QStringList seen;
        bool heldWhileVisiting = true;
        ReadMessageRecords(env.program, 1, [&](const RecordView &r) {
            heldWhileVisiting = heldWhileVisiting && env.program.FileBusy.isSet();
            seen.append(r.line());
            return seen.size() < stopAfter;
        });
        QTEST(seen, "records");
        QVERIFY(heldWhileVisiting);
        verifyClean(env);
    }

    // Lines the rewrites cannot read are kept byte for byte, and the file's code page is
    // Windows-1252 both ways; what it lacks is written as "?", one for each character.
    void bytesKept()
    {
        TestEnvironment env;
        const QByteArray binary = bytes("\x00\xff\x01 stray|bytes\x80");
        const QByteArray line("2026/03/20 09:00 AMNcaf\xe9 \x80\x81\x9f|a@p,");
        writeBytes(env.userFile(1), binary + "\n" + line + "\n2026/02/30 x\n");
        const QString read = QStringLiteral("2026/03/20 09:00 AMNcafé €\u0081Ÿ|a@p,");
        QCOMPARE(run(env, Op::Find, read), read);
        SaveMessageRecord(env.program, 1, B);
        MarkMessageSent(env.program, 1, read);
        DeleteMessageSlot(env.program, 1, B.left(19));
        SaveMessageRecord(env.program, 1, "2026/03/21 09:00 AMNł😀é€|");
        QByteArray marked = line;
        marked[19] = 'S';
        QCOMPARE(env.readMessageFileBytes(1),
            binary + "\r\n" + marked + "\r\n2026/02/30 x\r\n2026/03/21 09:00 AMN??\xe9\x80|\r\n");
    }

    // An operation that finds FileBusy set waits, letting events run, and touches the file
    // only once the holder has let go.
    void waitsForFileBusy_data()
    {
        Columns<Op, QString, QStringList>({ "op", "result", "after" });
        QTest::newRow("delete") << Op::Delete << QString() << L {};
        QTest::newRow("find") << Op::Find << A << L { A };
    }
    void waitsForFileBusy()
    {
        QFETCH(Op, op);
        TestEnvironment env;
        env.writeMessageFile(1, { A });
        env.program.FileBusy.acquire();
        bool ranWhileHeld = false;
        QStringList seenWhileHeld;
        QTimer::singleShot(0, [&] {
            ranWhileHeld = env.program.FileBusy.isSet();
            seenWhileHeld = env.readMessageFile(1);
            env.program.FileBusy.release();
        });
        QTEST(run(env, op, A), "result");
        QVERIFY(ranWhileHeld);
        QCOMPARE(seenWhileHeld, L { A });
        QTEST(env.readMessageFile(1), "after");
        verifyClean(env);
    }

    // A message file that is no regular file is never opened for reading, which would
    // block on a pipe, nor replaced; every operation says what is wrong and leaves it be.
    void notRegularFile_data()
    {
        Columns<QString>({ "kind" });
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("device, through a link") << "device";
        QTest::newRow("folder") << "folder";
    }
    void notRegularFile()
    {
        QFETCH(QString, kind);
        TestEnvironment env;
        const QByteArray path = QFile::encodeName(env.userFile(1));
        if (kind == "pipe")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (kind == "device")
            QCOMPARE(::symlink("/dev/null", path.constData()), 0);
        else
            QVERIFY(QDir().mkdir(env.userFile(1)));
        for (Op op : { Op::Save, Op::Delete, Op::Mark, Op::Find }) {
            QString error;
            try {
                run(env, op, A);
            } catch (const StoreError &e) {
                error = QString::fromUtf8(e.what());
            }
            QVERIFY2(error.contains("not a regular file"), qPrintable(error));
            verifyClean(env);
        }
        const QFileInfo after(env.userFile(1));
        QCOMPARE(after.isSymLink(), kind == "device");
        QCOMPARE(after.isDir(), kind == "folder");
    }

    // A message file that is a symbolic link is read through it, and a rewrite replaces
    // the file at the end of the links, in that file's own folder, so that the link stays.
    // A link to nothing reads as no file; a save makes the file it names.
    void symbolicLink_data()
    {
        Columns<QByteArray, QStringList, QString>({ "link", "before", "found" });
        const QByteArray there = "../elsewhere/t.usr";
        QTest::newRow("to a file in another folder") << there << L { A, B } << B;
        QTest::newRow("to a link to it") << QByteArray("u2.usr") << L { A, B } << B;
        QTest::newRow("dangling") << there << L {} << None;
    }
    void symbolicLink()
    {
        QFETCH(QByteArray, link);
        QFETCH(QStringList, before);
        TestEnvironment env;
        if (!before.isEmpty())
            env.writeMessageFile(1, before);
        const QString elsewhere = moveBehindLink(env, link);
        QCOMPARE(
            ::symlink("../elsewhere/t.usr", QFile::encodeName(env.userFile(2)).constData()), 0);
        QTEST(run(env, Op::Find, B), "found");
        const QString r = QStringLiteral("2026/03/20 09:15 AMNnew|c@p,");
        run(env, Op::Delete, A);
        run(env, Op::Save, r);
        QCOMPARE(env.readMessageFile(1), (before.isEmpty() ? L { r } : L { r, B }));
        QVERIFY(QFileInfo(env.userFile(1)).isSymLink());
        QCOMPARE(filesIn(elsewhere), L { "t.usr" });
        verifyClean(env);
    }

    void failures_data()
    {
        Columns<QString, Op, QString>({ "how", "op", "arg" });
        const QString later = QStringLiteral("2026/03/22 09:00 AMNlater|");
        QTest::newRow("scratch name taken by a directory")
            << "scratch directory" << Op::Save << later;
        QTest::newRow("disk full while writing") << "size limit" << Op::Save << later;
        QTest::newRow("disk full, through a link") << "size limit, link" << Op::Save << later;
        QTest::newRow("record without a stamp") << "" << Op::Save << "hello|";
        // The owner of a read-only directory can still write there when it is root.
        if (::geteuid() != 0)
            QTest::newRow("read-only data directory") << "read-only" << Op::Save << later;
    }
    // A failing operation throws, leaves the user's file as it was, leaves no scratch
    // file and does not keep FileBusy set; the next operation works.
    void failures()
    {
        QFETCH(QString, how);
        QFETCH(Op, op);
        QFETCH(QString, arg);
        TestEnvironment env;
        env.writeMessageFile(1, { A, B });
        const bool link = how.endsWith("link");
        const QString elsewhere = link ? moveBehindLink(env) : QString();
        const QByteArray before = env.readMessageFileBytes(1);
        if (how == "scratch directory")
            QVERIFY(QDir().mkpath(scratch(env) + "/inside"));
        if (how == "read-only")
            QVERIFY(QFile::setPermissions(env.dataDir(), QFile::ReadOwner | QFile::ExeOwner));
        std::optional<FullDisk> fullDisk;
        if (how.startsWith("size limit"))
            fullDisk.emplace(before.size());
        bool thrown = false;
        try {
            run(env, op, arg);
        } catch (const StoreError &) {
            thrown = true;
        }
        fullDisk.reset();
        QFile::setPermissions(
            env.dataDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(thrown);
        QVERIFY(!env.program.FileBusy.isSet());
        QCOMPARE(env.readMessageFileBytes(1), before);
        if (how != "scratch directory")
            QVERIFY(!QFile::exists(scratch(env)));
        if (link)
            QCOMPARE(filesIn(elsewhere), L { "t.usr" });
        QDir(scratch(env)).removeRecursively();
        SaveMessageRecord(env.program, 1, C);
        QCOMPARE(env.readMessageFile(1), (L { A, B, C }));
        QCOMPARE(QFileInfo(env.userFile(1)).isSymLink(), link);
    }
};

QTEST_GUILESS_MAIN(TestMessageFile)
#include "tst_messagefile.moc"
