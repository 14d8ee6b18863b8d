#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

enum class Op { Save, RemoveSlot, Mark, Find, RemoveFile };
Q_DECLARE_METATYPE(Op)

namespace {

using L = QStringList;

const QString A = QStringLiteral("2026/03/20 09:00 AMNfirst|a@p,");
const QString B = QStringLiteral("2026/03/21 09:00 AMNsecond|");
const QString C = QStringLiteral("2026/03/22 09:00 AMSthird|a@p,b@p,");
const QString R = QStringLiteral("2026/03/20 09:15 AMNnew|c@p,");
const QString Junk = QStringLiteral("junk");
const QString BadDate = QStringLiteral("2026/02/30 09:00 AMNno such day|");
const QString None = QStringLiteral("<none>");
const QFile::Permissions OwnerOnly
    = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

// A store on the test's data folder; run() does one operation with the record of a line
// (removeSlot and find take its minute) and returns what find got.
struct Store : MessageStore {
    explicit Store(TestEnvironment &env)
        : MessageStore(env.dataDir(), env.clock)
    {
    }
    QString run(Op op, const QString &line, int user = 1)
    {
        const MessageRecord record = MessageRecord::parse(CodePage::encode(line));
        if (op == Op::Save)
            save(user, record);
        else if (op == Op::RemoveSlot)
            removeSlot(user, record.due());
        else if (op == Op::Mark)
            markSent(user, record);
        else if (op == Op::RemoveFile)
            removeFile(user);
        else if (const auto found = find(user, record.due()))
            return CodePage::decode(found->line);
        return op == Op::Find ? None : QString();
    }
};

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

void row(const char *name, Op op, const L &before, const QString &arg, const L &after,
    const QString &setup = {}, const QDate &today = QDate(2026, 3, 14))
{
    QTest::newRow(name) << op << before << arg << after << setup << today;
}

} // namespace

class TestMessageStore : public QObject {
    Q_OBJECT

private slots:
    void rewrite_data()
    {
        // "before" empty: no file
        Columns<Op, L, QString, L, QString, QDate>(
            { "op", "before", "arg", "after", "setup", "today" });
        row("in order, unreadable lines kept in place", Op::Save, { Junk, A, BadDate, B }, R,
            { Junk, A, BadDate, R, B });
        const QString old = QStringLiteral("2026/03/21 09:00 AMSold text|x@p,");
        const QString replaced = QStringLiteral("2026/03/21 09:00 AMNnew text|");
        row("same stamp replaced in place, sent or not", Op::Save, { A, old, C }, replaced,
            { A, replaced, C });
        const L noon { "2026/03/20 01:00 AMNa|", "2026/03/20 12:00 PMNb|",
            "2026/03/20 01:00 PMNc|" };
        const QString pm = QStringLiteral("2026/03/20 12:30 PMNr|");
        row("12 PM before 1 PM", Op::Save, noon, pm, { noon[0], noon[1], pm, noon[2] });
        const QString d366 = QStringLiteral("2025/03/13 11:45 PMSgone|");
        const QString d365 = QStringLiteral("2025/03/14 12:00 AMSkept|");
        row("purge: 366 days goes, 365 stays", Op::Save, { d366, d365, A }, R, { d365, A, R });
        const QString leapKept = QStringLiteral("2027/03/02 09:00 AMNkept|");
        const QString leapNew = QStringLiteral("2028/03/01 11:00 AMNr|");
        row("purge over a leap day", Op::Save, { "2027/03/01 09:00 AMNgone|", leapKept }, leapNew,
            { leapKept, leapNew }, {}, QDate(2028, 3, 1));
        const QString older = QStringLiteral("2025/01/01 09:00 AMNolder|");
        row("no purge of what sorts after the saved record", Op::Save, { d366, A }, older,
            { older, d366, A });
        row("save without the data folder", Op::Save, {}, R, { R }, "no folder");
        row("save through a link", Op::Save, { A, B }, R, { A, R, B }, "link");
        row("save through a link that leads nowhere", Op::Save, {}, R, { R }, "dangling link");

        const L day { "2026/03/20 09:00 AMNa|", "2026/03/20 09:15 AMNb|",
            "2026/03/20 09:00 PMSc|" };
        row("remove only that date and time", Op::RemoveSlot,
            { Junk, day[0], BadDate, day[1], day[2] }, day[0], { Junk, BadDate, day[1], day[2] });
        row("remove without the data folder", Op::RemoveSlot, {}, A, {}, "no folder");
        row("remove through a link to a link", Op::RemoveSlot, { A, B }, A, { B },
            "link to a link");
        row("remove the file: the link, not what it leads to", Op::RemoveFile, { A }, A, {},
            "link");

        const QString x = QStringLiteral("2026/03/20 09:00 AMNNo N|n@p,");
        const QString xSent = QStringLiteral("2026/03/20 09:00 AMSNo N|n@p,");
        row("mark only character 20, of every identical line", Op::Mark,
            { Junk, A, x, BadDate, x, B }, x, { Junk, A, xSent, BadDate, xSent, B });
        const QString edited = QStringLiteral("2026/03/20 09:00 AMNNo N, edited|n@p,");
        row("mark: changed since it was read", Op::Mark, { A, edited }, x, { A, edited });
        row("mark: a line that only begins with it", Op::Mark, { x + "m@p," }, x, { x + "m@p," });
    }
    // Every rewrite clears a scratch file that an interrupted one left behind and writes
    // an owner-only file with CR LF line ends. Only a save makes a missing data folder
    // again, private as at the first start. A message file that is a symbolic link is read
    // through it, and a rewrite replaces the file at the end of the links, in that file's
    // own folder, so that the link stays; a save makes the file that a link names.
    void rewrite()
    {
        QFETCH(Op, op);
        QFETCH(L, before);
        QFETCH(L, after);
        QFETCH(QString, setup);
        QFETCH(QDate, today);
        TestEnvironment env;
        env.clock.set(QDateTime(today, QTime(10, 0)));
        if (!before.isEmpty())
            env.writeMessageFile(1, before);
        if (op != Op::RemoveFile) // which is no rewrite
            writeBytes(env.dataDir() + "tmp.tmp", "2026/03/20 09:00 AMNhalf a rewrite");
        const bool link = setup.endsWith("link");
        const QString elsewhere = link
            ? moveBehindLink(env, setup == "link to a link" ? "u2.usr" : "../elsewhere/t.usr")
            : QString();
        if (link)
            ::symlink("../elsewhere/t.usr", QFile::encodeName(env.userFile(2)).constData());
        if (setup == "no folder")
            QVERIFY(QDir(env.dataDir()).removeRecursively());
        QFETCH(QString, arg);
        Store(env).run(op, arg);
        QCOMPARE(env.readMessageFile(1), after);
        QCOMPARE(env.readMessageFileBytes(1).count('\n'), after.size()); // no bare line feeds
        if (after != before && !after.isEmpty())
            QCOMPARE(QFile::permissions(env.userFile(1)), OwnerOnly);
        if (link) {
            QCOMPARE(filesIn(env.dataDir()),
                (op == Op::RemoveFile ? L { "u2.usr" } : L { "u1.usr", "u2.usr" }));
            QCOMPARE(filesIn(elsewhere), L { "t.usr" });
            QCOMPARE(QFileInfo(env.userFile(1)).isSymLink(), op != Op::RemoveFile);
        } else {
            QCOMPARE(filesIn(env.dataDir()), after.isEmpty() ? L {} : L { "u1.usr" });
        }
        if (setup == "no folder")
            QCOMPARE(QFile::permissions(env.dataDir()),
                after.isEmpty() ? QFile::Permissions()
                                : OwnerOnly | QFile::ExeOwner | QFile::ExeUser);
    }

    void find_data()
    {
        // found: what find gets for B's minute; a line out of order after a later day shows
        // where find stopped.
        Columns<QByteArray, QString>({ "content", "found" });
        const QByteArray a = A.toLatin1(), b = B.toLatin1(), c = C.toLatin1();
        QTest::newRow("LF only") << a + "\n" + b + "\n" << B;
        QTest::newRow("stops at the first later day") << a + "\r\n" + c + "\r\n" + b << None;
        QTest::newRow("goes on over a later time of the same day")
            << "2026/03/21 11:00 AMNa|\r\n" + b << B;
        QTest::newRow("goes on over unreadable lines")
            << "2026/03/20\r\n2027/13/01 09:00 AMNx|\r\n\r\n\x01\xff binary\r\n" + b << B;
    }
    void find()
    {
        QFETCH(QByteArray, content);
        TestEnvironment env;
        writeBytes(env.userFile(1), content);
        QTEST(Store(env).run(Op::Find, B), "found");
    }

    void failures_data()
    {
        Columns<QString, Op, QString, QString>({ "how", "op", "record", "told" });
        const QString later = QStringLiteral("2026/03/22 09:00 AMNlater|");
        const QString notRegular = QStringLiteral(
            "Cannot read %1u1.usr: it is not a regular file but a folder, a pipe or a device. "
            "Move it out of the way, and the next message saved makes a new message file there.");
        QTest::newRow("pipe, read") << "pipe" << Op::Find << later << notRegular;
        QTest::newRow("pipe, rewrite") << "pipe" << Op::RemoveSlot << later << notRegular;
        QTest::newRow("device, through a link") << "device" << Op::Save << later << notRegular;
        QTest::newRow("scratch name taken by a folder")
            << "scratch folder" << Op::Save << later << "Cannot create %1tmp.tmp: File exists";
        QTest::newRow("disk full while writing")
            << "size limit" << Op::Save << later << "Cannot write %1tmp.tmp: File too large";
        QTest::newRow("disk full, through a link")
            << "size limit, link" << Op::Save << later
            << "Cannot write %1../elsewhere/.t.usr.tolvane-tmp: File too large";
        QTest::newRow("record without a stamp")
            << "" << Op::Save << "hello|"
            << "A message record must begin with a date and time: hello|";
        QTest::newRow("no user")
            << "user 0" << Op::Save << later
            << "No user is logged in to keep the message for. Set up a user first.";
    }
    // A failing operation says why and leaves the user's file as it was, with no scratch
    // file beside it; the next save works. What is no regular file is never opened for
    // reading, which would block on a pipe, nor replaced.
    void failures()
    {
        QFETCH(QString, how);
        TestEnvironment env;
        const QByteArray path = QFile::encodeName(env.userFile(1));
        const bool regular = how != "pipe" && how != "device";
        if (how == "pipe")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (how == "device")
            QCOMPARE(::symlink("/dev/null", path.constData()), 0);
        else
            env.writeMessageFile(1, { A, B });
        const QString elsewhere = how.endsWith("link") ? moveBehindLink(env) : QString();
        const QByteArray before = regular ? env.readMessageFileBytes(1) : QByteArray();
        if (how == "scratch folder")
            QVERIFY(QDir().mkpath(env.dataDir() + "tmp.tmp/inside"));
        std::optional<FullDisk> fullDisk;
        if (how.startsWith("size limit"))
            fullDisk.emplace(before.size());
        QFETCH(Op, op);
        QFETCH(QString, record);
        Store store(env);
        QString error;
        try {
            store.run(op, record, how == "user 0" ? 0 : 1);
        } catch (const StoreError &e) {
            error = QString::fromUtf8(e.what());
        }
        fullDisk.reset();
        QFETCH(QString, told);
        QCOMPARE(error, told.replace("%1", env.dataDir()));
        QCOMPARE(QFileInfo::exists(env.dataDir() + "tmp.tmp"), how == "scratch folder");
        QCOMPARE(QFileInfo(env.userFile(1)).isSymLink(), how == "device" || !elsewhere.isEmpty());
        QCOMPARE(QFileInfo(env.userFile(1)).isFile(), regular);
        if (!regular)
            return;
        QCOMPARE(env.readMessageFileBytes(1), before);
        if (!elsewhere.isEmpty())
            QCOMPARE(filesIn(elsewhere), L { "t.usr" });
        QDir(env.dataDir() + "tmp.tmp").removeRecursively();
        store.run(Op::Save, C);
        QCOMPARE(env.readMessageFile(1), (L { A, B, C }));
    }
};

QTEST_GUILESS_MAIN(TestMessageStore)
#include "tst_messagestore.moc"
