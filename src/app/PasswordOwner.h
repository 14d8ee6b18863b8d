// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class SettingsStore;

// Which login the password kept in the keyring for a user's section was typed for, in
// the key "PasswordLogin" of that section. A password is sent only for the login it was
// typed for, so that a new user in a freed slot, or a user whose login changed, never
// sends a password left behind (a keyring that could not remove it, say). A section
// without the key was written before the key existed: its password is its login's.
namespace PasswordOwner {

// Whether the stored password may be sent for this login.
bool belongsTo(const SettingsStore &store, const QString &section, const QString &login);

// Whether the section notes a password's login at all.
bool noted(const SettingsStore &store, const QString &section);

// A password was stored for this login.
void record(SettingsStore &store, const QString &section, const QString &login);

// No password of this section's is stored any more (removed, or never typed for a login
// that is new).
void disown(SettingsStore &store, const QString &section);

// The login changed without a new password: whatever is stored stays with the old one.
void keepWithOldLogin(SettingsStore &store, const QString &section, const QString &oldLogin);

} // namespace PasswordOwner
