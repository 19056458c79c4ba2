#include "base/ChildExit.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

int OpenChildPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        ::fcntl(int(fd), F_SETFD, FD_CLOEXEC);
        return int(fd);
    }
#endif
    (void)pid;
    return -1;
}

bool WaitForChildPidFd(int pidFd, int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        // Rounded up, so the wait is never shorter than asked.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{pidFd, POLLIN, 0};
        const int r = ::poll(&p, 1, left > 0 ? int(left) : 0);
        if (r > 0)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
        if (r == 0 && Clock::now() >= deadline)
            return false;
    }
}
