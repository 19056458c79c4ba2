#include "SpecialFolderPath.h"

#include "base/SpecialFolders.h"

QString GetSpecialFolderPath(int folder)
{
    QString path;
    switch (QuerySpecialFolder(folder, path)) {
    case kFolderOk:
        return path;
    case kFolderDoesNotExist:
        return QStringLiteral("Special Folder Does Not Exist");
    default:
        return QStringLiteral("Folder Not Valid On this OS");
    }
}

QString GetSpecialFolderPathOrError(int folder)
{
    QString path;
    if (QuerySpecialFolder(folder, path) != kFolderOk)
        return QStringLiteral("(error)");
    return path;
}
