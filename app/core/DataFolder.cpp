#include "DataFolder.h"

#include "base/Profile.h"
#include "base/SpecialFolders.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/SpecialFolderPath.h"
#include "core/SystemVersion.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const QString kSettingsFileName = QStringLiteral("QVIM_SearchHistory") + QStringLiteral(".INI");
const QString kCompanyFolder = QStringLiteral("Kestrova, Inc");
const QString kProductFolder = QStringLiteral("Tessaview");

QList<SettingsFileReport>& pendingReports()
{
    static QList<SettingsFileReport> reports;
    return reports;
}

// Renames without replacing: `to` is never overwritten.
int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a second link, then the old name goes.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    return ::unlink(from.constData()) == 0 ? 0 : errno;
}

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

QString SettingsFileReportText(const SettingsFileReport& report, const QString& lineBreak,
                               const std::function<QString(const QString&)>& translate)
{
    const auto tr = [&translate](const char* phrase) {
        const QString text = QString::fromLatin1(phrase);
        return translate ? translate(text) : text;
    };
    QStringList lines{tr("The settings file could not be read (it is not a settings file):") + u' ' + report.file};
    if (!report.keptAs.isEmpty())
        lines << tr("It was kept as:") + u' ' + report.keptAs;
    else if (!report.reason.isEmpty())
        lines << tr("It could not be set aside:") + u' ' + report.reason;
    lines << tr("The program goes on with the default settings.");
    return lines.join(lineBreak);
}

void ReportUnreadableSettingsFile(const QString& file, const QString& keptAs, const QString& reason)
{
    const SettingsFileReport report{file, keptAs, reason};
    const QByteArray line = "qvim: " + SettingsFileReportText(report, QStringLiteral(" ")).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    pendingReports().append(report);
}

QList<SettingsFileReport> TakeSettingsFileReports()
{
    return std::exchange(pendingReports(), {});
}

bool SetAsideDamagedSettingsFile(const QString& settingsFile)
{
    const QByteArray from = QFile::encodeName(settingsFile);
    int error = 0;
    for (int n = 1; n < 1000; ++n) {
        const QString keptAs = settingsFile + QStringLiteral(".damaged")
                               + (n == 1 ? QString() : QLatin1Char('-') + QString::number(n));
        error = renameNoReplace(from, QFile::encodeName(keptAs));
        if (error == 0) {
            // What is left of it may hold passwords.
            ::chmod(QFile::encodeName(keptAs).constData(), 0600);
            ReportUnreadableSettingsFile(settingsFile, keptAs, QString());
            return true;
        }
        if (error != EEXIST)
            break;
    }
    ReportUnreadableSettingsFile(settingsFile, QString(), QString::fromLocal8Bit(std::strerror(error)));
    return false;
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
    // Keys added to a file that is not text would read as nothing: it is
    // kept aside for the user and the test starts a fresh one.
    if (IsDamagedProfile(settingsFile) && !SetAsideDamagedSettingsFile(settingsFile))
        return false;
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
