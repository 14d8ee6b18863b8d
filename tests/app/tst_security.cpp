#include "app/SettingsStore.h"
#include "platform/Paths.h"
#include "support/DataColumns.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

int modeOf(const QString &path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

} // namespace

// The settings (mail servers and phone addresses) and the scheduled messages are private
// to their owner: the folders are 0700 and the settings file 0600 after every start, also
// when an earlier version or a person left them open to others.
class TestSecurity : public QObject {
    Q_OBJECT

private slots:
    void privateAfterStart_data()
    {
        Columns<int, int>({ "folderMode", "fileMode" });
        QTest::newRow("fresh") << -1 << -1;
        QTest::newRow("open to everybody") << 0777 << 0666;
        QTest::newRow("readable by the group and others") << 0755 << 0644;
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
};

QTEST_GUILESS_MAIN(TestSecurity)
#include "tst_security.moc"
