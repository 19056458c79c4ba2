#include "pdf2bmp/PageTimeLimit.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> g_baseMs{kPageTimeBaseMs};
std::atomic<int> g_perMegapixelMs{kPageTimePerMegapixelMs};

struct Entry
{
    Clock::time_point at;
    int* abort = nullptr;
    std::atomic<bool>* expired = nullptr;
};

// Kept for the life of the process: its thread may sleep past exit.
class Watcher
{
public:
    static Watcher& instance()
    {
        static Watcher* w = new Watcher;
        return *w;
    }

    unsigned add(const Entry& entry)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_started) {
            std::thread([this] { serve(); }).detach();
            m_started = true;
        }
        const unsigned id = m_next++;
        m_entries.emplace(id, entry);
        m_changed.notify_all();
        return id;
    }

    void remove(unsigned id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.erase(id);
    }

private:
    void serve()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            const Clock::time_point now = Clock::now();
            Clock::time_point next = now + std::chrono::hours(1);
            for (auto it = m_entries.begin(); it != m_entries.end();) {
                if (it->second.at <= now) {
                    // MuPDF reads the flag between the operators it runs.
                    *it->second.abort = 1;
                    it->second.expired->store(true);
                    it = m_entries.erase(it);
                } else {
                    next = std::min(next, it->second.at);
                    ++it;
                }
            }
            m_changed.wait_until(lock, next);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<unsigned, Entry> m_entries;
    unsigned m_next = 1;
    bool m_started = false;
};

} // namespace

long long PageTimeLimitMs(long long pixels)
{
    const int base = g_baseMs.load();
    const int perMegapixel = g_perMegapixelMs.load();
    if (base <= 0 && perMegapixel <= 0)
        return 0;
    return base + perMegapixel * ((pixels + 999'999) / 1'000'000);
}

void SetPageTimeLimit(int baseMs, int perMegapixelMs)
{
    g_baseMs.store(baseMs);
    g_perMegapixelMs.store(perMegapixelMs);
}

PageDeadline::PageDeadline(int* abort, long long ms)
{
    if (ms > 0)
        m_id = Watcher::instance().add({Clock::now() + std::chrono::milliseconds(ms), abort, &m_expired});
}

PageDeadline::~PageDeadline()
{
    if (m_id)
        Watcher::instance().remove(m_id);
}
