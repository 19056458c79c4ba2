#pragma once
// File time stamps and the small file operations used throughout the
// program: existence test, copy over a target, delete with retries.
#include <QDateTime>
#include <QString>

// Sleeping goes through this interface so that tests need not wait.
class Sleeper
{
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int ms) = 0;
};

// The real sleeper: blocks the calling thread.
Sleeper& DefaultSleeper();

// Reads the file's times as UTC date values with whole seconds. Linux keeps
// no settable creation time: `creation` is the birth time where the file
// system records one, else the modification time. Returns False when the
// times were read, True when not (a failure flag); on failure the out
// arguments keep their values. `local` is accepted for the callers' sake
// but changes nothing: times are carried as instants, so a daylight-saving
// change between reading and writing cannot shift them.
bool GetFileTimes(const QString& path, QDateTime& creation, QDateTime& lastAccess,
                  QDateTime& lastWrite, bool local);

// Writes the access and modification times, cut to whole seconds. The
// creation time cannot be set on Linux and is ignored; an invalid date
// leaves that time as it is. Returns False when written, True when not.
bool SetFileTimes(const QString& path, const QDateTime& creation, const QDateTime& lastAccess,
                  const QDateTime& lastWrite, bool local);

// True when the path names an existing file (not a folder). The path is
// taken literally after trimming blanks, so a wildcard path is False unless
// a file of exactly that name exists.
bool FileExists(const QString& path);

// Run-time error numbers that CopyFileSafe reports.
namespace copyerror {
constexpr int FileNotFound = 53;    // the source is missing
constexpr int DiskFull = 61;        // no space left (or quota)
constexpr int PermissionDenied = 70;
constexpr int DeviceIOError = 57;
constexpr int PathFileAccess = 75;  // a folder, FIFO or device where a file was expected, read-only file system, other failures
constexpr int PathNotFound = 76;    // the target's folder is missing
}

// Copies `source` over `target` through a temporary file in the target's
// folder that is renamed over it, so the target is either the old file or
// the complete copy. A read-only target is replaced and stays read-only
// (an existing target keeps its permissions and owner). The copy keeps the
// source's modification time. A target that is not a regular file is not
// replaced (PathFileAccess). On failure `errorNumber` gets one of the
// copyerror numbers and False is returned; on success it is left alone.
bool CopyFileSafe(const QString& source, const QString& target, int& errorNumber);

// The two halves of CopyFileSafe, for a caller that changes the copy before
// it takes the target's place: a copy of the source made beside the target
// under a new name of its own, then renamed over the target. A copy that
// was not put in place is removed when the object goes.
class CopyBesideTarget
{
public:
    CopyBesideTarget() = default;
    ~CopyBesideTarget();
    CopyBesideTarget(const CopyBesideTarget&) = delete;
    CopyBesideTarget& operator=(const CopyBesideTarget&) = delete;

    // Copies `source` into a new file in the target's folder; a target that
    // is a symbolic link stands for the file it names. The copy is the
    // owner's to write meanwhile. 0, or a copyerror number with the
    // system's reason in Reason(). When the target already is the source
    // nothing is copied, Path() is "" and Commit has nothing to do.
    int Make(const QString& source, const QString& target);
    // The copy; "" when none was made.
    const QString& Path() const { return m_path; }
    // Renames the copy over the target. The new target gets the permissions
    // and owner of the one it replaces, or, when there was none, the
    // source's permissions as a new file of ours; with `sourceTime` it
    // takes the source's modification time. 0, or a copyerror number with
    // the reason in Reason(); the copy is then still this object's.
    int Commit(bool sourceTime = false);
    const QString& Reason() const { return m_reason; }

private:
    void removeCopy();

    QString m_path;
    QString m_target;
    QString m_reason;
    bool m_targetExisted = false;
    unsigned m_owner = 0;
    unsigned m_group = 0;
    unsigned m_mode = 0;              // what the new target gets
    qint64 m_sourceTimeSeconds = 0;
    long m_sourceTimeNanoseconds = 0;
};

// Text up to and including the last "/", or "" when there is none.
QString GetFolderPart(const QString& path);

// Text after the last "." of the file name, trimmed, or "".
QString GetFileExtension(const QString& path);

// Deletes the file, trying up to 21 times one second apart while it cannot
// be removed. True when the file is gone (also when it never existed).
bool DeleteFileWithRetry(const QString& path, Sleeper& sleeper = DefaultSleeper());

// One attempt to delete the file; True when it was deleted. A read-only
// file is deleted too (on Linux that is decided by the folder).
bool DeleteFileNow(const QString& path);

// Sets the file's attribute bits to its current bits AND `mask`, in the
// program's numbering (1 read-only, 0x20 archive, ...). Only the read-only
// bit has a counterpart on Linux: clearing it gives the owner write
// permission; the other bits are left alone. True when the attributes were
// set.
bool MaskFileAttributes(const QString& path, quint32 mask);
