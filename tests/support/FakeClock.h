// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Clock.h"

// A clock that stands still until the test moves it.
class FakeClock final : public Clock {
public:
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &moment) { m_now = moment; }
    void advanceSecs(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now { QDate(2026, 3, 14), QTime(10, 0) };
};

// A moment of the day the fake clock starts on, 14 March 2026, or of another day that month.
inline QDateTime at(int hour, int minute, int second = 0, int day = 14)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, minute, second));
}
