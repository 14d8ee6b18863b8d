// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Roster.h"

#include "app/SettingsStore.h"

#include <QCoreApplication>

namespace Roster {

namespace {

const QString Name = QStringLiteral("Name");

bool valueInUse(const SettingsStore &store, const QString &key, const QString &text)
{
    for (int n = 1; n <= MaxUsers; ++n) {
        if (store.readSetting(userSection(n), key, QString()) == text)
            return true;
    }
    return false;
}

} // namespace

QString userSection(int n)
{
    return QStringLiteral("User") + QString::number(n);
}

bool isConfigured(const SettingsStore &store, int n)
{
    return store.hasSetting(userSection(n), Name);
}

int firstFreeSlot(const SettingsStore &store)
{
    for (int n = 1; n <= MaxUsers; ++n) {
        if (!isConfigured(store, n))
            return n;
    }
    return 0;
}

QList<User> configuredUsers(const SettingsStore &store)
{
    QList<User> users;
    for (int n = 1; n <= MaxUsers; ++n) {
        if (isConfigured(store, n))
            users.append({ n, store.readSetting(userSection(n), Name, QString()) });
    }
    return users;
}

bool nameInUse(const SettingsStore &store, const QString &name)
{
    return valueInUse(store, Name, name);
}

bool phoneAddressInUse(const SettingsStore &store, const QString &address)
{
    return valueInUse(store, QStringLiteral("CellEmail"), address);
}

int phoneAddressUser(const SettingsStore &store, const QString &address)
{
    for (int n = 1; n <= MaxUsers; ++n) {
        if (store.readSetting(userSection(n), QStringLiteral("CellEmail"), QString()) == address)
            return n;
    }
    return 0;
}

int leadingNumber(const QString &text, int largest)
{
    // Like Val(): leading blanks are skipped, then an optional sign and digits.
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > largest)
            return 0;
        ++i;
    }
    return int(negative ? -value : value);
}

UserInfo getUserInfo(const SettingsStore &store)
{
    const QString t = store.readSetting(
        QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
    UserInfo info;
    info.currentUser = leadingNumber(t);
    // The section is built from the text as read, not from the number.
    const QString name = store.readSetting(QStringLiteral("User") + t, Name, QString());
    info.caption = caption(name);
    return info;
}

QString caption(const QString &name)
{
    return QCoreApplication::translate("Roster", "Tolvane - %1").arg(name);
}

} // namespace Roster
