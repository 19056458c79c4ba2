#include "LogFile.h"

#include "base/MessageSink.h"
#include "core/StartupLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include <cstdio>

namespace {

// One write(2) with O_APPEND puts the whole text at the end of the file,
// so lines of concurrent runs never interleave inside a line.
void appendText(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
}

void writeToStderr(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
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
    if (!path.isEmpty()) {
        AcquireGlobalMutex();
        appendText(path, line.toUtf8() + '\n');
        ReleaseGlobalMutex();
    }

    // The box comes after the lock is released, so other processes never
    // wait on a user.
    if (show)
        ShowMessage(line, QStringLiteral("Tessaview"), MessageButtons::Ok, MessageIcon::Information);
    else if (path.isEmpty())
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
    appendText(path, bytes);
    ReleaseGlobalMutex();
}
