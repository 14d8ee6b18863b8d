// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

// Tells when messages that could not go out may go now: the machine woke from sleep (the
// login manager's PrepareForSleep(false) on the system bus) or the network came back (Qt's
// network information, where a backend with reachability loads). Where neither exists it
// never says anything, and the scheduler's own look at the wall clock still sees a sleep.
class ResumeWatcher : public QObject {
    Q_OBJECT
public:
    explicit ResumeWatcher(QObject *parent = nullptr);

    bool watchesSleep() const { return m_sleep; }
    bool watchesNetwork() const { return m_network; }

signals:
    void resumed();

private slots:
    void prepareForSleep(bool sleeping);

private:
    bool m_sleep = false;
    bool m_network = false;
};
