#pragma once

#include <QDateTime>

// Every reading of "now" in the program goes through one Clock, so that tests can
// move time by minutes and days without waiting for it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
