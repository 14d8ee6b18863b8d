// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/MailServerPage.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "app/MailAddress.h"
#include "app/PasswordOwner.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/KeyringPassword.h"
#include "ui/setup/ServerOptionsDialog.h"
#include "ui/setup/SetupRun.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using Mode = SetupRun::Mode;

const QString Options = QStringLiteral("Options");
const QString DefaultEmail = QStringLiteral("DefaultEmail");
const QString DefaultSMTP = QStringLiteral("DefaultSMTP");

} // namespace

MailServerPage::MailServerPage(
    AppContext &context, SetupRun &run, const MailAccountGuess &mailAccountGuess, QWidget *parent)
    : WizardPage(
        context, run, QStringLiteral("frmLocalEmail"), tr("Tolvane - Email Settings"), parent)
    , m_mailAccountGuess(mailAccountGuess)
{
    m_status = addLabel(QStringLiteral("statusLabel"), QString());
    m_rows->addWidget(m_status);
    auto *grid = new QGridLayout;
    QLabel *addressLabel = addLabel(QStringLiteral("addressLabel"), tr("Email Address:"));
    QLabel *serverLabel = addLabel(QStringLiteral("serverLabel"), tr("SMTP Address:"));
    addressLabel->setWordWrap(false);
    serverLabel->setWordWrap(false);
    m_address = addBox(QStringLiteral("addressEdit"));
    m_server = addBox(QStringLiteral("serverEdit"));
    // A screen reader names each box by its label.
    addressLabel->setBuddy(m_address);
    serverLabel->setBuddy(m_server);
    m_advanced = new QPushButton(tr("A&dvanced..."), this);
    m_advanced->setObjectName(QStringLiteral("advancedButton"));
    m_advanced->setAutoDefault(false); // Return stays with Next
    grid->addWidget(addressLabel, 0, 0);
    grid->addWidget(m_address, 0, 1);
    grid->addWidget(serverLabel, 1, 0);
    grid->addWidget(m_server, 1, 1);
    grid->addWidget(m_advanced, 2, 1, Qt::AlignRight);
    m_rows->addLayout(grid);
    m_instruction = addLabel(QStringLiteral("instructionLabel"), QString());
    m_rows->addWidget(m_instruction);
    m_rows->addStretch(1);
    setTabOrder(m_server, m_advanced);
    m_serverOptions = new ServerOptionsDialog(m_context, this);
    connect(m_advanced, &QPushButton::clicked, this, [this] {
        trap(m_context, "frmLocalEmail.cmdAdvanced_Click", [&] { editServerOptions(); });
    });
}

bool MailServerPage::editingUser() const
{
    return m_run.mode == Mode::EditMailServer;
}

void MailServerPage::load(const QString &nextWord)
{
    m_status->setText(m_run.mode == Mode::EditDefaults
            ? tr("Please enter your Default Email settings.")
            : tr("Please enter your Email settings."));
    m_instruction->setText(instructionLine(nextWord));

    // The server options: the edited user's own, the defaults, or what Next confirmed
    // earlier in this run (a new user's start from the defaults until then; the first
    // user's from nothing, as there are no defaults yet, unless the guess below proposes a
    // server found with options of its own).
    if (editingUser())
        m_loadedOptions = MailServerOptions::read(m_context.settings, m_run.section());
    else if (m_run.mode == Mode::EditDefaults || (m_run.mode == Mode::AddUser && !m_run.server))
        m_loadedOptions = MailServerOptions::readDefaults(m_context.settings);
    else
        m_loadedOptions = m_run.server.value_or(MailServerOptions {});
    m_options = m_loadedOptions;
    m_password = m_run.isWizard() ? m_run.password : std::nullopt;

    switch (m_run.mode) {
    case Mode::FirstRun:
        guessMailAccount();
        break;
    case Mode::AddUser:
    case Mode::EditDefaults:
        // Only Next keeps what the boxes hold; text left with Back gives way to the
        // defaults here.
        m_address->setText(m_run.email.isEmpty()
                ? m_context.settings.readSetting(Options, DefaultEmail, QString())
                : m_run.email);
        m_server->setText(m_run.smtp.isEmpty()
                ? m_context.settings.readSetting(Options, DefaultSMTP, QString())
                : m_run.smtp);
        break;
    default:
        m_address->setText(
            m_context.settings.readSetting(m_run.section(), QStringLiteral("Email"), QString()));
        m_server->setText(
            m_context.settings.readSetting(m_run.section(), QStringLiteral("SMTP"), QString()));
        break;
    }
}

void MailServerPage::guessMailAccount()
{
    const MailAccount found = m_mailAccountGuess ? m_mailAccountGuess() : MailAccount {};
    if (found.addressFound) {
        m_status->setText(tr("Tolvane guessed your Email settings."));
        m_address->setText(m_run.email.isEmpty() ? found.address : m_run.email);
    }
    // An empty confirmed server gives way to the one found; otherwise a confirmed address
    // brings its server back with it. With neither, the box keeps what it holds. The
    // security, port and login go with the server in the box: the found server's own, or
    // the ones confirmed with the server kept (already loaded), never a mix of the two.
    if (m_run.smtp.isEmpty() && found.serverFound) {
        m_server->setText(found.server);
        m_loadedOptions = m_options = found.options;
        // The password is never guessed, and one typed for the server that gave way is
        // not for the found one's login.
        m_password.reset();
    } else if (!m_run.email.isEmpty()) {
        m_server->setText(m_run.smtp);
    }
}

void MailServerPage::editServerOptions()
{
    using Use = ServerOptionsDialog::PasswordUse;
    // A password is there to keep when one was typed earlier, or when the user being
    // edited has a login (and so, as far as this page knows, a password in the keyring).
    const bool kept
        = m_password ? !m_password->isEmpty() : editingUser() && !m_loadedOptions.login.isEmpty();
    const Use use = m_run.mode == Mode::EditDefaults ? Use::None : kept ? Use::Kept : Use::New;
    const auto choice = m_serverOptions->edit(m_options, m_server->text(), use);
    if (!choice)
        return;
    m_options = choice->options;
    if (!choice->password.isEmpty())
        m_password = choice->password;
    else if (m_options.login.isEmpty())
        // Without a login no password is sent: one kept for this user goes, one typed
        // earlier on this page is dropped.
        m_password = editingUser() && !m_loadedOptions.login.isEmpty()
            ? std::optional<QString>(QString())
            : std::nullopt;
}

WizardPage::Step MailServerPage::next()
{
    const QString address = m_address->text();
    const QString server = m_server->text();
    const bool defaults = m_run.mode == Mode::EditDefaults;
    // A user's own settings must be able to send; the defaults are only offered.
    if (!defaults && !acceptable(address, server))
        return Step::Stay;
    // The first user's settings become the defaults for every later user.
    if (defaults || m_run.mode == Mode::FirstRun) {
        m_context.settings.writeSetting(Options, DefaultEmail, address);
        m_context.settings.writeSetting(Options, DefaultSMTP, server);
        // The password is the user's own and never a default. Unchanged defaults are not
        // rewritten, so that a hand-typed value nobody touched stays as it was.
        if (m_run.mode == Mode::FirstRun || m_options != m_loadedOptions)
            m_options.writeDefaults(m_context.settings);
    }
    if (defaults)
        return Step::Close;
    if (m_run.isWizard()) {
        m_run.email = address;
        m_run.smtp = server;
        m_run.server = m_options;
        m_run.password = m_password;
        return Step::Forward;
    }
    const QString section = m_run.section();
    m_context.settings.writeSetting(section, QStringLiteral("Email"), address);
    m_context.settings.writeSetting(section, QStringLiteral("SMTP"), server);
    if (m_options != m_loadedOptions)
        m_options.write(m_context.settings, section);
    // A password stored for the login before stays that login's.
    if (m_options.login != m_loadedOptions.login && !m_password)
        PasswordOwner::keepWithOldLogin(m_context.settings, section, m_loadedOptions.login);
    return Step::Close;
}

void MailServerPage::finish(QWidget *boxParent)
{
    // Once the wizard is gone. A keyring that fails is told when it answers; the settings
    // are kept all the same.
    if (editingUser())
        updatePassword(m_context,
            (formName() + QStringLiteral(".cmdNext_Click")).toLatin1().constData(), m_run.section(),
            m_options.login, m_password, boxParent);
}

bool MailServerPage::acceptable(const QString &address, const QString &server)
{
    QString missing;
    QLineEdit *box = nullptr;
    if (!isMailAddress(address)) {
        missing = tr("Please enter your Email address in the form name@domain, "
                     "for example ada@example.com.");
        box = m_address;
    } else if (server.trimmed().isEmpty()) {
        missing = tr("Please enter the address of your SMTP server, the server "
                     "your Email provider names for outgoing mail, for example "
                     "smtp.example.com.");
        box = m_server;
    } else {
        return true;
    }
    m_context.boxes.show(tr("Email Settings"), missing, MessageBoxes::Icon::Critical,
        MessageBoxes::Buttons::Ok, window());
    box->setFocus();
    return false;
}
