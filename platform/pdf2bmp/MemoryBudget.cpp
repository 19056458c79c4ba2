#include "pdf2bmp/MemoryBudget.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// The memory the system can give without swapping, from /proc/meminfo;
// 0 when it does not say.
std::size_t availableBytes()
{
    std::FILE* info = std::fopen("/proc/meminfo", "re");
    if (!info)
        return 0;
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, info))
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1)
            break;
    std::fclose(info);
    return static_cast<std::size_t>(kib) * 1024;
}

// A quarter of the machine's memory, and no more than half of what is free
// when the program starts: other programs run beside it.
std::size_t defaultLimit()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long size = ::sysconf(_SC_PAGESIZE);
    std::size_t limit = pages > 0 && size > 0 ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(size) / 4
                                              : std::size_t{1} << 30;
    const std::size_t available = availableBytes();
    if (available > 0)
        limit = std::min(limit, available / 2);
    return std::max(limit, std::size_t{64} << 20);
}

} // namespace

MemoryBudget& MemoryBudget::instance()
{
    static MemoryBudget* budget = new MemoryBudget; // outlives every thread
    return *budget;
}

MemoryBudget::MemoryBudget()
    : m_limit(defaultLimit())
{
}

void MemoryBudget::setLimit(std::size_t bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_limit = bytes ? bytes : defaultLimit();
    }
    m_changed.notify_all();
}

std::size_t MemoryBudget::limit() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_limit;
}

bool MemoryBudget::acquire(std::size_t bytes, const std::function<bool()>& cancelled)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_held == 0 || m_held + bytes <= m_limit || cancelled(); });
    if (m_held != 0 && m_held + bytes > m_limit)
        return false;
    m_held += bytes;
    if (m_held > m_peak)
        m_peak = m_held;
    return true;
}

void MemoryBudget::release(std::size_t bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = bytes > m_held ? 0 : m_held - bytes;
    }
    m_changed.notify_all();
}

void MemoryBudget::wake()
{
    // Taking the lock orders the caller's change before the waiters' test.
    { std::lock_guard<std::mutex> lock(m_mutex); }
    m_changed.notify_all();
}

std::size_t MemoryBudget::peak() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peak;
}

void MemoryBudget::resetPeak()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_peak = m_held;
}
