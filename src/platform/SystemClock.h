// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/Clock.h"

// The machine's local wall clock.
class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 msecsSinceEpoch() const override { return QDateTime::currentMSecsSinceEpoch(); }
};
