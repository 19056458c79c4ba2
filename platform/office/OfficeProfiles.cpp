#include "office/OfficeProfiles.h"

#include "base/OwnedTempFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString socketFolder()
{
    return QLatin1String(::access("/tmp", W_OK) == 0 ? "/tmp" : "/var/tmp");
}

bool processGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

QString MakeOfficeProfileFolder(int* error)
{
    return MakeOwnedTempFolder(kOfficeProfileKind, error);
}

QStringList OfficePipeSockets(const QString& pipeName, const QString& profileUrl)
{
    // The one named after the profile is the hex digits of the MD5 of the
    // profile's URL in UTF-16, bytes not padded.
    const QString prefix = QStringLiteral("%1/OSL_PIPE_%2_").arg(socketFolder()).arg(::geteuid());
    QStringList names;
    if (!pipeName.isEmpty())
        names << prefix + pipeName;
    if (!profileUrl.isEmpty()) {
        const QByteArray digest = QCryptographicHash::hash(
            QByteArray(reinterpret_cast<const char*>(profileUrl.utf16()), profileUrl.size() * 2),
            QCryptographicHash::Md5);
        QString hex;
        for (char byte : digest)
            hex += QString::number(static_cast<unsigned char>(byte), 16);
        names << prefix + QStringLiteral("SingleOfficeIPC_") + hex;
    }
    return names;
}

void RemoveOwnSockets(const QStringList& paths)
{
    for (const QString& name : paths) {
        const QByteArray path = QFile::encodeName(name);
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(path.constData());
    }
}

QStringList SweepStaleTemporaryFolders()
{
    QStringList removed;
    for (const StaleTempFolder& folder : StaleOwnedTempFolders()) {
        if (folder.kind == kOfficeProfileKind)
            RemoveOwnSockets(
                OfficePipeSockets(QString(), QUrl::fromLocalFile(folder.path).toString(QUrl::FullyEncoded)));
        if (RemoveStaleTempFolder(folder))
            removed << folder.path;
    }
    RemoveUnfinishedTempFolders();
    // The sockets we named carry the pid of the process that started the
    // office (see OfficeProcess.cpp).
    static const QRegularExpression pipeName(QStringLiteral("^OSL_PIPE_%1_tessaview_([0-9]+)_").arg(::geteuid()));
    const QStringList sockets = QDir(socketFolder()).entryList({QStringLiteral("OSL_PIPE_*")}, QDir::System | QDir::Hidden);
    for (const QString& entry : sockets) {
        const QRegularExpressionMatch match = pipeName.match(entry);
        if (!match.hasMatch())
            continue;
        const pid_t pid = pid_t(match.captured(1).toLong());
        if (pid > 0 && pid != ::getpid() && processGone(pid))
            RemoveOwnSockets({QDir(socketFolder()).filePath(entry)});
    }
    return removed;
}
