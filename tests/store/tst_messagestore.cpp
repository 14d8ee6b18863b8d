// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/SeriesStore.h"
#include "store/Stamp.h"
#include "store/StoreError.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using L = QStringList;
const QFile::Permissions OwnerOnly
    = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

// A line of a message file; "dd ..." is a day of March 2026, a capital letter alone one
// of these lines.
QString line(QString text)
{
    static const QHash<QString, QString> named { { "A", "20 09:00 AMNfirst|a@p," },
        { "B", "21 09:00 AMNsecond|" }, { "C", "22 09:00 AMSthird|a@p,b@p," },
        { "R", "20 09:15 AMNnew|c@p," }, { "J", "junk" }, { "D", "2026/02/30 09:00 AMNbad|" },
        { "X", "20 09:00 AMNNo N|n@p," }, { "Y", "20 09:00 AMSNo N|n@p," } };
    text = named.value(text, text);
    return text.size() > 2 && text[0].isDigit() && text[2] == ' ' ? "2026/03/" + text : text;
}
L lines(const QString &text)
{
    L result = text.isEmpty() ? L {} : text.split(';');
    for (QString &each : result)
        each = line(each);
    return result;
}

// One operation with the record of a line (remove and find take its minute): the line
// find got, or the failure told.
QString run(MessageStore &store, const QString &op, const QString &text, int user = 1)
{
    const MessageRecord record = MessageRecord::parse(CodePage::encode(line(text)));
    try {
        if (op == "many") { // "R;-A": save R, remove A's minute
            QList<MessageRecord> saved;
            QList<QDateTime> removed;
            for (const QString &each : text.split(';'))
                if (each.startsWith('-'))
                    removed << MessageRecord::parse(CodePage::encode(line(each.mid(1)))).due();
                else
                    saved << MessageRecord::parse(CodePage::encode(line(each)));
            store.saveMany(user, saved, removed);
        } else if (op == "save")
            store.save(user, record);
        else if (op == "remove")
            store.removeSlot(user, record.due());
        else if (op == "mark")
            store.markSent(user, record);
        else if (op == "drop")
            store.removeFile(user);
        else
            return CodePage::decode(store.find(user, record.due()).value_or(MessageRecord()).line);
    } catch (const StoreError &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

// Hidden files too: a scratch file left beside a link's target shows.
L filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

// fuzz_record checks that a composed record reads back as its fields and that a parsed
// stamp is written back as it was; tst_entrydialog, the code page and the seconds dropped.
class TestMessageStore : public QObject {
    Q_OBJECT

private slots:
    void composeCleansText()
    {
        const MessageRecord record = MessageRecord::compose(
            QDateTime(QDate(2026, 3, 20), QTime(21, 15)), "a|b||\r\nc\nd\re", { "x@p" });
        QCOMPARE(record.line, "2026/03/20 09:15 PMNa!b!!  c d e|x@p,");
    }

    // Stamps are read by hand rather than by QDate, for speed: every day 0 to 32 of every
    // month 0 to 13 of years chosen for their leap rules is what QDate says, and every
    // minute survives writing and reading; the 12-hour clock puts 0 and 12 o'clock at 12.
    void stampsAgreeWithQDate()
    {
        for (int year : { 0, 4, 100, 400, 1900, 2000, 2024, 2027, 2100, 9999 })
            for (int month = 0; month <= 13; ++month)
                for (int day = 0; day <= 32; ++day) {
                    const QString text = QString::asprintf("%04d/%02d/%02d", year, month, day);
                    const QDate expected(year, month, day); // null when there is no such day
                    QCOMPARE(Stamp::parseDate(QStringView(text)), expected);
                    QCOMPARE(Stamp::parseDate(QByteArrayView(text.toLatin1())), expected);
                }
        for (int minute = 0; minute < 24 * 60; ++minute) {
            const QString text = Stamp::formatTime(minute);
            QCOMPARE(Stamp::parseTime(QStringView(text)), minute);
            QCOMPARE(Stamp::parseTime(QByteArrayView(text.toLatin1())), minute);
        }
        QCOMPARE(Stamp::formatTime(0) + Stamp::formatTime(779) + Stamp::formatTime(780),
            "12:00 AM12:59 PM01:00 PM");
        QCOMPARE(Stamp::parseTime(QStringView(u"00:30 AM")), Stamp::NoTime);
    }
    void operation_data()
    {
        // setup: "nofolder", "leap" (today 1 March 2028), "link" (user 1's
        // file behind a link to another folder), "link2" (a link to that link), "pipe",
        // "device", "tmpdir" (a folder named as the scratch file), "full", "user0".
        // op: the operation and a line; after: the lines after it, "=" for the same bytes;
        // result: what run() gives.
        Columns<QString, QString, QString, QString, QString>(
            { "setup", "before", "op", "after", "result" });
        Row("in order, unreadable lines kept in place", "", "J;A;D;B", "save R", "J;A;D;R;B", "");
        Row("same stamp replaced in place, sent or not", "", "A;21 09:00 AMSold|x@p,;C",
            "save 21 09:00 AMNnew|", "A;21 09:00 AMNnew|;C", "");
        Row("12 PM before 1 PM", "", "20 01:00 AMNa|;20 12:00 PMNb|;20 01:00 PMNc|",
            "save 20 12:30 PMNr|", "20 01:00 AMNa|;20 12:00 PMNb|;20 12:30 PMNr|;20 01:00 PMNc|",
            "");
        Row("purge: 366 days goes, 365 stays", "",
            "2025/03/13 11:45 PMSgone|;2025/03/14 12:00 AMSkept|;A", "save R",
            "2025/03/14 12:00 AMSkept|;A;R", "");
        Row("purge over a leap day", "leap", "2027/03/01 09:00 AMNgone|;2027/03/02 09:00 AMNkept|",
            "save 2028/03/01 11:00 AMNr|", "2027/03/02 09:00 AMNkept|;2028/03/01 11:00 AMNr|", "");
        Row("no purge of what sorts after the saved record", "", "2025/03/13 11:45 PMSold|;A",
            "save 2025/01/01 09:00 AMNolder|",
            "2025/01/01 09:00 AMNolder|;2025/03/13 11:45 PMSold|;A", "");
        Row("save without the data folder", "nofolder", "", "save R", "R", "");
        Row("save through a link", "link", "A;B", "save R", "A;R;B", "");
        Row("save through a link that leads nowhere", "link", "", "save R", "R", "");
        Row("many at once: in order, removed, replaced, unreadable kept", "", "J;A;D;B",
            "many 22 09:00 AMNz|;R;-A;21 09:00 AMNb2|", "J;D;R;21 09:00 AMNb2|;22 09:00 AMNz|", "");
        Row("many at once: the later of one minute stands", "", "B", "many 20 09:15 AMNx|;R", "R;B",
            "");
        Row("many at once: removing alone makes no file", "nofolder", "", "many -A", "", "");
        Row("many at once: one without a stamp, none saved", "", "A;B", "many R;hello|", "=",
            "A message record must begin with a date and time: hello|");
        Row("remove only that date and time", "", "J;X;D;20 09:15 AMNb|;20 09:00 PMSc|", "remove X",
            "J;D;20 09:15 AMNb|;20 09:00 PMSc|", "");
        Row("remove without the data folder", "nofolder", "", "remove A", "", "");
        Row("remove through a link to a link", "link2", "A;B", "remove A", "B", "");
        Row("remove the file: the link, not what it leads to", "link", "A", "drop", "", "");
        Row("mark only character 20, of every identical line", "", "J;A;X;D;X;B", "mark X",
            "J;A;Y;D;Y;B", "");
        Row("mark: changed since it was read", "", "A;20 09:00 AMNNo N, edited|n@p,", "mark X", "=",
            "");
        Row("mark: a line that only begins with it", "", "20 09:00 AMNNo N|n@p,m@p,", "mark X", "=",
            "");
        // find stops at the first later day; a line out of order after it shows where.
        // fuzz_record finds the first record of any file, LF line ends and unreadable
        // lines before it included.
        Row("find: stops at the first later day", "", "A;C;B", "find B", "=", "");
        Row("find: goes on over a later time of the same day", "", "21 11:00 AMNa|;B", "find B",
            "=", "B");
        const QString notRegular = "Cannot read %1u1.usr: it is not a regular file but a folder, "
                                   "a pipe or a device. Move it out of the way, and the next "
                                   "message saved makes a new message file there.";
        Row("pipe, read", "pipe", "", "find C", "=", notRegular);
        Row("pipe, rewrite", "pipe", "", "remove C", "=", notRegular);
        Row("device, through a link", "device", "", "save C", "=", notRegular);
        Row("scratch name taken by a folder", "tmpdir", "A;B", "save C", "=",
            "Cannot create %1tmp.tmp: File exists");
        Row("disk full while writing", "full", "A;B", "save C", "=",
            "Cannot write %1tmp.tmp: File too large");
        Row("disk full, through a link", "full link", "A;B", "save C", "=",
            "Cannot write %1../elsewhere/.t.usr.tolvane-tmp: File too large");
        Row("record without a stamp", "", "A;B", "save hello|", "=",
            "A message record must begin with a date and time: hello|");
        Row("no user", "user0", "A;B", "save C", "=",
            "No user is logged in to keep the message for. Set up a user first.");
    }
    // A rewrite that succeeds clears the scratch file an interrupted one left behind and
    // writes an owner-only file with CR LF line ends; only a save makes a missing data
    // folder again, private as at the first start. A rewrite through a symbolic link
    // replaces the file at the end of the links, in that file's own folder, so that the
    // link stays. A failure says why and leaves the file as it was, with no scratch file
    // beside it, and the next save works. What is no regular file is never opened for
    // reading, which would block on a pipe, nor replaced.
    void operation()
    {
        QFETCH(QString, setup);
        QFETCH(QString, before);
        QFETCH(QString, op);
        QFETCH(QString, after);
        QFETCH(QString, result);
        TestEnvironment env;
        if (setup == "leap")
            env.clock.set(QDateTime(QDate(2028, 3, 1), QTime(10, 0)));
        const QByteArray path = QFile::encodeName(env.userFile(1));
        const bool regular = setup != "pipe" && setup != "device";
        if (setup == "pipe")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (setup == "device")
            QCOMPARE(::symlink("/dev/null", path.constData()), 0);
        if (regular && !before.isEmpty())
            env.writeMessageFile(1, lines(before));
        const QByteArray bytesBefore = regular ? env.readMessageFileBytes(1) : QByteArray();
        if (!op.startsWith("find") && op != "drop" && result.isEmpty()) {
            QFile scratch(env.dataDir() + "tmp.tmp"); // left by an interrupted rewrite
            QVERIFY(scratch.open(QIODevice::WriteOnly) && scratch.write("2026/03/20 09:00 AMNhal"));
        }
        const bool link = setup.contains("link");
        const QString elsewhere = env.dir.filePath("elsewhere");
        if (link) {
            QDir().mkpath(elsewhere);
            QFile::rename(env.userFile(1), elsewhere + "/t.usr");
            ::symlink(setup == "link2" ? "u2.usr" : "../elsewhere/t.usr", path.constData());
            ::symlink("../elsewhere/t.usr", QFile::encodeName(env.userFile(2)).constData());
        }
        if (setup == "nofolder")
            QVERIFY(QDir(env.dataDir()).removeRecursively());
        if (setup == "tmpdir")
            QVERIFY(QDir().mkpath(env.dataDir() + "tmp.tmp/inside"));
        std::optional<FullDisk> fullDisk;
        if (setup.startsWith("full"))
            fullDisk.emplace(bytesBefore.size());
        MessageStore store(env.dataDir(), env.clock);
        QCOMPARE(run(store, op.section(' ', 0, 0), op.section(' ', 1), setup == "user0" ? 0 : 1),
            line(result).replace("%1", env.dataDir()));
        fullDisk.reset();

        QCOMPARE(QFileInfo::exists(env.dataDir() + "tmp.tmp"), setup == "tmpdir");
        QCOMPARE(
            QFileInfo(env.userFile(1)).isSymLink(), setup == "device" || (link && op != "drop"));
        L files = link ? L { "u1.usr", "u2.usr" } : L { "u1.usr" };
        if (op == "drop" || (!link && after.isEmpty()))
            files.removeFirst();
        QCOMPARE(filesIn(env.dataDir()), files);
        if (link)
            QCOMPARE(filesIn(elsewhere), L { "t.usr" });
        if (!regular) {
            QVERIFY(!QFileInfo(env.userFile(1)).isFile());
        } else if (after == "=") {
            QCOMPARE(env.readMessageFileBytes(1), bytesBefore);
        } else {
            QCOMPARE(env.readMessageFile(1), lines(after));
            QCOMPARE(env.readMessageFileBytes(1).count('\n'), lines(after).size()); // no bare LF
            if (!after.isEmpty())
                QCOMPARE(QFile::permissions(env.userFile(1)), OwnerOnly);
        }
        if (setup == "nofolder")
            QCOMPARE(QFile::permissions(env.dataDir()),
                after.isEmpty() ? QFile::Permissions()
                                : OwnerOnly | QFile::ExeOwner | QFile::ExeUser);
        if (regular && !op.startsWith("find") && !result.isEmpty()) {
            QDir(env.dataDir() + "tmp.tmp").removeRecursively();
            QCOMPARE(run(store, "save", "C"), QString());
            QCOMPARE(env.readMessageFile(1), lines("A;B;C"));
        }
    }

    // A child process saves into a message file and is killed at a random moment of the save:
    // whatever moment the kill comes at, the file holds exactly what it held before or exactly
    // what the same save gave on a copy, and a scratch file that a kill leaves behind does no
    // harm to the next save. A removal and a marking rewrite the file the same way. The same
    // holds for a message file that is a symbolic link to a file in another folder, and for
    // a daily series saved with its year of records at once, each run over the last.
    void killedWriterLeavesOldOrNewFile_data()
    {
        Columns<bool, bool>({ "link", "series" });
        Row("file", false, false);
        Row("link to another folder", true, false);
        Row("a year of a daily series", false, true);
    }
    void killedWriterLeavesOldOrNewFile()
    {
        QFETCH(bool, link);
        QFETCH(bool, series);
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
        SeriesStore seriesStore(env.dataDir(), store, env.clock),
            seriesCopy(copyEnv.dataDir(), copy, env.clock);
        const auto save = [&](MessageStore &to, SeriesStore &toSeries, const MessageRecord &r) {
            if (!series)
                return to.save(1, r);
            toSeries.create({ {}, 1, { Repetition::Rule::Daily, {}, 0 }, r.date, r.minuteOfDay,
                                r.text, r.recipients, {} },
                SeriesStore::Occupied::Replace);
        };

        QRandomGenerator random(20260314);
        int midOperation = 0, completed = 0; // killed before the new file was in place, or after
        // The kill's latest moment, in copies' save times. A forked child may save more
        // slowly than the parent (a sanitizer's shadow memory is copied on write), so the
        // window widens after each kill that came too early and narrows after one too late.
        double reach = 2.0;
        for (int run = 1; run <= (series ? 100 : 400); ++run) {
            const MessageRecord saved = record(random.bounded(10),
                QTime(random.bounded(24), 15 * random.bounded(4)), QString::number(run));
            QFile::remove(copy.filePath(1));
            QVERIFY(QFile::copy(path, copy.filePath(1)));
            const QByteArray before = env.readMessageFileBytes(1);
            QElapsedTimer took;
            took.start();
            save(copy, seriesCopy, saved);
            const qint64 microseconds = took.nsecsElapsed() / 1000 + 1;
            const QByteArray after = copyEnv.readMessageFileBytes(1);
            // The child says when it begins; the kill comes within the reach.
            int pipe[2];
            QCOMPARE(::pipe(pipe), 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                if (::write(pipe[1], "", 1) == 1)
                    save(store, seriesStore, saved);
                ::_exit(0);
            }
            char began;
            QCOMPARE(::read(pipe[0], &began, 1), 1);
            ::usleep(random.bounded(quint32(reach * double(microseconds)) + 1));
            ::kill(pid, SIGKILL);
            QCOMPARE(::waitpid(pid, nullptr, 0), pid);
            ::close(pipe[0]);
            ::close(pipe[1]);
            const QByteArray now = env.readMessageFileBytes(1);
            QVERIFY2(now == before || now == after, qPrintable(QString::number(run)));
            ++(now == before ? midOperation : completed);
            reach = now == before ? reach * 1.25 : reach / 1.25;
            // The next save works and takes the scratch file away.
            const qsizetype files = series ? 2 : 1; // with series.ini
            if (filesIn(targetDir).size() > files) {
                save(store, seriesStore, record(0, QTime(run % 24, 45), "after a kill"));
                QCOMPARE(filesIn(targetDir).size(), files);
            }
        }
        // The unreadable line outlived every rewrite.
        QVERIFY(env.readMessageFile(1).contains("a line somebody typed into the file"));
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        // The kills must have met saves under way, or the test proved nothing.
        QVERIFY(midOperation > 0 && completed > 0);
    }
};

QTEST_GUILESS_MAIN(TestMessageStore)
#include "tst_messagestore.moc"
