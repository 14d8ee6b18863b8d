// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <optional>

class AppContext;
class QWidget;

// Applies a change to a user's SMTP password in the desktop's keyring (context.secrets, under
// the user's section name): none leaves it alone, an empty text removes it, any other
// text replaces it as the password of that login. It returns at once; when the keyring
// answers, the login the password belongs to is noted, or a keyring that could not do it
// is told in a box with its reason (the password is then kept nowhere else). A failure
// while noting it goes to the error trap under `where`, the command that asked.
void updatePassword(AppContext &context, const char *where, const QString &section,
    const QString &login, const std::optional<QString> &password, QWidget *parent);
