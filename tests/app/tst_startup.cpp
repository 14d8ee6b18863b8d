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

// A real copy of the program, its test build, as a user starts it: words are settings of its
// environment, then its arguments. Its home and XDG folders are under root; it has a display
// (offscreen) if asked, logs its message boxes to its output instead of showing them, and
// runs on a full disk if asked (it keeps the limit; the test writes freely again).
void start(QProcess &copy, const QString &root, const QString &words = {}, bool display = true,
    bool diskFull = false)
{
    QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        vars.remove(name);
    if (display)
        vars.insert("QT_QPA_PLATFORM", "offscreen");
    vars.insert("TOLVANE_BOX_LOG", "/dev/stdout");
    // root is private, as the runtime folder must be: Qt would make a missing one.
    for (const char *name : { "HOME", "XDG_RUNTIME_DIR" })
        vars.insert(name, root);
    for (const QString name : { "CONFIG", "DATA", "STATE", "CACHE" })
        vars.insert("XDG_" + name + "_HOME", root + '/' + name.toLower());
    QStringList args = words.split(' ', Qt::SkipEmptyParts);
    args.insert(args.lastIndexOf(QRegularExpression(".*=.*")) + 1, TOLVANE_BINARY);
    std::optional<FullDisk> fullDisk;
    if (diskFull)
        fullDisk.emplace(0);
    copy.setProcessEnvironment(vars);
    copy.start("env", args);
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
        const QString lock = root.filePath("config/Tolvane/Tolvane.lock");
        QProcess crashed, next;
        start(crashed, root.path());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        crashed.kill();
        QVERIFY(crashed.waitForFinished(5000) && QFile::exists(lock));
        start(next, root.path());
        QTest::qWait(1500);
        const QByteArray boxes = next.readAllStandardOutput();
        QVERIFY2(next.state() == QProcess::Running && boxes.isEmpty(),
            next.readAllStandardError() + boxes);
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

    // A start that ends at once says why. --help and --version answer without a display; an
    // option or argument the program does not take ends it with status 2, in the language
    // of the locale the words before the arguments set; a start with no display says so in
    // one line. A settings file that cannot serve as one ("/": a folder), or a lock that
    // cannot be written (no sign of another copy), stops it with one box with the system's
    // reason. None writes anything but the lock's folder; the log goes to the copy's
    // output, since on the full disk a log file could not grow either.
    void endsAtOnce_data()
    {
        Columns<QString, QString, int, QString>({ "setup", "args", "status", "says" });
        const QString unknown = "tolvane: Unknown option 'bogus'.\n",
                      box = "Tolvane\tcritical\tCannot %1 %R/config/Tolvane/Tolvane.%2: %3\n",
                      ini = box.arg("use the settings file", "ini");
        Row("help", "no display", "--help", 0, "Usage: ");
        Row("version", "no display", "-v", 0, "Tolvane 1.0\n");
        Row("unknown option", "", "--bogus", 2, unknown);
        Row("Qt's own option taken out", "", "-style fusion --bogus", 2, unknown);
        Row("an argument", "", "x", 2, "tolvane: Unexpected argument 'x'.\n");
        Row("in German", "", "LC_ALL= LANG=de_DE.UTF-8 x", 2,
            "tolvane: Unerwartetes Argument „x“.\nWeitere Informationen");
        Row("no display", "no display", "", 1,
            "tolvane: cannot open a window: no usable display (DISPLAY and WAYLAND_DISPLAY are "
            "not set)\n");
        Row("lock on a full disk", "full disk", "", 1,
            box.arg("create the lock file", "lock", QString::fromLocal8Bit(std::strerror(EFBIG))));
        Row("folder in place of the file", "config/Tolvane/Tolvane.ini/", "", 1,
            ini.arg("it is a folder, not a file"));
        Row("file in place of the settings folder", "config", "", 1,
            ini.arg(QString::fromLocal8Bit(std::strerror(ENOTDIR))));
    }
    void endsAtOnce()
    {
        QFETCH(QString, setup);
        QFETCH(QString, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir root;
        if (setup.startsWith("config"))
            QVERIFY(setup.endsWith('/') ? QDir().mkpath(root.filePath(setup))
                                        : QFile(root.filePath(setup)).open(QIODevice::WriteOnly));
        const QByteArray before = tree(root.path());
        QVERIFY(before.startsWith(QFile::encodeName(root.path())));
        QProcess copy;
        start(copy, root.path(), args, setup != "no display", setup == "full disk");
        QVERIFY(copy.waitForFinished(20000));
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.exitCode(), status);
        says.replace("%R", root.path());
        const QString out = status == 0 || says.startsWith("Tolvane\t")
            ? copy.readAllStandardOutput()
            : copy.readAllStandardError();
        QVERIFY2(status == 0  ? out.startsWith(says)
                : status == 1 ? out == says
                              : out.contains(says),
            qPrintable(out));
        if (setup != "full disk")
            QCOMPARE(tree(root.path()), before);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
