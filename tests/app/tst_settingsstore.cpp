#include "app/SettingsStore.h"
#include "platform/Paths.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// fuzz_settings writes any text as a value and reads it back; a write on a full disk taken
// back is tst_badvalues' failureIsTold; which keys are there, tst_roster's free slots.

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
        Columns<QByteArray, QString>({ "content", "expected" });
        QTest::newRow("comma and blank") << QByteArray("[User2]\nName=a, b\n") << "a, b";
        QTest::newRow("trailing comma, same key in other sections")
            << QByteArray("[User1]\nName=x, y\n[User2]\r\nName=desk,\r\n[User20]\nName=z, w\n")
            << "desk,";
        QTest::newRow("text after the section's ]")
            << QByteArray("[User2] old\nName=a,b\n") << "a,b";
        QTest::newRow("key given twice") << QByteArray("[User2]\nName=x\nName=a,b\n") << "a,b";
        QTest::newRow("CR line ends") << QByteArray("[User2]\rName=a,b\rEmail=c\r") << "a,b";
        QTest::newRow("a broken section line further down")
            << QByteArray("[User2]\nName=a,b\n[User3\nName=c\n") << "a,b";
    }
    void handEditedList()
    {
        QFETCH(QByteArray, content);
        SettingsStore store(m_path);
        store.WriteSetting("User2", "Name", "before");
        QCOMPARE(store.ReadSetting("User2", "Name", {}), "before");
        writeFile(m_path, content, QFileInfo(m_path).lastModified().addSecs(1));
        QTEST(store.ReadSetting("User2", "Name", "default"), "expected");
        store.WriteSetting("Options", "StartSmall", "True");
        QTEST(SettingsStore(m_path).ReadSetting("User2", "Name", "default"), "expected");
        QCOMPARE(readFromDisk("Options", "StartSmall"), "True");
    }

    // A process killed right after WriteSetting returned has lost nothing, and the store
    // keeps no values of its own: what another process wrote is read next. The values are
    // those the fuzzer leaves out: a key with a blank, a text QSettings would decode.
    void writeSurvivesKill()
    {
        SettingsStore before(m_path);
        before.WriteSetting("Options", "Current User", "0");
        const pid_t pid = ::fork();
        if (pid == 0) {
            SettingsStore store(m_path);
            store.WriteSetting("User3", "Name", "@Variant(\\0\\0\\0)");
            store.WriteSetting("Options", "Current User", "1");
            ::raise(SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        QCOMPARE(readFromDisk("User3", "Name"), "@Variant(\\0\\0\\0)");
        QCOMPARE(before.ReadSetting("User3", "Name", {}), "@Variant(\\0\\0\\0)");
        QCOMPARE(before.ReadSetting("Options", "Current User", {}), "1");
    }

    // A removal that cannot reach the disk throws and is not read back as done.
    void fullDiskRemovalTakenBack()
    {
        SettingsStore store(m_path);
        store.WriteSetting("User1", "Name", "Ada");
        store.WriteSetting("Options", "Current User", "1"); // the file is never empty
        {
            const FullDisk fullDisk(1);
            QVERIFY_THROWS_EXCEPTION(SettingsError, store.DeleteSection("User1"));
        }
        QCOMPARE(store.ReadSetting("User1", "Name", {}), "Ada");
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
        const QString root = m_dir->path();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
        const QString config = root + "/config/Tolvane", data = root + "/data/Tolvane";
        const QString ini = config + "/Tolvane.ini";
        if (folderMode >= 0) {
            QVERIFY(QDir().mkpath(config) && QDir().mkpath(data));
            writeFile(ini, "[User1]\nName=Ann\n");
            QVERIFY(::chmod(QFile::encodeName(ini), mode_t(fileMode)) == 0);
            for (const QString &dir : { config, data })
                QVERIFY(::chmod(QFile::encodeName(dir).constData(), mode_t(folderMode)) == 0);
        }
        QCOMPARE(Paths::settingsFile() + ' ' + Paths::dataDir(), ini + ' ' + data + '/');
        SettingsStore settings(ini);
        QCOMPARE(modeOf(ini), 0600);
        settings.WriteSetting("Options", "Current User", "1");
        QCOMPARE(QList<int>({ modeOf(config), modeOf(data), modeOf(ini) }),
            QList<int>({ 0700, 0700, 0600 }));
        if (folderMode >= 0)
            QCOMPARE(settings.ReadSetting("User1", "Name", {}), "Ann"); // nothing lost
    }

private:
    // Reads the file afresh. QSettings shares what it has parsed among all readers of
    // one path in a process, so the file is read through a link of another name.
    QString readFromDisk(const QString &section, const QString &key)
    {
        const QString alias = m_dir->filePath(QStringLiteral("alias%1.ini").arg(++m_aliases));
        return QFile::link(m_path, alias)
            ? QSettings(alias, QSettings::IniFormat).value(section + '/' + key).toString()
            : QStringLiteral("<no link>");
    }

    std::optional<QTemporaryDir> m_dir;
    QString m_path;
    int m_aliases = 0;
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
