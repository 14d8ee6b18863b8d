// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/SecretStore.h"

#include <chrono>

// The desktop's secret store through QtKeychain, under the service name "Tolvane". When
// no store answers, every call fails with its reason: nothing is ever written anywhere
// else instead. A call asks a job of QtKeychain and is answered by its finished signal,
// or by the end of Patience when a store (say, behind an unlock prompt nobody answers)
// keeps the job waiting; the job's own answer then goes nowhere.
class KeychainSecretStore : public SecretStore {
public:
    static constexpr std::chrono::seconds Patience { 30 };

    void readPassword(const QString &key, QObject *context, Answer answer) override;
    void writePassword(
        const QString &key, const QString &password, QObject *context, Answer answer) override;
    void removePassword(const QString &key, QObject *context, Answer answer) override;
};
