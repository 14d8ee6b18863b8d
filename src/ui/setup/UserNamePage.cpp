// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/UserNamePage.h"

#include "app/AppContext.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/SetupRun.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using Mode = SetupRun::Mode;

UserNamePage::UserNamePage(AppContext &context, SetupRun &run,
    const std::function<QString()> &accountName, QWidget *parent)
    : WizardPage(context, run, QStringLiteral("frmUserName"), tr("Tolvane - User Name"), parent)
    , m_accountName(accountName)
{
    m_status = addLabel(QStringLiteral("statusLabel"), QString());
    m_rows->addWidget(m_status);
    m_rows->addSpacing(6);
    QLabel *nameLabel = addLabel(QStringLiteral("nameLabel"), tr("User Name:"));
    m_rows->addWidget(nameLabel);
    m_name = addBox(QStringLiteral("nameEdit"));
    nameLabel->setBuddy(m_name); // a screen reader names the box by its label
    m_rows->addWidget(m_name);
    m_rows->addSpacing(6);
    m_instruction = addLabel(QStringLiteral("instructionLabel"), QString());
    m_rows->addWidget(m_instruction);
    m_rows->addStretch(1);
}

void UserNamePage::load(const QString &nextWord)
{
    m_instruction->setText(instructionLine(nextWord));
    const bool firstRun = m_run.mode == Mode::FirstRun;
    m_status->setText(
        firstRun ? tr("Tolvane guessed your User Name.") : tr("Please enter User Name."));
    const QString guess = m_accountName ? m_accountName() : QString();
    QString name;
    if (firstRun)
        name = m_run.name.isEmpty() ? guess : m_run.name;
    else if (m_run.mode == Mode::AddUser)
        name = m_run.name;
    else
        name = m_context.settings.readSetting(m_run.section(), QStringLiteral("Name"), guess);
    m_name->setText(name);
}

WizardPage::Step UserNamePage::next()
{
    const QString name = m_name->text();
    // An empty name matches every free slot, so it is refused while one is free.
    if (m_run.isWizard() && Roster::nameInUse(m_context.settings, name)) {
        m_context.boxes.show(tr("User Name"),
            tr("%1 already exists.  Please select another name.").arg(name),
            MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, window());
        return Step::Stay;
    }
    if (m_run.isWizard()) {
        m_run.name = name;
        return Step::Forward;
    }
    m_context.settings.writeSetting(m_run.section(), QStringLiteral("Name"), name);
    return Step::Close;
}
