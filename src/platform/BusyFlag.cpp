#include "platform/BusyFlag.h"

void BusyFlag::acquire()
{
    waitUntilClear();
    m_set = true;
}

void BusyFlag::release()
{
    m_set = false;
    m_wait.wake();
}

void BusyFlag::waitUntilClear()
{
    m_wait.waitUntil([this] { return !m_set; });
}
