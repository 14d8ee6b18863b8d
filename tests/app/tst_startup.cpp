#include "app/StartValues.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A real copy of the program with its own settings and data, answering its message
// boxes into a log instead of showing them.
class ProgramCopy {
public:
    ProgramCopy(const QString &root, const QString &boxLog)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TOLVANE_BOX_LOG"), boxLog);
        process.setProcessEnvironment(env);
        process.setProgram(QStringLiteral(TOLVANE_BINARY));
    }
    ~ProgramCopy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    QProcess process;
};

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void startValues_data();
    void startValues();
    void refusalText();
    void secondCopyRefused();
    void lockOfDeadCopyTakenOver();
};

void TestStartup::startValues_data()
{
    QTest::addColumn<QString>("currentUser"); // "-": absent
    QTest::addColumn<QString>("startSmall");
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<bool>("small");
    QTest::newRow("nothing set") << "-"
                                 << "-" << true << false;
    QTest::newRow("user 0") << "0"
                            << "0" << true << false;
    QTest::newRow("user 3, small") << "3"
                                   << "1" << false << true;
    QTest::newRow("StartSmall 2 is not small") << "1"
                                               << "2" << false << false;
    QTest::newRow("user 00 is configured") << "00"
                                           << "-" << false << false;
}

void TestStartup::startValues()
{
    QFETCH(QString, currentUser);
    QFETCH(QString, startSmall);
    TestEnvironment env;
    const QString options = QStringLiteral("Options");
    if (currentUser != QLatin1String("-"))
        env.settings.WriteSetting(options, QStringLiteral("Current User"), currentUser);
    if (startSmall != QLatin1String("-"))
        env.settings.WriteSetting(options, QStringLiteral("StartSmall"), startSmall);
    ReadStartValues(env.program, QStringLiteral("/opt/tolvane/bin/tolvane"),
        QStringLiteral("/home/ada/.local/share/Tolvane/"));
    QTEST(env.program.FirstRun, "firstRun");
    QTEST(env.program.StartSmall, "small");
    QCOMPARE(env.program.ProgramPath, QStringLiteral("/opt/tolvane/bin/tolvane"));
    QCOMPARE(env.program.ProgramDir, QStringLiteral("/home/ada/.local/share/Tolvane/"));
}

void TestStartup::refusalText()
{
    TestEnvironment env;
    ShowAlreadyRunning(env.boxes);
    QCOMPARE(env.boxes.shown.size(), 1);
    const auto &box = env.boxes.shown.first();
    QCOMPARE(box.title, QStringLiteral("Tolvane"));
    QCOMPARE(box.text,
        QStringLiteral("Tolvane is already running!\rDouble-Click on the Cellular Phone in your "
                       "System Tray to display Tolvane."));
    QVERIFY(!box.text.contains(QLatin1Char('\n')));
    QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
    QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);
}

void TestStartup::secondCopyRefused()
{
    QTemporaryDir root;
    const QString firstLog = root.filePath(QStringLiteral("first.log"));
    const QString secondLog = root.filePath(QStringLiteral("second.log"));
    ProgramCopy first(root.path(), firstLog);
    first.process.start();
    QVERIFY(first.process.waitForStarted());
    const QString lock = root.path() + QStringLiteral("/config/Tolvane/Tolvane.lock");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);

    ProgramCopy second(root.path(), secondLog);
    second.process.start();
    QVERIFY(second.process.waitForFinished(10000));
    QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(readAll(secondLog),
        QStringLiteral("Tolvane\tcritical\tTolvane is already running!\\rDouble-Click on the "
                       "Cellular Phone in your System Tray to display Tolvane.\n"));

    // The first copy goes on undisturbed, still holding the lock and showing nothing.
    QTest::qWait(300);
    QCOMPARE(first.process.state(), QProcess::Running);
    QVERIFY(QFile::exists(lock));
    QCOMPARE(readAll(firstLog), QString());
}

void TestStartup::lockOfDeadCopyTakenOver()
{
    QTemporaryDir root;
    const QString log = root.filePath(QStringLiteral("boxes.log"));
    const QString lock = root.path() + QStringLiteral("/config/Tolvane/Tolvane.lock");
    {
        ProgramCopy crashed(root.path(), log);
        crashed.process.start();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        crashed.process.kill();
        QVERIFY(crashed.process.waitForFinished(5000));
    }
    QVERIFY(QFile::exists(lock));
    ProgramCopy next(root.path(), log);
    next.process.start();
    QVERIFY(next.process.waitForStarted());
    QTest::qWait(1500);
    QCOMPARE(next.process.state(), QProcess::Running);
    QCOMPARE(readAll(log), QString());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
