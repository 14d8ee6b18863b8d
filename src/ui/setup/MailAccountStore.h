// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QList>
#include <QString>

// One mail client's accounts as the mail-account search reads them: entry i is account
// number i (0 to 9), holding its values by name. The values the search asks for: the
// sender address, and the outgoing server with how it is reached. The security is written
// as the settings write it ("STARTTLS", "TLS"; absent for none), so that each client's
// reader translates its own values and the search weighs them alike.
namespace MailAccountValues {
inline const QString Address = QStringLiteral("SMTP Email Address");
inline const QString Server = QStringLiteral("SMTP Server");
inline const QString Security = QStringLiteral("SMTP Security");
inline const QString Port = QStringLiteral("SMTP Port");
inline const QString Login = QStringLiteral("SMTP Login");

// A reader's way of saying nothing: an empty value is not written at all.
inline void insertGiven(QHash<QString, QString> &values, const QString &name, const QString &value)
{
    if (!value.isEmpty())
        values.insert(name, value);
}
} // namespace MailAccountValues

using MailAccountStore = QList<QHash<QString, QString>>;
