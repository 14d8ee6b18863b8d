// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QTimer>

// A once-a-second timer whose ticks come a few milliseconds after the start of each
// wall-clock second, so that a message due at a minute leaves within milliseconds of
// it. It re-aims at every tick, so it stays on the second after the wall clock is set
// or the machine wakes from sleep. It is re-armed before its handlers run, so a
// handler that waits in a nested event loop does not stop the ticks.
class SecondTicker : public QObject {
    Q_OBJECT
public:
    explicit SecondTicker(QObject *parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // Milliseconds after the second's start at which a tick is wanted.
    static constexpr int OffsetMs = 3;

signals:
    void tick();

private:
    void arm();
    void fire();

    QTimer m_timer;
    bool m_enabled = false;
};
