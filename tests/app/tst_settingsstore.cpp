// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/Paths.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// fuzz_settings writes any text as a value and reads it back; a write on a full disk taken
// back is tst_mainwindow's failureIsTold; which keys are there, the roster's free slots.

namespace {

int modeOf(const QString &path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Written unbuffered, so that the time set last stays the file's.
void writeFile(const QString &path, const QByteArray &content, const QDateTime &time = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered));
    QCOMPARE(file.write(content), content.size());
    QVERIFY(!time.isValid() || file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void init() { m_path = (m_dir.emplace(), m_dir->filePath("Tolvane.ini")); }

    // A person edits the file while the program runs, a second after its own write, and
    // types a list form: the next read gives the text as it stands, and a write of another
    // value (which rewrites the whole file) leaves it.
    void handEditedList_data()
    {
        Columns<QString, QString>({ "content", "expected" });
        Row("comma and blank", "[User2]\nName=a, b\n", "a, b");
        Row("trailing comma, same key in other sections",
            "[User1]\nName=x, y\n[User2]\r\nName=desk,\r\n[User20]\nName=z, w\n", "desk,");
        Row("text after the section's ]", "[User2] old\nName=a,b\n", "a,b");
        Row("key given twice", "[User2]\nName=x\nName=a,b\n", "a,b");
        Row("CR line ends", "[User2]\rName=a,b\rEmail=c\r", "a,b");
        Row("a broken section line further down", "[User2]\nName=a,b\n[User3\nName=c\n", "a,b");
    }
    void handEditedList()
    {
        QFETCH(QString, content);
        SettingsStore store(m_path);
        store.writeSetting("User2", "Name", "before");
        QCOMPARE(store.readSetting("User2", "Name", {}), "before");
        writeFile(m_path, content.toUtf8(), QFileInfo(m_path).lastModified().addSecs(1));
        QTEST(store.readSetting("User2", "Name", "default"), "expected");
        store.writeSetting("Options", "StartSmall", "True");
        QTEST(SettingsStore(m_path).readSetting("User2", "Name", "default"), "expected");
        QFile file(m_path); // the write reached the disk
        QVERIFY(file.open(QIODevice::ReadOnly)
            && file.readAll().contains("[Options]\nStartSmall=True\n"));
    }

    // What a call changes is on disk when it returns, or the call throws. A process killed
    // right after writeSetting returned has lost nothing, and the store keeps no values of
    // its own: what another process wrote, which only the disk can tell, is read next. The
    // values are those the fuzzer leaves out: a key with a blank, a text QSettings would
    // decode. A removal that cannot reach the disk is not read back as done.
    void onDiskOrThrown()
    {
        SettingsStore store(m_path);
        store.writeSetting("Options", "Current User", "0");
        const pid_t pid = ::fork();
        if (pid == 0) {
            SettingsStore other(m_path);
            other.writeSetting("User3", "Name", "@Variant(\\0\\0\\0)");
            other.writeSetting("Options", "Current User", "1");
            ::raise(SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(store.readSetting("User3", "Name", {}), "@Variant(\\0\\0\\0)");
        QCOMPARE(store.readSetting("Options", "Current User", {}), "1");
        {
            const FullDisk fullDisk(1);
            QVERIFY_THROWS_EXCEPTION(SettingsError, store.deleteSection("User3"));
        }
        QCOMPARE(store.readSetting("User3", "Name", {}), "@Variant(\\0\\0\\0)");
    }

    // The settings (mail servers and phone addresses) and the scheduled messages are
    // private to their owner: the folders are 0700 and the settings file 0600 after every
    // start, also when an earlier version or a person left them open to others.
    void privateAfterStart_data()
    {
        QTest::addColumn<int>("mode"); // of the folders; the file's lacks the x bits
        QTest::newRow("fresh") << -1;
        QTest::newRow("open to everybody") << 0777;
        QTest::newRow("no rights for the owner") << 0000;
    }
    void privateAfterStart()
    {
        QFETCH(int, mode);
        const QString root = m_dir->path();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
        const QString config = root + "/config/Tolvane", data = root + "/data/Tolvane";
        const QString ini = config + "/Tolvane.ini";
        if (mode >= 0) {
            QVERIFY(QDir().mkpath(config) && QDir().mkpath(data));
            writeFile(ini, "[User1]\nName=Ann\n");
            for (const QString &path : { ini, config, data })
                QVERIFY(::chmod(QFile::encodeName(path), mode_t(path == ini ? mode & 0666 : mode))
                    == 0);
        }
        QCOMPARE(Paths::settingsFile() + ' ' + Paths::dataDir(), ini + ' ' + data + '/');
        SettingsStore settings(ini);
        QCOMPARE(modeOf(ini), 0600);
        settings.writeSetting("Options", "Current User", "1");
        QCOMPARE(QList<int>({ modeOf(config), modeOf(data), modeOf(ini) }),
            QList<int>({ 0700, 0700, 0600 }));
        if (mode >= 0)
            QCOMPARE(settings.readSetting("User1", "Name", {}), "Ann"); // nothing lost
    }

    // The roster's scans of the users agree with each other on any file (fuzz_settings, also
    // for the current user); these rows pin what each one means.
    // stored: "n:Name", "n#CellEmail", "@Current User", ';' apart; "ten": users 1 to 10,
    // each with a name and a phone address "un". ask: "free", "users", "name:text",
    // "cell:text", "current", '|' apart, answered the same way.
    void roster_data()
    {
        Columns<QString, QString, QString>({ "stored", "ask", "answer" });
        Row("a Name, even empty, configures; a slot with no Name is free",
            "1:No;2:;4:c;5#left@over", "free|users", "3|1 No,2 ,4 c");
        Row("all ten: none free; an empty text is no name or address in use", "ten",
            "free|name:|cell:", "0|0|0");
        Row("names: exact, in any slot to 10; empty while a slot is free", "2:desk;10:Anna Berg",
            "name:Anna Berg|name:Desk|name:desk |name:Anna|name:", "1|0|0|0|1");
        Row("phone addresses alike; a name is no address", "2:desk;10#Anna Berg;3#x",
            "cell:Anna Berg|cell:Desk|cell:Anna Berg |cell:Anna|cell:|cell:desk", "1|0|0|0|1|0");
        Row("current user not a number", "1:Ann;@abc", "current", "0 Tolvane - ");
        Row("current user 10", "1:Ann;10:Tor, Jr.;@10", "current", "10 Tolvane - Tor, Jr.");
    }
    void roster()
    {
        QFETCH(QString, stored);
        QFETCH(QString, ask);
        TestEnvironment env;
        const SettingsStore &settings = env.settings;
        for (int n = 1; n <= 10 && stored == "ten"; ++n)
            env.addUser(n, QStringLiteral("u%1").arg(n), QStringLiteral("u%1").arg(n));
        for (const QString &item : stored == "ten" ? QStringList() : stored.split(';')) {
            const qsizetype at = item.indexOf(QRegularExpression("[:#@]"));
            const QString section = at ? Roster::userSection(item.left(at).toInt()) : "Options";
            const QString key = at ? (item[at] == ':' ? "Name" : "CellEmail") : "Current User";
            env.settings.writeSetting(section, key, item.mid(at + 1));
        }
        QStringList answers;
        for (const QString &q : ask.split('|')) {
            const QString text = q.section(':', 1);
            const Roster::UserInfo info = Roster::getUserInfo(settings);
            QStringList users;
            for (const Roster::User &u : Roster::configuredUsers(settings))
                users << QString::number(u.number) + ' ' + u.name;
            answers << (q == "free"  ? QString::number(Roster::firstFreeSlot(settings))
                    : q == "current" ? QString::number(info.currentUser) + ' ' + info.caption
                    : q == "users"   ? users.join(',')
                    : q.startsWith("name:")
                    ? QString::number(Roster::nameInUse(settings, text))
                    : QString::number(Roster::phoneAddressInUse(settings, text)));
        }
        QTEST(answers.join('|'), "answer");
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
