#include "office/OfficeExtensionCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace {

const QString kExtensions = QStringLiteral("extensions");

// The installation's identity: its program and its version file, so that
// an upgrade or a second installation gets a registry of its own.
QByteArray InstallationKey(const QString& program)
{
    const QFileInfo info(program);
    QByteArray key = info.canonicalFilePath().toUtf8();
    QFile version(info.absolutePath() + QStringLiteral("/versionrc"));
    if (version.open(QIODevice::ReadOnly))
        key += version.readAll();
    return QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
}

// Copies the tree `from` into `to` (made), leaving out the office's own
// scratch folder. False at the first file that fails.
bool CopyTree(const QString& from, const QString& to)
{
    const QDir source(from);
    if (!source.exists() || !QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = source.relativeFilePath(path);
        if (relative == QLatin1String("tmp") || relative.startsWith(QLatin1String("tmp/")))
            continue;
        const QFileInfo entry = it.fileInfo();
        if (entry.isSymLink())
            continue;
        const QString target = to + u'/' + relative;
        if (entry.isDir()) {
            if (!QDir().mkpath(target))
                return false;
        }
        else if (!QFile::copy(path, target))
            return false;
    }
    return true;
}

} // namespace

QString OfficeExtensionCacheFolder(const QString& program)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        return QString();
    return base + QStringLiteral("/tessaview/office-extensions-") + QString::fromLatin1(InstallationKey(program));
}

bool OfficeExtensionsKept(const QString& program)
{
    const QString kept = OfficeExtensionCacheFolder(program);
    return kept.isEmpty() || QFileInfo::exists(kept);
}

bool SeedOfficeExtensions(const QString& program, const QString& userFolder)
{
    const QString kept = OfficeExtensionCacheFolder(program);
    if (kept.isEmpty() || !QFileInfo(kept + QStringLiteral("/buildid")).isFile())
        return false;
    const QString target = userFolder + u'/' + kExtensions;
    if (CopyTree(kept, target))
        return true;
    QDir(target).removeRecursively(); // the office builds its own
    return false;
}

void KeepOfficeExtensions(const QString& program, const QString& userFolder)
{
    const QString kept = OfficeExtensionCacheFolder(program);
    const QString source = userFolder + u'/' + kExtensions;
    if (kept.isEmpty() || QFileInfo::exists(kept) || !QFileInfo(source + QStringLiteral("/buildid")).isFile())
        return;
    const QString parent = QFileInfo(kept).absolutePath();
    if (!QDir().mkpath(parent))
        return;
    QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QByteArray scratch = QFile::encodeName(parent + QStringLiteral("/.new-XXXXXX"));
    if (!::mkdtemp(scratch.data()))
        return;
    const QString fresh = QFile::decodeName(scratch);
    // Another process may have kept one meanwhile: the rename then fails
    // and this copy goes.
    if (!CopyTree(source, fresh) || std::rename(scratch.constData(), QFile::encodeName(kept).constData()) != 0)
        QDir(fresh).removeRecursively();
}
