// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLockFile>
#include <QString>

// The one-copy-per-account rule: the first copy holds a lock file beside its settings
// for as long as it runs. A lock left behind by a copy that died is taken over, since
// the lock file names the process that wrote it.
class SingleInstance {
public:
    enum class Result { Locked, HeldByOtherCopy, NotCreated };

    explicit SingleInstance(const QString &lockPath);

    // Locked when this process now holds the lock. Only a lock that another running copy
    // holds is HeldByOtherCopy; a lock file that could not be written (a full disk, a
    // folder that cannot be written) is NotCreated, and creationFailure() says why.
    Result tryLock();
    void release();

    QString path() const { return m_path; }

    // Why a lock file cannot be created at path(), in the system's words.
    QString creationFailure() const;

    // The lock beside the settings file of the account.
    static QString defaultLockPath();

private:
    QString m_path;
    QLockFile m_lock;
};
