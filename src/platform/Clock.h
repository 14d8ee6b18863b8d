// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>

// Every reading of "now" in the program goes through one Clock, so that tests can
// move time by minutes and days without waiting for it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // The same moment as milliseconds since the epoch. Turning a local QDateTime into them
    // asks the C library for the offset, which re-reads the time zone file when TZ is not
    // set (the usual desktop); a clock that knows the count without that overrides it.
    virtual qint64 msecsSinceEpoch() const { return now().toMSecsSinceEpoch(); }
};
