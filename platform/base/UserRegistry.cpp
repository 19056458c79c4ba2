#include "UserRegistry.h"

#include "Profile.h"
#include "SpecialFolders.h"

#include <QDir>

QString UserRegistryFilePath()
{
    QString base;
    if (QuerySpecialFolder(csidl::AppData, base) != kFolderOk)
        return QString();
    return base + QStringLiteral("/Kestrova, Inc/Tessaview/Registry.INI");
}

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    const QString file = UserRegistryFilePath();
    if (file.isEmpty())
        return defaultValue;
    return GetPrivateProfileString(appName + QLatin1Char('/') + section, key, defaultValue, file);
}

bool SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value)
{
    const QString file = UserRegistryFilePath();
    if (file.isEmpty())
        return false;
    QDir().mkpath(file.left(file.lastIndexOf(QLatin1Char('/'))));
    return WritePrivateProfileString(appName + QLatin1Char('/') + section, key, value, file);
}
