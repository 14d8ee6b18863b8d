#include "PageControls.h"
#include "app/Roster.h"
#include "delivery/SmtpDelivery.h"
#include "platform/KeychainSecretStore.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/entry/FrmEntry.h"
#include "ui/entry/PickerScript.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/FrmCellEmail.h"
#include "ui/setup/FrmLocalEmail.h"
#include "ui/setup/FrmUserName.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ServerOptionsDialog.h"
#include "ui/setup/ThunderbirdAccounts.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

// Runs with a real, unlocked GNOME Keyring on a private bus (with-keyring.sh): every
// password is read back from there.

using Security = MailServerOptions::Security;
using L = QStringList;

namespace {

enum Mode { FirstRun, AddingUser, EditingUser, EditingDefaults };
const QString Password = QStringLiteral("Pw-7f3q!x");
const QString Kept = QStringLiteral("kept-Pw-41");

// What the keyring holds under a section: the password, "<none>" or the failure.
QString keyring(const QString &section)
{
    const SecretStore::Result result = KeychainSecretStore().readPassword(section);
    return result.notFound ? QStringLiteral("<none>") : result.ok ? result.password : result.error;
}

void retype(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// Fills the dialog: security -1 leaves the buttons alone, 0 none, 1 STARTTLS, 2 TLS.
void fill(ServerOptionsDialog &d, int security, const QString &port, const QString &login,
    const QString &password)
{
    if (security >= 0)
        QTest::mouseClick(d.securityButtons[security], Qt::LeftButton, {}, QPoint(8, 8));
    retype(d.portEdit, port);
    retype(d.loginEdit, login);
    if (d.passwordEdit->isVisible())
        retype(d.passwordEdit, password);
}

// Page 2 goes on only with an address and a server: fills in what is missing.
void completeMailPage(SetupPage &page)
{
    if (box(page, 0)->text().isEmpty())
        box(page, 0)->setText("chair@x.example");
    if (box(page, 1)->text().isEmpty())
        box(page, 1)->setText("smtp.x.example");
}

// Users 1 and 2, user 1 with STARTTLS, the login "desk-login", a port in its address and a
// kept password; defaults with TLS and the login "office".
struct Setup {
    explicit Setup(Mode mode)
    {
        if (mode != FirstRun) {
            env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.x.example:2600");
            env.addUser(2, "Lamp", "lamp@sms.example");
            MailServerOptions { Security::StartTls, {}, "desk-login" }.write(env.settings, "User1");
            MailServerOptions { Security::Tls, {}, "office" }.writeDefaults(env.settings);
            KeychainSecretStore().writePassword("User1", Kept);
        }
        p.FirstRun = mode == FirstRun;
        p.AddingUser = mode == AddingUser;
        p.EditingDefaults = mode == EditingDefaults;
        p.SetupUser = mode == AddingUser ? 3 : 1;
        env.settings.written
            = [this](const QString &s, const QString &k) { writes << s + '/' + k; };
    }
    FrmLocalEmail &mail() { return wizard.frmLocalEmail(); }
    ServerOptionsDialog &dialog() { return mail().serverOptionsDialog(); }

    // Page 2 (between pages 1 and 3 in the wizard): Advanced..., the dialog, the button.
    void run(const std::function<void(ServerOptionsDialog &)> &inDialog, const char *button)
    {
        const bool chain = p.FirstRun || p.AddingUser;
        if (chain)
            driver.then(wizard.frmUserName(), pressing({ "Chair" }, "cmdNext"));
        driver.then(mail(), [](SetupPage &page) { click(page, "cmdAdvanced"); })
            .then(dialog(), inDialog)
            .then(mail(), [button](SetupPage &page) {
                completeMailPage(page);
                click(page, button);
            });
        if (chain && QByteArray(button) == "cmdNext")
            driver.then(wizard.frmCellEmail(), pressing({ "chair@sms.example" }, "cmdNext"));
        wizard.Open(chain ? SetupWizard::Page::UserName : SetupWizard::Page::LocalEmail);
        QVERIFY2(driver.finished(), qPrintable(driver.failure));
    }
    bool passwordInSettingsFile()
    {
        QFile file(env.settings.path());
        return !file.open(QIODevice::ReadOnly) || file.readAll().contains(Password.toUtf8());
    }

    TestEnvironment env;
    Program &p = env.program;
    SetupWizard wizard { env.program };
    ModalSteps driver;
    QStringList writes;
};

} // namespace

class TestServerOptions : public QObject {
    Q_OBJECT
private slots:
    // The keyring outlives each test.
    void init()
    {
        for (int n = 1; n <= 3; ++n)
            QVERIFY(KeychainSecretStore().removePassword(Roster::UserSection(n)).ok);
    }

    // Per mode, what the dialog shows (login, port placeholder, password placeholder) and
    // where its choice lands (the user's section, the defaults' login).
    void optionsLandWhereTheyBelong_data()
    {
        Columns<int, L, QString, QString>({ "mode", "shown", "section", "defaultLogin" });
        QTest::newRow("first run: user and defaults")
            << int(FirstRun) << L { "", "587", "" } << "User1" << QString("chair");
        QTest::newRow("adding a user: from the defaults")
            << int(AddingUser) << L { "office", "587", "" } << "User3" << QString("office");
        QTest::newRow("editing a user: the user's own")
            << int(EditingUser) << L { "desk-login", "2600", "Unchanged" } << "User1"
            << QString("office");
        QTest::newRow("editing the defaults: no password")
            << int(EditingDefaults) << L { "office", "587", "" } << QString() << QString("chair");
    }
    void optionsLandWhereTheyBelong()
    {
        QFETCH(int, mode);
        QFETCH(QString, section);
        Setup s { Mode(mode) };
        s.run(
            [&](ServerOptionsDialog &d) {
                QFETCH(L, shown);
                QCOMPARE(d.passwordEdit->isVisible(), !section.isEmpty());
                QCOMPARE(d.keyringNote->isVisible(), !section.isEmpty());
                QTest::mouseClick(d.securityButtons[1], Qt::LeftButton, {}, QPoint(8, 8));
                QCOMPARE(L({ d.loginEdit->text(), d.portEdit->placeholderText(),
                             d.passwordEdit->placeholderText() }),
                    shown);
                fill(d, 1, "2525", "chair", Password);
                QTest::mouseClick(d.okButton, Qt::LeftButton);
            },
            "cmdNext");
        if (!section.isEmpty()) {
            QCOMPARE(MailServerOptions::read(s.env.settings, section),
                (MailServerOptions { Security::StartTls, "2525", "chair" }));
            QCOMPARE(keyring(section), Password);
        }
        QTEST(MailServerOptions::readDefaults(s.env.settings).login, "defaultLogin");
        QVERIFY(!s.passwordInSettingsFile());
        QVERIFY(!s.p.PendingServer && !s.p.PendingPassword && s.env.boxes.shown.isEmpty());
    }

    // The first run proposes the found account's server with its options: the dialog comes
    // up with them, and Finish gives them to user 1 and the defaults, with the password typed.
    void firstRunTakesFoundOptions()
    {
        Setup s(FirstRun);
        s.wizard.mailAccountGuess = [] {
            return SearchMailAccounts(ThunderbirdAccounts(qEnvironmentVariable("TOLVANE_SOURCE_DIR")
                                          + "/tests/data/mail/tb-preferred"),
                {});
        };
        L shown;
        s.run(
            [&](ServerOptionsDialog &d) {
                shown << QString::number(d.securityButtons[1]->isChecked()) << d.portEdit->text()
                      << d.loginEdit->text() << d.passwordEdit->placeholderText();
                retype(d.passwordEdit, Password);
                QTest::mouseClick(d.okButton, Qt::LeftButton);
            },
            "cmdNext");
        QCOMPARE(shown, L({ "1", "", "ann", "" }));
        const MailServerOptions found { Security::StartTls, {}, "ann" };
        QCOMPARE(MailServerOptions::read(s.env.settings, "User1"), found);
        QCOMPARE(MailServerOptions::readDefaults(s.env.settings), found);
        QCOMPARE(s.env.settings.ReadSetting("User1", "SMTP", {}), "mail.example.org");
        QCOMPARE(keyring("User1"), Password);
    }

    // The dialog starts from a hand-typed security that means nothing known: no button is
    // checked, and OK does not guess one.
    void okRefusesWhatCannotWork_data()
    {
        Columns<int, L, QString>({ "security", "typed", "refusal" });
        const QString port = "The port must be a number from 1 to 65535.  Leave it empty for "
                             "the usual port.";
        const QString inClear = "A login needs a secure connection: choose STARTTLS or TLS from "
                                "the start, or leave the login empty.  Tolvane never sends a "
                                "password over a clear connection.";
        QTest::newRow("no choice") << -1 << L { "", "", "" }
                                   << QString("Please choose how the connection to the mail "
                                              "server is secured.");
        QTest::newRow("login in clear") << 0 << L { "", "ann", "pw" } << inClear;
        QTest::newRow("password, no login")
            << 1 << L { "", "", "pw" }
            << QString("Please enter the login name that goes with the password.");
        QTest::newRow("port 0") << 1 << L { "0", "ann", "pw" } << port;
        QTest::newRow("port 65535") << 2 << L { "65535", "", "" } << QString();
        QTest::newRow("plain") << 0 << L { "", "", "" } << QString();
    }
    void okRefusesWhatCannotWork()
    {
        QFETCH(int, security);
        QFETCH(L, typed);
        QFETCH(QString, refusal);
        Setup s(EditingUser);
        bool stayedOpen = false;
        s.driver.then(s.dialog(), [&](ServerOptionsDialog &d) {
            fill(d, security, typed.at(0), typed.at(1), typed.at(2));
            QTest::mouseClick(d.okButton, Qt::LeftButton);
            stayedOpen = d.isVisible();
            if (stayedOpen)
                QTest::mouseClick(d.cancelButton, Qt::LeftButton);
        });
        const auto choice = s.dialog().edit(
            { Security::Unknown, {}, {} }, "x", ServerOptionsDialog::PasswordUse::New);
        QCOMPARE(stayedOpen, !refusal.isEmpty());
        QCOMPARE(choice.has_value(), refusal.isEmpty());
        if (choice)
            QCOMPARE(choice->options.port, typed.at(0));
        QCOMPARE(s.env.boxes.shown.size(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty())
            QCOMPARE(s.env.boxes.shown.first().text, refusal);
    }

    // User 1 has a login and a kept password.
    void editingAUser_data()
    {
        Columns<QString, int, L, L>({ "how", "security", "typed", "stored" });
        const L before { Kept, "desk-login" };
        QTest::newRow("dialog Cancel") << "cmdCancel" << 2 << L { "x", Password } << before;
        QTest::newRow("Esc") << "Esc" << 2 << L { "x", Password } << before;
        QTest::newRow("OK, page Cancel") << "page" << 2 << L { "x", Password } << before;
        QTest::newRow("empty box") << "cmdOK" << 1 << L { "desk-login", "" } << before;
        QTest::newRow("renamed, empty box") << "cmdOK" << 2 << L { "new", "" } << L { Kept, "new" };
        QTest::newRow("new password")
            << "cmdOK" << 1 << L { "desk-login", Password } << L { Password, "desk-login" };
        QTest::newRow("login emptied")
            << "cmdOK" << 0 << L { "", "" } << L { "<none>", "<absent>" };
    }
    void editingAUser()
    {
        QFETCH(QString, how);
        Setup s(EditingUser);
        s.run(
            [&](ServerOptionsDialog &d) {
                QFETCH(int, security);
                QFETCH(L, typed);
                fill(d, security, "", typed.at(0), typed.at(1));
                if (how == "Esc")
                    QTest::keyClick(d.portEdit, Qt::Key_Escape);
                else
                    QTest::mouseClick(
                        how == "cmdCancel" ? d.cancelButton : d.okButton, Qt::LeftButton);
            },
            how == "page" ? "cmdCancel" : "cmdNext");
        QTEST(L({ keyring("User1"), s.env.settings.ReadSetting("User1", "Login", "<absent>") }),
            "stored");
        QVERIFY(!s.passwordInSettingsFile());
        if (how != "cmdOK")
            QCOMPARE(s.writes, how == "page" ? L() : L({ "User1/Email", "User1/SMTP" }));
    }

    // Back to page 2: what its Next confirmed comes back, a password waiting with it.
    void backKeepsWhatNextConfirmed()
    {
        Setup s(AddingUser);
        L shown;
        auto advanced = [](SetupPage &page) { click(page, "cmdAdvanced"); };
        auto next = [](SetupPage &page) {
            completeMailPage(page);
            click(page, "cmdNext");
        };
        s.driver.then(s.wizard.frmUserName(), pressing({ "Chair" }, "cmdNext"))
            .then(s.mail(), advanced)
            .then(s.dialog(),
                [](ServerOptionsDialog &d) {
                    fill(d, 2, "", "ch", Password);
                    QTest::mouseClick(d.okButton, Qt::LeftButton);
                })
            .then(s.mail(), next)
            .then(s.wizard.frmCellEmail(), [](SetupPage &page) { click(page, "cmdBack"); })
            .then(s.mail(), advanced)
            .then(s.dialog(),
                [&](ServerOptionsDialog &d) {
                    shown << d.loginEdit->text() << d.passwordEdit->placeholderText();
                    QTest::mouseClick(d.okButton, Qt::LeftButton);
                })
            .then(s.mail(), next)
            .then(s.wizard.frmCellEmail(), pressing({ "chair@sms.example" }, "cmdNext"));
        s.wizard.Open(SetupWizard::Page::UserName);
        QVERIFY2(s.driver.finished(), qPrintable(s.driver.failure));
        QCOMPARE(shown, L({ "ch", "Unchanged" }));
        QCOMPARE(MailServerOptions::read(s.env.settings, "User3").security, Security::Tls);
        QCOMPARE(keyring("User3"), Password);
    }

    // A password is sent only for the login it was typed for: not by a new user in a slot
    // whose password was left behind, nor after the login changed without a new one.
    void passwordStaysWithItsLogin_data()
    {
        Columns<int, int>({ "mode", "user" });
        QTest::newRow("a new user in a freed slot") << int(AddingUser) << 3;
        QTest::newRow("a login changed") << int(EditingUser) << 1;
    }
    void passwordStaysWithItsLogin()
    {
        QFETCH(int, mode);
        QFETCH(int, user);
        Setup s { Mode(mode) };
        const QString section = Roster::UserSection(user);
        QVERIFY(KeychainSecretStore().writePassword(section, Kept).ok);
        s.run(
            [](ServerOptionsDialog &d) {
                fill(d, 1, "", "chair", "");
                QTest::mouseClick(d.okButton, Qt::LeftButton);
            },
            "cmdNext");
        QCOMPARE(s.env.settings.ReadSetting(section, "Login", {}), "chair");
        s.env.settings.WriteSetting(section, "SMTP", "127.0.0.1:1");
        FakeConnectionService connection;
        SmtpDelivery delivery(s.p, connection);
        QSignalSpy warnings(&delivery, &SmtpDelivery::warning);
        s.p.Sending = true;
        delivery.ProcessMessage(
            QStringLiteral("%1").arg(20 + user) + "2026/03/14 10:00 AMNhi|a@b,");
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.at(0).at(0).toString(),
            "No SMTP password is stored for this user: enter it under Advanced... in the Email "
            "settings");
    }

    // Whatever the user's login, their password leaves the keyring with them.
    void removeUser_data()
    {
        Columns<QString>({ "login" });
        QTest::newRow("with a login") << QString("bob");
        QTest::newRow("without") << QString();
    }
    void removeUser()
    {
        StartedProgram s;
        ModalSteps steps;
        s.env.addUser(2, "Bob", "bob@sms.example");
        QFETCH(QString, login);
        MailServerOptions { Security::StartTls, {}, login }.write(s.env.settings, "User2");
        QVERIFY(KeychainSecretStore().writePassword("User2", Kept).ok);
        s.w().Form_Load();
        FrmUserSelect &picker = s.startup.frmEntry().userSelect();
        steps.then(picker, [&] { playPicker(picker, { "Bob", "Apply" }); });
        s.w().mnuRemoveUser_Click();
        QVERIFY2(steps.finished(), qPrintable(steps.failure));
        QVERIFY(!Roster::IsConfigured(s.env.settings, 2));
        QCOMPARE(keyring("User2"), "<none>");
        QCOMPARE(s.boxes().last(), "User Removed");
    }
};

QTEST_MAIN(TestServerOptions)
#include "tst_serveroptions.moc"
