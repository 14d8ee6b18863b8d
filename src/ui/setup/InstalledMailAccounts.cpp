// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/InstalledMailAccounts.h"

#include "ui/setup/EvolutionAccounts.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ThunderbirdAccounts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString thunderbirdDir()
{
    const QString home = QDir::homePath();
    for (const char *place : { "/.thunderbird", "/snap/thunderbird/common/.thunderbird",
             "/.var/app/org.mozilla.Thunderbird/.thunderbird" }) {
        const QString dir = home + QString::fromLatin1(place);
        if (QFileInfo::exists(dir + QStringLiteral("/profiles.ini")))
            return dir;
    }
    return {};
}

} // namespace

MailAccount installedMailAccountGuess()
{
    const QString tb = thunderbirdDir();
    const QString evolution
        = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/evolution/sources");
    return searchMailAccounts(
        tb.isEmpty() ? MailAccountStore {} : thunderbirdAccounts(tb), evolutionAccounts(evolution));
}
