#include "SpecialFolders.h"

#include <QDir>
#include <QHash>
#include <QStandardPaths>

namespace {

QHash<int, QString>& overrides()
{
    static QHash<int, QString> map;
    return map;
}

QString withoutTrailingSlash(QString p)
{
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

QString xdgOr(const char* variable, const QString& fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + fallbackBelowHome;
}

} // namespace

int QuerySpecialFolder(int folder, QString& path)
{
    const auto it = overrides().constFind(folder);
    if (it != overrides().constEnd()) {
        if (*it == QLatin1String("-"))
            return kFolderDoesNotExist;
        path = withoutTrailingSlash(*it);
        return kFolderOk;
    }

    QString result;
    switch (folder) {
    case csidl::Personal:
        result = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        break;
    case csidl::AppData:
        result = xdgOr("XDG_CONFIG_HOME", QStringLiteral(".config"));
        break;
    case csidl::LocalAppData:
        result = xdgOr("XDG_DATA_HOME", QStringLiteral(".local/share"));
        break;
    case csidl::CommonAppData:
        result = QStringLiteral("/var/lib");
        break;
    case csidl::Windows:
        result = QStringLiteral("/usr");
        break;
    case csidl::ProgramFiles:
        result = QStringLiteral("/opt");
        break;
    case csidl::ProgramFilesX86:
        result = QStringLiteral("/usr/local");
        break;
    case csidl::Profile:
        result = QDir::homePath();
        break;
    case csidl::CommonDocuments:
        // Linux has no shared documents folder.
        return kFolderDoesNotExist;
    default:
        return kFolderNotValid;
    }
    if (result.isEmpty())
        return kFolderDoesNotExist;
    path = withoutTrailingSlash(result);
    return kFolderOk;
}

void OverrideSpecialFolder(int folder, const QString& path)
{
    if (path.isEmpty())
        overrides().remove(folder);
    else
        overrides().insert(folder, path);
}

void ClearSpecialFolderOverrides()
{
    overrides().clear();
}
