// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/SystemSocketLayer.h"

#include <cerrno>
#include <climits>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

SocketLayer::StartUp SystemSocketLayer::startUp(quint16 requestedVersion)
{
    StartUp granted;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        granted.result = errno ? errno : -1;
        return granted;
    }
    ::close(fd);
    granted.version = requestedVersion;
    rlimit files {};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY)
        granted.maxSockets = files.rlim_cur > rlim_t(INT_MAX) ? INT_MAX : int(files.rlim_cur);
    else
        granted.maxSockets = INT_MAX;
    return granted;
}
