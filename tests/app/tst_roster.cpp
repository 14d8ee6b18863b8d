#include "app/Roster.h"
#include "app/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Names = QMap<int, QString>; // user number -> "Name"

const QString NameKey = QStringLiteral("Name");
const QString CellKey = QStringLiteral("CellEmail");
const QString Absent = QStringLiteral("<no key>");

} // namespace

class TestRoster : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<SettingsStore>(m_dir->path() + QStringLiteral("/Tolvane.ini"));
    }

    void freeSlots_data()
    {
        QTest::addColumn<Names>("users");
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<int>("firstFree");
        QTest::addColumn<QList<int>>("configured");
        QTest::newRow("none") << Names {} << QList<int> {} << 1 << QList<int> {};
        QTest::newRow("1 2 3") << names({ 1, 2, 3 }) << QList<int> {} << 4
                               << QList<int> { 1, 2, 3 };
        QTest::newRow("1 2 3, 2 removed")
            << names({ 1, 2, 3 }) << QList<int> { 2 } << 2 << QList<int> { 1, 3 };
        QTest::newRow("1 removed, 5 holds no name")
            << names({ 1, 2, 3, 4, 6, 7, 8, 9, 10 }) << QList<int> { 1 } << 1
            << QList<int> { 2, 3, 4, 6, 7, 8, 9, 10 };
        QTest::newRow("only 10 free") << names({ 1, 2, 3, 4, 5, 6, 7, 8, 9 }) << QList<int> {} << 10
                                      << QList<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
        QTest::newRow("all ten") << names({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }) << QList<int> {} << 0
                                 << QList<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
        QTest::newRow("a user named No")
            << Names { { 1, QStringLiteral("No") } } << QList<int> {} << 2 << QList<int> { 1 };
        QTest::newRow("an empty name is still a user")
            << Names { { 1, QString() }, { 3, QStringLiteral("c") } } << QList<int> {} << 2
            << QList<int> { 1, 3 };
    }

    void freeSlots()
    {
        QFETCH(Names, users);
        QFETCH(QList<int>, removed);
        QFETCH(int, firstFree);
        QFETCH(QList<int>, configured);
        for (auto it = users.cbegin(); it != users.cend(); ++it)
            m_store->WriteSetting(Roster::UserSection(it.key()), NameKey, it.value());
        // A section with other keys but no "Name" is a free slot.
        m_store->WriteSetting(QStringLiteral("User5"), CellKey, QStringLiteral("left@over"));
        for (int n : removed)
            m_store->DeleteSection(Roster::UserSection(n));

        QCOMPARE(Roster::FirstFreeSlot(*m_store), firstFree);
        QList<int> numbers;
        for (const Roster::User &u : Roster::ConfiguredUsers(*m_store)) {
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
        const Names desk { { 1, QStringLiteral("desk") }, { 4, QStringLiteral("Anna Berg") } };
        const QStringList keys { NameKey, CellKey };
        for (const QString &key : keys) {
            const QByteArray k = key.toLatin1();
            QTest::addRow("%s: exact", k.constData())
                << key << desk << QStringLiteral("desk") << true;
            QTest::addRow("%s: other case", k.constData())
                << key << desk << QStringLiteral("Desk") << false;
            QTest::addRow("%s: trailing blank", k.constData())
                << key << desk << QStringLiteral("desk ") << false;
            QTest::addRow("%s: part of a value", k.constData())
                << key << desk << QStringLiteral("Anna") << false;
            QTest::addRow("%s: in slot 10", k.constData())
                << key << Names { { 10, QStringLiteral("ten") } } << QStringLiteral("ten") << true;
            QTest::addRow("%s: empty while a slot is free", k.constData())
                << key << desk << QString() << true;
            QTest::addRow("%s: empty with all ten filled", k.constData())
                << key << allTen() << QString() << false;
        }
        QTest::newRow("a name is not a phone address")
            << CellKey << Names {} << QStringLiteral("desk") << false;
    }

    // The uniqueness tests of a new user's name and phone address.
    void inUse()
    {
        QFETCH(QString, key);
        QFETCH(Names, stored);
        QFETCH(QString, entered);
        QFETCH(bool, inUse);
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            m_store->WriteSetting(Roster::UserSection(it.key()), key, it.value());
        if (key == CellKey) // names that must not count as phone addresses
            m_store->WriteSetting(QStringLiteral("User2"), NameKey, QStringLiteral("desk"));
        const bool result = key == NameKey ? Roster::NameInUse(*m_store, entered)
                                           : Roster::PhoneAddressInUse(*m_store, entered);
        QCOMPARE(result, inUse);
    }

    void getUserInfo_data()
    {
        QTest::addColumn<QString>("currentUser");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("caption");
        QTest::newRow("3 with a name")
            << QStringLiteral("3") << 3 << QStringLiteral("Tolvane - Cara");
        QTest::newRow("10") << QStringLiteral("10") << 10 << QStringLiteral("Tolvane - Tor, Jr.");
        QTest::newRow("absent: user 1") << Absent << 1 << QStringLiteral("Tolvane - Ann");
        QTest::newRow("not a number") << QStringLiteral("abc") << 0 << QStringLiteral("Tolvane - ");
        QTest::newRow("a free slot") << QStringLiteral("2") << 2 << QStringLiteral("Tolvane - ");
        QTest::newRow("No is a name") << QStringLiteral("5") << 5 << QStringLiteral("Tolvane - No");
        // The section is named from the text as read, which names no user here.
        QTest::newRow("number then letters")
            << QStringLiteral("3x") << 3 << QStringLiteral("Tolvane - ");
        QTest::newRow("empty text") << QString() << 0 << QStringLiteral("Tolvane - ");
    }

    void getUserInfo()
    {
        QFETCH(QString, currentUser);
        QFETCH(int, number);
        QFETCH(QString, caption);
        const Names users { { 1, QStringLiteral("Ann") }, { 3, QStringLiteral("Cara") },
            { 5, QStringLiteral("No") }, { 10, QStringLiteral("Tor, Jr.") } };
        for (auto it = users.cbegin(); it != users.cend(); ++it)
            m_store->WriteSetting(Roster::UserSection(it.key()), NameKey, it.value());
        if (currentUser != Absent)
            m_store->WriteSetting(
                QStringLiteral("Options"), QStringLiteral("Current User"), currentUser);
        const Roster::UserInfo info = Roster::GetUserInfo(*m_store);
        QCOMPARE(info.currentUser, number);
        QCOMPARE(info.caption, caption);
    }

private:
    static Names names(std::initializer_list<int> numbers)
    {
        Names result;
        for (int n : numbers)
            result.insert(n, QStringLiteral("user %1").arg(n));
        return result;
    }
    static Names allTen() { return names({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
};

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
