#pragma once
// The input list of a task: the files its input path names, sorted.
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

// Appends to `list` the files that `spec` (a folder, "/" and a mask) names,
// with the sub-folders when `bDoSubFolders`, and sorts the list ascending
// with letter case ignored when `sort`. Returns False when the listing
// failed and `sErr` then holds the message. A failing folder fails the
// listing unless `bContinueFileListingOnError` is set; with it, the files
// found are used and only a listing that found none fails. A mask that
// matches no file leaves the list empty and returns True.
bool bGetFilesMatchingSpec(bool bDoSubFolders, QString& sErr, const QString& spec, QStringList& list,
                           bool sort, bool bContinueFileListingOnError,
                           FileListingBusy* busy = nullptr);

// The same for a task record: reads its `bDoSubFolders`, writes its `sErr`.
template <typename Task>
bool bGetFilesMatchingSpec(Task& task, const QString& spec, QStringList& list, bool sort,
                           bool bContinueFileListingOnError, FileListingBusy* busy = nullptr)
{
    return bGetFilesMatchingSpec(bool(task.bDoSubFolders), task.sErr, spec, list, sort,
                                 bContinueFileListingOnError, busy);
}
