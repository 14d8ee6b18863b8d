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
        if (stored == "ten")
            stored = "1:u1;1#u1;2:u2;2#u2;3:u3;3#u3;4:u4;4#u4;5:u5;5#u5;6:u6;6#u6;7:u7;7#u7;"
                     "8:u8;8#u8;9:u9;9#u9;10:u10;10#u10";
        for (const QString &item : stored.split(';')) {
            const qsizetype at = item.indexOf(QRegularExpression("[:#@]"));
            const QString value = item.mid(at + 1);
            if (item.at(at) == '@')
                env.settings.WriteSetting("Options", "Current User", value);
            else
                env.settings.WriteSetting(Roster::UserSection(item.left(at).toInt()),
                    item.at(at) == ':' ? "Name" : "CellEmail", value);
        }
        QStringList answers;
        for (const QString &q : ask.split('|')) {
            const QString text = q.section(':', 1);
            if (q == "free") {
                answers << QString::number(Roster::FirstFreeSlot(env.settings));
            } else if (q == "users") {
                QStringList users;
                for (const Roster::User &u : Roster::ConfiguredUsers(env.settings))
                    users << QString::number(u.number) + ' ' + u.name;
                answers << users.join(',');
            } else if (q == "current") {
                const Roster::UserInfo info = Roster::GetUserInfo(env.settings);
                answers << QString::number(info.currentUser) + ' ' + info.caption;
            } else {
                answers << QString::number(q.startsWith("name:")
                        ? Roster::NameInUse(env.settings, text)
                        : Roster::PhoneAddressInUse(env.settings, text));
            }
        }
        QTEST(answers.join('|'), "answer");
    }
};

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
