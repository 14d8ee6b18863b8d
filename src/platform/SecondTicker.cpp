// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/SecondTicker.h"

#include <QDateTime>

SecondTicker::SecondTicker(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTicker::fire);
}

void SecondTicker::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        arm();
    else
        m_timer.stop();
}

void SecondTicker::arm()
{
    const qint64 intoSecond = QDateTime::currentMSecsSinceEpoch() % 1000;
    qint64 wait = 1000 - intoSecond + OffsetMs;
    // Woken a little early or just after the start: aim at the next second, not this one.
    if (wait > 1000)
        wait -= 1000;
    if (wait < OffsetMs)
        wait += 1000;
    m_timer.start(int(wait));
}

void SecondTicker::fire()
{
    if (!m_enabled)
        return;
    arm();
    emit tick();
}
