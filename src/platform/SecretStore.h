// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <functional>

class QObject;

// Where passwords are kept: the desktop's secret store (GNOME Keyring, KWallet or any
// other Secret Service), never a file of the program's own. Each call returns at once;
// the store's answer comes to the callback later, from the event loop (never from inside
// the call), and goes nowhere once the context object is gone. A store that keeps silent
// answers in the end too, with a failure that says so.
class SecretStore {
public:
    struct Result {
        bool ok = false;
        bool notFound = false; // the store answered and holds nothing under the key
        QString password; // what a read found
        QString error; // the store's own words when it failed or could not be reached
    };
    using Answer = std::function<void(const Result &)>;

    virtual ~SecretStore() = default;

    virtual void readPassword(const QString &key, QObject *context, Answer answer) = 0;
    virtual void writePassword(
        const QString &key, const QString &password, QObject *context, Answer answer)
        = 0;
    // Removing a password that is not there succeeds.
    virtual void removePassword(const QString &key, QObject *context, Answer answer) = 0;
};
