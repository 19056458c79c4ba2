#include "process/LaunchedProgram.h"

#include "base/ChildExit.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// What the child tells the parent through the status pipe before exec.
struct ChildReport
{
    int stage = 0;   // kNiceRefused or kExecFailed
    int error = 0;   // errno
};
constexpr int kNiceRefused = 1;
constexpr int kExecFailed = 2;

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes the whole report; only async-signal-safe calls (the child runs it).
void report(int fd, int stage, int error)
{
    const ChildReport r{stage, error};
    const char* p = reinterpret_cast<const char*>(&r);
    size_t left = sizeof r;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= size_t(n);
    }
}

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 0;
}

} // namespace

LaunchedProgram::~LaunchedProgram()
{
    if (m_pidFd >= 0)
        ::close(m_pidFd);
    if (m_pid > 0 && !m_ended) {
        // It outlives our wait: collect it whenever it ends.
        const pid_t pid = m_pid;
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
}

bool LaunchedProgram::Start(const QString& program, const QStringList& arguments, std::optional<int> niceValue,
                            QString& error)
{
    if (program.trimmed().isEmpty()) {
        error = QStringLiteral("no program named");
        return false;
    }
    // Everything the child needs is prepared before fork: between fork and
    // exec only async-signal-safe calls are allowed.
    std::vector<QByteArray> bytes;
    bytes.push_back(QFile::encodeName(program));
    for (const QString& a : arguments)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const bool setNice = niceValue.has_value();
    const bool outputToError = m_outputToError;
    const int nice = niceValue.value_or(0);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errorText(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int e = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        error = errorText(e);
        return false;
    }
    if (child == 0) {
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGCHLD, SIG_DFL);
        if (setNice && ::setpriority(PRIO_PROCESS, 0, nice) != 0)
            report(fds[1], kNiceRefused, errno);
        if (outputToError)
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
        // Our own descriptors (office pipes, open files) stay with us.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execve(argv[0], argv.data(), environ);
        report(fds[1], kExecFailed, errno);
        ::_exit(127);
    }
    ::close(fds[1]);
    ChildReport r;
    int execError = 0;
    for (;;) {
        const ssize_t n = ::read(fds[0], &r, sizeof r);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != ssize_t(sizeof r))
            break;   // end of the pipe: exec succeeded
        if (r.stage == kNiceRefused)
            m_priorityNote = QStringLiteral("the program runs at nice %1, not %2: %3")
                                 .arg(::getpriority(PRIO_PROCESS, 0))
                                 .arg(nice)
                                 .arg(errorText(r.error));
        else if (r.stage == kExecFailed)
            execError = r.error;
    }
    ::close(fds[0]);
    m_pid = child;
    if (execError != 0) {
        reap(true);
        m_pid = 0;
        error = errorText(execError);
        return false;
    }
    m_pidFd = OpenChildPidFd(child);
    return true;
}

bool LaunchedProgram::reap(bool block)
{
    if (m_ended)
        return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    m_ended = true;
    m_exitCode = r == m_pid ? exitCodeOf(status) : 0;
    return true;
}

bool LaunchedProgram::WaitForEnd(int milliseconds)
{
    if (m_pid <= 0)
        return false;
    if (reap(false))
        return true;
    if (milliseconds <= 0)
        return false;
    if (m_pidFd >= 0) {
        WaitForChildPidFd(m_pidFd, milliseconds);
        return reap(false);
    }
    // Without a pidfd, look again every few milliseconds.
    for (int waited = 0; waited < milliseconds; waited += 5) {
        const timespec step{0, 5 * 1000 * 1000};
        ::nanosleep(&step, nullptr);
        if (reap(false))
            return true;
    }
    return false;
}
