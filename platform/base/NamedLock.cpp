#include "NamedLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString NamedLockFilePath(const QString& name)
{
    QString fileName = name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(fileName + QStringLiteral(".lock"));
    // The temp folder is shared by all users: the user id keeps the lock
    // per user.
    return QDir(QDir::tempPath())
        .filePath(fileName + QLatin1Char('-') + QString::number(::getuid()) + QStringLiteral(".lock"));
}

NamedLock::~NamedLock()
{
    close();
}

bool NamedLock::open(const QString& name)
{
    close();
    m_path = NamedLockFilePath(name);
    // Read-only is enough for flock; O_NOFOLLOW keeps a planted link in a
    // shared folder from pointing the lock elsewhere.
    int fd;
    do {
        fd = ::open(QFile::encodeName(m_path).constData(),
                    O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    m_fd = fd;
    return m_fd >= 0;
}

bool NamedLock::lock()
{
    if (m_fd < 0)
        return false;
    if (m_locked)
        return true;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    m_locked = rc == 0;
    return m_locked;
}

bool NamedLock::unlock()
{
    if (m_fd < 0 || !m_locked)
        return false;
    m_locked = false;
    return ::flock(m_fd, LOCK_UN) == 0;
}

void NamedLock::close()
{
    if (m_fd < 0)
        return;
    unlock();
    ::close(m_fd);
    m_fd = -1;
}
