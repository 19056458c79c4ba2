#include "base/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<int> g_signal{0};
int g_wakeFd = -1; // the write end of the watcher's pipe

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// The handlers this copy replaced when it joined another copy's (see
// JoinStopSignals), by the index of the signal in kStopSignals.
void (*g_joined[3])(int) = {nullptr, nullptr, nullptr};

struct Action
{
    std::function<void(int)> run;
    int delayMs = 0;
    bool done = false;
};

// Lives for the whole process (never destroyed), so the watcher thread can
// never meet it half torn down at exit.
struct Registry
{
    std::mutex mutex;
    std::condition_variable changed;
    std::map<unsigned, Action> actions;
    unsigned nextId = 1;
    unsigned running = 0; // the id of the action running now, 0 for none
    bool stopping = false;
    std::chrono::steady_clock::time_point since;

    void serve(int readFd)
    {
        char byte = 0;
        while (::read(readFd, &byte, 1) < 0 && errno == EINTR) {
        }
        std::unique_lock<std::mutex> lock(mutex);
        stopping = true;
        since = std::chrono::steady_clock::now();
        for (;;) {
            const auto now = std::chrono::steady_clock::now();
            auto next = now + std::chrono::hours(24);
            unsigned due = 0;
            for (auto& [id, action] : actions) {
                if (action.done)
                    continue;
                const auto at = since + std::chrono::milliseconds(action.delayMs);
                if (at <= now) {
                    due = id;
                    break;
                }
                next = std::min(next, at);
            }
            if (due == 0) {
                changed.wait_until(lock, next);
                continue;
            }
            Action& action = actions[due];
            action.done = true;
            running = due;
            const std::function<void(int)> run = action.run;
            lock.unlock();
            run(g_signal.load());
            lock.lock();
            running = 0;
            changed.notify_all();
        }
    }
};

Registry& registry()
{
    static Registry* r = new Registry;
    return *r;
}

void onSignal(int signal)
{
    int expected = 0;
    if (!g_signal.compare_exchange_strong(expected, signal)) {
        // The second request: no more waiting.
        ::_exit(StopExitStatus(signal));
    }
    const int saved = errno;
    const char byte = 1;
    if (g_wakeFd >= 0)
        (void)!::write(g_wakeFd, &byte, 1);
    errno = saved;
    for (int i = 0; i < 3; ++i)
        if (kStopSignals[i] == signal && g_joined[i])
            g_joined[i](signal);
}

void install(bool join)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        std::perror("qvim: cannot watch for stop signals");
        return;
    }
    g_wakeFd = fds[1];
    registry();
    std::thread([readFd = fds[0]] { registry().serve(readFd); }).detach();
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        struct sigaction old {};
        ::sigaction(kStopSignals[i], &action, &old);
        if (join && !(old.sa_flags & SA_SIGINFO) && old.sa_handler != SIG_DFL && old.sa_handler != SIG_IGN
            && old.sa_handler != onSignal)
            g_joined[i] = old.sa_handler;
    }
}

std::once_flag g_installed;

} // namespace

void InstallStopSignals()
{
    std::call_once(g_installed, [] { install(false); });
}

void JoinStopSignals()
{
    struct sigaction current {};
    if (::sigaction(SIGTERM, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO)
        || current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN || current.sa_handler == onSignal)
        return;
    std::call_once(g_installed, [] { install(true); });
}

int StopSignalNumber()
{
    return g_signal.load();
}

const char* StopSignalName(int signal)
{
    switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "signal";
    }
}

StopAction::StopAction(std::function<void(int)> action, int delayMs)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    m_id = r.nextId++;
    r.actions[m_id] = Action{std::move(action), delayMs, false};
    r.changed.notify_all();
}

StopAction::~StopAction()
{
    Registry& r = registry();
    std::unique_lock<std::mutex> lock(r.mutex);
    r.changed.wait(lock, [&] { return r.running != m_id; });
    r.actions.erase(m_id);
}
