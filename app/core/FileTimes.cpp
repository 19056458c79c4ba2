#include "FileTimes.h"

#include "StringRoutines.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kDeleteAttempts = 21;
constexpr int kDeleteWaitMs = 1000;

class ThreadSleeper final : public Sleeper
{
public:
    void sleepMs(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }
};

// Closes the descriptor when it goes out of scope.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close succeeded.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

bool isRegularFile(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QDateTime dateFromSeconds(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

// Fractions of a second are dropped towards the earlier second, also
// before 1970.
timespec timespecFromDate(const QDateTime& date)
{
    timespec ts {};
    if (!date.isValid()) {
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    const qint64 ms = date.toMSecsSinceEpoch();
    ts.tv_sec = static_cast<time_t>(ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000));
    ts.tv_nsec = 0;
    return ts;
}

// Maps a system error of a copy to the program's run-time error numbers:
//   ENOENT      53 file not found (source side), 76 path not found (target side)
//   ENOTDIR     76 path not found
//   EACCES/EPERM 70 permission denied
//   ENOSPC/EDQUOT 61 disk full
//   EIO         57 device I/O error
//   EISDIR, EROFS and anything else 75 path/file access error
int copyErrorFromErrno(int error, bool sourceSide)
{
    switch (error) {
    case ENOENT:
        return sourceSide ? copyerror::FileNotFound : copyerror::PathNotFound;
    case ENOTDIR:
        return copyerror::PathNotFound;
    case EACCES:
    case EPERM:
        return copyerror::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return copyerror::DiskFull;
    case EIO:
        return copyerror::DeviceIOError;
    default:
        return copyerror::PathFileAccess;
    }
}

// Creates a new, exclusively opened file beside `target`; `tempPath` gets
// its name. Returns the descriptor or -1 with errno set.
int openTempBeside(const QString& target, mode_t mode, QByteArray& tempPath)
{
    QString folder = GetFolderPart(target);
    const QString name = target.mid(folder.size()).left(100);
    for (int tries = 0; tries < 100; ++tries) {
        const QString candidate = folder % QLatin1Char('.') % name % QLatin1Char('.')
            % QString::number(QRandomGenerator::global()->generate(), 36) % QLatin1String(".tmp");
        tempPath = nativePath(candidate);
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Copies the open source into the open target; 0 or an error number.
int copyContents(int from, int to)
{
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), static_cast<size_t>(buffer.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return copyErrorFromErrno(errno, true);
        }
        if (got == 0)
            return 0;
        if (!writeAll(to, buffer.constData(), got))
            return copyErrorFromErrno(errno, false);
    }
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

Sleeper& DefaultSleeper()
{
    static ThreadSleeper sleeper;
    return sleeper;
}

bool GetFileTimes(const QString& path, QDateTime& creation, QDateTime& lastAccess,
                  QDateTime& lastWrite, bool /*local*/)
{
    if (path.isEmpty())
        return true;
    struct statx st {};
    if (::statx(AT_FDCWD, nativePath(path).constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return true;
    lastWrite = dateFromSeconds(st.stx_mtime.tv_sec);
    lastAccess = dateFromSeconds(st.stx_atime.tv_sec);
    creation = (st.stx_mask & STATX_BTIME) ? dateFromSeconds(st.stx_btime.tv_sec) : lastWrite;
    return false;
}

bool SetFileTimes(const QString& path, const QDateTime& /*creation*/, const QDateTime& lastAccess,
                  const QDateTime& lastWrite, bool /*local*/)
{
    if (path.isEmpty())
        return true;
    const timespec times[2] = {timespecFromDate(lastAccess), timespecFromDate(lastWrite)};
    return ::utimensat(AT_FDCWD, nativePath(path).constData(), times, 0) != 0;
}

bool FileExists(const QString& path)
{
    return isRegularFile(TrimBlanks(path));
}

bool CopyFileSafe(const QString& source, const QString& target, int& errorNumber)
{
    // Let pending events run first, as a long batch of copies would
    // otherwise freeze the window.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    CopyBesideTarget copy;
    int error = copy.Make(source, target);
    if (error == 0)
        error = copy.Commit(true);
    if (error != 0) {
        errorNumber = error;
        return false;
    }
    return true;
}

CopyBesideTarget::~CopyBesideTarget()
{
    removeCopy();
}

void CopyBesideTarget::removeCopy()
{
    if (!m_path.isEmpty())
        ::unlink(nativePath(m_path).constData());
    m_path.clear();
}

int CopyBesideTarget::Make(const QString& source, const QString& target)
{
    removeCopy();
    m_reason.clear();
    m_target = target;
    if (source.isEmpty()) {
        m_reason = errnoText(ENOENT);
        return copyerror::FileNotFound;
    }
    if (target.isEmpty()) {
        m_reason = errnoText(ENOENT);
        return copyerror::PathNotFound;
    }

    // Writing to a symbolic link replaces the file it names, not the link.
    const QFileInfo targetInfo(target);
    if (targetInfo.isSymLink() && !targetInfo.canonicalFilePath().isEmpty())
        m_target = targetInfo.canonicalFilePath();

    // Each failure gives its number and the system's reason; no copy stays.
    const auto fail = [this](int number, const QString& reason) {
        m_reason = reason;
        removeCopy();
        return number;
    };
    const auto failWithErrno = [&fail](bool sourceSide) {
        const int error = errno;
        return fail(copyErrorFromErrno(error, sourceSide), errnoText(error));
    };
    FileDescriptor in(::open(nativePath(source).constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return failWithErrno(true);
    struct stat src {};
    if (::fstat(in.get(), &src) != 0)
        return failWithErrno(true);
    if (S_ISDIR(src.st_mode))
        return fail(copyerror::PathFileAccess, errnoText(EISDIR));
    m_sourceTimeSeconds = src.st_mtim.tv_sec;
    m_sourceTimeNanoseconds = src.st_mtim.tv_nsec;

    struct stat old {};
    m_targetExisted = ::stat(nativePath(m_target).constData(), &old) == 0;
    if (m_targetExisted) {
        if (S_ISDIR(old.st_mode))
            return fail(copyerror::PathFileAccess,
                        QStringLiteral("Cannot replace %1: %2").arg(m_target, errnoText(EISDIR)));
        // A FIFO or a device is not replaced by a file.
        if (!S_ISREG(old.st_mode))
            return fail(copyerror::PathFileAccess,
                        QStringLiteral("Cannot replace %1: it is not a regular file").arg(m_target));
        if (old.st_dev == src.st_dev && old.st_ino == src.st_ino)
            return 0; // the target already is the source
        m_owner = old.st_uid;
        m_group = old.st_gid;
    }

    QByteArray tempPath;
    FileDescriptor out(openTempBeside(m_target, src.st_mode & 0777, tempPath));
    if (!out.valid()) {
        const int error = errno;
        return fail(copyErrorFromErrno(error, false),
                    QStringLiteral("Cannot create a file in %1: %2").arg(GetFolderPart(m_target), errnoText(error)));
    }
    m_path = QFile::decodeName(tempPath);
    // A new target gets the source's permissions as the system gives them
    // to a new file of ours; meanwhile the copy is the owner's to write.
    struct stat made {};
    if (::fstat(out.get(), &made) != 0)
        return failWithErrno(false);
    m_mode = (m_targetExisted ? old.st_mode : made.st_mode) & 0777;
    ::fchmod(out.get(), m_mode | S_IRUSR | S_IWUSR);

    if (const int number = copyContents(in.get(), out.get()); number != 0)
        return fail(number, errnoText(errno));
    if (!out.close())
        return failWithErrno(false);
    return 0;
}

int CopyBesideTarget::Commit(bool sourceTime)
{
    if (m_path.isEmpty())
        return 0;
    m_reason.clear();
    const auto fail = [this](int error, const QString& reason) {
        m_reason = reason;
        return copyErrorFromErrno(error, false);
    };
    FileDescriptor copy(::open(nativePath(m_path).constData(), O_RDONLY | O_CLOEXEC));
    if (!copy.valid()) {
        const int error = errno;
        return fail(error, errnoText(error));
    }
    if (m_targetExisted) {
        // The replaced file keeps its owner and permissions, read-only
        // included. Set-id bits are not carried to new contents.
        if (::fchown(copy.get(), m_owner, m_group) != 0) {
            // Only root may give a file away; the copy still belongs to us.
        }
    }
    ::fchmod(copy.get(), m_mode);
    if (sourceTime) {
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(m_sourceTimeSeconds), m_sourceTimeNanoseconds}};
        ::futimens(copy.get(), times);
    }
    if (::fsync(copy.get()) != 0 || !copy.close()) {
        const int error = errno;
        return fail(error, errnoText(error));
    }
    if (::rename(nativePath(m_path).constData(), nativePath(m_target).constData()) != 0) {
        const int error = errno;
        return fail(error, QStringLiteral("Cannot replace %1: %2").arg(m_target, errnoText(error)));
    }
    m_path.clear();
    return 0;
}

QString GetFolderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString GetFileExtension(const QString& path)
{
    // Only the file name counts: a dot in a folder name (~/.config) is no
    // extension.
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        return QString();
    return TrimBlanks(path.mid(dot + 1));
}

bool DeleteFileWithRetry(const QString& path, Sleeper& sleeper)
{
    if (!isRegularFile(path))
        return true;
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (DeleteFileNow(path) || !isRegularFile(path))
            return true;
        sleeper.sleepMs(kDeleteWaitMs);
    }
    return false;
}

bool DeleteFileNow(const QString& path)
{
    // No need to clear read-only first: on Linux the folder decides.
    return !path.isEmpty() && ::unlink(nativePath(path).constData()) == 0;
}

bool MaskFileAttributes(const QString& path, quint32 mask)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &st) != 0)
        return false;
    const bool readOnly = (st.st_mode & S_IWUSR) == 0;
    if (readOnly && (mask & 1u) == 0)
        return ::chmod(nativePath(path).constData(), (st.st_mode & 07777) | S_IWUSR) == 0;
    return true;
}
