#pragma once
// Guards blocking calls into the office. Before a call the owner arms the
// watchdog with a time limit; when the call has not returned by then, the
// watchdog runs the expiry action on its own thread (the engine kills its
// office process there, which breaks the pipe and makes the blocked call
// return with an error).
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class OfficeWatchdog
{
public:
    explicit OfficeWatchdog(std::function<void()> onExpiry);
    ~OfficeWatchdog();

    OfficeWatchdog(const OfficeWatchdog&) = delete;
    OfficeWatchdog& operator=(const OfficeWatchdog&) = delete;

    // Starts the clock. A limit of 0 or less means no limit.
    void arm(int limitMs);

    // Stops the clock; true when the limit had passed and the expiry action
    // ran since arm().
    bool disarm();

private:
    void run();

    std::function<void()> m_onExpiry;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_armed = false;
    bool m_fired = false;
    bool m_quit = false;
    unsigned m_generation = 0;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};
