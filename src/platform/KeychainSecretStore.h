#pragma once

#include "platform/SecretStore.h"

#include <chrono>

// The desktop's secret store through QtKeychain, under the service name "Tolvane". When
// no store answers, every call fails with its reason: nothing is ever written anywhere
// else instead.
class KeychainSecretStore : public SecretStore {
public:
    static constexpr std::chrono::seconds Patience { 30 };

    Result readPassword(const QString &key) override;
    Result writePassword(const QString &key, const QString &password) override;
    Result removePassword(const QString &key) override;
};
