#include "app/Roster.h"
#include "support/DataColumns.h"
#include "support/TestEnvironment.h"

// fuzz_settings checks that the scans agree with each other on any file; these rows pin
// what each one means.
class TestRoster : public QObject {
    Q_OBJECT
private slots:
    // stored: "n:Name", "n#CellEmail", "@Current User", ';' apart; "ten": users 1 to 10,
    // each with a name and a phone address "un". ask: "free", "users", "name:text",
    // "cell:text", "current", '|' apart, answered the same way.
    void roster_data()
    {
        Columns<QString, QString, QString>({ "stored", "ask", "answer" });
        QTest::newRow("a Name, even empty, configures; a slot with no Name is free")
            << "1:No;2:;4:c;5#left@over"
            << "free|users"
            << "3|1 No,2 ,4 c";
        QTest::newRow("all ten: none free; an empty text is no name or address in use")
            << "ten"
            << "free|name:|cell:"
            << "0|0|0";
        QTest::newRow("names: exact, in any slot to 10; empty while a slot is free")
            << "2:desk;10:Anna Berg"
            << "name:Anna Berg|name:Desk|name:desk |name:Anna|name:"
            << "1|0|0|0|1";
        QTest::newRow("phone addresses alike; a name is no address")
            << "2:desk;10#Anna Berg;3#x"
            << "cell:Anna Berg|cell:Desk|cell:Anna Berg |cell:Anna|cell:|cell:desk"
            << "1|0|0|0|1|0";
        QTest::newRow("no current user: user 1") << "1:Ann"
                                                 << "current"
                                                 << "1 Tolvane - Ann";
        QTest::newRow("current user not a number") << "1:Ann;@abc"
                                                   << "current"
                                                   << "0 Tolvane - ";
        QTest::newRow("current user 10") << "1:Ann;10:Tor, Jr.;@10"
                                         << "current"
                                         << "10 Tolvane - Tor, Jr.";
    }
    void roster()
    {
        QFETCH(QString, stored);
        QFETCH(QString, ask);
        TestEnvironment env;
        for (int n = 1; n <= 10 && stored == "ten"; ++n)
            env.addUser(n, QStringLiteral("u%1").arg(n), QStringLiteral("u%1").arg(n));
        for (const QString &item : stored == "ten" ? QStringList() : stored.split(';')) {
            const qsizetype at = item.indexOf(QRegularExpression("[:#@]"));
            const QString section = at ? Roster::UserSection(item.left(at).toInt()) : "Options";
            const char *key = item[at] == '@' ? "Current User"
                : item[at] == ':'             ? "Name"
                                              : "CellEmail";
            env.settings.WriteSetting(section, key, item.mid(at + 1));
        }
        const auto answer = [&](const QString &q) {
            const QString text = q.section(':', 1);
            const Roster::UserInfo info = Roster::GetUserInfo(env.settings);
            if (q == "free")
                return QString::number(Roster::FirstFreeSlot(env.settings));
            if (q == "current")
                return QString::number(info.currentUser) + ' ' + info.caption;
            if (q != "users")
                return QString::number(q.startsWith("name:")
                        ? Roster::NameInUse(env.settings, text)
                        : Roster::PhoneAddressInUse(env.settings, text));
            QStringList users;
            for (const Roster::User &u : Roster::ConfiguredUsers(env.settings))
                users << QString::number(u.number) + ' ' + u.name;
            return users.join(',');
        };
        QStringList answers;
        for (const QString &q : ask.split('|'))
            answers << answer(q);
        QTEST(answers.join('|'), "answer");
    }
};

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
