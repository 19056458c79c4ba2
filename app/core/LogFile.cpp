#include "LogFile.h"

#include "base/MessageSink.h"
#include "base/RegularFileTarget.h"
#include "core/StartupLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}


// One write(2) with O_APPEND puts the whole text at the end of the file,
// so lines of concurrent runs never interleave inside a line. Gives an
// empty text, or the reason of the failure. Only a regular file is a log:
// the open and the writes happen under the start-up lock, and a FIFO or a
// terminal could hold them, and with them every other run of the user, for
// as long as nobody reads it (the open itself waits for a FIFO's reader).
QString appendText(const QString& path, const QByteArray& bytes)
{
    const QByteArray native = QFile::encodeName(path);
    if (IsNonRegularTarget(native.constData()))
        return QString::fromLatin1(kNotARegularFile);
    // O_NONBLOCK until fstat has seen a regular file, in case the path was
    // swapped for a FIFO after the stat above.
    const int fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return systemReason(errno);
    QString reason;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        reason = systemReason(errno);
    else if (!S_ISREG(st.st_mode))
        reason = QString::fromLatin1(kNotARegularFile);
    else if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        reason = systemReason(errno);
    qsizetype done = 0;
    while (reason.isEmpty() && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = systemReason(n < 0 ? errno : EIO);
            break;
        }
        done += n;
    }
    if (::close(fd) != 0 && reason.isEmpty() && errno != EINTR)
        reason = systemReason(errno);
    return reason;
}

void writeToStderr(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void writeToStderr(const QString& line)
{
    writeToStderr(line.toUtf8() + '\n');
}

// The log files whose failure this run has told already.
QMutex g_reportedLock;
QSet<QString> g_reported;

// A log file that cannot be written is said once (its path and the
// system's reason); its lines go to standard error instead.
void reportLogFailure(const QString& path, const QString& reason)
{
    {
        const QMutexLocker lock(&g_reportedLock);
        if (g_reported.contains(path))
            return;
        g_reported.insert(path);
    }
    writeToStderr(QStringLiteral("qvim: the log file could not be written: ") + path + QStringLiteral(" (") + reason
                  + QStringLiteral("); its lines go to standard error"));
}

void forgetLogFailure(const QString& path)
{
    const QMutexLocker lock(&g_reportedLock);
    g_reported.remove(path);
}

} // namespace

QString LogFileLine(const QString& message)
{
    QString line = message;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

void WriteMessageToLogFile(const QString& message, const QString& path, bool show)
{
    const QString line = LogFileLine(message);
    QString error;
    if (!path.isEmpty()) {
        AcquireGlobalMutex();
        error = appendText(path, line.toUtf8() + '\n');
        ReleaseGlobalMutex();
        if (!error.isEmpty())
            reportLogFailure(path, error);
        else
            forgetLogFailure(path);
    }

    // The box comes after the lock is released, so other processes never
    // wait on a user.
    if (show)
        ShowMessage(line, QStringLiteral("Tessaview"), MessageButtons::Ok, MessageIcon::Information);
    else if (path.isEmpty() || !error.isEmpty())
        writeToStderr(line);
}

void WriteLinesToLogFile(const QStringList& lines, const QString& path)
{
    if (path.isEmpty())
        return;
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += LogFileLine(line).toUtf8() + '\n';
    AcquireGlobalMutex();
    const QString error = appendText(path, bytes);
    ReleaseGlobalMutex();
    // These lines begin a run: its failure is told afresh.
    forgetLogFailure(path);
    if (!error.isEmpty()) {
        reportLogFailure(path, error);
        writeToStderr(bytes);
    }
}
