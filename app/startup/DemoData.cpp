#include "DemoData.h"

#include "base/UserRegistry.h"
#include "core/FileSystem.h"
#include "core/InstalledData.h"

void InstallDemoDataOnFirstRun()
{
    const QString title = QStringLiteral("Tessaview");
    const QString marker = GetSetting(title, QStringLiteral("Settings"), QStringLiteral("bDInstalled"),
                                      QStringLiteral("FALSE"));
    if (marker.toUpper() != QLatin1String("FALSE"))
        return;
    SaveSetting(title, QStringLiteral("Settings"), QStringLiteral("bDInstalled"), QStringLiteral("TRUE"));

    const QString target = ExpandPathMacros(QStringLiteral("%appdata%/Kestrova, Inc/Tessaview/"));
    if (FolderExists(target + QStringLiteral("Demo/")))
        return;
    const QString source = InstalledDataFolder();
    if (source.isEmpty())
        return;
    for (const char* folder : kDemoFolders) {
        const QString name = QString::fromLatin1(folder);
        if (FolderExists(source + QLatin1Char('/') + name))
            bCopyFolder(source + QLatin1Char('/') + name, target + name, false);
    }
}
