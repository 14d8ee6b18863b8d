#include "support/DataColumns.h"
#include "ui/setup/EvolutionAccounts.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ThunderbirdAccounts.h"

namespace {

MailAccountStore thunderbird(const char *name)
{
    return ThunderbirdAccounts(
        qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/data/mail/" + name);
}
MailAccountStore evolution(const char *name)
{
    return EvolutionAccounts(
        qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/data/mail/" + name);
}

// What was found, as "address|server|security/port/login", with "-" for a value not found.
QString shown(const MailAccount &found)
{
    const QString security = MailServerOptions::securityText(found.options.security);
    return (found.addressFound ? found.address : QStringLiteral("-")) + u'|'
        + (found.serverFound ? found.server : QStringLiteral("-")) + u'|'
        + (security.isEmpty() ? "none" : security) + '/' + found.options.port + '/'
        + found.options.login;
}

} // namespace

class TestMailAccounts : public QObject {
    Q_OBJECT
private slots:
    // The first store is searched before the second. Rows that give only the options look
    // at one account of the fixture alone: each sends through a server of its own, reached
    // as its client's values say (see the fixture files).
    void search_data()
    {
        using Values = QHash<QString, QString>;
        const QString address = MailAccountValues::Address;
        const QString server = MailAccountValues::Server;
        Columns<MailAccountStore, MailAccountStore, QString>({ "first", "second", "found" });
        // The installation's default profile, not the older one marked default; the first
        // account of the list has no identity, the next one's identity no address; the
        // identity that wins sends through the default server, with that server's options,
        // never another account's.
        QTest::newRow("Thunderbird preferred")
            << thunderbird("tb-preferred") << evolution("evolution/sources")
            << "ann@example.org|mail.example.org|STARTTLS//ann";
        QTest::newRow("winning account without a server")
            << thunderbird("tb-no-server") << evolution("evolution/sources")
            << "bo@example.net|-|none//";
        // The disabled identity is passed over.
        QTest::newRow("profile gone: Evolution")
            << thunderbird("tb-lost-profile") << evolution("evolution/sources")
            << "eve@example.com|smtp.example.com|TLS//eve";
        QTest::newRow("nothing installed")
            << thunderbird("none") << evolution("none") << "-|-|none//";
        const char *options[][2] = { { "tb 0: login in clear left out", "none/2525/" },
            { "tb 1", "STARTTLS//me" }, { "tb 2 on the usual port", "STARTTLS//me" },
            { "tb 3 on 587", "TLS/587/me" }, { "tb 3 on the usual port", "TLS//" },
            { "tb unknown try_ssl", "none/465/" }, { "tb port 0", "STARTTLS//me" },
            { "evo none", "none/2525/" }, { "evo STARTTLS", "STARTTLS//me" },
            { "evo TLS on 2465", "TLS/2465/me" }, { "evo unknown method", "none/465/" } };
        const MailAccountStore tb = thunderbird("tb-servers");
        const MailAccountStore evo = evolution("evolution-servers");
        QVERIFY(tb.size() == 7 && evo.size() == 4);
        for (int i = 0; i < 11; ++i)
            QTest::newRow(options[i][0]) << MailAccountStore { i < 7 ? tb.at(i) : evo.at(i - 7) }
                                         << MailAccountStore {} << QString(options[i][1]);
        QTest::newRow("too long to read is no address")
            << MailAccountStore { Values { { address, QString(255, 'a') } },
                   Values { { address, QString(254, 'b') }, { server, "s2" } } }
            << MailAccountStore {} << QString(254, 'b') + "|s2|none//";
        QTest::newRow("blanks trimmed")
            << MailAccountStore { Values { { address, "  a@x " }, { server, " s " } } }
            << MailAccountStore {} << "a@x|s|none//";
        QTest::newRow("no address: second store's first account's server")
            << MailAccountStore { Values { { server, "s1" } } }
            << MailAccountStore { Values { { server, "s2" } } } << "-|s2|none//";
        QTest::newRow("account 9 is the last")
            << MailAccountStore(10, Values {}) + MailAccountStore { Values { { address, "x@x" } } }
            << MailAccountStore { {}, Values { { address, "y@y" } } } << "y@y|-|none//";
    }
    void search()
    {
        QFETCH(MailAccountStore, first);
        QFETCH(MailAccountStore, second);
        QFETCH(QString, found);
        const QString got = shown(SearchMailAccounts(first, second));
        QCOMPARE(found.contains('|') ? got : got.section('|', 2), found);
    }
};

QTEST_MAIN(TestMailAccounts)
#include "tst_mailaccounts.moc"
