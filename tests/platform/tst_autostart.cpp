#include "platform/AutoStart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The autostart entry is started the way a desktop session starts it: GLib's launcher
// reads the entry and runs its Exec line, which must reach exactly the program's path.
class TestAutoStart : public QObject {
    Q_OBJECT
private slots:
    void init();
    void launchesThePath_data();
    void launchesThePath();
    void emptyPathAndRemoval();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAutoStart::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path() + "/config"));
}

void TestAutoStart::launchesThePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << "bin";
    QTest::newRow("blanks") << "My Programs/tol vane";
    QTest::newRow("quotes") << "say \"hi\" it's";
    QTest::newRow("shell characters") << "cost $HOME `id` ; & | *";
    QTest::newRow("backslashes") << "a\\b\\\\c\\";
    QTest::newRow("percent") << "100% sure %f %%";
    QTest::newRow("percent and equals") << "A=1 50%";
    QTest::newRow("line break") << "two\nlines";
}

void TestAutoStart::launchesThePath()
{
    QFETCH(QString, folder);
    const QString dir = m_dir->path() + '/' + folder;
    QVERIFY(QDir().mkpath(dir));
    const QString program = dir + QStringLiteral("/tolvane");
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$0\" > \"$TOLVANE_MARK\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!AutoStart::Exists());
    QVERIFY(AutoStart::Write(program));
    QVERIFY(AutoStart::Exists());
    QCOMPARE(QFile::permissions(AutoStart::EntryPath()) & QFileDevice::Permissions(0x0777),
        QFile::ReadUser | QFile::WriteUser); // owner, group and others as the system sees them

    const QString mark = m_dir->path() + QStringLiteral("/ran");
    QProcess gio;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TOLVANE_MARK"), mark);
    gio.setProcessEnvironment(environment);
    gio.start(QStringLiteral("gio"), { QStringLiteral("launch"), AutoStart::EntryPath() });
    QVERIFY(gio.waitForFinished(10000));
    QVERIFY2(gio.exitCode() == 0, gio.readAllStandardError().constData());
    QTRY_VERIFY(QFile::exists(mark) && QFileInfo(mark).size() > 0);
    QFile ran(mark);
    QVERIFY(ran.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(ran.readAll()), program);
}

void TestAutoStart::emptyPathAndRemoval()
{
    QVERIFY(AutoStart::Write(QString()));
    QFile entry(AutoStart::EntryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("\nExec=\n"));
    QVERIFY(AutoStart::Remove());
    QVERIFY(!AutoStart::Exists());
    QVERIFY(AutoStart::Remove()); // nothing there is no failure
}

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
