#include "StartupLock.h"

#include <atomic>
#include <mutex>
#include <thread>

NamedLock G_hGlobalMutex;

namespace {

// Threads of this process take turns here first: the file lock alone would
// let them all in (it belongs to the process) or, on a second handle, make
// a nested acquisition wait for itself.
std::recursive_mutex& threadGate()
{
    static std::recursive_mutex gate;
    return gate;
}

std::atomic<std::thread::id> owner; // the thread holding the lock, if any
int depth = 0;                      // its ownerships; guarded by the gate

} // namespace

void AcquireGlobalMutex()
{
    threadGate().lock();
    if (depth++ == 0 && G_hGlobalMutex.open(QStringLiteral("Folioshift_Global_Mutex")))
        G_hGlobalMutex.lock();
    owner = std::this_thread::get_id();
}

void ReleaseGlobalMutex()
{
    if (owner.load() != std::this_thread::get_id())
        return;
    if (--depth == 0) {
        owner = std::thread::id();
        G_hGlobalMutex.unlock();
        G_hGlobalMutex.close();
    }
    threadGate().unlock();
}
