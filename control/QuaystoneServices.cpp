#include "QuaystoneServices.h"

#include "base/OwnedTempFolder.h"
#include "base/RegularFileTarget.h"
#include "base/SpecialFolders.h"
#include "core/DataFolder.h"
#include "core/FileSystem.h"
#include "core/FileTimes.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

QString GetTempDocFileName(const QString& sPrefix)
{
    static ProcessTempFolder folder(QStringLiteral("control"));
    const QString path = folder.path();
    return path.isEmpty() ? QString() : GetUniqueTempFileName(path, sPrefix.left(3), QStringLiteral("DOC"));
}

bool MoveFileFso(const QString& sSource, const QString& sTarget)
{
    const QByteArray source = QFile::encodeName(sSource);
    const QByteArray target = QFile::encodeName(sTarget);
    if (IsNonRegularTarget(target.constData()))
        return false;
    struct stat old {};
    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing)
        ::chmod(source.constData(), old.st_mode & 07777);
    if (::rename(source.constData(), target.constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    int error = 0;
    if (!CopyFileSafe(sSource, sTarget, error))
        return false;
    DeleteFileWithRetry(sSource);
    return true;
}

bool IsSameFile(const QString& a, const QString& b)
{
    std::error_code error;
    return std::filesystem::equivalent(QFile::encodeName(a).toStdString(), QFile::encodeName(b).toStdString(), error);
}

QString DefaultStateFilePath()
{
    return FindWritableDataFolder(QStringLiteral("Quaystone.INI"), QStringLiteral("Kestrova, Inc"),
                                  QStringLiteral("Quaystone"), csidl::AppData);
}
