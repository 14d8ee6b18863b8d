#include "app/StartValues.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <optional>

namespace {

// A real copy of the program with its own settings and data, answering its message
// boxes into a log instead of showing them; on a full disk if asked.
class ProgramCopy {
public:
    ProgramCopy(const QString &root, const QString &boxLog, bool diskFull = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", root + "/config");
        env.insert("XDG_DATA_HOME", root + "/data");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TOLVANE_BOX_LOG", boxLog);
        process.setProcessEnvironment(env);
        process.setProgram(QStringLiteral(TOLVANE_BINARY));
        // The copy keeps the limit it starts with; the test itself writes freely again.
        std::optional<FullDisk> fullDisk;
        if (diskFull)
            fullDisk.emplace(0);
        process.start();
    }
    ~ProgramCopy()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    QProcess process;
};

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every file and folder under root but the box log, with the time it was last changed
// (written, chmod-ed, or, for a folder, given or robbed of an entry).
QStringList tree(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (info.fileName() != "boxes.log")
            entries << info.filePath() + ' '
                    + QString::number(info.metadataChangeTime().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void startValues_data()
    {
        Columns<QString, bool, QString, bool>({ "currentUser", "firstRun", "startSmall", "small" });
        QTest::newRow("nothing set") << QString() << true << QString() << false;
        QTest::newRow("user 3, small") << "3" << false << "1" << true;
        QTest::newRow("user 00, StartSmall 2") << "00" << false << "2" << false;
    }
    void startValues()
    {
        QFETCH(QString, currentUser);
        QFETCH(QString, startSmall);
        TestEnvironment env;
        if (!currentUser.isNull())
            env.settings.WriteSetting("Options", "Current User", currentUser);
        if (!startSmall.isNull())
            env.settings.WriteSetting("Options", "StartSmall", startSmall);
        ReadStartValues(env.program, "/opt/tolvane/bin/tolvane", "/home/ada/.local/share/Tolvane/");
        QTEST(env.program.firstRun, "firstRun");
        QTEST(env.program.startSmall, "small");
        QCOMPARE(env.program.programPath, "/opt/tolvane/bin/tolvane");
        QCOMPARE(env.program.dataFolder, "/home/ada/.local/share/Tolvane/");
    }

    void secondCopyRefused()
    {
        QTemporaryDir root;
        const QString firstLog = root.filePath("first.log");
        const QString lock = root.path() + "/config/Tolvane/Tolvane.lock";
        ProgramCopy first(root.path(), firstLog);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);

        ProgramCopy second(root.path(), root.filePath("second.log"));
        QVERIFY(second.process.waitForFinished(10000));
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        // Title, icon, and the two lines parted by a bare carriage return (logged as "\r").
        QCOMPARE(readAll(root.filePath("second.log")),
            "Tolvane\tcritical\tTolvane is already running!\\rDouble-Click on the Cellular Phone "
            "in your System Tray to display Tolvane.\n");

        // The first copy goes on undisturbed, still holding the lock and showing nothing.
        QTest::qWait(300);
        QCOMPARE(first.process.state(), QProcess::Running);
        QVERIFY(QFile::exists(lock));
        QCOMPARE(readAll(firstLog), QString());
    }

    // A lock that cannot be written is no sign of another copy: the copy says why, with
    // the system's reason, and ends with a failure. The log goes to the copy's output,
    // since on the full disk a log file could not grow either.
    void lockNotCreatedOnFullDisk()
    {
        QTemporaryDir root;
        ProgramCopy copy(root.path(), "/dev/stdout", true);
        QVERIFY(copy.process.waitForFinished(10000));
        QCOMPARE(copy.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(copy.process.readAllStandardOutput()),
            "Tolvane\tcritical\tCannot create the lock file " + root.path()
                + "/config/Tolvane/Tolvane.lock: " + QString::fromLocal8Bit(std::strerror(EFBIG))
                + "\n");
        QCOMPARE_NE(copy.process.exitCode(), 0);
    }

    // A settings file that cannot serve as one stops the start with one box that says
    // what is wrong, before anything is made or changed (a folder ending in "/").
    void unusableSettingsFile_data()
    {
        Columns<QString, QString>({ "made", "reason" });
        QTest::newRow("folder in place of the file") << "config/Tolvane/Tolvane.ini/"
                                                     << "it is a folder, not a file";
        QTest::newRow("file in place of the settings folder")
            << "config" << QString::fromLocal8Bit(std::strerror(ENOTDIR));
    }
    void unusableSettingsFile()
    {
        QFETCH(QString, made);
        QFETCH(QString, reason);
        QTemporaryDir root;
        const QString log = root.filePath("boxes.log");
        const QString path = root.filePath(made);
        QVERIFY(made.endsWith('/') ? QDir().mkpath(path) : QFile(path).open(QIODevice::WriteOnly));
        const QStringList before = tree(root.path());

        ProgramCopy copy(root.path(), log);
        QVERIFY(copy.process.waitForFinished(10000));
        QCOMPARE(copy.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(readAll(log),
            "Tolvane\tcritical\tCannot use the settings file " + root.path()
                + "/config/Tolvane/Tolvane.ini: " + reason + "\n");
        QCOMPARE_NE(copy.process.exitCode(), 0);
        QCOMPARE(tree(root.path()), before);
    }

    // The installed program reads none of the test build's switches (the box log answers
    // every question Yes unseen, "Shutting Down?" included): their names are not in it,
    // neither as 8-bit text nor as the UTF-16 of a QStringLiteral.
    void installedProgramHasNoTestSwitches_data()
    {
        Columns<QString>({ "name" });
        QTest::newRow("box log") << "TOLVANE_BOX_LOG";
        QTest::newRow("exit after paint") << "TOLVANE_EXIT_AFTER_PAINT";
    }
    void installedProgramHasNoTestSwitches()
    {
        QFETCH(QString, name);
        QFile binary(QStringLiteral(TOLVANE_INSTALLED_BINARY));
        QVERIFY(binary.open(QIODevice::ReadOnly));
        const QByteArray bytes = binary.readAll();
        QVERIFY(!bytes.contains(name.toLatin1()));
        QVERIFY(!bytes.contains(QByteArray(reinterpret_cast<const char *>(name.utf16()),
            name.size() * qsizetype(sizeof(char16_t)))));
    }

    // A copy that crashed leaves its lock behind; the next start must not be refused.
    void lockOfDeadCopyTakenOver()
    {
        QTemporaryDir root;
        const QString log = root.filePath("boxes.log");
        const QString lock = root.path() + "/config/Tolvane/Tolvane.lock";
        {
            ProgramCopy crashed(root.path(), log);
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        }
        QVERIFY(QFile::exists(lock));
        ProgramCopy next(root.path(), log);
        QTest::qWait(1500);
        QCOMPARE(next.process.state(), QProcess::Running);
        QCOMPARE(readAll(log), QString());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
