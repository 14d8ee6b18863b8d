#include "app/Roster.h"
#include "support/TestEnvironment.h"

#include <QTest>

namespace {

using Names = QMap<int, QString>; // user number -> "Name"

Names numbered(std::initializer_list<int> numbers)
{
    Names result;
    for (int n : numbers)
        result.insert(n, QStringLiteral("user %1").arg(n));
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
        QTest::addColumn<Names>("users");
        QTest::addColumn<int>("removed"); // 0: none
        QTest::addColumn<int>("firstFree");
        QTest::addColumn<QList<int>>("configured");
        QTest::newRow("none") << Names {} << 0 << 1 << QList<int> {};
        QTest::newRow("1 2 3, 2 removed") << numbered({ 1, 2, 3 }) << 2 << 2 << QList<int> { 1, 3 };
        QTest::newRow("1 removed, 5 holds no name") << numbered({ 1, 2, 3, 4, 6, 7, 8, 9, 10 }) << 1
                                                    << 1 << QList<int> { 2, 3, 4, 6, 7, 8, 9, 10 };
        QTest::newRow("only 10 free") << numbered({ 1, 2, 3, 4, 5, 6, 7, 8, 9 }) << 0 << 10
                                      << QList<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
        QTest::newRow("all ten") << numbered({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }) << 0 << 0
                                 << QList<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
        QTest::newRow("users named No and with an empty name")
            << Names { { 1, "No" }, { 2, "" }, { 4, "c" } } << 0 << 3 << QList<int> { 1, 2, 4 };
    }

    void freeSlots()
    {
        QFETCH(Names, users);
        QFETCH(int, removed);
        QFETCH(QList<int>, configured);
        TestEnvironment env;
        writeNames(env.settings, users);
        // A section with other keys but no "Name" is a free slot.
        env.settings.WriteSetting("User5", "CellEmail", "left@over");
        if (removed)
            env.settings.DeleteSection(Roster::UserSection(removed));
        QTEST(Roster::FirstFreeSlot(env.settings), "firstFree");
        QList<int> numbers;
        for (const Roster::User &u : Roster::ConfiguredUsers(env.settings)) {
            QCOMPARE(u.name, users.value(u.number));
            numbers.append(u.number);
        }
        QCOMPARE(numbers, configured);
    }

    void inUse_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<Names>("stored");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("inUse");
        const Names desk { { 1, "desk" }, { 10, "Anna Berg" } };
        for (const char *key : { "Name", "CellEmail" }) {
            QTest::addRow("%s: exact, in slot 10", key) << key << desk << "Anna Berg" << true;
            QTest::addRow("%s: other case", key) << key << desk << "Desk" << false;
            QTest::addRow("%s: trailing blank", key) << key << desk << "desk " << false;
            QTest::addRow("%s: part of a value", key) << key << desk << "Anna" << false;
            QTest::addRow("%s: empty while a slot is free", key) << key << desk << "" << true;
            QTest::addRow("%s: empty with all ten filled", key)
                << key << numbered({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }) << "" << false;
        }
        QTest::newRow("a name is not a phone address")
            << "CellEmail" << Names {} << "desk" << false;
    }

    // The uniqueness tests of a new user's name and phone address.
    void inUse()
    {
        QFETCH(QString, key);
        QFETCH(Names, stored);
        QFETCH(QString, entered);
        TestEnvironment env;
        writeNames(env.settings, stored, key);
        if (key == "CellEmail") // names that must not count as phone addresses
            env.settings.WriteSetting("User2", "Name", "desk");
        QTEST(key == "Name" ? Roster::NameInUse(env.settings, entered)
                            : Roster::PhoneAddressInUse(env.settings, entered),
            "inUse");
    }

    void getUserInfo_data()
    {
        QTest::addColumn<QString>("currentUser"); // null: absent
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("caption");
        QTest::newRow("10") << "10" << 10 << "Tolvane - Tor, Jr.";
        QTest::newRow("absent: user 1") << QString() << 1 << "Tolvane - Ann";
        QTest::newRow("not a number") << "abc" << 0 << "Tolvane - ";
        QTest::newRow("a free slot") << "2" << 2 << "Tolvane - ";
        // The section is named from the text as read, which names no user here.
        QTest::newRow("number then letters") << "3x" << 3 << "Tolvane - ";
    }

    void getUserInfo()
    {
        QFETCH(QString, currentUser);
        TestEnvironment env;
        writeNames(env.settings, { { 1, "Ann" }, { 3, "Cara" }, { 10, "Tor, Jr." } });
        if (!currentUser.isNull())
            env.settings.WriteSetting("Options", "Current User", currentUser);
        const Roster::UserInfo info = Roster::GetUserInfo(env.settings);
        QTEST(info.currentUser, "number");
        QTEST(info.caption, "caption");
    }
};

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
