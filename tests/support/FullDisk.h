#pragma once

#include <csignal>
#include <sys/resource.h>

// While it lives, the process may write files only up to the given size: a write past
// it fails as on a full disk. Unlike a read-only folder, this stops root too.
class FullDisk {
public:
    explicit FullDisk(long long bytes)
        : m_oldHandler(::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        rlimit limit = m_oldLimit;
        limit.rlim_cur = rlim_t(bytes);
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
    rlimit m_oldLimit {};
    void (*m_oldHandler)(int);
};
