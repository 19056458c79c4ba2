#pragma once
// Guards blocking calls into the office. Before a call the owner arms the
// watchdog with a time limit; when the call has not returned by then, or
// the memory probe says the office has passed its budget, the watchdog runs
// the expiry action on its own thread (the engine kills its office process
// there, which breaks the pipe and makes the blocked call return with an
// error).
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class OfficeWatchdog
{
public:
    // Why the expiry action ran.
    enum class Expiry { None, Time, Memory };

    // `overBudget`, when given, is asked every kMemoryPollMs while armed;
    // true ends the call as the time limit does.
    explicit OfficeWatchdog(std::function<void()> onExpiry, std::function<bool()> overBudget = {});
    ~OfficeWatchdog();

    OfficeWatchdog(const OfficeWatchdog&) = delete;
    OfficeWatchdog& operator=(const OfficeWatchdog&) = delete;

    // How often the memory probe is asked while a call runs.
    static constexpr int kMemoryPollMs = 100;

    // Starts the clock. A limit of 0 or less means no time limit (the
    // memory probe is asked all the same).
    void arm(int limitMs);

    // Stops the clock; tells whether, and why, the expiry action ran since
    // arm().
    Expiry disarm();

private:
    void run();

    std::function<void()> m_onExpiry;
    std::function<bool()> m_overBudget;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_armed = false;
    bool m_timed = false;
    Expiry m_fired = Expiry::None;
    bool m_quit = false;
    unsigned m_generation = 0;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};
