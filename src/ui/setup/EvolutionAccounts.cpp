#include "ui/setup/EvolutionAccounts.h"

#include "ui/setup/KeyFile.h"

#include <QDir>

namespace {

constexpr int Accounts = 10;
const QString Source = QStringLiteral("Data Source");
const QString Identity = QStringLiteral("Mail Identity");
const QString Submission = QStringLiteral("Mail Submission");
const QString Transport = QStringLiteral("Mail Transport");

} // namespace

MailAccountStore EvolutionAccounts(const QString &sourcesDir)
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
            const QString host
                = transport.value(QStringLiteral("Authentication"), QStringLiteral("Host"));
            if (transport.hasGroup(Transport) && !host.isEmpty())
                values.insert(MailAccountValues::Server, host);
        }
        store.append(values);
    }
    return store;
}
