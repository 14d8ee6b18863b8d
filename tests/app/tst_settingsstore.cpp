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

namespace {

QFile::Permissions modeOf(const QString &path)
{
    return QFile::permissions(path);
}

const QFile::Permissions OwnerOnly
    = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

// Runs body in a child process, which ends without any clean-up of its own: killed by
// SIGKILL when kill is set, otherwise by _exit.
bool inChildProcess(const std::function<void()> &body, bool kill)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        if (kill)
            ::raise(SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return kill ? (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                : (WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace

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
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString s = QStringLiteral("User1");
        const QString k = QStringLiteral("Name");
        QTest::newRow("empty") << s << k << QString();
        QTest::newRow("outer blanks") << s << k << QStringLiteral("  desk  ");
        QTest::newRow("comma") << s << k << QStringLiteral("Smith, John");
        QTest::newRow("comma without blank") << s << k << QStringLiteral("a,b,");
        QTest::newRow("quotes") << s << k << QStringLiteral("\"quoted\" and 'single'");
        QTest::newRow("equals") << s << k << QStringLiteral("a=b=");
        QTest::newRow("semicolon and hash") << s << k << QStringLiteral("; not # a comment");
        QTest::newRow("backslashes") << s << k << QStringLiteral("C:\\Users\\x\\");
        QTest::newRow("non-ASCII") << s << k << QStringLiteral("Zoë Ærøskøbing 東京 €");
        QTest::newRow("at sign first") << s << k << QStringLiteral("@Variant(\\0\\0\\0)");
        QTest::newRow("at sign only") << s << k << QStringLiteral("@");
        QTest::newRow("line breaks") << s << k << QStringLiteral("one\r\ntwo\nthree\r");
        QTest::newRow("tab") << s << k << QStringLiteral("\tx\t");
        QTest::newRow("number") << QStringLiteral("Options") << QStringLiteral("Current User")
                                << QStringLiteral("10");
        QTest::newRow("key with blank")
            << QStringLiteral("Options") << QStringLiteral("Current User")
            << QStringLiteral(" 3, 4");
    }

    // Read back by the same store and by a plain reader of the file, so the text is on
    // disk when WriteSetting returns.
    void roundTrip()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        SettingsStore store(m_path);
        store.WriteSetting(section, key, value);
        QCOMPARE(readFromDisk(section, key), value);
        QCOMPARE(store.ReadSetting(section, key, QStringLiteral("default")), value);
        QVERIFY(store.HasSetting(section, key));
    }

    void handEditedList_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QString u2 = QStringLiteral("User2");
        const QString name = QStringLiteral("Name");
        QTest::newRow("comma and blank")
            << QByteArray("[User2]\nName=a, b\n") << u2 << name << QStringLiteral("a, b");
        QTest::newRow("comma only")
            << QByteArray("[User2]\nName=a,b\n") << u2 << name << QStringLiteral("a,b");
        QTest::newRow("trailing comma")
            << QByteArray("[User2]\r\nName=desk,\r\n") << u2 << name << QStringLiteral("desk,");
        QTest::newRow("same key in an earlier section")
            << QByteArray("[User1]\nName=x, y\n[User2]\nName=a, b\n") << u2 << name
            << QStringLiteral("a, b");
        QTest::newRow("same key in a later section")
            << QByteArray("[User2]\nName=a, b\n[User20]\nName=x, y\n") << u2 << name
            << QStringLiteral("a, b");
        QTest::newRow("escaped blank in key")
            << QByteArray("[Options]\nCurrent%20User=3, 4\n") << QStringLiteral("Options")
            << QStringLiteral("Current User") << QStringLiteral("3, 4");
        QTest::newRow("non-ASCII")
            << QByteArray("[User2]\nName=Zoë, Ånn\n") << u2 << name << QStringLiteral("Zoë, Ånn");
    }

    void handEditedList()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeFileByHand(content);
        SettingsStore store(m_path);
        QCOMPARE(store.ReadSetting(section, key, QStringLiteral("default")), expected);
    }

    void absentKey_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absent key")
            << QStringLiteral("User1") << QStringLiteral("SMTP") << QStringLiteral("default");
        QTest::newRow("absent section")
            << QStringLiteral("User7") << QStringLiteral("Name") << QStringLiteral("default");
        QTest::newRow("key of another section")
            << QStringLiteral("Options") << QStringLiteral("Email") << QStringLiteral("default");
        QTest::newRow("present but empty")
            << QStringLiteral("User1") << QStringLiteral("CellEmail") << QString();
    }

    void absentKey()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        SettingsStore store(m_path);
        store.WriteSetting(QStringLiteral("User1"), QStringLiteral("Email"), QStringLiteral("e"));
        store.WriteSetting(QStringLiteral("User1"), QStringLiteral("CellEmail"), QString());
        QCOMPARE(store.ReadSetting(section, key, QStringLiteral("default")), expected);
        QCOMPARE(store.HasSetting(section, key), expected != QLatin1String("default"));
    }

    void deleteSection_data()
    {
        QTest::addColumn<QString>("deleted");
        QTest::newRow("User1 beside User10") << QStringLiteral("User1");
        QTest::newRow("User10 beside User1") << QStringLiteral("User10");
        QTest::newRow("absent section") << QStringLiteral("User5");
    }

    void deleteSection()
    {
        QFETCH(QString, deleted);
        const QStringList sections { QStringLiteral("User1"), QStringLiteral("User10"),
            QStringLiteral("User2") };
        const QStringList keys { QStringLiteral("Name"), QStringLiteral("Email"),
            QStringLiteral("SMTP"), QStringLiteral("CellEmail") };
        SettingsStore store(m_path);
        for (const QString &s : sections) {
            for (const QString &k : keys)
                store.WriteSetting(s, k, s + k);
        }
        store.WriteSetting(QStringLiteral("Options"), QStringLiteral("Current User"), deleted);
        store.DeleteSection(deleted);

        for (const QString &section : sections) {
            for (const QString &k : keys) {
                const bool gone = section == deleted;
                QCOMPARE(store.ReadSetting(section, k, QStringLiteral("<absent>")),
                    gone ? QStringLiteral("<absent>") : section + k);
                QCOMPARE(readFromDisk(section, k), gone ? QStringLiteral("<absent>") : section + k);
            }
        }
        QCOMPARE(readFromDisk(QStringLiteral("Options"), QStringLiteral("Current User")), deleted);
    }

    void ownerOnly_data()
    {
        QTest::addColumn<QByteArray>("existing"); // null: no file before
        QTest::addColumn<int>("existingMode");
        QTest::newRow("new file") << QByteArray() << 0;
        QTest::newRow("file readable by all") << QByteArray("[Options]\nError=1\n") << 0644;
        QTest::newRow("file writable by all") << QByteArray("") << 0666;
    }

    void ownerOnly()
    {
        QFETCH(QByteArray, existing);
        QFETCH(int, existingMode);
        if (!existing.isNull()) {
            writeFileByHand(existing);
            QCOMPARE(::chmod(QFile::encodeName(m_path).constData(), mode_t(existingMode)), 0);
        }
        SettingsStore store(m_path);
        QCOMPARE(modeOf(m_path), OwnerOnly);
        store.WriteSetting(QStringLiteral("User1"), QStringLiteral("Name"), QStringLiteral("x"));
        QCOMPARE(modeOf(m_path), OwnerOnly);
        store.DeleteSection(QStringLiteral("User1"));
        QCOMPARE(modeOf(m_path), OwnerOnly);
    }

    // A process killed right after WriteSetting returned has lost nothing.
    void writeSurvivesKill()
    {
        SettingsStore before(m_path);
        before.WriteSetting(
            QStringLiteral("Options"), QStringLiteral("Error"), QStringLiteral("0"));
        QVERIFY(inChildProcess(
            [&] {
                SettingsStore store(m_path);
                store.WriteSetting(
                    QStringLiteral("User3"), QStringLiteral("Name"), QStringLiteral("killed"));
                store.WriteSetting(
                    QStringLiteral("Options"), QStringLiteral("Error"), QStringLiteral("1"));
            },
            true));
        QCOMPARE(readFromDisk(QStringLiteral("User3"), QStringLiteral("Name")),
            QStringLiteral("killed"));
        QCOMPARE(before.ReadSetting(QStringLiteral("Options"), QStringLiteral("Error"), {}),
            QStringLiteral("1"));
    }

    void changeByAnotherProcess_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("newValue"); // null: the other process removes the section
        QTest::newRow("longer value") << QStringLiteral("Name") << QStringLiteral("renamed user");
        QTest::newRow("added key") << QStringLiteral("SMTP") << QStringLiteral("mail.example");
        QTest::newRow("section removed") << QStringLiteral("Name") << QString();
    }

    // The store keeps no values of its own: what another process wrote is read next.
    void changeByAnotherProcess()
    {
        QFETCH(QString, key);
        QFETCH(QString, newValue);
        SettingsStore store(m_path);
        store.WriteSetting(QStringLiteral("User4"), QStringLiteral("Name"), QStringLiteral("one"));
        const QString before = store.ReadSetting(QStringLiteral("User4"), key, QStringLiteral("-"));
        QVERIFY(inChildProcess(
            [&] {
                QSettings other(m_path, QSettings::IniFormat);
                if (newValue.isNull())
                    other.remove(QStringLiteral("User4"));
                else
                    other.setValue(QStringLiteral("User4/") + key, newValue);
                other.sync();
            },
            false));
        const QString expected = newValue.isNull() ? QStringLiteral("-") : newValue;
        QVERIFY(before != expected);
        QCOMPARE(store.ReadSetting(QStringLiteral("User4"), key, QStringLiteral("-")), expected);
        QCOMPARE(store.HasSetting(QStringLiteral("User4"), key), !newValue.isNull());
    }

    void handEditWhileRunning_data()
    {
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<QString>("expected");
        QTest::newRow("longer, a list") << QByteArray("[User1]\nName=edited by hand, later\n")
                                        << QStringLiteral("edited by hand, later");
        QTest::newRow("same length") << QByteArray("[User1]\nName=b\n") << QStringLiteral("b");
        QTest::newRow("key removed") << QByteArray("[User1]\n") << QStringLiteral("<absent>");
    }

    // A person who edits the file while the program runs is read at the next read. The
    // edit comes a second after the program's own write, as a person's edit would.
    void handEditWhileRunning()
    {
        QFETCH(QByteArray, edited);
        QFETCH(QString, expected);
        SettingsStore store(m_path);
        store.WriteSetting(QStringLiteral("User1"), QStringLiteral("Name"), QStringLiteral("a"));
        QCOMPARE(store.ReadSetting(QStringLiteral("User1"), QStringLiteral("Name"), {}),
            QStringLiteral("a"));
        const QDateTime written = QFileInfo(m_path).lastModified();
        writeFileByHand(edited);
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(written.addSecs(1), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(store.ReadSetting(
                     QStringLiteral("User1"), QStringLiteral("Name"), QStringLiteral("<absent>")),
            expected);
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
