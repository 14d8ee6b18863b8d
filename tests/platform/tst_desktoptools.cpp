// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/HelpPage.h"
#include "platform/NetworkSettings.h"
#include "support/DataColumns.h"

#include <QDir>
#include <QTemporaryDir>

using L = QStringList;

// What the program finds of the desktop's: the help page and the network settings tool.
class TestDesktopTools : public QObject {
    Q_OBJECT
private slots:
    // The folders under a root that hold tolvane/Tolvane.html; the program is in root/bin.
    void findHelpPage_data()
    {
        Columns<L, QString>({ "folders", "found" });
        QTest::newRow("beside the program first") << L { "share", "xdg" } << "share";
        QTest::newRow("in the data folders") << L { "xdg" } << "xdg";
        QTest::newRow("nowhere") << L() << "";
    }
    void findHelpPage()
    {
        QFETCH(L, folders);
        QFETCH(QString, found);
        QTemporaryDir root;
        const QString page = "/tolvane/Tolvane.html";
        for (const QString &folder : folders)
            QVERIFY(QDir(root.path()).mkpath(folder + "/tolvane")
                && QFile(root.filePath(folder + page)).open(QFile::WriteOnly));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath("home")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root.filePath("xdg")));
        QCOMPARE(::findHelpPage(root.filePath("bin")),
            found.isEmpty() ? "" : root.filePath(found + page));
    }

    // "desktop | the tools installed > the command started", "-" for none.
    void networkTool_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::newRow("no tool") << "XFCE | - > -";
        QTest::newRow("connection editor anywhere")
            << "XFCE | nm-connection-editor > /bin/nm-connection-editor";
        QTest::newRow("GNOME's own panel first")
            << "ubuntu:GNOME | nm-connection-editor "
               "gnome-control-center > /bin/gnome-control-center network";
        QTest::newRow("GNOME's panel only on GNOME") << "KDE | gnome-control-center > -";
    }
    void networkTool()
    {
        QFETCH(QString, choice);
        const QString desktop = choice.section(" | ", 0, 0);
        const QString installed = choice.section(" | ", 1).section(" > ", 0, 0);
        const auto command = NetworkSettings::choose(desktop, [&](const QString &program) {
            return installed.split(' ').contains(program) ? "/bin/" + program : QString();
        });
        const QStringList started
            = command ? L { command->program } + command->arguments : L { "-" };
        QCOMPARE(desktop + " | " + installed + " > " + started.join(' '), choice);
    }
};

QTEST_GUILESS_MAIN(TestDesktopTools)
#include "tst_desktoptools.moc"
