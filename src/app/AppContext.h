// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class Clock;
class MessageBoxes;
class SecretStore;
class SettingsStore;

// What the whole program shares, created once at start and handed by reference to the
// windows, the delivery and the scheduler: the settings, the clock, the message boxes, the
// keyring, where the program and its data live, the logged-in user, the error switch, and
// the error trap's reports.
class AppContext {
public:
    AppContext(SettingsStore &settings, Clock &clock, MessageBoxes &boxes);
    ~AppContext();
    AppContext(const AppContext &) = delete;
    AppContext &operator=(const AppContext &) = delete;

    SettingsStore &settings;
    Clock &clock;
    MessageBoxes &boxes;
    // Where SMTP passwords are kept, under the user's section name: the desktop's secret
    // store unless another is put in its place.
    std::unique_ptr<SecretStore> secrets;

    // Read at start.
    QString programPath;
    QString dataFolder; // ends with "/"; the message files live here
    QString historyFile; // the delivery history; empty: none is kept
    bool firstRun = false;
    bool startSmall = false;

    int currentUser = 0; // the logged-in user, 0 for none

    // Whether the error trap of every procedure shows its message.
    bool showErrors = false;

    // The error trap's report: "Error occurred in " + where, only when showErrors is on.
    void reportError(const QString &where);
    // The error trap's report of a file that could not be read or written: always shown.
    // While a report's box is open, the same report met again (by the next timer tick) is
    // not shown a second time.
    void reportFailure(const QString &text);

    // The same reports, shown once the work at hand has returned to the event loop: the
    // scheduler and the delivery never wait for a box that waits for a user. An empty
    // text stands for reportError(where), any other for reportFailure(text).
    void reportLater(const QString &where, const QString &text);

    // What waits on the program's services (a report still to be shown, the keyring's
    // answer to a change) ends with the program object: the context for such waits.
    QObject *context() { return &m_context; }

private:
    void showOnce(const QString &text);
    QObject m_context;
    QStringList m_failuresShown; // the failure texts whose boxes are open
};
