#include "CFileSearch.h"

#include "core/StringRoutines.h"

#include <QElapsedTimer>
#include <QFile>
#include <QVarLengthArray>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1Char kSlash('/');

using FoldedText = QVarLengthArray<char32_t, 256>;

// The text's characters, case-folded, one entry per character (a pair of
// surrogates is one character, so "?" stands for it whole).
void appendFolded(QStringView text, FoldedText& out)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        out.append(QChar::toCaseFolded(c));
    }
}

// One pattern against one name. Backtracks only to the last "*", so a
// pattern with many stars cannot make the test slow.
bool matchesOnePattern(const char32_t* name, qsizetype nameLength, const std::u32string& pattern)
{
    const qsizetype patternLength = qsizetype(pattern.size());
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype star = -1;
    qsizetype resumeAt = 0;
    while (n < nameLength) {
        if (p < patternLength && pattern[p] == U'*') {
            star = p++;
            resumeAt = n;
        } else if (p < patternLength && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < patternLength && pattern[p] == U'*')
        ++p;
    return p == patternLength;
}

// Splits the mask into its case-folded patterns. Returns True when one of
// them matches every name.
bool compileMask(const QString& mask, std::vector<std::u32string>& patterns)
{
    patterns.clear();
    bool everything = false;
    for (QStringView part : QStringView(mask).split(u';')) {
        while (part.startsWith(u' '))
            part = part.mid(1);
        if (part.isEmpty())
            continue; // matches no name: names are never empty
        FoldedText folded;
        appendFolded(part, folded);
        std::u32string pattern(folded.constData(), size_t(folded.size()));
        if (pattern == U"*" || pattern == U"*.*")
            everything = true;
        patterns.push_back(std::move(pattern));
    }
    return everything;
}

bool matchesAnyPattern(QStringView name, const std::vector<std::u32string>& patterns)
{
    FoldedText folded;
    appendFolded(name, folded);
    for (const std::u32string& pattern : patterns) {
        if (matchesOnePattern(folded.constData(), folded.size(), pattern))
            return true;
    }
    return false;
}

} // namespace

qint64 CFile::FileSize() const
{
    if (m_fileSize < 0) {
        struct stat st;
        m_fileSize = ::stat(QFile::encodeName(m_filename).constData(), &st) == 0 ? qint64(st.st_size) : 0;
    }
    return m_fileSize;
}

bool PathMatchSpec(const QString& name, const QString& mask)
{
    std::vector<std::u32string> patterns;
    if (compileMask(mask, patterns))
        return true;
    return matchesAnyPattern(name, patterns);
}

qint32 CFileSearch::BuildFileList(const QString& pathWithMask, bool subFolders, bool continueOnError)
{
    SetError(0, QString());
    if (pathWithMask.size() < 3) {
        SetError(filesearch::PathTooShort, QStringLiteral("The Invalid path or filename provided."));
        return m_lastErrorNumber;
    }
    const qsizetype slash = pathWithMask.lastIndexOf(kSlash);
    if (slash < 0) {
        SetError(filesearch::NoFolder, QStringLiteral("Invalid path or filename provided."));
        return m_lastErrorNumber;
    }
    const QString mask = pathWithMask.mid(slash + 1);
    if (TrimBlanks(mask).isEmpty()) {
        SetError(filesearch::NoMask,
                 QStringLiteral("No file mask/pattern detected. Please provide a path followed by a "
                                "mask/pattern i.e. c:\\myfile*.d??"));
        return m_lastErrorNumber;
    }
    return BuildFileList1(pathWithMask.left(slash + 1), mask, subFolders, false, continueOnError);
}

qint32 CFileSearch::BuildFileList1(const QString& folder, const QString& mask, bool subFolders,
                                   bool inverted, bool continueOnError)
{
    SetError(0, QString());
    m_rootFolder = AddTrailingBackslash(folder);
    m_matchesEverything = compileMask(mask, m_patterns);
    m_subFolders = subFolders;
    m_continue = continueOnError;
    m_searched = 0;
    m_matchValue = !inverted;
    // An earlier search's files must not show through a search that finds
    // nothing.
    m_files.clear();
    m_unreachable.clear();
    m_searchedRoot = false;

    QElapsedTimer timer;
    timer.start();
    QByteArray path = QFile::encodeName(m_rootFolder);
    const QByteArray root = path;
    path.reserve(4096);
    SearchFolder(AT_FDCWD, root.constData(), path, QFile::decodeName(root).size());
    m_elapsed = float(std::round(double(timer.elapsed()) / 10.0) / 100.0);
    return m_lastErrorNumber;
}

// `path` holds the folder's bytes with their "/", whose text is
// `folderTextLength` characters long; the folder is opened as `entry` below
// `parentFd`. Each file's path is decoded whole, once. Links to folders are
// not entered (a link back up the tree would never end); links to files are
// listed like the files. Only regular files are listed: a pipe or device
// would hang whoever opens it.
void CFileSearch::SearchFolder(int parentFd, const char* entry, QByteArray& path,
                               qsizetype folderTextLength)
{
    if (!m_continue && m_lastErrorNumber != 0)
        return;

    // The searched folder itself may be a link; folders met in the walk
    // are opened without following one.
    const bool root = parentFd == AT_FDCWD;
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (root ? 0 : O_NOFOLLOW);
    const int fd = ::openat(parentFd, entry, flags);
    if (fd < 0) {
        const int error = errno;
        SetFolderError(error);
        if (!root)
            m_unreachable.append({QFile::decodeName(path), error, true});
        return;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        SetFolderError(error);
        if (!root)
            m_unreachable.append({QFile::decodeName(path), error, true});
        ::close(fd);
        return;
    }
    if (root)
        m_searchedRoot = true;

    const qsizetype folderLength = path.size();
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(dir);
        if (!item) {
            if (errno != 0) {
                const int error = errno;
                SetFolderError(error);
                m_unreachable.append({QFile::decodeName(path.left(folderLength)), error, true});
            }
            break;
        }
        const char* name = item->d_name;
        unsigned char type = item->d_type;
        struct stat st;
        qint64 size = -1;
        if (type == DT_UNKNOWN) {
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone since it was read
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK
                 : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            size = st.st_size;
        }
        if (type == DT_DIR) {
            // Every folder whose name begins with a dot is passed over,
            // "." and ".." among them.
            if (name[0] != '.' && m_subFolders) {
                path.append(name).append('/');
                SearchFolder(fd, name, path, folderTextLength + QFile::decodeName(name).size() + 1);
                path.truncate(folderLength);
            }
            continue;
        }
        if (type == DT_LNK) {
            // A dangling link or a link to anything but a file is no input.
            if (::fstatat(fd, name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
            size = st.st_size;
        } else if (type != DT_REG) {
            continue;
        }

        path.append(name);
        // A path of PATH_MAX bytes or more (with its closing NUL) is one no
        // program can open by its name.
        const bool tooLong = path.size() >= PATH_MAX;
        QString filename = QFile::decodeName(path);
        path.truncate(folderLength);
        ++m_searched;
        if (MatchesPattern(QStringView(filename).sliced(folderTextLength)) != m_matchValue)
            continue;
        if (tooLong)
            m_unreachable.append({filename, ENAMETOOLONG, false});
        else
            m_files.append(CFile(filename, size));
    }
    ::closedir(dir);
}

bool CFileSearch::MatchesPattern(QStringView name) const
{
    return m_matchesEverything || matchesAnyPattern(name, m_patterns);
}

void CFileSearch::SetError(qint32 number, const QString& description)
{
    m_lastErrorNumber = number;
    m_lastErrorDescription = description;
}

void CFileSearch::SetFolderError(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        SetError(filesearch::PathNotFound, QStringLiteral("Path Not Found."));
        break;
    case EACCES:
    case EPERM:
        SetError(filesearch::AccessDenied, QStringLiteral("Access Denied."));
        break;
    default:
        SetError(errnoValue, GetSystemErrorMessage(errnoValue));
        break;
    }
}

QString CFileSearch::AddTrailingBackslash(const QString& folder)
{
    return folder.endsWith(kSlash) ? folder : folder + kSlash;
}

QString CFileSearch::GetSystemErrorMessage(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}
