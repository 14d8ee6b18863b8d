#pragma once

#include <QString>

// Where passwords are kept: the desktop's secret store (GNOME Keyring, KWallet or any
// other Secret Service), never a file of the program's own. Each call returns when the
// store has answered; other events keep running meanwhile.
class SecretStore {
public:
    struct Result {
        bool ok = false;
        bool notFound = false; // the store answered and holds nothing under the key
        QString password; // what a read found
        QString error; // the store's own words when it failed or could not be reached
    };

    virtual ~SecretStore() = default;

    virtual Result readPassword(const QString &key) = 0;
    virtual Result writePassword(const QString &key, const QString &password) = 0;
    // Removing a password that is not there succeeds.
    virtual Result removePassword(const QString &key) = 0;
};
