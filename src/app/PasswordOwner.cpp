// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/PasswordOwner.h"

#include "app/SettingsStore.h"

namespace PasswordOwner {

namespace {
const QString Key = QStringLiteral("PasswordLogin");
}

bool belongsTo(const SettingsStore &store, const QString &section, const QString &login)
{
    return !store.hasSetting(section, Key) || store.readSetting(section, Key, QString()) == login;
}

bool noted(const SettingsStore &store, const QString &section)
{
    return store.hasSetting(section, Key);
}

void record(SettingsStore &store, const QString &section, const QString &login)
{
    store.writeSetting(section, Key, login);
}

void disown(SettingsStore &store, const QString &section)
{
    store.writeSetting(section, Key, QString());
}

void keepWithOldLogin(SettingsStore &store, const QString &section, const QString &oldLogin)
{
    if (!store.hasSetting(section, Key))
        store.writeSetting(section, Key, oldLogin);
}

} // namespace PasswordOwner
