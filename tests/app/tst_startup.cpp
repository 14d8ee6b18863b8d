// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/ErrorTrap.h"
#include "app/StartValues.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <optional>

// A second copy refused while the first goes on is e2e/test_delivery's; a first run given
// up, e2e/test_first_run's.

namespace {

// A real copy of the program with its own settings and data under root, writing its
// message boxes to a log instead of showing them; on a full disk if asked.
void start(QProcess &copy, const QString &root, const QString &boxLog, bool diskFull = false)
{
    // The copy keeps the limit it starts with; the test itself writes freely again.
    std::optional<FullDisk> fullDisk;
    if (diskFull)
        fullDisk.emplace(0);
    copy.start("env",
        { "XDG_CONFIG_HOME=" + root + "/config", "XDG_DATA_HOME=" + root + "/data",
            "QT_QPA_PLATFORM=offscreen", "TOLVANE_BOX_LOG=" + boxLog, TOLVANE_BINARY });
}

// Every file and folder under root with its rights and the time it last changed (written,
// chmod-ed, or, for a folder, given or robbed of an entry).
QByteArray tree(const QString &root)
{
    QProcess find;
    find.start("find", { root, "-printf", "%p %m %C@\n" });
    return find.waitForFinished() ? find.readAllStandardOutput() : "find failed";
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    // Only "0" or no user is a first run; only "1" starts small.
    void startValues()
    {
        TestEnvironment env;
        env.settings.writeSetting("Options", "Current User", "00");
        env.settings.writeSetting("Options", "StartSmall", "2");
        readStartValues(env.program, "/opt/tolvane/bin/tolvane", env.dataDir());
        QVERIFY(!env.program.firstRun && !env.program.startSmall);
    }

    // The start stops with one box that says why, with the system's reason, and a failure:
    // a lock that cannot be written is no sign of another copy; a settings file that cannot
    // serve as one stops it before anything is made or changed ("/": a folder). The log
    // goes to the copy's output, since on the full disk a log file could not grow either.
    void refusedStart_data()
    {
        Columns<QString, QString>({ "made", "box" });
        const QString ini = "Cannot use the settings file %1/config/Tolvane/Tolvane.ini: ";
        QTest::newRow("lock on a full disk")
            << QString()
            << "Cannot create the lock file %1/config/Tolvane/Tolvane.lock: "
                + QString::fromLocal8Bit(std::strerror(EFBIG));
        QTest::newRow("folder in place of the file")
            << "config/Tolvane/Tolvane.ini/" << ini + "it is a folder, not a file";
        QTest::newRow("file in place of the settings folder")
            << "config" << ini + QString::fromLocal8Bit(std::strerror(ENOTDIR));
    }
    void refusedStart()
    {
        QFETCH(QString, made);
        QFETCH(QString, box);
        QTemporaryDir root;
        const QString path = root.filePath(made);
        if (!made.isEmpty())
            QVERIFY(
                made.endsWith('/') ? QDir().mkpath(path) : QFile(path).open(QIODevice::WriteOnly));
        const QByteArray before = tree(root.path());
        QVERIFY(made.isEmpty() || before.contains(QFile::encodeName(root.filePath("config"))));
        QProcess copy;
        start(copy, root.path(), "/dev/stdout", made.isEmpty());
        QVERIFY(copy.waitForFinished(10000));
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(copy.readAllStandardOutput()),
            "Tolvane\tcritical\t" + box.arg(root.path()) + "\n");
        QCOMPARE_NE(copy.exitCode(), 0);
        if (!made.isEmpty())
            QCOMPARE(tree(root.path()), before);
    }

    // An unexpected failure is told only while errors are shown, a file's always. One met
    // again while its own box is open (timers run on under a modal box) is not stacked in a
    // second box; another is; once closed, it is told again.
    void errorTrap()
    {
        TestEnvironment env;
        const auto fail = [&](const char *why) {
            trap(env.program, "frmTimer.Test", [why] { throw SettingsError(why); });
        };
        for (const bool shown : { true, false }) { // the file failures below with errors off
            env.program.showErrors = shown;
            trap(env.program, "frmTimer.Test", [] { throw std::runtime_error("broken"); });
        }
        env.boxes.whileShown = [&] {
            fail("disk full");
            env.boxes.whileShown = [&] { fail("folder gone"); };
            fail("folder gone");
        };
        fail("disk full");
        fail("disk full");
        QCOMPARE(env.boxes.lines(),
            QStringList({ "Tolvane: Error occurred in frmTimer.Test!", "Tolvane: disk full!",
                "Tolvane: folder gone!", "Tolvane: disk full!" }));
    }

    // A copy that crashed leaves its lock behind; the next start is not refused.
    void lockOfDeadCopyTakenOver()
    {
        QTemporaryDir root;
        const QString log = root.filePath("boxes.log"),
                      lock = root.filePath("config/Tolvane/Tolvane.lock");
        QProcess crashed, next;
        start(crashed, root.path(), log);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        crashed.kill();
        QVERIFY(crashed.waitForFinished(5000) && QFile::exists(lock));
        start(next, root.path(), log);
        QTest::qWait(1500);
        QFile boxes(log);
        QVERIFY2(next.state() == QProcess::Running && QFileInfo(log).size() == 0,
            next.readAllStandardError() + (boxes.open(QIODevice::ReadOnly) ? boxes.readAll() : ""));
        next.kill();
        next.waitForFinished(5000);
    }

    // The installed program reads none of the test build's switches (the box log answers
    // every question Yes unseen, "Shutting Down?" included): their names are not in it,
    // neither as 8-bit text nor as the UTF-16 of a QStringLiteral.
    void installedProgramHasNoTestSwitches()
    {
        QFile binary(QStringLiteral(TOLVANE_INSTALLED_BINARY));
        QVERIFY(binary.open(QIODevice::ReadOnly));
        const QByteArray bytes = binary.readAll();
        for (const QString name : { "TOLVANE_BOX_LOG", "TOLVANE_EXIT_AFTER_PAINT" }) {
            const QByteArray utf16(reinterpret_cast<const char *>(name.utf16()), name.size() * 2);
            QVERIFY2(!bytes.contains(name.toLatin1()) && !bytes.contains(utf16), qPrintable(name));
        }
    }

    // --help and --version answer without a display and touch nothing; an option or
    // argument the program does not take ends it with status 2 and says why, in the
    // language of the locale the words before the arguments set; a start with no display
    // says so in one line.
    void commandLine_data()
    {
        Columns<bool, QString, int, QString>({ "display", "args", "status", "says" });
        const QString unknown = "tolvane: Unknown option 'bogus'.\n";
        QTest::newRow("help") << false << "--help" << 0 << "Usage: ";
        QTest::newRow("version") << false << "-v" << 0 << "Tolvane 1.0\n";
        QTest::newRow("unknown option") << true << "--bogus" << 2 << unknown;
        QTest::newRow("Qt's own option taken out")
            << true << "-style fusion --bogus" << 2 << unknown;
        QTest::newRow("an argument") << true << "x" << 2 << "tolvane: Unexpected argument 'x'.\n";
        QTest::newRow("in German") << true << "LC_ALL= LANG=de_DE.UTF-8 x" << 2
                                   << "tolvane: Unerwartetes Argument „x“.\nWeitere Informationen";
        QTest::newRow("no display") << false << "" << 1
                                    << "tolvane: cannot open a window: no usable display (DISPLAY "
                                       "and WAYLAND_DISPLAY are not set)\n";
    }
    void commandLine()
    {
        QFETCH(bool, display);
        QFETCH(QString, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        TestEnvironment env;
        const QString root = env.dir.filePath("home");
        QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
        for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
            vars.remove(name);
        if (display)
            vars.insert("QT_QPA_PLATFORM", "offscreen");
        for (const char *name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                 "XDG_CACHE_HOME", "XDG_RUNTIME_DIR" })
            vars.insert(name, root + '/' + name);
        QStringList words = args.split(' ', Qt::SkipEmptyParts); // env's settings, arguments
        words.insert(words.lastIndexOf(QRegularExpression(".*=.*")) + 1, TOLVANE_BINARY);
        QProcess copy;
        copy.setProcessEnvironment(vars);
        copy.start("env", words);
        QVERIFY(copy.waitForFinished(20000));
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.exitCode(), status);
        const QString out
            = status == 0 ? copy.readAllStandardOutput() : copy.readAllStandardError();
        QVERIFY2(status == 0  ? out.startsWith(says)
                : status == 1 ? out == says
                              : out.contains(says),
            qPrintable(out));
        if (!display) // nothing written, not even the lock
            QVERIFY(!QFileInfo::exists(root));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
