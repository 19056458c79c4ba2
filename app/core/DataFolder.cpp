#include "DataFolder.h"

#include "base/Profile.h"
#include "base/SpecialFolders.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/SpecialFolderPath.h"
#include "core/SystemVersion.h"

#include <QCoreApplication>

namespace {

const QString kSettingsFileName = QStringLiteral("QVIM_SearchHistory") + QStringLiteral(".INI");
const QString kCompanyFolder = QStringLiteral("Kestrova, Inc");
const QString kProductFolder = QStringLiteral("Tessaview");

QString& cachedPath()
{
    static QString path;
    return path;
}

QString& programFolderOverride()
{
    static QString folder;
    return folder;
}

bool readsBack(const QString& file, const QString& value)
{
    if (!WritePrivateProfileString(QStringLiteral("Main"), QStringLiteral("Partial"), value, file))
        return false;
    return GetPrivateProfileString(QStringLiteral("Main"), QStringLiteral("Partial"),
                                   QStringLiteral("0"), file, 500)
        == value;
}

} // namespace

QString ProgramFolder()
{
    if (!programFolderOverride().isEmpty())
        return programFolderOverride();
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolderForTests(const QString& folder)
{
    programFolderOverride() = folder;
}

void ResetDataFolderCache()
{
    cachedPath().clear();
}

bool IsFolderWritable(const QString& settingsFile)
{
    if (settingsFile.contains(QLatin1String("Folder Not Valid On this OS"), Qt::CaseInsensitive)
        || settingsFile.contains(QLatin1String("Special Folder Does Not Exist"), Qt::CaseInsensitive))
        return false;

    const QString folder = GetParentFolderName(settingsFile);
    if (!FolderExists(folder)) {
        CreateFolderPath(folder);
        if (!FolderExists(folder))
            return false;
    }
    return readsBack(settingsFile, QStringLiteral("level2")) && readsBack(settingsFile, QStringLiteral("Level3"));
}

QString FindWritableDataFolder(const QString& fileName, const QString& company,
                               const QString& product, int specialFolder)
{
    if (!cachedPath().isEmpty())
        return cachedPath();

    const QString sub = QLatin1Char('/') + company + QLatin1Char('/') + product;

    if (specialFolder != 0) {
        const QString base = GetSpecialFolderPath(specialFolder);
        const QString candidate = base + sub + QLatin1Char('/') + fileName;
        G_sDataFolder = base + sub;
        if (!IsFolderWritable(candidate))
            return QString();
        cachedPath() = candidate;
        return candidate;
    }

    const QString beside = ProgramFolder() + QLatin1Char('/') + fileName;
    if (IsFolderWritable(beside)) {
        G_sDataFolder = ProgramFolder();
        cachedPath() = beside;
        return beside;
    }
    for (int folder : {csidl::CommonDocuments, csidl::LocalAppData, csidl::AppData, csidl::Personal,
                       csidl::CommonAppData}) {
        const QString base = GetSpecialFolderPath(folder) + sub;
        const QString candidate = base + QLatin1Char('/') + fileName;
        if (IsFolderWritable(candidate)) {
            G_sDataFolder = base;
            cachedPath() = candidate;
            return candidate;
        }
    }
    return QString();
}

QString GetIniFilePath(int /*productCode*/)
{
    const int folder = IsVistaOrLater() ? csidl::AppData : 0;
    return FindWritableDataFolder(kSettingsFileName, kCompanyFolder, kProductFolder, folder);
}

QString DefaultIniFilePath()
{
    const QString base = IsVistaOrLater() ? GetSpecialFolderPath(csidl::AppData) + u'/' + kCompanyFolder + u'/'
                                                + kProductFolder
                                          : ProgramFolder();
    return base + u'/' + kSettingsFileName;
}
