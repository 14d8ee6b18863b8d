// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, the process may write files only up to the given size: a write past
// it fails as on a full disk. Unlike a read-only folder, this stops root too.
class FullDisk {
public:
    explicit FullDisk(long long bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        const rlimit limit { rlim_t(bytes), m_oldLimit.rlim_max };
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    void (*m_oldHandler)(int) = ::signal(SIGXFSZ, SIG_IGN);
    rlimit m_oldLimit {};
};
