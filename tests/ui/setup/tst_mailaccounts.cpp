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
    void fromProfiles_data();
    void fromProfiles();
    void searchRules_data();
    void searchRules();
    void pendingValuesFirst();
};

void TestMailAccounts::fromProfiles_data()
{
    QTest::addColumn<QString>("thunderbird");
    QTest::addColumn<QString>("evolution");
    QTest::addColumn<QString>("found");
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

void TestMailAccounts::fromProfiles()
{
    QFETCH(QString, thunderbird);
    QFETCH(QString, evolution);
    QFETCH(QString, found);
    QCOMPARE(shown(installed(thunderbird, evolution)), found);
}

void TestMailAccounts::searchRules_data()
{
    using Values = QHash<QString, QString>;
    const QString address = MailAccountValues::Address;
    const QString server = MailAccountValues::Server;
    QTest::addColumn<MailAccountStore>("first");
    QTest::addColumn<MailAccountStore>("second");
    QTest::addColumn<QString>("found");
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

void TestMailAccounts::searchRules()
{
    QFETCH(MailAccountStore, first);
    QFETCH(MailAccountStore, second);
    QFETCH(QString, found);
    QCOMPARE(shown(SearchMailAccounts(first, second)), found);
}

void TestMailAccounts::pendingValuesFirst()
{
    TestEnvironment env;
    SetupWizard wizard(env.program);
    wizard.mailAccountGuess = [] { return installed("tb-preferred", "none"); };
    env.program.FirstRun = true;
    env.program.PendingEmail = QStringLiteral("me@example.com");
    FrmLocalEmail &page = wizard.frmLocalEmail();
    page.Form_Load();
    // A confirmed address stays; an empty confirmed server gives way to the one found.
    QCOMPARE(page.txtData.at(0)->text(), QStringLiteral("me@example.com"));
    QCOMPARE(page.txtData.at(1)->text(), QStringLiteral("mail.example.org"));
    QCOMPARE(page.findChild<QLabel *>(QStringLiteral("lblInfo_5"))->text(),
        QStringLiteral("Tolvane guessed your Email settings."));
}

QTEST_MAIN(TestMailAccounts)
#include "tst_mailaccounts.moc"
