#pragma once
// The input list of a task: the files its input path names, sorted.
#include <QList>
#include <QString>
#include <QStringList>

// Shows that a listing runs (the busy pointer and a status text) while the
// walk, which does not yield, keeps the window from repainting.
class FileListingBusy
{
public:
    virtual ~FileListingBusy() = default;
    virtual void BeginBusy(const QString& statusText) = 0;
    virtual void EndBusy() = 0; // restores the pointer and clears the text
};

// A file or folder that a listing met but could not reach, with the
// system's reason.
struct UnreachableInput
{
    QString path;   // a folder's path ends in "/"
    QString reason;
    bool folder = false;
};

// Appends to `list` the files that `spec` (a folder, "/" and a mask) names,
// with the sub-folders when `bDoSubFolders`, and sorts the list ascending
// with letter case ignored when `sort`. Returns False when the listing
// failed and `sErr` then holds the message. A failing folder fails the
// listing unless `bContinueFileListingOnError` is set; with it, the files
// found are used and only a listing that found none fails. A mask that
// matches no file leaves the list empty and returns True.
// With `unreachable`, what the walk met and could not reach goes there
// instead of silently missing from the list: matching files whose path is
// too long to open, and, with `bContinueFileListingOnError`, sub-folders
// that could not be read (the listing then fails only when the folder of
// `spec` itself could not be read).
bool bGetFilesMatchingSpec(bool bDoSubFolders, QString& sErr, const QString& spec, QStringList& list,
                           bool sort, bool bContinueFileListingOnError,
                           FileListingBusy* busy = nullptr, QList<UnreachableInput>* unreachable = nullptr);

// The same for a task record: reads its `bDoSubFolders`, writes its `sErr`.
template <typename Task>
bool bGetFilesMatchingSpec(Task& task, const QString& spec, QStringList& list, bool sort,
                           bool bContinueFileListingOnError, FileListingBusy* busy = nullptr,
                           QList<UnreachableInput>* unreachable = nullptr)
{
    return bGetFilesMatchingSpec(bool(task.bDoSubFolders), task.sErr, spec, list, sort,
                                 bContinueFileListingOnError, busy, unreachable);
}
