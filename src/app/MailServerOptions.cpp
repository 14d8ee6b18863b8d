// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/MailServerOptions.h"

#include "app/SettingsStore.h"

namespace {

const QString Options = QStringLiteral("Options");

struct Keys {
    QString section;
    QString security;
    QString port;
    QString login;
};

Keys userKeys(const QString &section)
{
    return { section, QStringLiteral("Security"), QStringLiteral("Port"), QStringLiteral("Login") };
}

Keys defaultKeys()
{
    return { Options, QStringLiteral("DefaultSecurity"), QStringLiteral("DefaultPort"),
        QStringLiteral("DefaultLogin") };
}

MailServerOptions readKeys(const SettingsStore &store, const Keys &keys)
{
    MailServerOptions options;
    options.security = MailServerOptions::parseSecurity(
        store.readSetting(keys.section, keys.security, QString()));
    options.port = store.readSetting(keys.section, keys.port, QString()).trimmed();
    options.login = store.readSetting(keys.section, keys.login, QString());
    return options;
}

void writeKey(
    SettingsStore &store, const QString &section, const QString &key, const QString &value)
{
    if (value.isEmpty())
        store.deleteSetting(section, key);
    else
        store.writeSetting(section, key, value);
}

void writeKeys(const MailServerOptions &options, SettingsStore &store, const Keys &keys)
{
    writeKey(store, keys.section, keys.security, MailServerOptions::securityText(options.security));
    writeKey(store, keys.section, keys.port, options.port.trimmed());
    writeKey(store, keys.section, keys.login, options.login);
}

} // namespace

quint16 MailServerOptions::usualPort(Security security)
{
    switch (security) {
    case Security::StartTls:
        return 587;
    case Security::Tls:
        return 465;
    case Security::None:
    case Security::Unknown:
        break;
    }
    return 25;
}

QString MailServerOptions::securityText(Security security)
{
    switch (security) {
    case Security::StartTls:
        return QStringLiteral("STARTTLS");
    case Security::Tls:
        return QStringLiteral("TLS");
    case Security::None:
    case Security::Unknown:
        break;
    }
    return {};
}

MailServerOptions::Security MailServerOptions::parseSecurity(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.compare(QLatin1String("None"), Qt::CaseInsensitive) == 0)
        return Security::None;
    if (t.compare(QLatin1String("STARTTLS"), Qt::CaseInsensitive) == 0)
        return Security::StartTls;
    if (t.compare(QLatin1String("TLS"), Qt::CaseInsensitive) == 0)
        return Security::Tls;
    return Security::Unknown;
}

MailServerOptions MailServerOptions::read(const SettingsStore &store, const QString &section)
{
    return readKeys(store, userKeys(section));
}

void MailServerOptions::write(SettingsStore &store, const QString &section) const
{
    writeKeys(*this, store, userKeys(section));
}

MailServerOptions MailServerOptions::readDefaults(const SettingsStore &store)
{
    return readKeys(store, defaultKeys());
}

void MailServerOptions::writeDefaults(SettingsStore &store) const
{
    writeKeys(*this, store, defaultKeys());
}
