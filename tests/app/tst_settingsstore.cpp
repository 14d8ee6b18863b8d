#include "app/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->path() + QStringLiteral("/Tolvane.ini");
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString();
        for (const char *value : { "  desk  ", "Smith, John", "a,b,", "\"quoted\" and 'single'",
                 "a=b=", "; not # a comment", "C:\\Users\\x\\", "Zoë Ærøskøbing 東京 €",
                 "@Variant(\\0\\0\\0)", "@", "one\r\ntwo\nthree\r", "\tx\t", " 3, 4" })
            QTest::newRow(value) << QString::fromUtf8(value);
    }

    // Read back by the same store and by a plain reader of the file, so the text is on
    // disk when WriteSetting returns; the key has a blank, as "Current User" has.
    void roundTrip()
    {
        QFETCH(QString, value);
        SettingsStore store(m_path);
        store.WriteSetting("Options", "Current User", value);
        QCOMPARE(readFromDisk("Options", "Current User"), value);
        QCOMPARE(store.ReadSetting("Options", "Current User", "default"), value);
        QVERIFY(store.HasSetting("Options", "Current User"));
        QCOMPARE(store.ReadSetting("Options", "Current", "default"), "default");
        QVERIFY(!store.HasSetting("User1", "Current User"));
    }

    void handEditedList_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("comma and blank") << QByteArray("[User2]\nName=a, b\n") << "a, b";
        QTest::newRow("trailing comma") << QByteArray("[User2]\r\nName=desk,\r\n") << "desk,";
        QTest::newRow("same key in other sections")
            << QByteArray("[User1]\nName=x, y\n[User2]\nName=a, b\n[User20]\nName=z, w\n")
            << "a, b";
        QTest::newRow("non-ASCII") << QByteArray("[User2]\nName=Zoë, Ånn\n") << "Zoë, Ånn";
    }

    void handEditedList()
    {
        QFETCH(QByteArray, content);
        writeFileByHand(content);
        SettingsStore store(m_path);
        QTEST(store.ReadSetting("User2", "Name", "default"), "expected");
    }

    // User1 and User10 share a prefix; deleting one must leave the other.
    void deleteSection_data()
    {
        QTest::addColumn<QString>("deleted");
        QTest::newRow("User1 beside User10") << "User1";
        QTest::newRow("User10 beside User1") << "User10";
    }

    void deleteSection()
    {
        QFETCH(QString, deleted);
        const QStringList sections { "User1", "User10", "User2" };
        SettingsStore store(m_path);
        for (const QString &s : sections) {
            store.WriteSetting(s, "Name", s + "Name");
            store.WriteSetting(s, "SMTP", s + "SMTP");
        }
        store.DeleteSection(deleted);
        for (const QString &s : sections) {
            for (const char *k : { "Name", "SMTP" }) {
                const QString expected = s == deleted ? "<absent>" : s + k;
                QCOMPARE(store.ReadSetting(s, k, "<absent>"), expected);
                QCOMPARE(readFromDisk(s, k), expected);
            }
        }
    }

    void ownerOnly_data()
    {
        QTest::addColumn<int>("existingMode"); // 0: no file before
        QTest::newRow("new file") << 0;
        QTest::newRow("file readable by all") << 0644;
    }

    void ownerOnly()
    {
        QFETCH(int, existingMode);
        if (existingMode) {
            writeFileByHand("[Options]\nError=1\n");
            QCOMPARE(::chmod(QFile::encodeName(m_path).constData(), mode_t(existingMode)), 0);
        }
        const auto ownerOnly
            = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        SettingsStore store(m_path);
        QCOMPARE(QFile::permissions(m_path), ownerOnly);
        store.WriteSetting("User1", "Name", "x");
        QCOMPARE(QFile::permissions(m_path), ownerOnly);
    }

    // A process killed right after WriteSetting returned has lost nothing.
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
        // The store keeps no values of its own: what another process wrote is read next.
        QCOMPARE(before.ReadSetting("Options", "Error", {}), "1");
    }

    void handEditWhileRunning_data()
    {
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<QString>("expected");
        QTest::newRow("longer, a list")
            << QByteArray("[User1]\nName=edited by hand, later\n") << "edited by hand, later";
        QTest::newRow("same length") << QByteArray("[User1]\nName=b\n") << "b";
        QTest::newRow("key removed") << QByteArray("[User1]\n") << "<absent>";
    }

    // A person who edits the file while the program runs is read at the next read. The
    // edit comes a second after the program's own write, as a person's edit would.
    void handEditWhileRunning()
    {
        QFETCH(QByteArray, edited);
        SettingsStore store(m_path);
        store.WriteSetting("User1", "Name", "a");
        QCOMPARE(store.ReadSetting("User1", "Name", {}), "a");
        const QDateTime written = QFileInfo(m_path).lastModified();
        writeFileByHand(edited);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(written.addSecs(1), QFileDevice::FileModificationTime));
        file.close();
        QTEST(store.ReadSetting("User1", "Name", "<absent>"), "expected");
    }

private:
    // Reads the file afresh. QSettings shares what it has parsed among all readers of
    // one path in a process, so the file is read through a link of another name.
    QString readFromDisk(const QString &section, const QString &key)
    {
        const QString alias = m_dir->path() + QStringLiteral("/alias%1.ini").arg(++m_aliases);
        if (!QFile::link(m_path, alias))
            return QStringLiteral("<no link>");
        QSettings plain(alias, QSettings::IniFormat);
        return plain.value(section + QLatin1Char('/') + key, QStringLiteral("<absent>")).toString();
    }

    void writeFileByHand(const QByteArray &content)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    int m_aliases = 0;
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
