// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The user-management commands of the "User Settings" and "Options" menus: each opens the
// set-up wizard (one page of it, or all three for a new user) or the recipient picker and
// acts on what comes back.

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "app/PasswordOwner.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/SecretStore.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"
#include "ui/main/MainWindow.h"
#include "ui/setup/KeyringPassword.h"

#include <QAction>
#include <stdexcept>

using Mode = SetupWizard::Mode;

void MainWindow::connectUserCommands()
{
    const std::pair<QAction *, void (MainWindow::*)()> commands[] = {
        { m_changeNameAction, &MainWindow::changeUserName },
        { m_userMailAction, &MainWindow::changeUserMailServer },
        { m_phoneAddressAction, &MainWindow::changePhoneAddress },
        { m_defaultsAction, &MainWindow::changeDefaults },
        { m_addUserAction, &MainWindow::addUser },
        { m_differentUserAction, &MainWindow::logInAsDifferentUser },
        { m_removeUserAction, &MainWindow::removeUser },
    };
    for (const auto &[action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);
}

void MainWindow::changeUserName()
{
    trap(m_context, "frmMain.mnuChangeName_Click", [&] {
        openSetupWizard(Mode::EditName, m_context.currentUser);
        readCurrentUser();
    });
}

void MainWindow::changeUserMailServer()
{
    trap(m_context, "frmMain.mnuUserEmail_Click",
        [&] { openSetupWizard(Mode::EditMailServer, m_context.currentUser); });
}

void MainWindow::changePhoneAddress()
{
    trap(m_context, "frmMain.mnuCellEmail_Click",
        [&] { openSetupWizard(Mode::EditPhoneAddress, m_context.currentUser); });
}

void MainWindow::changeDefaults()
{
    trap(m_context, "frmMain.mnuChangeDefault_Click",
        [&] { openSetupWizard(Mode::EditDefaults, 0); });
}

void MainWindow::addUser()
{
    trap(m_context, "frmMain.mnuAddUser_Click", [&] {
        const int slot = Roster::firstFreeSlot(m_context.settings);
        if (slot == 0) {
            m_context.boxes.show(tr("Maximum Users Assigned"),
                tr("You have reached the maximum 10 users for Tolvane.  You must "
                   "remove a user in order to configure a new user."),
                MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
            return;
        }
        // The new user is set up, not logged in.
        openSetupWizard(Mode::AddUser, slot);
    });
}

namespace {

// One configured user other than the logged-in one, chosen in the picker; 0 for none.
int pickOtherUser(const std::function<QList<int>(const UserPicker::Mode &)> &pickUsers)
{
    return pickUsers({ .several = false, .offerCurrentUser = false, .required = false }).value(0);
}

} // namespace

void MainWindow::logInAsDifferentUser()
{
    trap(m_context, "frmMain.mnuDifferentUser_Click", [&] {
        const int user = pickOtherUser(pickUsers);
        if (user == 0)
            return;
        // Written first: the choice holds for later starts as well.
        m_context.settings.writeSetting(
            QStringLiteral("Options"), QStringLiteral("Current User"), QString::number(user));
        readCurrentUser();
        startSettling();
    });
}

void MainWindow::removeUser()
{
    trap(m_context, "frmMain.mnuRemoveUser_Click", [&] {
        const int user = pickOtherUser(pickUsers);
        if (user == 0)
            return;
        const QString section = Roster::userSection(user);
        const QString name
            = m_context.settings.readSetting(section, QStringLiteral("Name"), QString());
        const auto answer = m_context.boxes.show(tr("User Removal"),
            tr("Are you sure you wish to delete all data for %1?").arg(name),
            MessageBoxes::Icon::None, MessageBoxes::Buttons::YesNo, this);
        if (answer != MessageBoxes::Answer::Yes)
            return;
        // A password of theirs goes with them, whatever their login is now (it may have
        // been taken away after a password was stored). A keyring that refuses is told,
        // when it answers, if there is a sign of a password: a login, or a note of one; a
        // user who never had either is not told of a keyring that is missing.
        const bool hadPassword
            = !m_context.settings.readSetting(section, QStringLiteral("Login"), QString()).isEmpty()
            || PasswordOwner::noted(m_context.settings, section);
        m_context.settings.deleteSection(section);
        if (hadPassword)
            updatePassword(
                m_context, "frmMain.mnuRemoveUser_Click", section, QString(), QString(), this);
        else
            m_context.secrets->removePassword(
                section, m_context.context(), [](const SecretStore::Result &) {});

        bool fileRemoved = true;
        try {
            MessageStore(m_context.dataFolder, m_context.clock).removeFile(user);
        } catch (const StoreError &) {
            fileRemoved = false;
        }
        if (userRemoved)
            userRemoved(user);
        // The removed user's next message must not go out any more, even when their file
        // stays behind: with their settings gone it could only fail for want of a server.
        if (reloadScheduler)
            reloadScheduler();
        if (!fileRemoved) // reported as it always was: the command's own error, behind ShowErrors
            throw std::runtime_error("message file not deleted");
        m_context.boxes.show(tr("User Removed"), tr("User Removed"),
            MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, this);
    });
}
