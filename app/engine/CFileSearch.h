#pragma once
// Lists the files of a folder, and when asked of all its sub-folders, whose
// names match a mask. The task runners build their input lists with it.
#include <QByteArray>
#include <QList>
#include <QString>

#include <string>
#include <vector>

// Numbers that BuildFileList and BuildFileList1 report.
namespace filesearch {
constexpr qint32 NoMask = qint32(0x80040201);     // the path ends in "/": no mask
constexpr qint32 NoFolder = qint32(0x80040202);   // the path holds no "/"
constexpr qint32 PathTooShort = qint32(0x80040203);
constexpr qint32 PathNotFound = 3;  // a folder is missing, or is no folder
constexpr qint32 AccessDenied = 5;  // a folder may not be read
}

// True when `name` matches `mask`, letter case ignored. "*" stands for any
// run of characters, "?" for one character. A mask may list several
// patterns separated by ";", each with leading blanks ignored; the name
// matches when one of them matches. The pattern "*.*" matches every name,
// with or without a dot.
bool PathMatchSpec(const QString& name, const QString& mask);

// One found file.
class CFile
{
public:
    CFile() = default;
    CFile(const QString& filename, qint64 fileSize = -1) : m_filename(filename), m_fileSize(fileSize) {}

    // The searched folder with its "/", then the name.
    QString Filename() const { return m_filename; }
    void SetFilename(const QString& filename) { m_filename = filename; }

    // In bytes. Unless the search or SetFileSize gave it, it is read from
    // the file when first asked (0 when it cannot be read): a walk need not
    // visit every file's inode only to learn a size that few callers want.
    qint64 FileSize() const;
    void SetFileSize(qint64 size) { m_fileSize = size; }

private:
    QString m_filename;
    mutable qint64 m_fileSize = -1; // -1: not read yet
};
Q_DECLARE_TYPEINFO(CFile, Q_RELOCATABLE_TYPE);

// A file or folder the search met but cannot reach: a sub-folder that
// could not be opened or read, or a matching file whose path is longer
// than the system lets a program open. errnoValue gives the system's
// reason.
struct UnreachableEntry
{
    QString path;        // a folder's path ends in "/"
    int errnoValue = 0;
    bool folder = false;
};

class CFileSearch
{
public:
    // Splits `pathWithMask` at its last "/" into folder and mask and
    // searches. Returns 0, or the last error number (see LastErrorNumber).
    qint32 BuildFileList(const QString& pathWithMask, bool subFolders, bool continueOnError);

    // Searches `folder` for names that match `mask` (with `inverted`, for
    // names that do not). Without `continueOnError` no further folder is
    // entered once one could not be read. Returns 0 or the last error
    // number.
    qint32 BuildFileList1(const QString& folder, const QString& mask, bool subFolders,
                          bool inverted, bool continueOnError);

    qsizetype TotalSearched() const { return m_searched; } // files tested, matched or not
    qsizetype TotalFound() const { return m_files.size(); }
    float ElapsedTime() const { return m_elapsed; } // seconds, two decimals
    // The found files in the order the file system gave them, each
    // sub-folder's files where the sub-folder's entry came.
    QList<CFile> Files() const { return m_files; }
    // 0; a folder error (3 "Path Not Found.", 5 "Access Denied.", else the
    // system's number and text; the last failing folder wins); or one of
    // the filesearch numbers for a malformed path.
    qint32 LastErrorNumber() const { return m_lastErrorNumber; }
    QString LastErrorDescription() const { return m_lastErrorDescription; }
    // What the walk met and could not reach, in the order it met them. A
    // folder that failed is here as well as in the last error; a file is
    // here instead of in Files.
    QList<UnreachableEntry> Unreachable() const { return m_unreachable; }
    // True when the searched folder itself was opened: every failure is
    // then one of Unreachable.
    bool SearchedRoot() const { return m_searchedRoot; }

private:
    void SearchFolder(int parentFd, const char* entry, QByteArray& path, qsizetype folderTextLength);
    bool MatchesPattern(QStringView name) const;
    void SetError(qint32 number, const QString& description);
    void SetFolderError(int errnoValue);
    static QString AddTrailingBackslash(const QString& folder);
    static QString GetSystemErrorMessage(int errnoValue);

    bool m_subFolders = false;
    bool m_matchValue = true;
    qsizetype m_searched = 0;
    std::vector<std::u32string> m_patterns; // the mask's patterns, case-folded
    bool m_matchesEverything = false;
    QString m_rootFolder;
    float m_elapsed = 0;
    bool m_continue = false;
    QList<CFile> m_files;
    QList<UnreachableEntry> m_unreachable;
    bool m_searchedRoot = false;
    qint32 m_lastErrorNumber = 0;
    QString m_lastErrorDescription;
};
