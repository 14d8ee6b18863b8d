#include "store/MessageFile.h"
#include "store/StoreError.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Op { Save, Delete, Mark, Find, Read };

} // namespace

Q_DECLARE_METATYPE(Op)

namespace {

// Bytes of a literal, embedded NULs included.
template<size_t N> QByteArray bytes(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

const QString A = QStringLiteral("2026/03/20 09:00 AMNfirst|a@p,");
const QString B = QStringLiteral("2026/03/21 09:00 AMNsecond|");
const QString C = QStringLiteral("2026/03/22 09:00 AMSthird|a@p,b@p,");
const QString Junk = QStringLiteral("junk");
const QString BadDate = QStringLiteral("2026/02/30 09:00 AMNno such day|");
const QString None = QStringLiteral("<none>");

QDateTime at(int y, int m, int d, int h = 10, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

QString scratch(const TestEnvironment &env)
{
    return env.dataDir() + QStringLiteral("tmp.tmp");
}

int modeOf(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Runs one operation on user 1 with the stamp or record given; returns what a reader got.
QString run(TestEnvironment &env, Op op, const QString &arg)
{
    switch (op) {
    case Op::Save:
        SaveMessageRecord(env.program, 1, arg);
        break;
    case Op::Delete:
        DeleteMessageSlot(env.program, 1, arg.left(19));
        break;
    case Op::Mark:
        MarkMessageSent(env.program, 1, arg);
        break;
    case Op::Find:
        return FindMessageRecord(env.program, 1, arg.left(19)).value_or(None);
    case Op::Read: {
        QStringList lines;
        ReadMessageRecords(env.program, 1, [&](const RecordView &r) {
            lines.append(r.line());
            return true;
        });
        return lines.join(QLatin1Char('\n'));
    }
    }
    return {};
}

} // namespace

class TestMessageFile : public QObject {
    Q_OBJECT

private slots:
    void save_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("after");
        const QDateTime now = at(2026, 3, 14);
        const QString r = QStringLiteral("2026/03/20 09:15 AMNnew|c@p,");
        QTest::newRow("empty file") << QStringList {} << now << r << QStringList { r };
        QTest::newRow("first") << QStringList { A, B } << now
                               << QStringLiteral("2026/03/19 11:45 PMNr|")
                               << QStringList { QStringLiteral("2026/03/19 11:45 PMNr|"), A, B };
        QTest::newRow("middle") << QStringList { A, B } << now << r << QStringList { A, r, B };
        QTest::newRow("end") << QStringList { A, B } << now
                             << QStringLiteral("2026/03/21 09:15 AMNr|")
                             << QStringList { A, B, QStringLiteral("2026/03/21 09:15 AMNr|") };
        QTest::newRow("same stamp replaced in place, sent or not")
            << QStringList { A, QStringLiteral("2026/03/21 09:00 AMSold text|x@p,"), C } << now
            << QStringLiteral("2026/03/21 09:00 AMNnew text|")
            << QStringList { A, QStringLiteral("2026/03/21 09:00 AMNnew text|"), C };
        const QStringList hours { QStringLiteral("2026/03/20 12:15 AMNa|"),
            QStringLiteral("2026/03/20 01:00 AMNb|"), QStringLiteral("2026/03/20 11:45 AMNc|"),
            QStringLiteral("2026/03/20 12:00 PMNd|"), QStringLiteral("2026/03/20 01:00 PMNe|") };
        QTest::newRow("time order after midnight")
            << hours << now << QStringLiteral("2026/03/20 12:45 AMNr|")
            << QStringList { hours[0], QStringLiteral("2026/03/20 12:45 AMNr|"), hours[1], hours[2],
                   hours[3], hours[4] };
        QTest::newRow("time order after noon")
            << hours << now << QStringLiteral("2026/03/20 12:30 PMNr|")
            << QStringList { hours[0], hours[1], hours[2], hours[3],
                   QStringLiteral("2026/03/20 12:30 PMNr|"), hours[4] };
        const QString d366 = QStringLiteral("2025/03/13 11:45 PMSgone|");
        const QString d365 = QStringLiteral("2025/03/14 12:00 AMSkept|");
        QTest::newRow("purge: 366 days goes, 365 stays")
            << QStringList { d366, d365, A } << now << r << QStringList { d365, A, r };
        QTest::newRow("purge counts days, not hours (just after midnight)") << QStringList { d366,
            d365, A } << at(2026, 3, 14, 0, 5) << r << QStringList { d365, A, r };
        QTest::newRow("purge counts days, not hours (just before midnight)") << QStringList { d366,
            d365, A } << at(2026, 3, 14, 23, 59) << r << QStringList { d365, A, r };
        QTest::newRow("purge over a leap day")
            << QStringList { QStringLiteral("2027/03/01 09:00 AMNgone|"),
                   QStringLiteral("2027/03/02 09:00 AMNkept|") }
            << at(2028, 3, 1) << QStringLiteral("2028/03/01 11:00 AMNr|")
            << QStringList { QStringLiteral("2027/03/02 09:00 AMNkept|"),
                   QStringLiteral("2028/03/01 11:00 AMNr|") };
        QTest::newRow("old record after the new one stays")
            << QStringList { d366, A } << now << QStringLiteral("2025/01/01 09:00 AMNolder|")
            << QStringList { QStringLiteral("2025/01/01 09:00 AMNolder|"), d366, A };
        QTest::newRow("unreadable lines kept in place")
            << QStringList { Junk, A, BadDate, QStringLiteral("2025/01/01 25:00 AMNbad time|"), B }
            << now << r
            << QStringList { Junk, A, BadDate, QStringLiteral("2025/01/01 25:00 AMNbad time|"), r,
                   B };
    }

    void save()
    {
        QFETCH(QStringList, before);
        QFETCH(QDateTime, now);
        QFETCH(QString, record);
        QFETCH(QStringList, after);
        TestEnvironment env;
        env.clock.set(now);
        env.writeMessageFile(1, before);
        SaveMessageRecord(env.program, 1, record);
        QCOMPARE(env.readMessageFile(1), after);
        QCOMPARE(env.readMessageFileBytes(1).count('\n'), after.size()); // no bare line feeds
        QCOMPARE(modeOf(env.userFile(1)), 0600);
        verifyClean(env);
    }

    void saveCreatesMissingFile_data()
    {
        QTest::addColumn<int>("user");
        QTest::addColumn<QString>("name");
        QTest::newRow("user 1") << 1 << QStringLiteral("u1.usr");
        QTest::newRow("user 10") << 10 << QStringLiteral("u10.usr");
    }

    void saveCreatesMissingFile()
    {
        QFETCH(int, user);
        QFETCH(QString, name);
        TestEnvironment env;
        QCOMPARE(MessageFilePath(env.program, user), env.dataDir() + name);
        SaveMessageRecord(env.program, user, A);
        QCOMPARE(QDir(env.dataDir()).entryList(QDir::Files), QStringList { name });
        QCOMPARE(env.readMessageFileBytes(user), A.toLatin1() + "\r\n");
        QCOMPARE(modeOf(env.dataDir() + name), 0600);
        verifyClean(env);
    }

    void deleteSlot_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<QStringList>("after");
        const QStringList day { QStringLiteral("2026/03/20 09:00 AMNa|"),
            QStringLiteral("2026/03/20 09:15 AMNb|"), QStringLiteral("2026/03/20 09:00 PMSc|"),
            QStringLiteral("2026/03/21 09:00 AMNd|") };
        QTest::newRow("only that date and time") << day << QStringLiteral("2026/03/20 09:00 AM")
                                                 << QStringList { day[1], day[2], day[3] };
        QTest::newRow("a sent record") << day << QStringLiteral("2026/03/20 09:00 PM")
                                       << QStringList { day[0], day[1], day[3] };
        QTest::newRow("no record in the slot")
            << day << QStringLiteral("2026/03/20 09:30 AM") << day;
        QTest::newRow("unreadable lines kept")
            << QStringList { Junk, day[0], QStringLiteral("2026/03/20 09:00 XMNbad|"), BadDate }
            << QStringLiteral("2026/03/20 09:00 AM")
            << QStringList { Junk, QStringLiteral("2026/03/20 09:00 XMNbad|"), BadDate };
    }

    void deleteSlot()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, stamp);
        QFETCH(QStringList, after);
        TestEnvironment env;
        env.writeMessageFile(1, before);
        DeleteMessageSlot(env.program, 1, stamp);
        QCOMPARE(env.readMessageFile(1), after);
        verifyClean(env);
    }

    void markSent_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("after");
        const QString x = QStringLiteral("2026/03/20 09:00 AMNNo N|n@p,");
        const QString xSent = QStringLiteral("2026/03/20 09:00 AMSNo N|n@p,");
        QTest::newRow("only character 20")
            << QStringList { A, x, B } << x << QStringList { A, xSent, B };
        QTest::newRow("two identical unsent lines")
            << QStringList { x, x, B } << x << QStringList { xSent, xSent, B };
        QTest::newRow("changed since it was read")
            << QStringList { A, QStringLiteral("2026/03/20 09:00 AMNNo N, edited|n@p,") } << x
            << QStringList { A, QStringLiteral("2026/03/20 09:00 AMNNo N, edited|n@p,") };
        QTest::newRow("deleted since it was read")
            << QStringList { A, B } << x << QStringList { A, B };
        QTest::newRow("a line that only begins with it")
            << QStringList { x + QStringLiteral("m@p,") } << x
            << QStringList { x + QStringLiteral("m@p,") };
        QTest::newRow("unreadable lines kept")
            << QStringList { Junk, x, BadDate } << x << QStringList { Junk, xSent, BadDate };
    }

    void markSent()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, record);
        QFETCH(QStringList, after);
        TestEnvironment env;
        env.writeMessageFile(1, before);
        MarkMessageSent(env.program, 1, record);
        QCOMPARE(env.readMessageFile(1), after);
        verifyClean(env);
    }

    void find_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<QString>("found");
        QTest::newRow("found") << QStringList { A, B, C } << B.left(19) << B;
        QTest::newRow("a sent record") << QStringList { A, B, C } << C.left(19) << C;
        QTest::newRow("no record that day")
            << QStringList { A, C } << QStringLiteral("2026/03/21 09:00 AM") << None;
        // A line out of order after a later day shows where the reading stopped.
        QTest::newRow("stops at the first later day")
            << QStringList { A, C, QStringLiteral("2026/03/21 10:00 AMNhidden|") }
            << QStringLiteral("2026/03/21 10:00 AM") << None;
        QTest::newRow("a later time of the same day does not stop it") << QStringList {
            QStringLiteral("2026/03/21 11:00 AMNa|"), QStringLiteral("2026/03/21 10:00 AMNb|")
        } << QStringLiteral("2026/03/21 10:00 AM") << QStringLiteral("2026/03/21 10:00 AMNb|");
        QTest::newRow("after unreadable lines")
            << QStringList { Junk, QStringLiteral("2027/13/01 09:00 AMNbad|"), A } << A.left(19)
            << A;
    }

    void find()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, stamp);
        QFETCH(QString, found);
        TestEnvironment env;
        env.writeMessageFile(1, lines);
        QCOMPARE(FindMessageRecord(env.program, 1, stamp).value_or(None), found);
        verifyClean(env);
    }

    void readers_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("stopAfter"); // the reader stops after this many records
        QTest::addColumn<QStringList>("records");
        const QByteArray a = A.toLatin1();
        const QByteArray b = B.toLatin1();
        QTest::newRow("CR LF") << a + "\r\n" + b + "\r\n" << 9 << QStringList { A, B };
        QTest::newRow("LF only") << a + "\n" + b + "\n" << 9 << QStringList { A, B };
        QTest::newRow("no line end at the end") << a + "\r\n" + b << 9 << QStringList { A, B };
        QTest::newRow("reader stops") << a + "\r\n" + b + "\r\n" << 1 << QStringList { A };
        const QByteArray unreadable = QByteArray("2026/03/20\r\n") // too short
            + "2026/02/30 09:00 AMNx|\r\n" // no such day
            + "2026/03/20 13:00 PMNx|\r\n" // no such hour
            + "2026/03/20 09:60 AMNx|\r\n" // no such minute
            + "2026/03/20 00:30 AMNx|\r\n" // hour 0
            + "2026/03/20 09:00 am N|\r\n" // lower case
            + "2026/03/20-09:00 AMNx|\r\n" // no blank after the date
            + "\r\n" // empty
            + bytes("\x00\xff\x01\x7f\x80 binary\x00 bytes of some length\r\n");
        QTest::newRow("unreadable lines passed over")
            << a + "\r\n" + unreadable + b + "\r\n" + unreadable << 9 << QStringList { A, B };
    }

    void readers()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, stopAfter);
        QFETCH(QStringList, records);
        TestEnvironment env;
        writeBytes(env.userFile(1), content);
        QStringList seen;
        bool heldWhileVisiting = true;
        ReadMessageRecords(env.program, 1, [&](const RecordView &r) {
            heldWhileVisiting = heldWhileVisiting && env.program.FileBusy.isSet();
            seen.append(r.line());
            return seen.size() < stopAfter;
        });
        QCOMPARE(seen, records);
        QVERIFY(heldWhileVisiting);
        QCOMPARE(run(env, Op::Find, B), B);
        verifyClean(env);
    }

    // The rewrites keep a line they cannot read byte for byte, and write CR LF.
    void rewritesKeepUnreadableBytes()
    {
        TestEnvironment env;
        const QByteArray binary = bytes("\x00\xff\x01 stray|bytes\x80");
        writeBytes(env.userFile(1), binary + "\n" + A.toLatin1() + "\n2026/02/30 x\n");
        SaveMessageRecord(env.program, 1, B);
        MarkMessageSent(env.program, 1, A);
        DeleteMessageSlot(env.program, 1, B.left(19));
        QByteArray marked = A.toLatin1();
        marked[19] = 'S';
        QCOMPARE(env.readMessageFileBytes(1), binary + "\r\n" + marked + "\r\n2026/02/30 x\r\n");
    }

    void missingFile_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<QString>("result");
        QTest::newRow("delete") << Op::Delete << QString();
        QTest::newRow("mark") << Op::Mark << QString();
        QTest::newRow("find") << Op::Find << None;
        QTest::newRow("read") << Op::Read << QString();
    }

    void missingFile()
    {
        QFETCH(Op, op);
        QFETCH(QString, result);
        TestEnvironment env;
        QCOMPARE(run(env, op, A), result);
        QCOMPARE(QDir(env.dataDir()).entryList(QDir::Files), QStringList {});
        verifyClean(env);
    }

    void leftoverScratch_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("save") << Op::Save << true << B << QStringList { A, B };
        QTest::newRow("save into a missing file") << Op::Save << false << B << QStringList { B };
        QTest::newRow("delete") << Op::Delete << true << A << QStringList {};
        QTest::newRow("delete of an empty slot") << Op::Delete << true << B << QStringList { A };
        QTest::newRow("mark") << Op::Mark << true << A
                              << QStringList { QStringLiteral("2026/03/20 09:00 AMSfirst|a@p,") };
        QTest::newRow("mark of a missing record") << Op::Mark << true << B << QStringList { A };
    }

    // A scratch file that an interrupted rewrite left behind is gone after the next one.
    void leftoverScratch()
    {
        QFETCH(Op, op);
        QFETCH(bool, fileExists);
        QFETCH(QString, arg);
        QFETCH(QStringList, after);
        TestEnvironment env;
        if (fileExists)
            env.writeMessageFile(1, { A });
        writeBytes(scratch(env), "2026/03/20 09:00 AMNhalf a rewrite");
        run(env, op, arg);
        QCOMPARE(env.readMessageFile(1), after);
        verifyClean(env);
    }

    void codePage()
    {
        TestEnvironment env;
        const QByteArray line("2026/03/20 09:00 AMNcaf\xe9 \x80\x81\x9f|a@p,");
        writeBytes(env.userFile(1), line + "\r\n");
        const QString read = QStringLiteral("2026/03/20 09:00 AMNcafé €\u0081Ÿ|a@p,");
        QCOMPARE(run(env, Op::Find, read), read);
        MarkMessageSent(env.program, 1, read);
        QByteArray marked = line;
        marked[19] = 'S';
        QCOMPARE(env.readMessageFileBytes(1), marked + "\r\n");

        // What the code page lacks is written as "?", one for each character.
        SaveMessageRecord(env.program, 1, QStringLiteral("2026/03/21 09:00 AMNł😀é€|"));
        QCOMPARE(env.readMessageFileBytes(1), marked + "\r\n2026/03/21 09:00 AMN??\xe9\x80|\r\n");
    }

    // An operation that finds FileBusy set waits, letting events run, and touches the file
    // only once the holder has let go.
    void waitsForFileBusy_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("save") << Op::Save << B << QString() << QStringList { A, B };
        QTest::newRow("delete") << Op::Delete << A << QString() << QStringList {};
        QTest::newRow("mark") << Op::Mark << A << QString()
                              << QStringList { QStringLiteral("2026/03/20 09:00 AMSfirst|a@p,") };
        QTest::newRow("find") << Op::Find << A << A << QStringList { A };
        QTest::newRow("read") << Op::Read << A << A << QStringList { A };
    }

    void waitsForFileBusy()
    {
        QFETCH(Op, op);
        QFETCH(QString, arg);
        QFETCH(QString, result);
        QFETCH(QStringList, after);
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
        QCOMPARE(run(env, op, arg), result);
        QVERIFY(ranWhileHeld);
        QCOMPARE(seenWhileHeld, QStringList { A });
        QCOMPARE(env.readMessageFile(1), after);
        verifyClean(env);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<Op>("op");
        QTest::addColumn<QString>("arg");
        const QString later = QStringLiteral("2026/03/22 09:00 AMNlater|");
        for (Op op : { Op::Save, Op::Delete, Op::Mark, Op::Find, Op::Read })
            QTest::addRow("user file is a directory, op %d", int(op))
                << QStringLiteral("directory") << op << A;
        QTest::newRow("scratch name taken by a directory")
            << QStringLiteral("scratch directory") << Op::Save << later;
        QTest::newRow("disk full while writing")
            << QStringLiteral("size limit") << Op::Save << later;
        QTest::newRow("record without a stamp")
            << QStringLiteral("") << Op::Save << QStringLiteral("hello|");
        // The owner of a read-only directory can still write there when it is root.
        if (::geteuid() != 0)
            QTest::newRow("read-only data directory")
                << QStringLiteral("read-only") << Op::Save << later;
    }

    // A failing operation throws, leaves the user's file as it was, leaves no scratch
    // file and does not keep FileBusy set.
    void failures()
    {
        QFETCH(QString, how);
        QFETCH(Op, op);
        QFETCH(QString, arg);
        TestEnvironment env;
        const QString user = env.userFile(1);
        if (how == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(user + QStringLiteral("/inside")));
        } else {
            env.writeMessageFile(1, { A, B });
        }
        const QByteArray before = env.readMessageFileBytes(1);
        if (how == QLatin1String("scratch directory"))
            QVERIFY(QDir().mkpath(scratch(env) + QStringLiteral("/inside")));
        if (how == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(env.dataDir(), QFile::ReadOwner | QFile::ExeOwner));

        rlimit oldLimit {};
        const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        if (how == QLatin1String("size limit")) {
            ::getrlimit(RLIMIT_FSIZE, &oldLimit);
            rlimit limit = oldLimit;
            limit.rlim_cur = rlim_t(before.size());
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        bool thrown = false;
        try {
            run(env, op, arg);
        } catch (const StoreError &) {
            thrown = true;
        }
        if (how == QLatin1String("size limit"))
            ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        ::signal(SIGXFSZ, oldHandler);
        QFile::setPermissions(
            env.dataDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(thrown);
        QVERIFY(!env.program.FileBusy.isSet());
        QCOMPARE(env.readMessageFileBytes(1), before);
        if (how != QLatin1String("scratch directory"))
            QVERIFY(!QFile::exists(scratch(env)));
        // Nothing is stuck: the next operation works.
        QDir(scratch(env)).removeRecursively();
        if (how != QLatin1String("directory")) {
            SaveMessageRecord(env.program, 1, C);
            QCOMPARE(env.readMessageFile(1), (QStringList { A, B, C }));
        }
    }

private:
    void verifyClean(const TestEnvironment &env)
    {
        QVERIFY(!env.program.FileBusy.isSet());
        QVERIFY(!QFile::exists(scratch(env)));
    }
};

QTEST_GUILESS_MAIN(TestMessageFile)
#include "tst_messagefile.moc"
