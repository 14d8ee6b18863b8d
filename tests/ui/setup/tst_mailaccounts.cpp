#include "support/DataColumns.h"
#include "ui/setup/EvolutionAccounts.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ThunderbirdAccounts.h"

#include <QTest>

namespace {

QString fixture(const QString &name)
{
    return qEnvironmentVariable("TOLVANE_SOURCE_DIR") + QStringLiteral("/tests/data/mail/") + name;
}

// Server options as "security/port/login".
QString shown(const MailServerOptions &options)
{
    const QString security = MailServerOptions::securityText(options.security);
    return (security.isEmpty() ? "none" : security) + '/' + options.port + '/' + options.login;
}

// What was found, as "address|server|options", with "-" for a value not found.
QString shown(const MailAccount &found)
{
    return (found.addressFound ? found.address : QStringLiteral("-")) + u'|'
        + (found.serverFound ? found.server : QStringLiteral("-")) + u'|' + shown(found.options);
}

MailAccount installed(const QString &thunderbird, const QString &evolution)
{
    return SearchMailAccounts(
        ThunderbirdAccounts(fixture(thunderbird)), EvolutionAccounts(fixture(evolution)));
}

} // namespace

class TestMailAccounts : public QObject {
    Q_OBJECT
private slots:
    void fromProfiles_data()
    {
        Columns<QString, QString, QString>({ "thunderbird", "evolution", "found" });
        // The installation's default profile, not the older one marked default; the first
        // account of the list has no identity, the next one's identity no address; the
        // identity that wins sends through the default server.
        // The options are those of the winning identity's server, never another account's.
        QTest::newRow("Thunderbird preferred") << "tb-preferred"
                                               << "evolution/sources"
                                               << "ann@example.org|mail.example.org|STARTTLS//ann";
        QTest::newRow("winning account without a server") << "tb-no-server"
                                                          << "evolution/sources"
                                                          << "bo@example.net|-|none//";
        // The disabled identity is passed over.
        QTest::newRow("profile gone: Evolution") << "tb-lost-profile"
                                                 << "evolution/sources"
                                                 << "eve@example.com|smtp.example.com|TLS//eve";
        QTest::newRow("nothing installed") << "none"
                                           << "none"
                                           << "-|-|none//";
    }
    void fromProfiles()
    {
        QFETCH(QString, thunderbird);
        QFETCH(QString, evolution);
        QTEST(shown(installed(thunderbird, evolution)), "found");
    }

    // Each account of these profiles sends through a server of its own, reached as its
    // client's values say (see the fixture files).
    void serverOptions_data()
    {
        Columns<QString, int, QString>({ "client", "account", "options" });
        QTest::newRow("tb 0: login in clear left out") << "tb" << 0 << "none/2525/";
        QTest::newRow("tb 1") << "tb" << 1 << "STARTTLS//me";
        QTest::newRow("tb 2 on the usual port") << "tb" << 2 << "STARTTLS//me";
        QTest::newRow("tb 3 on 587") << "tb" << 3 << "TLS/587/me";
        QTest::newRow("tb 3 on the usual port") << "tb" << 4 << "TLS//";
        QTest::newRow("tb unknown try_ssl") << "tb" << 5 << "none/465/";
        QTest::newRow("tb port 0") << "tb" << 6 << "STARTTLS//me";
        QTest::newRow("evo none") << "evo" << 0 << "none/2525/";
        QTest::newRow("evo STARTTLS") << "evo" << 1 << "STARTTLS//me";
        QTest::newRow("evo TLS on 2465") << "evo" << 2 << "TLS/2465/me";
        QTest::newRow("evo unknown method") << "evo" << 3 << "none/465/";
    }
    void serverOptions()
    {
        QFETCH(QString, client);
        QFETCH(int, account);
        const MailAccountStore store = client == "tb"
            ? ThunderbirdAccounts(fixture("tb-servers"))
            : EvolutionAccounts(fixture("evolution-servers"));
        QTEST(shown(SearchMailAccounts({ store.at(account) }, {}).options), "options");
    }

    void searchRules_data()
    {
        using Values = QHash<QString, QString>;
        const QString address = MailAccountValues::Address;
        const QString server = MailAccountValues::Server;
        Columns<MailAccountStore, MailAccountStore, QString>({ "first", "second", "found" });
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
    void searchRules()
    {
        QFETCH(MailAccountStore, first);
        QFETCH(MailAccountStore, second);
        QTEST(shown(SearchMailAccounts(first, second)), "found");
    }
};

QTEST_MAIN(TestMailAccounts)
#include "tst_mailaccounts.moc"
