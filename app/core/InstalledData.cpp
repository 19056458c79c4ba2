#include "core/InstalledData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString InstalledDataFolder()
{
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("TESSAVIEW_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        candidates << fromEnvironment;
    // Without an application object there is no program folder to ask for.
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tessaview");
    candidates << QStringLiteral(TESSAVIEW_SOURCE_DIR "/data");

    for (const QString& candidate : std::as_const(candidates)) {
        const QFileInfo info(candidate);
        if (info.isDir())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return QString();
}
