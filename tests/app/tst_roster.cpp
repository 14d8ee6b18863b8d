#include "app/Roster.h"
#include "support/DataColumns.h"
#include "support/TestEnvironment.h"

namespace {

using Names = QMap<int, QString>; // user number -> "Name"

Names numbered(int from, int to, int except = 0)
{
    Names result;
    for (int n = from; n <= to; ++n) {
        if (n != except)
            result.insert(n, QStringLiteral("user %1").arg(n));
    }
    return result;
}

void writeNames(SettingsStore &store, const Names &names, const QString &key = "Name")
{
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        store.WriteSetting(Roster::UserSection(it.key()), key, it.value());
}

} // namespace

class TestRoster : public QObject {
    Q_OBJECT

private slots:
    void freeSlots_data()
    {
        Columns<Names, int, int>({ "users", "removed", "firstFree" });
        QTest::newRow("1 2 3, 2 removed") << numbered(1, 3) << 2 << 2;
        QTest::newRow("1 removed, 5 holds no name") << numbered(1, 10, 5) << 1 << 1;
        QTest::newRow("only 10 free") << numbered(1, 9) << 0 << 10;
        QTest::newRow("all ten") << numbered(1, 10) << 0 << 0;
        QTest::newRow("users named No and with an empty name")
            << Names { { 1, "No" }, { 2, "" }, { 4, "c" } } << 0 << 3;
    }
    void freeSlots()
    {
        QFETCH(Names, users);
        QFETCH(int, removed);
        TestEnvironment env;
        writeNames(env.settings, users);
        env.settings.WriteSetting("User5", "CellEmail", "left@over"); // no "Name": a free slot
        if (removed) {
            env.settings.DeleteSection(Roster::UserSection(removed));
            users.remove(removed);
        }
        QTEST(Roster::FirstFreeSlot(env.settings), "firstFree");
        Names configured;
        for (const Roster::User &u : Roster::ConfiguredUsers(env.settings))
            configured.insert(u.number, u.name);
        QCOMPARE(configured, users);
    }

    // The uniqueness tests of a new user's name and phone address.
    void inUse_data()
    {
        Columns<QString, Names, QString, bool>({ "key", "stored", "entered", "inUse" });
        const Names desk { { 1, "desk" }, { 10, "Anna Berg" } };
        for (const char *key : { "Name", "CellEmail" }) {
            QTest::addRow("%s: exact, in slot 10", key) << key << desk << "Anna Berg" << true;
            QTest::addRow("%s: other case", key) << key << desk << "Desk" << false;
            QTest::addRow("%s: trailing blank", key) << key << desk << "desk " << false;
            QTest::addRow("%s: part of a value", key) << key << desk << "Anna" << false;
            QTest::addRow("%s: empty while a slot is free", key) << key << desk << "" << true;
            QTest::addRow("%s: empty with all ten filled", key)
                << key << numbered(1, 10) << "" << false;
        }
        QTest::newRow("a name is not a phone address")
            << "CellEmail" << Names {} << "desk" << false;
    }
    void inUse()
    {
        QFETCH(QString, key);
        QFETCH(Names, stored);
        QFETCH(QString, entered);
        TestEnvironment env;
        writeNames(env.settings, stored, key);
        env.settings.WriteSetting("User2", "Name", "desk");
        QTEST(key == "Name" ? Roster::NameInUse(env.settings, entered)
                            : Roster::PhoneAddressInUse(env.settings, entered),
            "inUse");
    }

    void getUserInfo_data()
    {
        Columns<QString, int, QString>({ "currentUser", "number", "caption" });
        QTest::newRow("absent: user 1") << QString() << 1 << "Tolvane - Ann";
        QTest::newRow("not a number") << "abc" << 0 << "Tolvane - ";
    }
    void getUserInfo()
    {
        QFETCH(QString, currentUser);
        TestEnvironment env;
        writeNames(env.settings, { { 1, "Ann" }, { 10, "Tor, Jr." } });
        if (!currentUser.isNull())
            env.settings.WriteSetting("Options", "Current User", currentUser);
        QTEST(Roster::GetUserInfo(env.settings).currentUser, "number");
        QTEST(Roster::GetUserInfo(env.settings).caption, "caption");
    }
};

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
