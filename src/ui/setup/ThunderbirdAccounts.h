// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/setup/MailAccountStore.h"

// Thunderbird's accounts, read only, from the default profile under the given folder
// (the one holding profiles.ini, normally ~/.thunderbird). Each identity is one account,
// in the order of the client's account list and, within an account, of its identities:
// its address, and the outgoing server it sends through (its own, or the client's
// default): host name, security, port and login name. A missing or unreadable profile
// gives no accounts.
MailAccountStore thunderbirdAccounts(const QString &thunderbirdDir);

// The folder of the default profile, or the empty text when there is none.
QString thunderbirdDefaultProfile(const QString &thunderbirdDir);

// The string preferences of a prefs.js text, by name. Numbers and true/false are kept
// as written.
QHash<QString, QString> parseMozillaPrefs(const QString &text);
