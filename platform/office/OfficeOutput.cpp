#include "office/OfficeOutput.h"

#include "base/OwnedTempFolder.h"
#include "base/RegularFileTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes the descriptor however the copy ends.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool WriteAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// The copy of MoveIntoPlace across file systems.
bool CopyIntoPlace(const QString& from, const QString& to, QString& error)
{
    Descriptor in;
    in.fd = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0) {
        error = QStringLiteral("Cannot read %1: %2").arg(from, ErrnoText(errno));
        return false;
    }
    const QFileInfo target(to);
    const QString folder = target.absolutePath();
    QByteArray temp;
    Descriptor out;
    for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
        temp = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".%1.%2.part")
            .arg(target.fileName().left(100)).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))));
        out.fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out.fd < 0 && errno != EEXIST)
            break;
    }
    if (out.fd < 0) {
        error = QStringLiteral("Cannot write into the folder %1: %2").arg(folder, ErrnoText(errno));
        return false;
    }
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    int failure = 0;
    for (;;) {
        const ssize_t got = ::read(in.fd, buffer.data(), static_cast<size_t>(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || (got > 0 && !WriteAll(out.fd, buffer.constData(), got))) {
            failure = errno != 0 ? errno : EIO;
            break;
        }
        if (got == 0)
            break;
    }
    if (failure == 0 && ::fsync(out.fd) != 0)
        failure = errno;
    const int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temp.constData(), QFile::encodeName(to).constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temp.constData());
        error = QStringLiteral("Cannot write %1: %2").arg(to, ErrnoText(failure));
        return false;
    }
    ::unlink(QFile::encodeName(from).constData());
    return true;
}

} // namespace

OfficeSaveFolder::~OfficeSaveFolder()
{
    // Only our office wrote here: all of it is ours to remove.
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
}

bool OfficeSaveFolder::create(const QString& target, QString& error)
{
    int reason = 0;
    m_folder = MakeOwnedTempFolder(kOfficeSaveFolderKind, &reason);
    if (m_folder.isEmpty()) {
        error = QStringLiteral("Cannot create a folder for the office in %1: %2").arg(QDir::tempPath(), ErrnoText(reason));
        return false;
    }
    QString name = QFileInfo(target).fileName();
    if (name.isEmpty() || name == kOwnerMarkerName)
        name = QStringLiteral("output");
    m_file = QDir(m_folder).filePath(name);
    const int fd = ::open(QFile::encodeName(m_file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = QStringLiteral("Cannot create %1: %2").arg(m_file, ErrnoText(errno));
        return false;
    }
    ::close(fd);
    return true;
}

bool MoveIntoPlace(const QString& from, const QString& to, QString& error)
{
    const QFileInfo target(to);
    if (!QFileInfo(target.absolutePath()).isDir()) {
        error = QStringLiteral("The folder %1 does not exist.").arg(target.absolutePath());
        return false;
    }
    if (target.isDir()) {
        error = QStringLiteral("%1 is a folder.").arg(to);
        return false;
    }
    if (IsNonRegularTarget(to)) {
        error = QStringLiteral("Cannot write %1: %2").arg(to, QString::fromLatin1(kNotARegularFile));
        return false;
    }
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (errno != EXDEV) {
        error = QStringLiteral("Cannot write %1: %2").arg(to, ErrnoText(errno));
        return false;
    }
    return CopyIntoPlace(from, to, error);
}
