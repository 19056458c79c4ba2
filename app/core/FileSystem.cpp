#include "FileSystem.h"

#include "FileTimes.h"
#include "SpecialFolderPath.h"
#include "StringRoutines.h"
#include "base/SpecialFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1Char kSlash('/');
const QLatin1String kFolderError("(error)");

QString withSlash(const QString& path)
{
    return path.endsWith(kSlash) ? path : path + kSlash;
}

// Joins a folder and one more component without doubling the "/".
QString joinPath(const QString& folder, const QString& name)
{
    return withSlash(folder) + name;
}

// The path without trailing "/" characters; the root stays "/".
QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(kSlash))
        path.chop(1);
    return path;
}

bool statPath(const QString& path, struct stat& st)
{
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void replaceFirstIgnoringCase(QString& text, const QString& what, const QString& with)
{
    const qsizetype at = text.indexOf(what, 0, Qt::CaseInsensitive);
    if (at >= 0)
        text.replace(at, what.size(), with);
}

struct MacroFamily
{
    QLatin1String macro;
    QLatin1String alias; // empty when the family has one macro
    int folder;
};

// Tried in this order; only the first family found is expanded. The
// (X86) macro comes before the plain one, which is not a part of it.
const MacroFamily kMacroFamilies[] = {
    {QLatin1String("%USERPROFILE%"), QLatin1String("%HOMEPATH%"), csidl::Profile},
    {QLatin1String("%APPDATA%"), QLatin1String(), csidl::AppData},
    {QLatin1String("%LOCALAPPDATA%"), QLatin1String(), csidl::LocalAppData},
    {QLatin1String("%WINDIR%"), QLatin1String(), csidl::Windows},
    {QLatin1String("%PROGRAMFILES(X86)%"), QLatin1String(), csidl::ProgramFilesX86},
    {QLatin1String("%PROGRAMFILES%"), QLatin1String(), csidl::ProgramFiles},
    {QLatin1String("%MYDOCUMENTS%"), QLatin1String(), csidl::Personal},
};

bool containsMacro(const QString& text, QLatin1String macro)
{
    return !macro.isEmpty() && text.contains(macro, Qt::CaseInsensitive);
}

// A special folder as the safety test compares it: with a trailing "/",
// or "(error)/", which no real path begins with.
QString specialFolderWithSlash(int folder)
{
    return withSlash(GetSpecialFolderPathOrError(folder));
}

// The folder that holds the users' home folders.
QString usersFolderWithSlash()
{
    const QString profile = GetSpecialFolderPathOrError(csidl::Profile);
    if (profile == kFolderError)
        return withSlash(kFolderError);
    return withSlash(GetParentFolderName(profile));
}

bool copyTree(const QString& source, const QString& destination, bool overwrite)
{
    CreateFolderPath(destination);
    if (!FolderExists(destination))
        return false;
    bool complete = true;
    const QFileInfoList entries = QDir(source).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString target = joinPath(destination, entry.fileName());
        if (entry.isDir()) {
            // A linked folder could lead back into the tree; it is not copied.
            if (entry.isSymLink() || !copyTree(entry.filePath(), target, overwrite))
                complete = false;
        } else if (entry.isFile()) {
            int error = 0;
            if (!overwrite && bPathExists(target))
                complete = false;
            else if (!CopyFileSafe(entry.filePath(), target, error))
                complete = false;
        } else {
            complete = false; // devices, pipes, dangling links
        }
    }
    return complete;
}

} // namespace

void CreateFolderPath(const QString& folder)
{
    if (folder.isEmpty())
        return;
    const QString parent = GetParentFolderName(folder);
    if (!parent.isEmpty() && !FolderExists(parent))
        CreateFolderPath(parent);
    ::mkdir(QFile::encodeName(folder).constData(), 0777);
}

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString GetAbsolutePathName(const QString& path)
{
    if (path.isEmpty())
        return QDir::currentPath();
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool bCopyFolder(const QString& source, const QString& destination, bool overwrite)
{
    if (!FolderExists(source) || destination.isEmpty())
        return false;
    QString target = destination;
    if (target.endsWith(kSlash))
        target += GetFileName(source);
    // Copying a folder into itself would never end.
    const QString from = QFileInfo(source).canonicalFilePath();
    const QString to = GetAbsolutePathName(target);
    if (to == from || to.startsWith(withSlash(from)))
        return false;
    return copyTree(source, target, overwrite);
}

QString GetFileName(const QString& path)
{
    const QString p = withoutTrailingSlashes(path);
    if (p == QLatin1String("/"))
        return QString();
    return p.mid(p.lastIndexOf(kSlash) + 1);
}

QString GetBaseName(const QString& path)
{
    const QString name = GetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString GetExtensionName(const QString& path)
{
    const QString name = GetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString GetFileNameFromPath(const QString& path)
{
    return GetBaseName(path) + QLatin1Char('.') + GetExtensionName(path);
}

QString GetParentFolderName(const QString& path)
{
    const QString p = withoutTrailingSlashes(path);
    const qsizetype slash = p.lastIndexOf(kSlash);
    if (slash < 0 || p == QLatin1String("/"))
        return QString();
    qsizetype end = slash;
    while (end > 0 && p.at(end - 1) == kSlash)
        --end;
    return end == 0 ? QStringLiteral("/") : p.left(end);
}

bool bMoveFileToFolder(const QString& file, QString& folder)
{
    if (folder.isEmpty())
        return false; // "/" would be the root, never what an empty setting means
    folder = withSlash(folder);
    const QString target = folder + GetFileName(file);
    if (!FolderExists(folder))
        CreateFolderPath(folder);

    struct stat from {};
    if (!statPath(file, from) || !S_ISREG(from.st_mode))
        return false;
    struct stat existing {};
    if (statPath(target, existing)) {
        // Already in that folder: copying onto itself and deleting the
        // source would destroy the file.
        if (sameFile(from, existing))
            return true;
        // A FIFO or a device is not replaced by the file.
        if (!S_ISREG(existing.st_mode) || (existing.st_mode & S_IWUSR) == 0)
            return false;
    }

    if (::rename(QFile::encodeName(file).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;

    // Another file system: copy, make sure the copy is whole, then delete.
    int error = 0;
    if (!CopyFileSafe(file, target, error))
        return false;
    struct stat copied {};
    if (!statPath(target, copied) || copied.st_size != from.st_size)
        return false;
    return DeleteFileNow(file);
}

bool bMoveFileToFolder(const QString& file, const QString& folder)
{
    QString copy = folder;
    return bMoveFileToFolder(file, copy);
}

QString ExpandPathMacros(QString& path)
{
    path = TrimBlanks(path);
    for (const MacroFamily& family : kMacroFamilies) {
        if (!containsMacro(path, family.macro) && !containsMacro(path, family.alias))
            continue;
        const QString folder = GetSpecialFolderPathOrError(family.folder);
        if (folder == kFolderError)
            return path;
        // Plain text replacement: "$" or "\" in the folder stays as it is.
        QString result = path;
        result.replace(family.macro, folder, Qt::CaseInsensitive);
        if (!family.alias.isEmpty())
            result.replace(family.alias, folder, Qt::CaseInsensitive);
        return result;
    }
    return path;
}

QString ExpandPathMacros(const QString& path)
{
    QString copy = path;
    return ExpandPathMacros(copy);
}

QString GetNearestExistingFolder(QString& path)
{
    const QString folder = GetFolderPart(ExpandPathMacros(path));
    if (FolderExists(folder))
        return folder;
    // Shorter prefixes down to the root "/" (a drive root "C:\" had three
    // characters).
    for (qsizetype length = folder.size() - 1; length >= 1; --length) {
        const QString prefix = folder.left(length);
        if (prefix.endsWith(kSlash) && FolderExists(prefix))
            return prefix + GetFileNameFromPath(path);
    }
    return path;
}

int CheckOutputFolderSafety(const QString& folder, QString& recommended, QString& message)
{
    int code = outputfolder::Safe;
    QString expanded = ExpandPathMacros(folder);
    QString result = withSlash(expanded);
    QString failure;

    // A relative path goes where the current folder is, so judge it there.
    if (!expanded.startsWith(kSlash) && QDir::currentPath().isEmpty()) {
        failure = QStringLiteral("The current folder cannot be read.");
    } else {
        expanded = GetAbsolutePathName(expanded);
        // Judge the real folder: /bin is a link to /usr/bin, and a link of
        // the user's own may lead into a system folder.
        const QString existing = GetDeepestExistingFolder(expanded);
        QString real = QFileInfo(existing).canonicalFilePath();
        if (real.isEmpty())
            real = existing;
        const QString rest = TrimToken(expanded.mid(existing.size()), QStringLiteral("/"));
        const QString deepest = withSlash(real);
        result = withSlash(rest.isEmpty() ? real : joinPath(real, rest));

        const QString safe = specialFolderWithSlash(csidl::Personal);
        const QString windows = specialFolderWithSlash(csidl::Windows);
        const QString root = GetDriveOrShareFromPath(windows, true);
        const QString programFilesX86 = specialFolderWithSlash(csidl::ProgramFilesX86);
        QString programFiles = specialFolderWithSlash(csidl::ProgramFiles);
        replaceFirstIgnoringCase(programFiles, QStringLiteral(" (x86)"), QString());
        const QString users = usersFolderWithSlash();

        if (StartsWithText(deepest, windows)) {
            replaceFirstIgnoringCase(result, windows, safe);
            code = outputfolder::SystemFolder;
        } else if (!root.isEmpty() && deepest.compare(root, Qt::CaseInsensitive) == 0) {
            replaceFirstIgnoringCase(result, root, safe);
            code = outputfolder::SystemRoot;
        } else if (StartsWithText(deepest, programFilesX86)) {
            replaceFirstIgnoringCase(result, programFilesX86, safe);
            code = outputfolder::SystemFolder;
        } else if (StartsWithText(deepest, programFiles)) {
            replaceFirstIgnoringCase(result, programFiles, safe);
            code = outputfolder::SystemFolder;
        } else if (deepest.compare(users, Qt::CaseInsensitive) == 0) {
            replaceFirstIgnoringCase(result, users, safe);
            code = outputfolder::ProtectedFolder;
        } else if (!bFolderIsWriteable(deepest)) {
            result = safe;
            code = outputfolder::NotWriteable;
        } else {
            result = withSlash(expanded);
        }
    }

    if (!failure.isEmpty())
        code = outputfolder::UnknownStatus;
    if (result.size() > 1 && result.endsWith(kSlash))
        result.chop(1);
    recommended = result;
    switch (code) {
    case outputfolder::UnknownStatus:
        message = QString::fromLatin1(kOutputFolderUnknownStatus) + failure;
        break;
    case outputfolder::SystemFolder:
        message = QStringLiteral("Output folder is a system folder and should not be used.");
        break;
    case outputfolder::ProtectedFolder:
        message = QStringLiteral("Output folder is a protected folder and should not be used.");
        break;
    case outputfolder::SystemRoot:
        message = QStringLiteral(
            "Output folder: You should not write or create sub directories in the system root directory.");
        break;
    case outputfolder::NotWriteable:
        message = QStringLiteral("Output folder is not writeable.");
        break;
    default:
        break;
    }
    return code;
}

QString GetDriveOrShareFromPath(const QString& path, bool /*appendSlash*/)
{
    return path.startsWith(kSlash) ? QStringLiteral("/") : QString();
}

QString GetUniqueTempFileName(const QString& folder, const QString& prefix, const QString& extension)
{
    const QString namePrefix = TrimBlanks(prefix);
    QString suffix = TrimBlanks(extension);
    if (suffix.isEmpty())
        suffix = QStringLiteral("TMP");
    QString directory = folder;
    if (directory.isEmpty())
        directory = QDir::tempPath();
    if (directory.isEmpty() && QCoreApplication::instance())
        directory = QCoreApplication::applicationDirPath();
    directory = withSlash(directory);

    // The digits fill the name up to 8 characters.
    const qsizetype digits = 8 - namePrefix.size();
    if (digits < 0)
        return QString();
    const qint64 tries = static_cast<qint64>(std::pow(10.0, static_cast<double>(digits)));
    for (qint64 attempt = 0; attempt < tries; ++attempt) {
        // nearbyint rounds halves to even.
        const auto number = static_cast<qint64>(
            std::nearbyint(QRandomGenerator::global()->generateDouble() * 100000000.0));
        const QString candidate = directory + namePrefix + QString::number(number).left(digits)
            + QLatin1Char('.') + suffix;
        // Made exclusively: a name handed out is a file nobody else got.
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            return QString(); // a missing or closed folder will not get better
    }
    return QString();
}

bool bFolderIsWriteable(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    if (!folder.startsWith(kSlash) && QDir::currentPath().isEmpty())
        return false;
    const QString existing = GetDeepestExistingFolder(GetAbsolutePathName(folder));
    if (existing.isEmpty())
        return false;
    const QString name = GetUniqueTempFileName(existing, QString(), QString());
    if (name.isEmpty())
        return false;

    bool written = false;
    const QByteArray nativeName = QFile::encodeName(name);
    const int fd = ::open(nativeName.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd >= 0) {
        static const char line[] = "Hello World\n";
        written = ::write(fd, line, sizeof line - 1) == static_cast<ssize_t>(sizeof line - 1);
        written = ::close(fd) == 0 && written;
    }
    if (bPathExists(name))
        ::unlink(nativeName.constData());
    return written;
}

QString GetDeepestExistingFolder(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QString root = GetDriveOrShareFromPath(path, false);
    if (!bPathExists(root))
        return QString();
    // Blanks stay part of the names: Linux folder names may hold them.
    const QString rest = TrimToken(path.mid(root.size()), QStringLiteral("/"));
    QString result = root;
    const QStringList pieces = rest.split(kSlash, Qt::SkipEmptyParts);
    for (const QString& piece : pieces) {
        const QString current = joinPath(result, piece);
        if (!FolderExists(current))
            break;
        result = current;
    }
    return result;
}

bool bPathExists(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool bSameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    return statPath(a, sa) && statPath(b, sb) && sameFile(sa, sb);
}

QString TrimToken(const QString& text, const QString& token)
{
    if (text.isEmpty() || token.isEmpty())
        return text;
    QString result = text;
    while (result.endsWith(token, Qt::CaseInsensitive))
        result.chop(token.size());
    while (result.startsWith(token, Qt::CaseInsensitive))
        result.remove(0, token.size());
    return result;
}
