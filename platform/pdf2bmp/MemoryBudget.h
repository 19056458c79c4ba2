#pragma once
// The memory that pages being rendered may take at once, shared by every
// page pipeline of the process. A page is started only while its share
// fits; one page alone is always let through, so no page fails for the
// budget where a single thread would have managed it.
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>

class MemoryBudget
{
public:
    static MemoryBudget& instance();

    // 0 sets the default: a quarter of the machine's memory, at most half of
    // what was free when the process first asked.
    void setLimit(std::size_t bytes);
    std::size_t limit() const;

    // Blocks until `bytes` fit beside what is held, or nothing is held.
    // False when `cancelled` turned true while it waited (nothing is
    // taken then); wake() makes waiters look at it again.
    bool acquire(std::size_t bytes, const std::function<bool()>& cancelled);
    void release(std::size_t bytes);
    void wake();

    // The most held at once since the last reset (for tests).
    std::size_t peak() const;
    void resetPeak();

private:
    MemoryBudget();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_limit = 0;
    std::size_t m_held = 0;
    std::size_t m_peak = 0;
};

// What rendering and writing one page of this many pixels takes: the RGB
// raster, and as much again twice over for the writers' filtered and
// compressed copies and the draw device's own buffers.
inline std::size_t PageWorkingBytes(long long pixels)
{
    return static_cast<std::size_t>(pixels) * 3u * 3u;
}
