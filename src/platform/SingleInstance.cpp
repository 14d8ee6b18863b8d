// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/SingleInstance.h"

#include "platform/Paths.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &lockPath)
    : m_path(lockPath)
    , m_lock(lockPath)
{
    // A running copy may hold the lock for months; only a dead holder makes it stale.
    m_lock.setStaleLockTime(0);
}

SingleInstance::Result SingleInstance::tryLock()
{
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return Result::Locked;
    return m_lock.error() == QLockFile::LockFailedError ? Result::HeldByOtherCopy
                                                        : Result::NotCreated;
}

void SingleInstance::release()
{
    m_lock.unlock();
}

QString SingleInstance::creationFailure() const
{
    // QLockFile keeps errno to itself. A file made and written the same way in the same
    // folder meets the same trouble, and the system names it.
    QByteArray probe = QFile::encodeName(m_path) + ".XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    // As much as the lock file holds: the process, its name and the machine.
    const QByteArray content(256, '\n');
    qsizetype done = 0;
    int error = 0;
    while (done < content.size() && error == 0) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n >= 0)
            done += n;
        else if (errno != EINTR)
            error = errno;
    }
    ::close(fd);
    ::unlink(probe.constData());
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    // The trouble has passed (space freed meanwhile); nothing is left to name.
    return m_lock.error() == QLockFile::PermissionError
        ? QString::fromLocal8Bit(std::strerror(EACCES))
        : QCoreApplication::translate("SingleInstance", "unknown error");
}

QString SingleInstance::defaultLockPath()
{
    return Paths::configDir() + QStringLiteral("/Tolvane.lock");
}
