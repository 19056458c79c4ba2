#include "office/OfficeWatchdog.h"

#include <algorithm>

OfficeWatchdog::OfficeWatchdog(std::function<void()> onExpiry, std::function<bool()> overBudget)
    : m_onExpiry(std::move(onExpiry))
    , m_overBudget(std::move(overBudget))
{
    m_thread = std::thread([this] { run(); });
}

OfficeWatchdog::~OfficeWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void OfficeWatchdog::arm(int limitMs)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fired = Expiry::None;
        m_timed = limitMs > 0;
        m_armed = m_timed || m_overBudget;
        ++m_generation;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    }
    m_cv.notify_all();
}

OfficeWatchdog::Expiry OfficeWatchdog::disarm()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_armed = false;
    ++m_generation;
    const Expiry fired = m_fired;
    m_fired = Expiry::None;
    return fired;
}

void OfficeWatchdog::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        if (!m_armed) {
            m_cv.wait(lock);
            continue;
        }
        const unsigned generation = m_generation;
        auto wake = m_timed ? m_deadline : std::chrono::steady_clock::time_point::max();
        if (m_overBudget)
            wake = std::min(wake, std::chrono::steady_clock::now() + std::chrono::milliseconds(kMemoryPollMs));
        m_cv.wait_until(lock, wake);
        if (!m_armed || generation != m_generation)
            continue;
        Expiry expiry = Expiry::None;
        if (m_timed && std::chrono::steady_clock::now() >= m_deadline)
            expiry = Expiry::Time;
        else if (m_overBudget && m_overBudget())
            expiry = Expiry::Memory;
        if (expiry != Expiry::None) {
            // The expiry action runs under the lock, so a disarm() racing
            // with it waits and then reports the expiry.
            m_fired = expiry;
            m_armed = false;
            m_onExpiry();
        }
    }
}
