// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/PhoneAddressPage.h"

#include "app/AppContext.h"
#include "app/MailAddress.h"
#include "app/PasswordOwner.h"
#include "app/PhoneAddress.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/KeyringPassword.h"
#include "ui/setup/SetupRun.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PhoneAddressPage::PhoneAddressPage(AppContext &context, SetupRun &run, QWidget *parent)
    : WizardPage(
        context, run, QStringLiteral("frmCellEmail"), tr("Tolvane - Cellular Phone Email"), parent)
{
    m_rows->addWidget(addLabel(
        QStringLiteral("requestLabel"), tr("Please enter your cellular phone Email address.")));
    QLabel *phoneLabel = addLabel(QStringLiteral("phoneLabel"), tr("Cellular Phone Email:"));
    m_rows->addWidget(phoneLabel);
    m_phone = addBox(QStringLiteral("phoneEdit"));
    phoneLabel->setBuddy(m_phone); // a screen reader names the box by its label
    m_rows->addWidget(m_phone);
    m_rows->addStretch(1);

    QWidget *footer = makeFooter();
    auto *footerRows = new QVBoxLayout(footer);
    footerRows->setContentsMargins(0, 0, 0, 0);
    QLabel *example = addLabel(QStringLiteral("exampleLabel"),
        tr("Typically, cellular phone Email addresses appear as follows:\n"
           "        (10-digit phone number)@(carrier's domain)\n"
           "For example:  5551234567@sms.carrier.example\n"
           "You can obtain your Email address from your cellular service provider."));
    example->setParent(footer);
    footerRows->addWidget(example);
    // The second kind of address, for phones whose carrier closed its mail gateway.
    QLabel *urls = addLabel(QStringLiteral("urlLabel"),
        tr("No texts from mail any more? Enter a notification URL such as "
           "ntfy://ntfy.sh/your-topic instead; click ? for how."));
    urls->setParent(footer);
    footerRows->addWidget(urls);
    footerRows->addStretch(1);
}

void PhoneAddressPage::load(const QString &nextWord)
{
    Q_UNUSED(nextWord)
    m_phone->setText(m_run.mode == SetupRun::Mode::AddUser
            ? QString()
            : m_context.settings.readSetting(
                m_run.section(), QStringLiteral("CellEmail"), QString()));
}

WizardPage::Step PhoneAddressPage::next()
{
    const QString address = m_phone->text();
    // A message file lists its recipients' addresses after "|", each followed by ",".
    if (PhoneAddress::breaksRecord(address)) {
        m_context.boxes.show(tr("Cellular Phone Email"),
            tr("A phone address cannot contain \"|\" or \",\": the message files could not "
               "keep it. Please enter it without them."),
            MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, window());
        return Step::Stay;
    }
    // Messages for this user go to a notification URL through Apprise, or else are mailed
    // to this address: it must be one.
    if (PhoneAddress::isNotificationUrl(address)) {
        if (!PhoneAddress::isUsableUrl(address)) {
            m_context.boxes.show(tr("Cellular Phone Email"),
                tr("Please enter the notification URL in full and without blanks, for "
                   "example ntfy://ntfy.sh/your-topic."),
                MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, window());
            return Step::Stay;
        }
    } else if (!isMailAddress(address)) {
        m_context.boxes.show(tr("Cellular Phone Email"),
            tr("Please enter your cellular phone Email address in the form "
               "number@domain, for example 5551234567@sms.carrier.example."),
            MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, window());
        return Step::Stay;
    }
    if (m_run.isWizard() && Roster::phoneAddressInUse(m_context.settings, address)) {
        m_context.boxes.show(tr("User Name"),
            tr("%1 has already been configured.  Please select another cellular phone Email "
               "address.")
                .arg(address),
            MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, window());
        return Step::Stay;
    }
    // "CellEmail" goes first and "Name" after it: the delivery reads the roster while the
    // wizard runs, and a user counts as configured from its name on.
    const QString section = m_run.section();
    m_context.settings.writeSetting(section, QStringLiteral("CellEmail"), address);
    m_login.clear();
    m_password.reset();
    if (m_run.isWizard()) {
        m_context.settings.writeSetting(section, QStringLiteral("Name"), m_run.name);
        m_context.settings.writeSetting(section, QStringLiteral("Email"), m_run.email);
        m_context.settings.writeSetting(section, QStringLiteral("SMTP"), m_run.smtp);
        const MailServerOptions server = m_run.server.value_or(MailServerOptions {});
        server.write(m_context.settings, section);
        m_login = server.login;
        m_password = m_run.password;
        // A password left in the keyring under this slot by a user before is not this
        // user's, whatever the login.
        if (!m_login.isEmpty() && !m_password)
            PasswordOwner::disown(m_context.settings, section);
        if (m_run.mode == SetupRun::Mode::FirstRun)
            m_context.settings.writeSetting(
                QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
    }
    return Step::Close;
}

void PhoneAddressPage::finish(QWidget *boxParent)
{
    // Last, once every setting is on disk and the wizard is gone: the keyring may take a
    // while to answer. One that fails is told when it does; the user is set up all the same.
    updatePassword(m_context,
        (formName() + QStringLiteral(".cmdNext_Click")).toLatin1().constData(), m_run.section(),
        m_login, m_password, boxParent);
}
