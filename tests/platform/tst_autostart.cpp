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
    void launchesThePath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("blanks and quotes") << "My Programs/say \"hi\" it's";
        QTest::newRow("shell characters, backslashes") << "cost $HOME `id` ; & | * a\\b\\\\c\\";
        QTest::newRow("percent and equals") << "100% sure %f %% A=1";
        QTest::newRow("line break") << "two\nlines";
    }
    // Ticking writes the entry, private to its owner; unticking removes it, and removing
    // what is not there is no failure.
    void launchesThePath()
    {
        QTemporaryDir temp;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(temp.path() + "/config"));
        QFETCH(QString, folder);
        const QString dir = temp.path() + '/' + folder;
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

        const QString mark = temp.path() + QStringLiteral("/ran");
        QProcess gio;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TOLVANE_MARK"), mark);
        gio.setProcessEnvironment(environment);
        gio.start(QStringLiteral("gio"), { QStringLiteral("launch"), AutoStart::EntryPath() });
        QVERIFY(gio.waitForFinished(10000));
        QVERIFY2(gio.exitCode() == 0, gio.readAllStandardError().constData());
        QTRY_VERIFY(QFileInfo(mark).size() > 0);
        QFile ran(mark);
        QVERIFY(ran.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(ran.readAll()), program);

        QVERIFY(AutoStart::Remove());
        QVERIFY(!AutoStart::Exists());
        QVERIFY(AutoStart::Remove());
    }
};

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
