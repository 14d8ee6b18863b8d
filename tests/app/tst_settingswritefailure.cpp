#include "app/SettingsStore.h"
#include "support/FullDisk.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

// A settings write that cannot reach the disk must not be reported as done, nor be read
// back as if it had been stored.
class TestSettingsWriteFailure : public QObject {
    Q_OBJECT

private slots:
    void fullDiskChangeThrowsAndIsTakenBack_data()
    {
        QTest::addColumn<bool>("deleteSection");
        QTest::newRow("write") << false;
        QTest::newRow("delete section") << true;
    }
    void fullDiskChangeThrowsAndIsTakenBack()
    {
        QFETCH(bool, deleteSection);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Tolvane.ini"));
        SettingsStore store(path);
        store.WriteSetting(QStringLiteral("User1"), QStringLiteral("Name"), QStringLiteral("Ada"));
        store.WriteSetting(
            QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
        auto fullDisk = std::make_optional<FullDisk>(1);
        bool thrown = false;
        try {
            if (deleteSection)
                store.DeleteSection(QStringLiteral("User1"));
            else
                store.WriteSetting(QStringLiteral("User1"), QStringLiteral("CellEmail"),
                    QStringLiteral("5551234567@sms.example.net, and more text"));
        } catch (const SettingsError &) {
            thrown = true;
        }
        fullDisk.reset();

        QVERIFY(thrown);
        QCOMPARE(store.ReadSetting(QStringLiteral("User1"), QStringLiteral("CellEmail"),
                     QStringLiteral("absent")),
            QStringLiteral("absent"));
        QCOMPARE(store.ReadSetting(QStringLiteral("User1"), QStringLiteral("Name"), {}),
            QStringLiteral("Ada"));
        // With room again, the next write works.
        store.WriteSetting(
            QStringLiteral("User1"), QStringLiteral("CellEmail"), QStringLiteral("x"));
        QCOMPARE(SettingsStore(path).ReadSetting(
                     QStringLiteral("User1"), QStringLiteral("CellEmail"), {}),
            QStringLiteral("x"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsWriteFailure)
#include "tst_settingswritefailure.moc"
