// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class SettingsStore;

// How a user's mail server is reached beyond its address: the connection's security, a
// port of its own and a login. The keys are written only when they say something, so a
// user who never chose any of it has none of them and gets the plain conversation on
// port 25 (or the port written into "SMTP"). The password is not here: it lives in the
// desktop's secret store under the user's section name.
struct MailServerOptions {
    enum class Security {
        None, // plain SMTP, no login
        StartTls, // connect in clear text, then STARTTLS before anything is sent
        Tls, // TLS from the first byte
        Unknown, // a hand-typed value that means none of these
    };

    Security security = Security::None;
    QString port; // empty: the port in "SMTP", else the security's usual port
    QString login; // empty: no login

    // Whether anything beyond the plain conversation was chosen.
    bool chosen() const { return security != Security::None || !login.isEmpty(); }

    bool operator==(const MailServerOptions &) const = default;

    // The port a connection uses when neither the options nor "SMTP" name one.
    static quint16 usualPort(Security security);

    // The text stored for a security choice ("STARTTLS", "TLS"; empty for none), and back
    // (case does not matter; empty or "None" is none, anything else is Unknown).
    static QString securityText(Security security);
    static Security parseSecurity(const QString &text);

    // A user's own options ("Security", "Port", "Login" in "User<n>").
    static MailServerOptions read(const SettingsStore &store, const QString &section);
    void write(SettingsStore &store, const QString &section) const;

    // The options offered to every new user ("DefaultSecurity", "DefaultPort",
    // "DefaultLogin" in "Options").
    static MailServerOptions readDefaults(const SettingsStore &store);
    void writeDefaults(SettingsStore &store) const;
};
