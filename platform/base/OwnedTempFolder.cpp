#include "base/OwnedTempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPrefix = QStringLiteral("tessaview-");
constexpr qsizetype kMarkerLimit = 512;

// What tells one process apart from every other, now and later.
struct ProcessIdentity
{
    QByteArray pid;
    QByteArray start; // clock ticks after boot; "" when /proc cannot say
    QByteArray boot;
    QByteArray pidNamespace;
};

QByteArray readSmallFile(const QByteArray& path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(kMarkerLimit).trimmed();
}

// The start time of a process that runs: "" when there is none with that
// pid, or it has ended and waits to be reaped.
QByteArray startTimeOf(const QByteArray& pid)
{
    const QByteArray stat = readSmallFile("/proc/" + pid + "/stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return QByteArray();
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 20 || fields.at(0) == "Z" || fields.at(0) == "X")
        return QByteArray();
    return fields.at(19);
}

// Read each time, so that a forked child is itself.
ProcessIdentity thisProcess()
{
    ProcessIdentity id;
    id.pid = QByteArray::number(::getpid());
    id.start = startTimeOf("self");
    id.boot = readSmallFile("/proc/sys/kernel/random/boot_id");
    char link[64] = {};
    const ssize_t got = ::readlink("/proc/self/ns/pid", link, sizeof link - 1);
    id.pidNamespace = QByteArray(link, got > 0 ? int(got) : 0);
    return id;
}

// tessaview-<kind>-<pid>-<start>-, what every folder of the process's of
// `kind` is named after.
QString nameStem(const QString& kind, const ProcessIdentity& self)
{
    return QStringLiteral("%1%2-%3-%4-").arg(kPrefix, kind, QString::fromLatin1(self.pid),
                                             QString::fromLatin1(self.start.isEmpty() ? QByteArray("0") : self.start));
}

QByteArray markerText(const ProcessIdentity& id)
{
    return "pid=" + id.pid + "\nstart=" + id.start + "\nboot=" + id.boot + "\nns=" + id.pidNamespace + "\n";
}

bool readMarker(const QByteArray& text, ProcessIdentity& id)
{
    int found = 0;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.left(equals);
        const QByteArray value = line.mid(equals + 1);
        if (equals < 0)
            continue;
        if (key == "pid")
            id.pid = value;
        else if (key == "start")
            id.start = value;
        else if (key == "boot")
            id.boot = value;
        else if (key == "ns")
            id.pidNamespace = value;
        else
            continue;
        ++found;
    }
    return found == 4;
}

// Whether the process a marker names may still run. Only a "no" that is
// certain lets its folder go.
bool mayStillRun(const ProcessIdentity& owner, const ProcessIdentity& self)
{
    if (owner.boot != self.boot)
        return false; // no process of an earlier boot runs
    if (owner.pidNamespace != self.pidNamespace)
        return true; // its pids are not ours to look up
    return startTimeOf(owner.pid) == owner.start;
}

// The marker of `folder`, read only when it is a plain file of this user.
bool folderMarker(const QString& folder, ProcessIdentity& owner)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(kOwnerMarkerName));
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    QByteArray text(kMarkerLimit, '\0');
    ssize_t got = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_size < kMarkerLimit)
        got = ::read(fd, text.data(), static_cast<size_t>(text.size()));
    ::close(fd);
    if (got < 0)
        return false;
    text.truncate(got);
    return readMarker(text, owner);
}

} // namespace

QString MakeOwnedTempFolder(const QString& kind, int* error)
{
    const ProcessIdentity self = thisProcess();
    QByteArray pattern =
        QFile::encodeName(QDir(QDir::tempPath()).filePath(nameStem(kind, self) + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data())) {
        if (error)
            *error = errno;
        return QString();
    }
    const QString folder = QFile::decodeName(pattern);
    const QByteArray marker = QFile::encodeName(QDir(folder).filePath(kOwnerMarkerName));
    const QByteArray text = markerText(self);
    const int fd = ::open(marker.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool written = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
    int failure = written ? 0 : errno;
    if (fd >= 0 && ::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (!written) {
        ::unlink(marker.constData());
        ::rmdir(pattern.constData());
        if (error)
            *error = failure != 0 ? failure : EIO;
        return QString();
    }
    return folder;
}

QStringList OwnedTempFoldersOfThisProcess(const QString& kind)
{
    const ProcessIdentity self = thisProcess();
    const QDir temp(QDir::tempPath());
    QStringList folders;
    for (const QString& entry : temp.entryList({nameStem(kind, self) + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        folders << temp.filePath(entry);
    return folders;
}

namespace {

// A folder in the temporary folder named as ours and owned by this user
// (not a link): its path, kind, and the pid and start time its name gives.
struct NamedFolder
{
    QString path;
    QString kind;
    QByteArray pid;
    QByteArray start;
};

QList<NamedFolder> foldersNamedAsOurs()
{
    static const QRegularExpression ownedName(
        QStringLiteral("^%1([a-z]+)-([0-9]+)-([0-9]+)-[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(kPrefix)));
    QList<NamedFolder> found;
    const QDir temp(QDir::tempPath());
    const QStringList entries =
        temp.entryList({kPrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& entry : entries) {
        const QRegularExpressionMatch match = ownedName.match(entry);
        if (!match.hasMatch())
            continue;
        const QString folder = temp.filePath(entry);
        struct stat st {};
        if (::lstat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode)
            || st.st_uid != ::geteuid())
            continue;
        found.append({folder, match.captured(1), match.captured(2).toLatin1(), match.captured(3).toLatin1()});
    }
    return found;
}

} // namespace

QList<StaleTempFolder> StaleOwnedTempFolders()
{
    QList<StaleTempFolder> stale;
    const ProcessIdentity self = thisProcess();
    if (self.start.isEmpty())
        return stale; // which processes run is unknown here
    for (const NamedFolder& folder : foldersNamedAsOurs()) {
        ProcessIdentity owner;
        if (!folderMarker(folder.path, owner) || owner.pid != folder.pid || owner.start != folder.start
            || mayStillRun(owner, self))
            continue;
        stale.append({folder.path, folder.kind});
    }
    return stale;
}

void RemoveUnfinishedTempFolders()
{
    const ProcessIdentity self = thisProcess();
    if (self.start.isEmpty())
        return;
    for (const NamedFolder& folder : foldersNamedAsOurs()) {
        const QStringList entries =
            QDir(folder.path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        const QByteArray marker = QFile::encodeName(QDir(folder.path).filePath(kOwnerMarkerName));
        struct stat st {};
        const bool emptyMarker = entries == QStringList{kOwnerMarkerName} && ::lstat(marker.constData(), &st) == 0
                                 && S_ISREG(st.st_mode) && st.st_size == 0 && st.st_uid == ::geteuid();
        if (!entries.isEmpty() && !emptyMarker)
            continue;
        // Only the name tells the process here, as seen from this boot.
        ProcessIdentity owner = self;
        owner.pid = folder.pid;
        owner.start = folder.start;
        if (mayStillRun(owner, self))
            continue;
        if (emptyMarker)
            ::unlink(marker.constData());
        ::rmdir(QFile::encodeName(folder.path).constData());
    }
}

bool RemoveStaleTempFolder(const StaleTempFolder& folder)
{
    return QDir(folder.path).removeRecursively();
}

ProcessTempFolder::~ProcessTempFolder()
{
    if (m_path.isEmpty())
        return;
    const QStringList left =
        QDir(m_path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (left != QStringList{kOwnerMarkerName})
        return;
    ::unlink(QFile::encodeName(QDir(m_path).filePath(kOwnerMarkerName)).constData());
    ::rmdir(QFile::encodeName(m_path).constData());
}

QString ProcessTempFolder::path(int* error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_path.isEmpty() && QFileInfo(m_path).isDir())
        return m_path;
    m_path = MakeOwnedTempFolder(m_kind, error);
    return m_path;
}
