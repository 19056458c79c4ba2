#include "office/OfficeWatchdog.h"

OfficeWatchdog::OfficeWatchdog(std::function<void()> onExpiry)
    : m_onExpiry(std::move(onExpiry))
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
        m_fired = false;
        m_armed = limitMs > 0;
        ++m_generation;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    }
    m_cv.notify_all();
}

bool OfficeWatchdog::disarm()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_armed = false;
    ++m_generation;
    const bool fired = m_fired;
    m_fired = false;
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
        if (m_cv.wait_until(lock, m_deadline) == std::cv_status::timeout
            && m_armed && generation == m_generation) {
            // The expiry action runs under the lock, so a disarm() racing
            // with it waits and then reports the expiry.
            m_fired = true;
            m_armed = false;
            m_onExpiry();
        }
    }
}
