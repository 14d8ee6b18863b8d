#pragma once

#include <QLockFile>
#include <QString>

// The one-copy-per-account rule: the first copy holds a lock file beside its settings
// for as long as it runs. A lock left behind by a copy that died is taken over, since
// the lock file names the process that wrote it.
class SingleInstance {
public:
    explicit SingleInstance(const QString &lockPath);

    // Whether this process now holds the lock; false when another running copy holds it.
    bool tryLock();
    void release();

    // The lock beside the settings file of the account.
    static QString defaultLockPath();

private:
    QLockFile m_lock;
};
