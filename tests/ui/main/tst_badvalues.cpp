#include "app/ErrorTrap.h"
#include "app/StartValues.h"
#include "store/MessageStore.h"
#include "support/FullDisk.h"
#include "ui/main/DaySlots.h"
#include "ui/main/StartedProgram.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>

namespace {

const QString Due = QStringLiteral("2026/03/14 10:15 AMNDue soon|") + AdaCell + ',';
const QString Tomorrow = QStringLiteral("2026/03/15 09:00 AMNTomorrow|") + AdaCell + ',';

// Bytes of every value but the line ends (and the others given), the same ones on every run.
QByteArray garbage(int size, quint32 seed, const QByteArray &without = {})
{
    QRandomGenerator random(seed);
    QByteArray bytes;
    while (bytes.size() < size) {
        const char c = char(random.bounded(256));
        if (c != '\n' && c != '\r' && !without.contains(c))
            bytes.append(c);
    }
    return bytes;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// Ada, logged in, with two messages: one due at 10:15 today and one tomorrow.
struct Fixture : StartedProgram {
    Fixture() { env.writeMessageFile(1, { Due, Tomorrow }); }
    // The start, with today on show at once.
    MainWindow &start()
    {
        ReadStartValues(env.program, "/usr/bin/tolvane", env.dataDir());
        StartedProgram::start();
        w().showDay(env.clock.now().date());
        return w();
    }
    QString dueRow() { return cell(DaySlots::RowOfMinute(10 * 60 + 15))->text(); }
    // What the scheduler hands to delivery at 10:15.
    QStringList sentAtTheMinute()
    {
        env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(10, 15)));
        scheduler.checkDue();
        return delivery.entries;
    }
};

// Shows nothing, but meets the failure again while its box is open, as the next timer
// tick would.
class ReenteringBoxes final : public MessageBoxes {
public:
    Answer show(const QString &, const QString &text, Icon, Buttons, QWidget *) override
    {
        shown.append(text);
        if (again)
            std::exchange(again, {})();
        return Answer::Ok;
    }
    QStringList shown;
    std::function<void()> again;
};

enum class Fault { SettingsDiskFull, UnreadableMessageFile, Unexpected };

} // namespace

Q_DECLARE_METATYPE(Fault)

// Stored values that nobody would write (edited by hand, left by a crash, a file of
// something else): the program starts, works, and loses nothing it could read. A file
// that cannot be written or read is told with its reason whatever ShowErrors says.
class TestBadValues : public QObject {
    Q_OBJECT

private slots:
    void damagedSettings_data()
    {
        Columns<QStringList, QByteArray>({ "options", "file" });
        auto row = [](const char *name, const QStringList &options, const QByteArray &file = {}) {
            QTest::newRow(name) << options << file;
        };
        row("Current User not a number", { "Current User=abc" });
        row("Current User a free slot", { "Current User=7" });
        row("Current User beyond any number", { "Current User=99999999999" });
        row("Current User negative", { "Current User=-1" });
        row("geometry as text",
            { "Top=abc", "Left=x1", "Width=wide", "Height=tall", "WindowState=max" });
        row("geometry huge",
            { "Top=99999999999", "Left=99999999999", "Width=99999999999", "Height=99999999999" });
        row("geometry beyond the screen",
            { "Top=30000", "Left=30000", "Width=32000", "Height=32000" });
        row("geometry negative", { "Top=-30000", "Left=-30000", "Width=-7160", "Height=-1" });
        // The INI reader joins the lines after a stray '"' into one quoted value, and a
        // line ending in a backslash with the next: lines with those are not read here.
        const QByteArray joining("\"\\");
        row("binary lines among the settings", {},
            "[Options]\nCurrent%20User=1\n" + garbage(300, 1, joining) + "\n[User1]\n"
                + garbage(200, 2, joining) + "\nName=Ada\nCellEmail=" + AdaCell.toLatin1() + "\n"
                + garbage(100, 3, joining) + "\n");
    }
    void damagedSettings()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, file);
        Fixture f;
        if (!file.isEmpty())
            writeFile(f.env.settings.path(), file);
        for (const QString &option : options)
            f.env.settings.WriteSetting(
                "Options", option.section('=', 0, 0), option.section('=', 1));
        MainWindow &w = f.start();
        QVERIFY(w.isVisible());
        QCOMPARE(f.env.program.currentUser, 1);
        QCOMPARE(w.windowTitle(), "Tolvane - Ada");
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY(screen.contains(QRect(w.pos(), w.size())));
        QVERIFY(w.width() >= 300 && w.height() >= 300);
        QCOMPARE(f.dueRow(), "Due soon");
        QCOMPARE(f.sentAtTheMinute(), QStringList { "01" + Due });
        // What the window stores for the next start is a place on the screen.
        w.unload();
        const int width = f.env.settings.ReadSetting("Options", "Width", {}).toInt();
        QVERIFY(width > 0 && width <= (screen.width() + 10) * w.twipsPerPixelX());
    }

    // A settings file that is not INI at all reads as no settings: the next start is a
    // first run, and the set-up can store the new user.
    void settingsNotIni_data()
    {
        Columns<QByteArray>({ "file" });
        QTest::newRow("random bytes") << garbage(4096, 4);
        QTest::newRow("NUL bytes") << QByteArray(1000, '\0');
        QTest::newRow("a picture")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR[", 18) + garbage(500, 5);
        QTest::newRow("one line of 1 MB") << QByteArray(1 << 20, '=');
    }
    void settingsNotIni()
    {
        QFETCH(QByteArray, file);
        TestEnvironment env;
        writeFile(env.settings.path(), file);
        ReadStartValues(env.program, "/usr/bin/tolvane", env.dataDir());
        QVERIFY(env.program.firstRun);
        env.addUser(1, "Ada", AdaCell);
        env.settings.WriteSetting("Options", "Current User", "1");
        SettingsStore again(env.settings.path());
        QCOMPARE(again.ReadSetting("User1", "Name", {}), "Ada");
        QCOMPARE(again.ReadSetting("Options", "Current User", {}), "1");
    }

    // Lines that are no records, among good ones: every good record shows and goes out,
    // and a rewrite of the file keeps the other lines as they were.
    void damagedMessageFile_data()
    {
        Columns<QByteArray>({ "line" });
        QTest::newRow("random bytes") << garbage(300, 6);
        QTest::newRow("NUL bytes") << QByteArray("2026/03/14 11:00\0AMNhidden|", 27);
        QTest::newRow("100 KB line") << garbage(100 * 1024, 7);
        QTest::newRow("stamp cut short") << QByteArray("2026/03/14 10:");
        QTest::newRow("stamp with a month 13") << QByteArray("2026/13/14 10:15 AMNnever|x,");
    }
    void damagedMessageFile()
    {
        QFETCH(QByteArray, line);
        Fixture f;
        const QByteArray file = line + "\r\n" + Due.toLatin1() + "\r\n" + line + "\n"
            + Tomorrow.toLatin1() + "\r\n" + line;
        writeFile(f.env.userFile(1), file);
        f.start();
        QCOMPARE(f.dueRow(), "Due soon");
        QCOMPARE(f.sentAtTheMinute(), QStringList { "01" + Due });

        const QString later = "2026/03/16 08:00 AMNLater|" + AdaCell + ',';
        MessageStore(f.env.dataDir(), f.env.clock).save(1, MessageRecord::parse(later.toLatin1()));
        const QByteArray after = f.env.readMessageFileBytes(1);
        QCOMPARE(after.count(line + "\r\n"), 3);
        for (const QString &record : { Due, Tomorrow, later })
            QVERIFY(after.contains(record.toLatin1() + "\r\n"));
    }

    // The real program, with damaged settings and a damaged message file, reaches its
    // first paint.
    void realProgramStarts()
    {
        QTemporaryDir root;
        QVERIFY(QDir().mkpath(root.path() + "/config/Tolvane"));
        QVERIFY(QDir().mkpath(root.path() + "/data/Tolvane"));
        writeFile(root.path() + "/config/Tolvane/Tolvane.ini",
            "[Options]\nCurrent%20User=abc\nWidth=99999999999\nTop=-30000\n" + garbage(200, 8)
                + "\n[User1]\nName=Ada\n");
        writeFile(root.path() + "/data/Tolvane/u1.usr", garbage(500, 9) + "\r\n" + Due.toLatin1());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", root.path() + "/config");
        env.insert("XDG_DATA_HOME", root.path() + "/data");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TOLVANE_BOX_LOG", root.filePath("boxes.log"));
        env.insert("TOLVANE_EXIT_AFTER_PAINT", "0");
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TOLVANE_BINARY), QStringList());
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardOutput().contains("first-paint"));
        QVERIFY(!QFile::exists(root.filePath("boxes.log")));
    }

    void failureIsTold_data()
    {
        Columns<Fault, bool, QString>({ "fault", "showErrors", "box" });
        const QString settings = "Cannot write the settings file ";
        QTest::newRow("menu toggle on a full disk") << Fault::SettingsDiskFull << false << settings;
        QTest::newRow("menu toggle on a full disk, errors shown")
            << Fault::SettingsDiskFull << true << settings;
        QTest::newRow("message file unreadable")
            << Fault::UnreadableMessageFile << false << "Cannot read ";
        QTest::newRow("unexpected failure") << Fault::Unexpected << false << QString();
        QTest::newRow("unexpected failure, errors shown")
            << Fault::Unexpected << true << "Error occurred in frmMain.Test";
    }
    void failureIsTold()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, showErrors);
        QFETCH(QString, box);
        StartedProgram f;
        f.env.settings.WriteSetting("Options", "Error", showErrors ? "1" : "0");
        f.w().load();
        auto *startSmall = f.child<QAction>("startSmallAction");
        if (fault == Fault::SettingsDiskFull) {
            const FullDisk fullDisk(1);
            startSmall->trigger();
        } else if (fault == Fault::UnreadableMessageFile) {
            QVERIFY(QDir().mkpath(f.env.userFile(1) + "/inside"));
            f.w().showDay(QDate(2026, 3, 14));
        } else {
            Trap(f.p(), "frmMain.Test", [] { throw std::runtime_error("broken"); });
        }
        QCOMPARE(f.env.boxes.shown.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty()) {
            QVERIFY2(
                f.env.boxes.shown[0].text.startsWith(box), qPrintable(f.env.boxes.shown[0].text));
            QCOMPARE(f.env.boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        }
        // The tick tells what is stored, and the program goes on: the same command works
        // once the disk has room.
        QVERIFY(!startSmall->isChecked());
        QCOMPARE(f.env.settings.ReadSetting("Options", "StartSmall", "0"), "0");
        startSmall->trigger();
        QVERIFY(startSmall->isChecked());
        QCOMPARE(f.env.settings.ReadSetting("Options", "StartSmall", "0"), "1");
    }

    // A failure met again while its own box is still open (the timers run on under a
    // modal box) is not stacked in a second box; another failure is; once closed, the
    // same failure is told again.
    void sameFailureNotStacked()
    {
        TestEnvironment env;
        ReenteringBoxes boxes;
        AppContext p(env.settings, env.clock, boxes);
        const auto fail = [&](const char *why) {
            Trap(p, "frmTimer.Test", [why] { throw SettingsError(why); });
        };
        boxes.again = [&] {
            fail("disk full");
            boxes.again = [&] { fail("folder gone"); };
            fail("folder gone");
        };
        fail("disk full");
        QCOMPARE(boxes.shown, QStringList({ "disk full", "folder gone" }));
        fail("disk full");
        QCOMPARE(boxes.shown.size(), 3);
    }
};

QTEST_MAIN(TestBadValues)
#include "tst_badvalues.moc"
