// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/KeyringPassword.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "app/PasswordOwner.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/SecretStore.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace {

// The keyring's own words, fitted into a sentence of ours.
QString reasonOf(const SecretStore::Result &result)
{
    QString reason = result.error.trimmed();
    while (reason.endsWith(u'.'))
        reason.chop(1);
    return reason.isEmpty() ? QCoreApplication::translate("KeyringPassword", "it gave no reason")
                            : reason;
}

void keyringAnswered(AppContext &context, const QString &section, const QString &login,
    bool removing, const SecretStore::Result &result, QWidget *parent)
{
    if (result.ok) {
        // A removed user's section is gone with its note of the login.
        if (!removing)
            PasswordOwner::record(context.settings, section, login);
        else if (context.settings.hasSetting(section, QStringLiteral("Name")))
            PasswordOwner::disown(context.settings, section);
        return;
    }
    const QString text = removing
        ? QCoreApplication::translate("KeyringPassword",
            "A password Tolvane no longer uses could not be removed from the "
            "desktop's keyring: %1.  The keyring's own manager (such as Seahorse) "
            "can remove it: it is kept for Tolvane under %2.")
              .arg(reasonOf(result), section)
        : QCoreApplication::translate("KeyringPassword",
            "The password could not be kept in the desktop's keyring: %1.  Tolvane "
            "keeps passwords nowhere else; start a keyring (such as GNOME Keyring "
            "or KWallet) and enter the password again under Advanced...")
              .arg(reasonOf(result));
    context.boxes.show(QCoreApplication::translate("KeyringPassword", "Email Password"), text,
        MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok, parent);
}

} // namespace

void updatePassword(AppContext &context, const char *where, const QString &section,
    const QString &login, const std::optional<QString> &password, QWidget *parent)
{
    if (!password)
        return;
    const bool removing = password->isEmpty();
    // The window that asked may be gone by the time the keyring answers.
    const QPointer<QWidget> boxParent(parent);
    const QByteArray place(where);
    auto answered = [&context, place, section, login, removing, boxParent](
                        const SecretStore::Result &result) {
        trap(context, place.constData(),
            [&] { keyringAnswered(context, section, login, removing, result, boxParent.data()); });
    };
    if (removing)
        context.secrets->removePassword(section, context.context(), answered);
    else
        context.secrets->writePassword(section, *password, context.context(), answered);
}
