// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/AccountNameGuess.h"

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr qsizetype MaxNameLength = 99;

QString loginName()
{
    // The account of the process first: $USER may be stale after su or sudo.
    if (const passwd *entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace

QString fitAccountName(const QString &loginName)
{
    return loginName.size() > MaxNameLength ? QString() : loginName;
}

QString accountNameGuess()
{
    return fitAccountName(loginName());
}
