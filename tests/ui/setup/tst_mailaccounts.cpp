// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/DataColumns.h"
#include "ui/setup/EvolutionAccounts.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ThunderbirdAccounts.h"

using Values = QHash<QString, QString>;

class TestMailAccounts : public QObject {
    Q_OBJECT
private slots:
    // The first store is searched before the second. Rows that give only the options look
    // at one account of the fixture alone: each sends through a server of its own, reached
    // as its client's values say (see the fixture files).
    void search_data()
    {
        const QString address = MailAccountValues::Address, server = MailAccountValues::Server;
        Columns<MailAccountStore, MailAccountStore, QString>({ "first", "second", "found" });
        const QString mail = qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/data/mail/";
        auto row
            = [](const char *tag, const MailAccountStore &first, const MailAccountStore &second,
                  const QString &found) { QTest::newRow(tag) << first << second << found; };
        // The installation's default profile, not the older one marked default; the first
        // account of the list has no identity, the next one's identity no address; the
        // identity that wins sends through the default server, with that server's options,
        // never another account's.
        const MailAccountStore evo = evolutionAccounts(mail + "evolution/sources");
        row("Thunderbird preferred", thunderbirdAccounts(mail + "tb-preferred"), evo,
            "ann@example.org|mail.example.org|STARTTLS//ann");
        row("winning account without a server", thunderbirdAccounts(mail + "tb-no-server"), evo,
            "bo@example.net|-|none//");
        // The disabled identity is passed over.
        row("profile gone: Evolution", thunderbirdAccounts(mail + "tb-lost-profile"), evo,
            "eve@example.com|smtp.example.com|TLS//eve");
        row("nothing installed", thunderbirdAccounts(mail + "none"),
            evolutionAccounts(mail + "none"), "-|-|none//");
        const QStringList options { "tb 0: login in clear left out|none/2525/", "tb 1|STARTTLS//me",
            "tb 2 on the usual port|STARTTLS//me", "tb 3 on 587|TLS/587/me",
            "tb 3 on the usual port|TLS//", "tb unknown try_ssl|none/465/",
            "tb port 0|STARTTLS//me", "evo none|none/2525/", "evo STARTTLS|STARTTLS//me",
            "evo TLS on 2465|TLS/2465/me", "evo unknown method|none/465/" };
        const MailAccountStore servers = thunderbirdAccounts(mail + "tb-servers")
            + evolutionAccounts(mail + "evolution-servers");
        QCOMPARE(servers.size(), options.size());
        for (int i = 0; i < servers.size(); ++i)
            QTest::newRow(qPrintable(options[i].section('|', 0, 0)))
                << MailAccountStore { servers.at(i) } << MailAccountStore {}
                << options[i].section('|', 1);
        row("too long to read is no address",
            { Values { { address, QString(255, 'a') } },
                Values { { address, QString(254, 'b') }, { server, "s2" } } },
            {}, QString(254, 'b') + "|s2|none//");
        row("blanks trimmed", { Values { { address, "  a@x " }, { server, " s " } } }, {},
            "a@x|s|none//");
        row("no address: second store's first account's server", { Values { { server, "s1" } } },
            { Values { { server, "s2" } } }, "-|s2|none//");
        row("account 9 is the last",
            MailAccountStore(10, Values {}) + MailAccountStore { Values { { address, "x@x" } } },
            { {}, Values { { address, "y@y" } } }, "y@y|-|none//");
    }
    void search()
    {
        QFETCH(MailAccountStore, first);
        QFETCH(MailAccountStore, second);
        QFETCH(QString, found);
        // "address|server|security/port/login", "-" for a value not found.
        const MailAccount got = searchMailAccounts(first, second);
        const QString security = MailServerOptions::securityText(got.options.security);
        const QString options = (security.isEmpty() ? "none" : security) + '/' + got.options.port
            + '/' + got.options.login;
        QCOMPARE(found.contains('|') ? (got.addressFound ? got.address : "-") + '|'
                    + (got.serverFound ? got.server : "-") + '|' + options
                                     : options,
            found);
    }
};

QTEST_MAIN(TestMailAccounts)
#include "tst_mailaccounts.moc"
