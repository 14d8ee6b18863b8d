// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/MailAccountSearch.h"

#include "delivery/SmtpWire.h"

#include <optional>

namespace {

constexpr int Accounts = 10;
constexpr int LongestValue = 254; // what fits a 255-character buffer with its end mark

std::optional<QString> readValue(const MailAccountStore &store, int account, const QString &name)
{
    if (account >= store.size())
        return std::nullopt;
    const auto found = store.at(account).constFind(name);
    if (found == store.at(account).constEnd() || found->size() > LongestValue)
        return std::nullopt;
    return found->trimmed();
}

MailServerOptions readOptions(const MailAccountStore &store, int account)
{
    using Security = MailServerOptions::Security;
    MailServerOptions options;
    const QString security
        = readValue(store, account, MailAccountValues::Security).value_or(QString());
    options.security = MailServerOptions::parseSecurity(security);
    // The readers write only what they understood; anything else is the plain conversation.
    if (options.security == Security::Unknown)
        options.security = Security::None;
    const QString port = readValue(store, account, MailAccountValues::Port).value_or(QString());
    const auto number = SmtpWire::parsePort(port);
    if (number && *number != MailServerOptions::usualPort(options.security))
        options.port = QString::number(*number);
    // A client may log in over a clear connection; the delivery never sends a password
    // there and the Advanced dialog refuses such a login, so it is not proposed. The user
    // who wants it chooses a security first and types the login with it.
    if (options.security != Security::None)
        options.login = readValue(store, account, MailAccountValues::Login).value_or(QString());
    return options;
}

} // namespace

MailAccount searchMailAccounts(const MailAccountStore &first, const MailAccountStore &second)
{
    MailAccount result;
    const MailAccountStore *hitStore = &second;
    int hitAccount = 0;
    for (const MailAccountStore *store : { &first, &second }) {
        for (int i = 0; i < Accounts && !result.addressFound; ++i) {
            if (const auto address = readValue(*store, i, MailAccountValues::Address)) {
                result.addressFound = true;
                result.address = *address;
                hitStore = store;
                hitAccount = i;
            }
        }
        if (result.addressFound)
            break;
    }
    if (const auto server = readValue(*hitStore, hitAccount, MailAccountValues::Server)) {
        result.serverFound = true;
        result.server = *server;
        result.options = readOptions(*hitStore, hitAccount);
    }
    return result;
}
