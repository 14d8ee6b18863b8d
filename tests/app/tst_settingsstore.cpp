#include "app/SettingsStore.h"
#include "platform/Paths.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int modeOf(const QString &path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->path() + "/Tolvane.ini";
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString();
        for (const char *value : { "  desk  ", "Smith, John", "a,b,", "\"quoted\" and 'single'",
                 "a=b=", "; not # a comment", "C:\\Users\\x\\", "Zoë Ærøskøbing 東京 €",
                 "@Variant(\\0\\0\\0)", "one\r\ntwo\nthree\r", "\tx\t", " 3, 4" })
            QTest::newRow(value) << QString::fromUtf8(value);
    }
    // Read back by the same store and by a plain reader of the file, so the text is on
    // disk when WriteSetting returns; the key has a blank, as "Current User" has. The file
    // is its owner's only.
    void roundTrip()
    {
        QFETCH(QString, value);
        SettingsStore store(m_path);
        store.WriteSetting("Options", "Current User", value);
        QCOMPARE(readFromDisk("Options", "Current User"), value);
        QCOMPARE(store.ReadSetting("Options", "Current User", "default"), value);
        QVERIFY(store.HasSetting("Options", "Current User"));
        QVERIFY(!store.HasSetting("User1", "Current User"));
        QCOMPARE(QFile::permissions(m_path), OwnerOnly);
    }

    // A value a person edited by hand into a list form comes back as its text, and the
    // file they left readable by all is made the owner's only.
    void handEditedList_data()
    {
        Columns<QByteArray, QString>({ "content", "expected" });
        QTest::newRow("comma and blank") << QByteArray("[User2]\nName=a, b\n") << "a, b";
        QTest::newRow("trailing comma, same key in other sections")
            << QByteArray("[User1]\nName=x, y\n[User2]\r\nName=desk,\r\n[User20]\nName=z, w\n")
            << "desk,";
        QTest::newRow("no blank after the comma") << QByteArray("[User2]\nName=a,b\n") << "a,b";
        QTest::newRow("text after the section's ]")
            << QByteArray("[User2] old\nName=a,b\n") << "a,b";
        QTest::newRow("key given twice") << QByteArray("[User2]\nName=x\nName=a,b\n") << "a,b";
        QTest::newRow("CR line ends") << QByteArray("[User2]\rName=a,b\rEmail=c\r") << "a,b";
        QTest::newRow("a broken section line further down")
            << QByteArray("[User2]\nName=a,b\n[User3\nName=c\n") << "a,b";
    }
    // A write of another value (which rewrites the whole file) succeeds and leaves the text.
    void handEditedList()
    {
        QFETCH(QByteArray, content);
        writeFileByHand(content);
        QCOMPARE(::chmod(QFile::encodeName(m_path).constData(), 0644), 0);
        SettingsStore store(m_path);
        QTEST(store.ReadSetting("User2", "Name", "default"), "expected");
        QCOMPARE(QFile::permissions(m_path), OwnerOnly);
        store.WriteSetting("Options", "StartSmall", "True");
        QTEST(SettingsStore(m_path).ReadSetting("User2", "Name", "default"), "expected");
        QCOMPARE(readFromDisk("Options", "StartSmall"), "True");
    }

    // A process killed right after WriteSetting returned has lost nothing, and the store
    // keeps no values of its own: what another process wrote is read next.
    void writeSurvivesKill()
    {
        SettingsStore before(m_path);
        before.WriteSetting("Options", "Error", "0");
        const pid_t pid = ::fork();
        if (pid == 0) {
            SettingsStore store(m_path);
            store.WriteSetting("User3", "Name", "killed");
            store.WriteSetting("Options", "Error", "1");
            ::raise(SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(readFromDisk("User3", "Name"), "killed");
        QCOMPARE(before.ReadSetting("Options", "Error", {}), "1");
    }

    // A change that cannot reach the disk throws and is not read back as if it had been
    // stored; with room again, the next write works.
    void fullDiskChangeTakenBack()
    {
        SettingsStore store(m_path);
        store.WriteSetting("User1", "Name", "Ada");
        store.WriteSetting("Options", "Current User", "1"); // the file is never empty
        {
            const FullDisk fullDisk(1);
            QVERIFY_THROWS_EXCEPTION(
                SettingsError, store.WriteSetting("User1", "CellEmail", "5551234567@sms.example"));
            QVERIFY_THROWS_EXCEPTION(SettingsError, store.DeleteSection("User1"));
        }
        QCOMPARE(store.ReadSetting("User1", "CellEmail", "absent"), "absent");
        QCOMPARE(store.ReadSetting("User1", "Name", {}), "Ada");
        store.WriteSetting("User1", "CellEmail", "x");
        QCOMPARE(readFromDisk("User1", "CellEmail"), "x");
    }

    // A person who edits the file while the program runs (here: removes a key) is read at
    // the next read. The edit comes a second after the program's own write, as a person's
    // edit would.
    void handEditWhileRunning()
    {
        SettingsStore store(m_path);
        store.WriteSetting("User1", "Name", "a");
        QCOMPARE(store.ReadSetting("User1", "Name", {}), "a");
        const QDateTime written = QFileInfo(m_path).lastModified();
        writeFileByHand("[User1]\n");
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(written.addSecs(1), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(store.ReadSetting("User1", "Name", "<absent>"), "<absent>");
    }

    // The settings (mail servers and phone addresses) and the scheduled messages are
    // private to their owner: the folders are 0700 and the settings file 0600 after every
    // start, also when an earlier version or a person left them open to others.
    void privateAfterStart_data()
    {
        Columns<int, int>({ "folderMode", "fileMode" });
        QTest::newRow("fresh") << -1 << -1;
        QTest::newRow("open to everybody") << 0777 << 0666;
        QTest::newRow("no rights for the owner") << 0000 << 0000;
    }
    void privateAfterStart()
    {
        QFETCH(int, folderMode);
        QFETCH(int, fileMode);
        QTemporaryDir root;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + "/config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + "/data"));
        const QString config = root.path() + "/config/Tolvane";
        const QString data = root.path() + "/data/Tolvane";
        if (folderMode >= 0) {
            QVERIFY(QDir().mkpath(config) && QDir().mkpath(data));
            QFile ini(config + "/Tolvane.ini");
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[User1]\nName=Ann\nCellEmail=5551234567@txt.example.net\n");
            ini.close();
            QVERIFY(::chmod(QFile::encodeName(ini.fileName()).constData(), mode_t(fileMode)) == 0);
            for (const QString &dir : { config, data })
                QVERIFY(::chmod(QFile::encodeName(dir).constData(), mode_t(folderMode)) == 0);
        }

        // What the start does with them.
        const QString iniPath = Paths::settingsFile();
        QCOMPARE(Paths::dataDir(), data + "/");
        SettingsStore settings(iniPath);
        QCOMPARE(modeOf(iniPath), 0600);
        settings.WriteSetting("Options", "Current User", "1");

        QCOMPARE(iniPath, config + "/Tolvane.ini");
        QCOMPARE(modeOf(config), 0700);
        QCOMPARE(modeOf(data), 0700);
        QCOMPARE(modeOf(iniPath), 0600);
        // Nothing that was there is lost on the way.
        if (folderMode >= 0)
            QCOMPARE(settings.ReadSetting("User1", "Name", {}), "Ann");
    }

private:
    // Reads the file afresh. QSettings shares what it has parsed among all readers of
    // one path in a process, so the file is read through a link of another name.
    QString readFromDisk(const QString &section, const QString &key)
    {
        const QString alias = m_dir->path() + QStringLiteral("/alias%1.ini").arg(++m_aliases);
        if (!QFile::link(m_path, alias))
            return QStringLiteral("<no link>");
        return QSettings(alias, QSettings::IniFormat)
            .value(section + '/' + key, "<absent>")
            .toString();
    }

    void writeFileByHand(const QByteArray &content)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    const QFile::Permissions OwnerOnly
        = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    int m_aliases = 0;
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
