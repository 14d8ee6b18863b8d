// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/AutoStart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The autostart entry is started the way a desktop session starts it: GLib's launcher
// reads the entry and runs its Exec line, which must reach exactly the program's path.
// The entry passes desktop-file-validate, as the packaged launcher does.
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
        QFETCH(QString, folder);
        QTemporaryDir temp;
        const QString program = temp.filePath(folder + "/tolvane");
        QFile mark(temp.filePath("ran")), script(program);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(temp.filePath("config")));
        qputenv("TOLVANE_MARK", QFile::encodeName(mark.fileName()));
        QVERIFY(QDir().mkpath(temp.filePath(folder)) && script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$0\" > \"$TOLVANE_MARK\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(!AutoStart::exists() && AutoStart::write(program) && AutoStart::exists());
        QCOMPARE(QFile::permissions(AutoStart::entryPath()) & QFileDevice::Permissions(0x0777),
            QFile::ReadUser | QFile::WriteUser); // owner, group and others as the system sees them
        QCOMPARE(QProcess::execute("desktop-file-validate", { AutoStart::entryPath() }), 0);
        QCOMPARE(QProcess::execute("gio", { "launch", AutoStart::entryPath() }), 0);
        QTRY_VERIFY(mark.size() > 0);
        QVERIFY(mark.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(mark.readAll()), program);
        QVERIFY(AutoStart::remove() && !AutoStart::exists() && AutoStart::remove());
    }
};

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
