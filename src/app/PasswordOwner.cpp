#include "app/PasswordOwner.h"

#include "app/SettingsStore.h"

namespace PasswordOwner {

namespace {
const QString Key = QStringLiteral("PasswordLogin");
}

bool BelongsTo(const SettingsStore &store, const QString &section, const QString &login)
{
    return !store.HasSetting(section, Key) || store.ReadSetting(section, Key, QString()) == login;
}

bool Noted(const SettingsStore &store, const QString &section)
{
    return store.HasSetting(section, Key);
}

void Record(SettingsStore &store, const QString &section, const QString &login)
{
    store.WriteSetting(section, Key, login);
}

void Disown(SettingsStore &store, const QString &section)
{
    store.WriteSetting(section, Key, QString());
}

void KeepWithOldLogin(SettingsStore &store, const QString &section, const QString &oldLogin)
{
    if (!store.HasSetting(section, Key))
        store.WriteSetting(section, Key, oldLogin);
}

} // namespace PasswordOwner
