#include "LogFile.h"

#include "base/MessageSink.h"
#include "core/StartupLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// One write(2) with O_APPEND puts the whole text at the end of the file,
// so lines of concurrent runs never interleave inside a line. Gives 0, or
// the errno of the failure.
int appendText(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    int error = 0;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += n;
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    return error;
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
void reportLogFailure(const QString& path, int error)
{
    {
        const QMutexLocker lock(&g_reportedLock);
        if (g_reported.contains(path))
            return;
        g_reported.insert(path);
    }
    writeToStderr(QStringLiteral("qvim: the log file could not be written: ") + path + QStringLiteral(" (")
                  + QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral("); its lines go to standard error"));
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
    int error = 0;
    if (!path.isEmpty()) {
        AcquireGlobalMutex();
        error = appendText(path, line.toUtf8() + '\n');
        ReleaseGlobalMutex();
        if (error != 0)
            reportLogFailure(path, error);
        else
            forgetLogFailure(path);
    }

    // The box comes after the lock is released, so other processes never
    // wait on a user.
    if (show)
        ShowMessage(line, QStringLiteral("Tessaview"), MessageButtons::Ok, MessageIcon::Information);
    else if (path.isEmpty() || error != 0)
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
    const int error = appendText(path, bytes);
    ReleaseGlobalMutex();
    // These lines begin a run: its failure is told afresh.
    forgetLogFailure(path);
    if (error != 0) {
        reportLogFailure(path, error);
        writeToStderr(bytes);
    }
}
