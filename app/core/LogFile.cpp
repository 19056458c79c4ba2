#include "LogFile.h"

#include "base/MessageSink.h"
#include "core/StartupLock.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

namespace {

// One write(2) with O_APPEND puts the whole line at the end of the file,
// so lines of concurrent runs never interleave inside a line.
void appendLine(const QString& path, const QString& message)
{
    const QByteArray bytes = message.toUtf8() + "\r\n";
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

} // namespace

void WriteMessageToLogFile(const QString& message, const QString& path, bool show)
{
    AcquireGlobalMutex();
    if (!path.isEmpty())
        appendLine(path, message);
    ReleaseGlobalMutex();

    if (show)
        ShowMessage(message, QStringLiteral("Tessaview"), MessageButtons::Ok, MessageIcon::Information);
}
