#include "support/DataColumns.h"
#include "support/TestEnvironment.h"
#include "ui/setup/EvolutionAccounts.h"
#include "ui/setup/FrmLocalEmail.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/SetupWizard.h"
#include "ui/setup/ThunderbirdAccounts.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

QString fixture(const QString &name)
{
    return qEnvironmentVariable("TOLVANE_SOURCE_DIR") + QStringLiteral("/tests/data/mail/") + name;
}

// What was found, as "address|server", with "-" for a value not found.
QString shown(const MailAccount &found)
{
    return (found.addressFound ? found.address : QStringLiteral("-")) + u'|'
        + (found.serverFound ? found.server : QStringLiteral("-"));
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
        QTest::newRow("Thunderbird preferred") << "tb-preferred"
                                               << "evolution/sources"
                                               << "ann@example.org|mail.example.org";
        QTest::newRow("winning account without a server") << "tb-no-server"
                                                          << "evolution/sources"
                                                          << "bo@example.net|-";
        // The disabled identity is passed over.
        QTest::newRow("profile gone: Evolution") << "tb-lost-profile"
                                                 << "evolution/sources"
                                                 << "eve@example.com|smtp.example.com";
        QTest::newRow("nothing installed") << "none"
                                           << "none"
                                           << "-|-";
    }
    void fromProfiles()
    {
        QFETCH(QString, thunderbird);
        QFETCH(QString, evolution);
        QTEST(shown(installed(thunderbird, evolution)), "found");
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
            << MailAccountStore {} << QString(254, 'b') + "|s2";
        QTest::newRow("blanks trimmed")
            << MailAccountStore { Values { { address, "  a@x " }, { server, " s " } } }
            << MailAccountStore {} << "a@x|s";
        QTest::newRow("no address: second store's first account's server")
            << MailAccountStore { Values { { server, "s1" } } }
            << MailAccountStore { Values { { server, "s2" } } } << "-|s2";
        QTest::newRow("account 9 is the last")
            << MailAccountStore(10, Values {}) + MailAccountStore { Values { { address, "x@x" } } }
            << MailAccountStore { {}, Values { { address, "y@y" } } } << "y@y|-";
    }
    void searchRules()
    {
        QFETCH(MailAccountStore, first);
        QFETCH(MailAccountStore, second);
        QTEST(shown(SearchMailAccounts(first, second)), "found");
    }

    void pendingValuesFirst_data()
    {
        Columns<QString, QString, QString>({ "pendingEmail", "pendingSMTP", "offered" });
        QTest::newRow("both confirmed") << "me@x"
                                        << "me.smtp"
                                        << "me@x|me.smtp";
        QTest::newRow("empty confirmed server gives way") << "me@x"
                                                          << ""
                                                          << "me@x|mail.example.org";
    }
    // What the first run's mail page offers: what the user confirmed, else what was found
    // (never what the boxes held from an earlier showing).
    void pendingValuesFirst()
    {
        TestEnvironment env;
        SetupWizard wizard(env.program);
        wizard.mailAccountGuess = [] { return installed("tb-preferred", "none"); };
        env.program.FirstRun = true;
        QFETCH(QString, pendingEmail);
        QFETCH(QString, pendingSMTP);
        env.program.PendingEmail = pendingEmail;
        env.program.PendingSMTP = pendingSMTP;
        FrmLocalEmail &page = wizard.frmLocalEmail();
        page.txtData.at(0)->setText("held@x");
        page.txtData.at(1)->setText("held.smtp");
        page.Form_Load();
        QTEST(page.txtData.at(0)->text() + '|' + page.txtData.at(1)->text(), "offered");
        QCOMPARE(page.findChild<QLabel *>(QStringLiteral("lblInfo_5"))->text(),
            QStringLiteral("Tolvane guessed your Email settings."));
    }
};

QTEST_MAIN(TestMailAccounts)
#include "tst_mailaccounts.moc"
