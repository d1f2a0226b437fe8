#pragma once

// While it lives, files this process writes cannot grow past a few KiB: the
// disk is "full" for them, as it can be for a real save.

#include <csignal>
#include <sys/resource.h>

class DiskLimit
{
public:
    explicit DiskLimit(rlim_t bytes = 4096)
    {
        m_ok = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        m_ok = m_ok && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~DiskLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    DiskLimit(const DiskLimit &) = delete;
    DiskLimit &operator=(const DiskLimit &) = delete;
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
    bool m_ok = false;
};
