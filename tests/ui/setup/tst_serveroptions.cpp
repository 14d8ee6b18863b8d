#include "WizardControls.h"
#include "app/PasswordOwner.h"
#include "app/Roster.h"
#include "support/KeyringAnswer.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ThunderbirdAccounts.h"

// Runs with a real, unlocked GNOME Keyring on a private bus (with-keyring.sh): every
// password is read back from there.

using Security = MailServerOptions::Security;

namespace {

const QString Password = QStringLiteral("Pw-7f3q!x");
const QString Kept = QStringLiteral("kept-Pw-41");

// What the keyring holds under a section: the password, "<none>" or the failure.
QString keyring(const QString &section)
{
    const SecretStore::Result result = KeyringAnswer::read(section);
    return result.notFound ? QStringLiteral("<none>") : result.ok ? result.password : result.error;
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

// Users 1 and 2, user 1 with STARTTLS, the login "desk-login", a port in its address and a
// kept password; defaults with TLS and the login "office". None in the first run.
struct Setup : WizardTest {
    explicit Setup(Mode mode)
        : mode(mode)
    {
        if (mode != Mode::FirstRun) {
            env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.x.example:2600");
            env.addUser(2, "Lamp", "lamp@sms.example");
            MailServerOptions { Security::StartTls, {}, "desk-login" }.write(env.settings, "User1");
            MailServerOptions { Security::Tls, {}, "office" }.writeDefaults(env.settings);
            KeyringAnswer::write("User1", Kept);
        }
    }
    // Page 2 (between pages 1 and 3 in the wizard): Advanced..., the dialog, then the
    // page's button, its boxes filled in where empty, as page 2 goes on only with both. In
    // the wizard, Back from page 3 to Advanced... once more records what comes back.
    void run(const std::function<void(ServerOptionsDialog &)> &inDialog, const char *button)
    {
        const bool chain = mode == Mode::FirstRun || mode == Mode::AddUser;
        open(mode, mode == Mode::AddUser ? 3 : 1);
        if (chain)
            press(wizard, { "Chair" });
        advanced(wizard, inDialog);
        const L shown = shownTexts(wizard);
        press(wizard,
            { shown.at(0).isEmpty() ? "chair@x.example" : shown.at(0),
                shown.at(1).isEmpty() ? "smtp.x.example" : shown.at(1) },
            button);
        if (!chain || QByteArray(button) != "nextButton")
            return;
        press(wizard, {}, "backButton");
        advanced(wizard, [this](ServerOptionsDialog &d) {
            backAgain = d.loginEdit->text() + '/' + d.passwordEdit->placeholderText();
            d.reject();
        });
        press(wizard, {});
        press(wizard, { "chair@sms.example" });
    }
    bool passwordInSettingsFile()
    {
        QFile file(env.settings.path());
        return !file.open(QIODevice::ReadOnly) || file.readAll().contains(Password.toUtf8());
    }
    const Mode mode;
    QString backAgain; // login/password placeholder under Advanced... after Back
};

} // namespace

class TestServerOptions : public QObject {
    Q_OBJECT
private slots:
    // The keyring outlives each test.
    void init()
    {
        for (int n = 1; n <= 3; ++n)
            QVERIFY(KeyringAnswer::remove(Roster::UserSection(n)).ok);
    }

    // Per mode, what the dialog shows (login, port placeholder, password placeholder) and
    // where its choice lands (the user's section, the defaults' login).
    void optionsLandWhereTheyBelong_data()
    {
        Columns<Mode, L, QString, QString, QString>(
            { "mode", "shown", "section", "defaultLogin", "backAgain" });
        auto row = [](const char *tag, Mode mode, const L &shown, const char *section,
                       const char *defaultLogin, const char *backAgain) {
            QTest::newRow(tag) << mode << shown << QString(section) << QString(defaultLogin)
                               << QString(backAgain);
        };
        row("first run: user and defaults", Mode::FirstRun, { "", "587", "" }, "User1", "chair",
            "chair/Unchanged");
        row("adding a user: from the defaults", Mode::AddUser, { "office", "587", "" }, "User3",
            "office", "chair/Unchanged");
        row("editing a user: the user's own", Mode::EditMailServer,
            { "desk-login", "2600", "Unchanged" }, "User1", "office", "");
        row("editing the defaults: no password", Mode::EditDefaults, { "office", "587", "" }, "",
            "chair", "");
    }
    void optionsLandWhereTheyBelong()
    {
        QFETCH(Mode, mode);
        QFETCH(QString, section);
        Setup s(mode);
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
            "nextButton");
        if (!section.isEmpty()) {
            QCOMPARE(MailServerOptions::read(s.env.settings, section),
                (MailServerOptions { Security::StartTls, "2525", "chair" }));
            QCOMPARE(keyring(section), Password);
        }
        QTEST(MailServerOptions::readDefaults(s.env.settings).login, "defaultLogin");
        QTEST(s.backAgain, "backAgain");
        QVERIFY(!s.passwordInSettingsFile());
        QVERIFY(s.env.boxes.shown.isEmpty());
    }

    // The first run offers the account found, its server with its options; once page 2 is
    // confirmed, the confirmed address comes back (never text left with Back). Finish gives
    // the found options to user 1 and the defaults, with the password typed.
    void firstRunTakesFoundOptions()
    {
        Setup s(Mode::FirstRun);
        s.wizard.mailAccountGuess = [] {
            return SearchMailAccounts(ThunderbirdAccounts(qEnvironmentVariable("TOLVANE_SOURCE_DIR")
                                          + "/tests/data/mail/tb-preferred"),
                {});
        };
        s.open(Mode::FirstRun, 1);
        press(s.wizard, {});
        QCOMPARE(line(s.wizard, "statusLabel"), "Tolvane guessed your Email settings.");
        QCOMPARE(shownTexts(s.wizard), L({ "ann@example.org", "mail.example.org" }));
        advanced(s.wizard, [&](ServerOptionsDialog &d) {
            QCOMPARE(L({ QString::number(d.securityButtons[1]->isChecked()), d.portEdit->text(),
                         d.loginEdit->text(), d.passwordEdit->placeholderText() }),
                L({ "1", "", "ann", "" }));
            QTest::keyClicks(d.passwordEdit, Password);
            QTest::mouseClick(d.okButton, Qt::LeftButton);
        });
        press(s.wizard, { "me@x.example" });
        press(s.wizard, {}, "backButton");
        press(s.wizard, { "held@x.example" }, "backButton");
        press(s.wizard, {});
        QCOMPARE(shownTexts(s.wizard), L({ "me@x.example", "mail.example.org" }));
        press(s.wizard, {});
        press(s.wizard, { "me@sms.example" });
        const MailServerOptions found { Security::StartTls, {}, "ann" };
        QCOMPARE(MailServerOptions::read(s.env.settings, "User1"), found);
        QCOMPARE(MailServerOptions::readDefaults(s.env.settings), found);
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
        WizardTest s;
        ServerOptionsDialog dialog(s.env.program);
        ModalSteps steps;
        steps.then(dialog, [&] {
            fill(dialog, security, typed.at(0), typed.at(1), typed.at(2));
            QTest::mouseClick(dialog.okButton, Qt::LeftButton);
        });
        const auto choice = dialog.edit(
            { Security::Unknown, {}, {} }, "x", ServerOptionsDialog::PasswordUse::New);
        QCOMPARE(steps.leftOpen, !refusal.isEmpty()); // a refusal keeps the dialog up
        QCOMPARE(choice ? choice->options.port : "<refused>",
            refusal.isEmpty() ? typed.at(0) : "<refused>");
        QCOMPARE(s.boxes(), refusal.isEmpty() ? L() : L { "Advanced Email Settings: " + refusal });
    }

    // The keyring and the login after the dialog, when a password is kept: user 1's, or
    // one left behind in the slot a new user gets. A password is sent only for the login it
    // was typed for (tst_maildelivery: what delivery withholds): not by the new user, nor
    // after the login changed without a new one.
    void passwordStaysWithItsLogin_data()
    {
        Columns<Mode, QString, int, L, L>({ "mode", "how", "security", "typed", "stored" });
        auto row = [](const char *tag, const char *how, int security, const L &typed,
                       const L &stored, Mode mode = Mode::EditMailServer) {
            QTest::newRow(tag) << mode << QString(how) << security << typed << stored;
        };
        const L before { Kept, "desk-login", "sent" };
        row("dialog Cancel", "cancelButton", 2, { "x", Password }, before);
        row("Esc", "Esc", 2, { "x", Password }, before);
        row("OK, page Cancel", "page", 2, { "x", Password }, before);
        row("empty box", "okButton", 1, { "desk-login", "" }, before);
        row("renamed, empty box", "okButton", 2, { "new", "" }, { Kept, "new", "withheld" });
        row("new password", "okButton", 1, { "desk-login", Password },
            { Password, "desk-login", "sent" });
        row("login emptied", "okButton", 0, { "", "" }, { "<none>", "<absent>", "sent" });
        row("a new user in a freed slot", "okButton", 1, { "chair", "" },
            { Kept, "chair", "withheld" }, Mode::AddUser);
    }
    void passwordStaysWithItsLogin()
    {
        QFETCH(Mode, mode);
        QFETCH(QString, how);
        Setup s(mode);
        const QString section = Roster::UserSection(mode == Mode::AddUser ? 3 : 1);
        QVERIFY(KeyringAnswer::write(section, Kept).ok);
        s.run(
            [&](ServerOptionsDialog &d) {
                QFETCH(int, security);
                QFETCH(L, typed);
                fill(d, security, "", typed.at(0), typed.at(1));
                if (how == "Esc")
                    QTest::keyClick(d.portEdit, Qt::Key_Escape);
                else
                    QTest::mouseClick(
                        how == "cancelButton" ? d.cancelButton : d.okButton, Qt::LeftButton);
            },
            how == "page" ? "cancelButton" : "nextButton");
        const QString login = s.env.settings.ReadSetting(section, "Login", {});
        QTEST(L({ keyring(section), s.read(section + "/Login"),
                  PasswordOwner::BelongsTo(s.env.settings, section, login) ? "sent" : "withheld" }),
            "stored");
        QVERIFY(!s.passwordInSettingsFile());
        if (how != "okButton")
            QCOMPARE(s.writes, how == "page" ? L() : L({ "User1/Email", "User1/SMTP" }));
    }

    // Whatever the user's login, their password leaves the keyring with them.
    void removeUser()
    {
        for (const QString login : { "bob", "" }) {
            StartedProgram s;
            s.env.addUser(2, "Bob", "bob@sms.example");
            MailServerOptions { Security::StartTls, {}, login }.write(s.env.settings, "User2");
            QVERIFY(KeyringAnswer::write("User2", Kept).ok);
            s.w().load();
            s.w().pickUsers = [](const UserPicker::Mode &) { return QList<int> { 2 }; };
            s.trigger("removeUserAction");
            QVERIFY(!Roster::IsConfigured(s.env.settings, 2));
            QCOMPARE(keyring("User2"), "<none>");
        }
    }
};

QTEST_MAIN(TestServerOptions)
#include "tst_serveroptions.moc"
