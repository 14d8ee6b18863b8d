// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/EvolutionAccounts.h"

#include "app/MailServerOptions.h"
#include "ui/setup/KeyFile.h"

#include <QDir>

namespace {

constexpr int Accounts = 10;
const QString Source = QStringLiteral("Data Source");
const QString Identity = QStringLiteral("Mail Identity");
const QString Submission = QStringLiteral("Mail Submission");
const QString Transport = QStringLiteral("Mail Transport");
const QString Authentication = QStringLiteral("Authentication");

// The security of a transport's "[Security] Method": STARTTLS on the usual port, or TLS
// from the start on the other one. "none" and anything unknown leave the plain
// conversation.
QString securityOf(const QString &method)
{
    using Security = MailServerOptions::Security;
    if (method == u"starttls-on-standard-port")
        return MailServerOptions::securityText(Security::StartTls);
    if (method == u"ssl-on-alternate-port")
        return MailServerOptions::securityText(Security::Tls);
    return {};
}

} // namespace

MailAccountStore evolutionAccounts(const QString &sourcesDir)
{
    MailAccountStore store;
    const QDir dir(sourcesDir);
    const QStringList names
        = dir.entryList({ QStringLiteral("*.source") }, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        if (store.size() == Accounts)
            break;
        const KeyFile source = KeyFile::read(dir.filePath(name), true);
        if (!source.hasGroup(Identity)
            || source.value(Source, QStringLiteral("Enabled")) == QStringLiteral("false"))
            continue;
        QHash<QString, QString> values;
        const QString address = source.value(Identity, QStringLiteral("Address"));
        if (!address.isEmpty())
            values.insert(MailAccountValues::Address, address);
        const QString transportUid = source.value(Submission, QStringLiteral("TransportUid"));
        if (!transportUid.isEmpty()) {
            const KeyFile transport
                = KeyFile::read(dir.filePath(transportUid + QStringLiteral(".source")), true);
            // A sendmail transport has no host; only a server reached over the network
            // is an SMTP server.
            const QString host = transport.value(Authentication, QStringLiteral("Host"));
            if (transport.hasGroup(Transport) && !host.isEmpty()) {
                values.insert(MailAccountValues::Server, host);
                MailAccountValues::insertGiven(values, MailAccountValues::Security,
                    securityOf(
                        transport.value(QStringLiteral("Security"), QStringLiteral("Method"))));
                MailAccountValues::insertGiven(values, MailAccountValues::Port,
                    transport.value(Authentication, QStringLiteral("Port")));
                MailAccountValues::insertGiven(values, MailAccountValues::Login,
                    transport.value(Authentication, QStringLiteral("User")));
            }
        }
        store.append(values);
    }
    return store;
}
