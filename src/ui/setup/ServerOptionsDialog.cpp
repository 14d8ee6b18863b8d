// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/ServerOptionsDialog.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "delivery/SmtpWire.h"
#include "platform/MessageBoxes.h"
#include "ui/common/TolvaneIcon.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using Security = MailServerOptions::Security;

constexpr std::array<Security, 3> Choices = { Security::None, Security::StartTls, Security::Tls };

// The port written into the "SMTP" setting; empty when it names none.
QString portInAddress(const QString &address)
{
    const auto server = SmtpWire::parseServerAddress(address);
    return server && server->portGiven ? QString::number(server->port) : QString();
}

} // namespace

ServerOptionsDialog::ServerOptionsDialog(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("serverOptionsDialog"));
    setWindowTitle(tr("Tolvane - Advanced Email Settings"));
    setWindowIcon(tolvaneIcon());
    setWindowModality(Qt::ApplicationModal);

    auto *security = new QVBoxLayout;
    security->setSpacing(4);
    m_security = new QButtonGroup(this);
    const char *texts[] = { QT_TR_NOOP("&None (plain SMTP, no login)"), QT_TR_NOOP("&STARTTLS"),
        QT_TR_NOOP("&TLS from the start") };
    for (int i = 0; i < int(securityButtons.size()); ++i) {
        securityButtons[i] = new QRadioButton(tr(texts[i]), this);
        securityButtons[i]->setObjectName(QStringLiteral("securityButton_%1").arg(i));
        m_security->addButton(securityButtons[i], i);
        security->addWidget(securityButtons[i]);
    }
    connect(m_security, &QButtonGroup::idToggled, this, [this] { showUsualPort(); });

    auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    portEdit = box("portEdit");
    portEdit->setMaxLength(5);
    portEdit->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000")) * 2);
    loginEdit = box("loginEdit");
    passwordEdit = box("passwordEdit");
    passwordEdit->setEchoMode(QLineEdit::Password);

    m_rows = new QFormLayout;
    m_rows->setLabelAlignment(Qt::AlignLeft);
    m_rows->addRow(tr("Security:"), security);
    m_rows->addRow(tr("&Port:"), portEdit);
    m_rows->addRow(tr("&Login:"), loginEdit);
    m_rows->addRow(tr("Pass&word:"), passwordEdit);

    keyringNote = new QLabel(tr("The password is kept only in the desktop's keyring, "
                                "never in Tolvane's own files."),
        this);
    keyringNote->setObjectName(QStringLiteral("keyringNote"));
    keyringNote->setWordWrap(true);
    m_rows->addRow(QString(), keyringNote);

    okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(tr("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addSpacing(8);
    buttons->addWidget(cancelButton);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_rows);
    layout->addStretch(1);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    // Wider only where a translation needs the room.
    setFixedWidth(qMax(380, minimumSizeHint().width()));

    connect(okButton, &QPushButton::clicked, this, &ServerOptionsDialog::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<ServerOptionsDialog::Choice> ServerOptionsDialog::edit(
    const MailServerOptions &current, const QString &smtpAddress, PasswordUse use)
{
    m_current = current;
    m_smtpAddress = smtpAddress;
    m_use = use;
    m_choice.reset();
    load();
    // Only OK sets a choice; Cancel, Esc and the close box leave none.
    exec();
    passwordEdit->clear(); // not kept in a hidden window
    return m_choice;
}

void ServerOptionsDialog::load()
{
    // A hand-typed security that means none of the three checks no button: OK then asks
    // for a choice rather than guessing one.
    m_security->setExclusive(false);
    for (int i = 0; i < int(Choices.size()); ++i)
        securityButtons[i]->setChecked(Choices[i] == m_current.security);
    m_security->setExclusive(true);
    portEdit->setText(m_current.port);
    loginEdit->setText(m_current.login);
    passwordEdit->clear();
    passwordEdit->setPlaceholderText(m_use == PasswordUse::Kept ? tr("Unchanged") : QString());
    m_rows->setRowVisible(passwordEdit, m_use != PasswordUse::None);
    m_rows->setRowVisible(keyringNote, m_use != PasswordUse::None);
    showUsualPort();
    // The height follows the rows on show; the user cannot stretch it.
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    adjustSize();
    setFixedHeight(height());
    securityButtons[0]->setFocus();
}

MailServerOptions::Security ServerOptionsDialog::chosenSecurity() const
{
    const int id = m_security->checkedId();
    return id < 0 ? Security::Unknown : Choices[id];
}

void ServerOptionsDialog::showUsualPort()
{
    const QString written = portInAddress(m_smtpAddress);
    const Security security = chosenSecurity();
    portEdit->setPlaceholderText(written.isEmpty() ? QString::number(MailServerOptions::usualPort(
                                     security == Security::Unknown ? Security::None : security))
                                                   : written);
}

bool ServerOptionsDialog::refuse(const QString &text, QWidget *focus)
{
    m_context.boxes.show(tr("Advanced Email Settings"), text, MessageBoxes::Icon::Critical,
        MessageBoxes::Buttons::Ok, this);
    focus->setFocus();
    return false;
}

void ServerOptionsDialog::confirm()
{
    trap(m_context, "frmServerOptions.cmdOK_Click", [&] {
        const Security security = chosenSecurity();
        const QString port = portEdit->text().trimmed();
        const QString login = loginEdit->text().trimmed();
        const QString password = passwordEdit->text();
        if (security == Security::Unknown) {
            refuse(tr("Please choose how the connection to the mail server is "
                      "secured."),
                securityButtons[0]);
            return;
        }
        if (!port.isEmpty() && !SmtpWire::parsePort(port)) {
            refuse(tr("The port must be a number from 1 to 65535.  Leave it empty "
                      "for the usual port."),
                portEdit);
            return;
        }
        if (!login.isEmpty() && security == Security::None) {
            refuse(tr("A login needs a secure connection: choose STARTTLS or TLS "
                      "from the start, or leave the login empty.  Tolvane never "
                      "sends a password over a clear connection."),
                securityButtons[1]);
            return;
        }
        if (login.isEmpty() && !password.isEmpty()) {
            refuse(tr("Please enter the login name that goes with the password."), loginEdit);
            return;
        }
        m_choice = Choice { { security, port, login }, password };
        accept();
    });
}
