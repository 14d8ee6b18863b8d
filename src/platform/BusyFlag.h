#pragma once

#include "platform/EventWait.h"

// A cooperative lock for the one user-interface thread: whoever finds it set waits,
// letting other events run, until its holder clears it.
class BusyFlag {
public:
    bool isSet() const { return m_set; }

    // Waits (without spinning) until the flag is clear, then sets it.
    void acquire();
    void release();

    // Waits until the flag is clear, without taking it.
    void waitUntilClear();

private:
    bool m_set = false;
    EventWait m_wait;
};

// Holds a BusyFlag for one scope, so that it is cleared on every way out, errors included.
class BusyGuard {
public:
    explicit BusyGuard(BusyFlag &flag)
        : m_flag(flag)
    {
        m_flag.acquire();
    }
    ~BusyGuard() { m_flag.release(); }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

private:
    BusyFlag &m_flag;
};
