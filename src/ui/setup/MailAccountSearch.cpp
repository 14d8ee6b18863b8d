#include "ui/setup/MailAccountSearch.h"

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

} // namespace

MailAccount SearchMailAccounts(const MailAccountStore &first, const MailAccountStore &second)
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
    }
    return result;
}
