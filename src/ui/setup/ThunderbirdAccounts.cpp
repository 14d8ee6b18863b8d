// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/ThunderbirdAccounts.h"

#include "app/MailServerOptions.h"
#include "ui/setup/KeyFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int Accounts = 10;

// A JavaScript string literal starting at text[pos] (the opening quote); pos ends behind
// the closing quote. False when the literal does not end.
bool readString(const QString &text, qsizetype &pos, QString &out)
{
    const QChar quote = text.at(pos++);
    out.clear();
    while (pos < text.size()) {
        const QChar c = text.at(pos++);
        if (c == quote)
            return true;
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (pos >= text.size())
            return false;
        const QChar e = text.at(pos++);
        switch (e.unicode()) {
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        case 't':
            out += u'\t';
            break;
        case 'u':
        case 'x': {
            const int digits = e == u'u' ? 4 : 2;
            bool ok = false;
            const uint code = text.mid(pos, digits).toUInt(&ok, 16);
            if (!ok)
                return false;
            out += QChar(static_cast<char16_t>(code));
            pos += digits;
            break;
        }
        default:
            out += e;
            break;
        }
    }
    return false;
}

void skipBlanks(const QString &text, qsizetype &pos)
{
    while (pos < text.size() && text.at(pos).isSpace())
        ++pos;
}

QStringList listOf(const QString &value)
{
    QStringList items;
    for (const QString &item : value.split(u',', Qt::SkipEmptyParts)) {
        if (!item.trimmed().isEmpty())
            items.append(item.trimmed());
    }
    return items;
}

// The security of an outgoing server's "try_ssl": 1 (STARTTLS when offered, from older
// versions) and 2 both become STARTTLS, as the delivery knows no "when offered"; 3 is TLS
// from the start. 0, absent and anything unknown leave the plain conversation.
QString securityOf(const QString &trySsl)
{
    using Security = MailServerOptions::Security;
    if (trySsl == u"1" || trySsl == u"2")
        return MailServerOptions::securityText(Security::StartTls);
    if (trySsl == u"3")
        return MailServerOptions::securityText(Security::Tls);
    return {};
}

} // namespace

QHash<QString, QString> parseMozillaPrefs(const QString &text)
{
    static const QString Call = QStringLiteral("user_pref(");
    QHash<QString, QString> prefs;
    qsizetype pos = 0;
    while ((pos = text.indexOf(Call, pos)) >= 0) {
        pos += Call.size();
        skipBlanks(text, pos);
        QString name;
        if (pos >= text.size() || text.at(pos) != u'"' || !readString(text, pos, name))
            continue;
        skipBlanks(text, pos);
        if (pos >= text.size() || text.at(pos) != u',')
            continue;
        ++pos;
        skipBlanks(text, pos);
        if (pos >= text.size())
            break;
        QString value;
        if (text.at(pos) == u'"') {
            if (!readString(text, pos, value))
                continue;
        } else {
            const qsizetype end = text.indexOf(u')', pos);
            if (end < 0)
                break;
            value = text.mid(pos, end - pos).trimmed();
            pos = end;
        }
        prefs.insert(name, value);
    }
    return prefs;
}

QString thunderbirdDefaultProfile(const QString &thunderbirdDir)
{
    const KeyFile ini = KeyFile::read(thunderbirdDir + QStringLiteral("/profiles.ini"));
    auto resolve = [&](const QString &path, bool relative) {
        if (path.isEmpty())
            return QString();
        return relative || QFileInfo(path).isRelative() ? QDir(thunderbirdDir).filePath(path)
                                                        : path;
    };
    // A newer client names the default of its installation; an older one marks a profile.
    for (const QString &group : ini.groups()) {
        if (group.startsWith(QStringLiteral("Install"))) {
            const QString path = resolve(ini.value(group, QStringLiteral("Default")), false);
            if (!path.isEmpty())
                return path;
        }
    }
    QString first;
    for (const QString &group : ini.groups()) {
        if (!group.startsWith(QStringLiteral("Profile")))
            continue;
        const QString path = resolve(ini.value(group, QStringLiteral("Path")),
            ini.value(group, QStringLiteral("IsRelative"), QStringLiteral("1"))
                == QStringLiteral("1"));
        if (ini.value(group, QStringLiteral("Default")) == QStringLiteral("1"))
            return path;
        if (first.isEmpty())
            first = path;
    }
    return first;
}

MailAccountStore thunderbirdAccounts(const QString &thunderbirdDir)
{
    MailAccountStore store;
    const QString profile = thunderbirdDefaultProfile(thunderbirdDir);
    if (profile.isEmpty())
        return store;
    QFile file(QDir(profile).filePath(QStringLiteral("prefs.js")));
    if (!file.open(QIODevice::ReadOnly))
        return store;
    const QHash<QString, QString> prefs = parseMozillaPrefs(QString::fromUtf8(file.readAll()));
    auto pref = [&prefs](const QString &name) { return prefs.value(name); };
    const QString defaultServer = pref(QStringLiteral("mail.smtp.defaultserver"));

    for (const QString &account : listOf(pref(QStringLiteral("mail.accountmanager.accounts")))) {
        const QString identities = pref(QStringLiteral("mail.account.%1.identities").arg(account));
        for (const QString &identity : listOf(identities)) {
            if (store.size() == Accounts)
                return store;
            QHash<QString, QString> values;
            const QString address
                = pref(QStringLiteral("mail.identity.%1.useremail").arg(identity));
            if (!address.isEmpty())
                values.insert(MailAccountValues::Address, address);
            QString server = pref(QStringLiteral("mail.identity.%1.smtpServer").arg(identity));
            if (server.isEmpty())
                server = defaultServer;
            const QString prefix = QStringLiteral("mail.smtpserver.%1.").arg(server);
            const QString host
                = server.isEmpty() ? QString() : pref(prefix + QStringLiteral("hostname"));
            if (!host.isEmpty()) {
                values.insert(MailAccountValues::Server, host);
                MailAccountValues::insertGiven(values, MailAccountValues::Security,
                    securityOf(pref(prefix + QStringLiteral("try_ssl"))));
                MailAccountValues::insertGiven(
                    values, MailAccountValues::Port, pref(prefix + QStringLiteral("port")));
                MailAccountValues::insertGiven(
                    values, MailAccountValues::Login, pref(prefix + QStringLiteral("username")));
            }
            store.append(values);
        }
    }
    return store;
}
