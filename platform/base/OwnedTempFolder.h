#pragma once
// Temporary folders that say which process made them, so that a later
// start can remove what a process that was killed left behind, and never
// touch a folder of a process that still runs or a folder that is not ours.
//
// A folder is made in the system's temporary folder ($TMPDIR, else /tmp)
// as tessaview-<kind>-<pid>-<start>-XXXXXX, readable by the user alone,
// with a marker file in it that names the same process (its pid, its start
// time, the boot and the pid namespace it ran in). The name alone is never
// enough: a folder goes only when it is a folder of this user (not a link)
// whose marker is a file of this user naming the process its name names,
// and that process no longer runs: its pid is free, or taken by a process
// that started at another time (pids are reused), or the system has booted
// since.
#include <QList>
#include <QString>

#include <mutex>
#include <sys/types.h>

// The marker file in each folder.
inline const QString kOwnerMarkerName = QStringLiteral(".tessaview-owner");

// Makes a new folder of `kind` (lower-case letters) for this process. ""
// with the system's error number in *error when it cannot be made.
QString MakeOwnedTempFolder(const QString& kind, int* error = nullptr);

// The folders of `kind` in the temporary folder that this process made and
// that are still there (what a test looks for).
QStringList OwnedTempFoldersOfThisProcess(const QString& kind);

struct StaleTempFolder
{
    QString path;
    QString kind;
};

// The folders in the temporary folder that processes of this user made and
// left: their owner no longer runs. A folder whose marker is missing or does
// not match is not listed; nor is any folder when this process cannot tell
// which processes run (no /proc).
QList<StaleTempFolder> StaleOwnedTempFolders();

// Removes a folder StaleOwnedTempFolders listed, with everything in it
// (links are removed, never followed). True when it is gone.
bool RemoveStaleTempFolder(const StaleTempFolder& folder);

// Removes the folders named as ours, of this user, that a process killed
// while it made one left before its marker was written: only a folder that
// is empty, or holds nothing but an empty marker, and whose name names a
// process that no longer runs. So no file with anything in it goes.
void RemoveUnfinishedTempFolders();

// One folder of `kind` for the whole process, made on first use and
// removed when the object goes (at the process's normal end) if nothing
// but its marker is left in it; a folder that still holds files keeps its
// marker, so a later start removes it once this process has ended.
class ProcessTempFolder
{
public:
    explicit ProcessTempFolder(QString kind) : m_kind(std::move(kind)) {}
    ~ProcessTempFolder();
    ProcessTempFolder(const ProcessTempFolder&) = delete;
    ProcessTempFolder& operator=(const ProcessTempFolder&) = delete;

    // The folder, made again if it was removed meanwhile. "" with the
    // system's error number in *error when it cannot be made.
    QString path(int* error = nullptr);

private:
    std::mutex m_mutex;
    QString m_kind;
    QString m_path;
};
