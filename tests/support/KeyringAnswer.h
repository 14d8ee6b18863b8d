#pragma once

#include "platform/KeychainSecretStore.h"

#include <QEventLoop>

// The desktop keyring's answer to one call, waited for in an event loop of the test's own;
// the store answers by itself in the end (KeychainSecretStore::Patience).
namespace KeyringAnswer {

template<class Call> SecretStore::Result waitFor(Call call)
{
    KeychainSecretStore keyring;
    QEventLoop loop;
    SecretStore::Result answer;
    call(keyring, &loop, [&](const SecretStore::Result &result) {
        answer = result;
        loop.quit();
    });
    loop.exec();
    return answer;
}
inline SecretStore::Result read(const QString &key)
{
    return waitFor([&](SecretStore &s, QObject *c, auto done) { s.readPassword(key, c, done); });
}
inline SecretStore::Result write(const QString &key, const QString &password)
{
    return waitFor(
        [&](SecretStore &s, QObject *c, auto done) { s.writePassword(key, password, c, done); });
}
inline SecretStore::Result remove(const QString &key)
{
    return waitFor([&](SecretStore &s, QObject *c, auto done) { s.removePassword(key, c, done); });
}

} // namespace KeyringAnswer
