#include "office/OfficeProcess.h"

#include "base/ChildExit.h"

#include "office/OfficeExtensionCache.h"
#include "office/OfficeMemory.h"
#include "office/OfficeProfiles.h"

#include <QByteArray>
#include <QStringList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::atomic<unsigned> g_pipeCounter{0};

QString newPipeName()
{
    // Short enough for a socket path, unique across processes and engines.
    return QStringLiteral("tessaview_%1_%2_%3")
        .arg(::getpid())
        .arg(++g_pipeCounter)
        .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

// Settings of the private profile, written before the first start: no
// recovery data is written, since every document is loaded again after a
// restart anyway.
constexpr char kProfileSettings[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
    "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
    "<item oor:path=\"/org.openoffice.Office.Recovery/AutoSave\">"
    "<prop oor:name=\"Enabled\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
    "<item oor:path=\"/org.openoffice.Office.Recovery/RecoveryInfo\">"
    "<prop oor:name=\"Enabled\" oor:op=\"fuse\"><value>false</value></prop></item>\n";

// An office that finds a profile of an older version than its own takes
// itself for upgraded and checks its drawing back end first: most of a
// second at every start of a fresh profile. The profile says it has seen
// this version already.
constexpr char kLastVersionSetting[] =
    "<item oor:path=\"/org.openoffice.Setup/Product\">"
    "<prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>%1</value></prop></item>\n";

// The version ("7.4") the office installed with `program` calls itself,
// from its configuration; "" when it does not say. Read once per program.
QString OfficeSetupVersion(const QString& program)
{
    static std::mutex mutex;
    static QHash<QString, QString> versions;
    std::lock_guard<std::mutex> lock(mutex);
    const auto known = versions.constFind(program);
    if (known != versions.constEnd())
        return *known;
    QString version;
    QFile registry(QFileInfo(program).absolutePath() + QStringLiteral("/../share/registry/main.xcd"));
    if (registry.open(QIODevice::ReadOnly)) {
        static const QRegularExpression setting(
            QStringLiteral("oor:name=\"ooSetupVersion\"[^>]*>\\s*<value>([0-9]+\\.[0-9]+)</value>"));
        const QRegularExpressionMatch match = setting.match(QString::fromUtf8(registry.readAll()));
        if (match.hasMatch())
            version = match.captured(1);
    }
    versions.insert(program, version);
    return version;
}

} // namespace

OfficeProcess::OfficeProcess()
{
    // The copy of this code in the Word-conversion control joins the
    // program's stop signals, so a stop kills its offices too.
    JoinStopSignals();
}

OfficeProcess::~OfficeProcess()
{
    stop(0);
    if (!m_profileDir.isEmpty()) {
        if (m_quitCleanly)
            KeepOfficeExtensions(m_program, m_profileDir + QStringLiteral("/user"));
        QDir(m_profileDir).removeRecursively();
    }
}

bool OfficeProcess::ensureProfileFolder(const QString& program, QString& error)
{
    if (!m_profileDir.isEmpty() && QDir(m_profileDir).exists())
        return true;
    int reason = 0;
    m_profileDir = MakeOfficeProfileFolder(&reason);
    if (m_profileDir.isEmpty()) {
        error = QStringLiteral("Cannot create a profile folder for the office: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(reason)));
        return false;
    }
    QDir(m_profileDir).mkpath(QStringLiteral("user"));
    QDir(m_profileDir).mkpath(QStringLiteral("tmp"));
    m_program = program;
    SeedOfficeExtensions(program, m_profileDir + QStringLiteral("/user"));
    QByteArray xml = kProfileSettings;
    const QString version = OfficeSetupVersion(program);
    if (!version.isEmpty())
        xml += QString::fromLatin1(kLastVersionSetting).arg(version).toUtf8();
    xml += "</oor:items>\n";
    QFile settings(QDir(m_profileDir).filePath(QStringLiteral("user/registrymodifications.xcu")));
    if (!settings.open(QIODevice::WriteOnly) || settings.write(xml) < 0) {
        error = QStringLiteral("Cannot write the office profile in %1: %2").arg(m_profileDir, settings.errorString());
        return false;
    }
    return true;
}

bool OfficeProcess::start(const QString& program, QString& error)
{
    stop(0);
    if (!ensureProfileFolder(program, error))
        return false;
    m_pipeName = newPipeName();
    m_exitStatus = -1;

    const QByteArray programBytes = program.toLocal8Bit();
    if (::access(programBytes.constData(), X_OK) != 0) {
        error = QStringLiteral("The office program %1 cannot be run: %2")
                    .arg(program, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }

    m_profileUrl = QUrl::fromLocalFile(m_profileDir).toString(QUrl::FullyEncoded);
    const QList<QByteArray> args = {
        programBytes,
        "--headless", "--invisible", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
        "-env:UserInstallation=" + m_profileUrl.toUtf8(),
        "--accept=pipe,name=" + m_pipeName.toUtf8() + ";urp;",
    };
    // Everything the child needs is prepared before fork: between fork and
    // exec only async-signal-safe calls are allowed.
    std::vector<char*> argv;
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    // The office's own temporary files (its lu*.tmp folders) go inside the
    // profile folder, so that an office that was killed leaves none in the
    // user's temporary folder: they go with the profile.
    const QByteArray tmpdir = "TMPDIR=" + QFile::encodeName(QDir(m_profileDir).filePath(QStringLiteral("tmp")));
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0)
            envp.push_back(*e);
    envp.push_back(const_cast<char*>(tmpdir.constData()));
    envp.push_back(nullptr);
    const pid_t parent = ::getpid();

    // A call that writes to the pipe of an office that has just died must
    // fail with EPIPE, which the bridge reports as the office gone, rather
    // than end this process by SIGPIPE. The bridge writes on threads of its
    // own, so only the whole process can ignore it. The office gets the
    // default back.
    ::signal(SIGPIPE, SIG_IGN);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    ::sigemptyset(&defaultAction.sa_mask);

    std::lock_guard<std::mutex> lock(m_mutex);
    const pid_t child = ::fork();
    if (child < 0) {
        error = QStringLiteral("Cannot start the office: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (child == 0) {
        // Own process group, so that helpers it starts die with it; and it
        // dies with us, so a crash of ours leaves no office behind.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        ::sigaction(SIGPIPE, &defaultAction, nullptr);
        const int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
        }
        ::close_range(3, ~0U, 0);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    // Also set the group from here, so that a kill right after fork reaches
    // the group whatever the order of scheduling.
    ::setpgid(child, child);
    m_pid = child;
    return true;
}

pid_t OfficeProcess::pid() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pid;
}

qint64 OfficeProcess::residentBytes() const
{
    // Until it is reaped the pid stays our child's, so /proc speaks of it.
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pid > 0 ? ProcessResidentBytes(m_pid) : -1;
}

bool OfficeProcess::reapLocked(bool block)
{
    if (m_pid <= 0)
        return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    if (r == m_pid) {
        m_exitStatus = status;
        m_quitCleanly = m_quitCleanly || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // r < 0 (ECHILD): someone else reaped it; it is gone all the same.
    m_pid = 0;
    removeLeftSockets();
    return true;
}

void OfficeProcess::removeLeftSockets() const
{
    // An office that was killed leaves its pipe sockets behind. Both names
    // are unique to this process, and only sockets of our own user go.
    RemoveOwnSockets(OfficePipeSockets(m_pipeName, m_profileUrl));
}

bool OfficeProcess::isRunning()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pid <= 0)
        return false;
    return !reapLocked(false);
}

void OfficeProcess::kill()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Until it is reaped the pid (and the group id, which is the same) stays
    // ours, so the signal cannot reach a stranger.
    if (m_pid > 0) {
        ::kill(-m_pid, SIGKILL);
        ::kill(m_pid, SIGKILL);
    }
}

bool OfficeProcess::waitForExit(int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int pidFd = -1;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (reapLocked(false))
            return true;
        // Not reaped yet, so the pid is still our child's.
        pidFd = OpenChildPidFd(m_pid);
    }
    if (pidFd >= 0) {
        // Woken the moment the office ends: a quit costs no more than the
        // office takes.
        WaitForChildPidFd(pidFd, ms);
        ::close(pidFd);
        std::lock_guard<std::mutex> lock(m_mutex);
        return reapLocked(false);
    }
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (reapLocked(false))
                return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool OfficeProcess::mayEndAtOnce() const
{
    return m_profileDir.isEmpty() || m_quitCleanly || OfficeExtensionsKept(m_program);
}

void OfficeProcess::stop(int graceMs)
{
    if (graceMs > 0 && waitForExit(graceMs))
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pid <= 0)
        return;
    if (reapLocked(false))
        return;
    ::kill(-m_pid, SIGKILL);
    ::kill(m_pid, SIGKILL);
    reapLocked(true);
}
