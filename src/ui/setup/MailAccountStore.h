#pragma once

#include <QHash>
#include <QList>
#include <QString>

// One mail client's accounts as the mail-account search reads them: entry i is account
// number i (0 to 9), holding its values by name. The two values the search asks for:
namespace MailAccountValues {
inline const QString Address = QStringLiteral("SMTP Email Address");
inline const QString Server = QStringLiteral("SMTP Server");
} // namespace MailAccountValues

using MailAccountStore = QList<QHash<QString, QString>>;
