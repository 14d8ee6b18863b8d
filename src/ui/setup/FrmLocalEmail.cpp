#include "ui/setup/FrmLocalEmail.h"

#include "app/MailAddress.h"
#include "app/PasswordOwner.h"
#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/KeyringPassword.h"
#include "ui/setup/ServerOptionsDialog.h"
#include "ui/setup/SetupWizard.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Options = QStringLiteral("Options");
const QString DefaultEmail = QStringLiteral("DefaultEmail");
const QString DefaultSMTP = QStringLiteral("DefaultSMTP");

} // namespace

FrmLocalEmail::FrmLocalEmail(Program &program, SetupWizard &wizard, QWidget *parent)
    : SetupPage(program, wizard, QStringLiteral("frmLocalEmail"), true, parent)
{
    setWindowTitle(QStringLiteral("Tolvane - Email Settings"));
    content->addWidget(addLabel(5, QString()));
    auto *rows = new QGridLayout;
    rows->addWidget(addLabel(2, QStringLiteral("Email Address:")), 0, 0);
    rows->addWidget(addBox(), 0, 1);
    rows->addWidget(addLabel(3, QStringLiteral("SMTP Address:")), 1, 0);
    rows->addWidget(addBox(), 1, 1);
    cmdAdvanced = new QPushButton(QStringLiteral("A&dvanced..."), fraSetup);
    cmdAdvanced->setObjectName(QStringLiteral("cmdAdvanced"));
    cmdAdvanced->setAutoDefault(false); // Return stays with Next
    rows->addWidget(cmdAdvanced, 2, 1, Qt::AlignRight);
    lblInfo.value(2)->setWordWrap(false);
    lblInfo.value(3)->setWordWrap(false);
    content->addLayout(rows);
    content->addWidget(addLabel(1, QString()));
    content->addStretch(1);
    finishTabOrder();
    setTabOrder(txtData.at(1), cmdAdvanced);
    m_serverOptions = new ServerOptionsDialog(p, this);
    connect(cmdAdvanced, &QPushButton::clicked, this, &FrmLocalEmail::cmdAdvanced_Click);
    Form_Load();
}

bool FrmLocalEmail::editingUser() const
{
    return !wizardMode() && !p.EditingDefaults;
}

void FrmLocalEmail::Form_Load()
{
    trap("Form_Load", [&] {
        QLabel *status = lblInfo.value(5);
        status->setText(QStringLiteral("Please enter your Email settings."));
        if (wizardMode()) {
            cmdBack->setVisible(true);
            setNextCaption(QStringLiteral("&Next"));
        } else {
            cmdBack->setVisible(false);
            setNextCaption(QStringLiteral("&Apply"));
            if (p.EditingDefaults)
                status->setText(QStringLiteral("Please enter your Default Email settings."));
        }
        setInstructionLine(lblInfo.value(1));

        // The server options: the edited user's own, the defaults, or what page 2's Next
        // confirmed earlier in this run (a new user's start from the defaults until then;
        // the first user's from nothing, as there are no defaults yet, unless the guess
        // below proposes a server found with options of its own).
        if (editingUser())
            m_loadedServer = MailServerOptions::read(p.settings, Roster::UserSection(p.SetupUser));
        else if (p.EditingDefaults || (p.AddingUser && !p.PendingServer))
            m_loadedServer = MailServerOptions::readDefaults(p.settings);
        else
            m_loadedServer = p.PendingServer.value_or(MailServerOptions {});
        m_server = m_loadedServer;
        m_password = wizardMode() ? p.PendingPassword : std::nullopt;

        if (p.FirstRun) {
            guessMailAccount();
        } else if (p.AddingUser || p.EditingDefaults) {
            // Only Next stores what the boxes hold; text left with Back gives way to the
            // defaults here.
            txtData.at(0)->setText(p.PendingEmail.isEmpty()
                    ? p.settings.ReadSetting(Options, DefaultEmail, QString())
                    : p.PendingEmail);
            txtData.at(1)->setText(p.PendingSMTP.isEmpty()
                    ? p.settings.ReadSetting(Options, DefaultSMTP, QString())
                    : p.PendingSMTP);
            setTabOrder(txtData.at(0), txtData.at(1));
        } else {
            const QString section = Roster::UserSection(p.SetupUser);
            txtData.at(0)->setText(
                p.settings.ReadSetting(section, QStringLiteral("Email"), QString()));
            txtData.at(1)->setText(
                p.settings.ReadSetting(section, QStringLiteral("SMTP"), QString()));
        }
    });
}

void FrmLocalEmail::cmdAdvanced_Click()
{
    trap("cmdAdvanced_Click", [&] {
        using Use = ServerOptionsDialog::PasswordUse;
        // A password is there to keep when one was typed earlier, or when the user being
        // edited has a login (and so, as far as this page knows, a password in the keyring).
        const bool kept = m_password ? !m_password->isEmpty()
                                     : editingUser() && !m_loadedServer.login.isEmpty();
        const Use use = p.EditingDefaults ? Use::None : kept ? Use::Kept : Use::New;
        const auto choice = m_serverOptions->edit(m_server, txtData.at(1)->text(), use);
        if (!choice)
            return;
        m_server = choice->options;
        if (!choice->password.isEmpty())
            m_password = choice->password;
        else if (m_server.login.isEmpty())
            // Without a login no password is sent: one kept for this user goes, one typed
            // earlier on this page is dropped.
            m_password = editingUser() && !m_loadedServer.login.isEmpty()
                ? std::optional<QString>(QString())
                : std::nullopt;
    });
}

void FrmLocalEmail::guessMailAccount()
{
    const MailAccount found = wizard.mailAccountGuess ? wizard.mailAccountGuess() : MailAccount {};
    if (found.addressFound) {
        lblInfo.value(5)->setText(QStringLiteral("Tolvane guessed your Email settings."));
        txtData.at(0)->setText(p.PendingEmail.isEmpty() ? found.address : p.PendingEmail);
    }
    // An empty confirmed server gives way to the one found; otherwise a confirmed address
    // brings its server back with it. With neither, the box keeps what it holds. The
    // security, port and login go with the server in the box: the found server's own, or
    // the ones confirmed with the server kept (already loaded), never a mix of the two.
    if (p.PendingSMTP.isEmpty() && found.serverFound) {
        txtData.at(1)->setText(found.server);
        m_loadedServer = m_server = found.options;
        // The password is never guessed, and one typed for the server that gave way is
        // not for the found one's login.
        m_password.reset();
    } else if (!p.PendingEmail.isEmpty()) {
        txtData.at(1)->setText(p.PendingSMTP);
    }
}

void FrmLocalEmail::cmdNext_Click()
{
    trap("cmdNext_Click", [&] {
        const QString address = txtData.at(0)->text();
        const QString server = txtData.at(1)->text();
        // A user's own settings must be able to send; the defaults are only offered.
        if (!p.EditingDefaults && !acceptable(address, server))
            return;
        // The first user's settings become the defaults for every later user.
        if (p.EditingDefaults || p.FirstRun) {
            p.settings.WriteSetting(Options, DefaultEmail, address);
            p.settings.WriteSetting(Options, DefaultSMTP, server);
            // The password is the user's own and never a default. Unchanged defaults are
            // not rewritten, so that a hand-typed value nobody touched stays as it was.
            if (p.FirstRun || m_server != m_loadedServer)
                m_server.writeDefaults(p.settings);
        }
        if (p.EditingDefaults) {
            p.EditingDefaults = false;
            hide();
            return;
        }
        const bool inWizard = wizardMode();
        const QString section = Roster::UserSection(p.SetupUser);
        if (inWizard) {
            p.PendingEmail = address;
            p.PendingSMTP = server;
            p.PendingServer = m_server;
            p.PendingPassword = m_password;
        } else {
            p.settings.WriteSetting(section, QStringLiteral("Email"), address);
            p.settings.WriteSetting(section, QStringLiteral("SMTP"), server);
            if (m_server != m_loadedServer)
                m_server.write(p.settings, section);
            // A password stored for the login before stays that login's.
            if (m_server.login != m_loadedServer.login && !m_password)
                PasswordOwner::KeepWithOldLogin(p.settings, section, m_loadedServer.login);
        }
        focusFirstBox();
        hide();
        if (inWizard)
            wizard.Open(SetupWizard::Page::CellEmail);
        else
            // With the page gone, so that it cannot be applied twice while the keyring is
            // asked. One that fails is told; the settings above are kept all the same.
            UpdatePassword(p, section, m_server.login, m_password, parentWidget());
    });
}

bool FrmLocalEmail::acceptable(const QString &address, const QString &server)
{
    QString missing;
    QLineEdit *box = nullptr;
    if (!IsMailAddress(address)) {
        missing = QStringLiteral("Please enter your Email address in the form name@domain, "
                                 "for example ada@example.com.");
        box = txtData.at(0);
    } else if (server.trimmed().isEmpty()) {
        missing = QStringLiteral("Please enter the address of your SMTP server, the server "
                                 "your Email provider names for outgoing mail, for example "
                                 "smtp.example.com.");
        box = txtData.at(1);
    } else {
        return true;
    }
    p.boxes.show(QStringLiteral("Email Settings"), missing, MessageBoxes::Icon::Critical,
        MessageBoxes::Buttons::Ok, this);
    box->setFocus();
    return false;
}

void FrmLocalEmail::cmdBack_Click()
{
    trap("cmdBack_Click", [&] {
        focusFirstBox();
        hide();
        wizard.Open(SetupWizard::Page::UserName);
    });
}
