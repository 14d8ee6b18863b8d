#include "platform/SingleInstance.h"

#include "platform/Paths.h"

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(lockPath)
{
    // A running copy may hold the lock for months; only a dead holder makes it stale.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryLock()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

void SingleInstance::release()
{
    m_lock.unlock();
}

QString SingleInstance::defaultLockPath()
{
    return Paths::configDir() + QStringLiteral("/Tolvane.lock");
}
