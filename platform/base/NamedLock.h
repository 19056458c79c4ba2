#pragma once
// A lock shared by all processes of the user, known by its name: an flock
// on a per-user lock file of that name under $XDG_RUNTIME_DIR (or the temp
// folder). The kernel lets go of it when the holding process ends, however
// it ends, so a crashed holder never blocks the others.
#include <QString>

class NamedLock
{
public:
    NamedLock() = default;
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // Creates or opens the lock file of `name`; a lock already open is
    // closed first. False when the file cannot be opened.
    bool open(const QString& name);
    // Waits, without time-out, until this process holds the lock.
    bool lock();
    // Gives the lock back; the file stays open for the next lock().
    bool unlock();
    // Gives the lock back if held and closes the file.
    void close();

    bool isOpen() const { return m_fd >= 0; }
    bool isLocked() const { return m_locked; }
    QString filePath() const { return m_path; }

private:
    int m_fd = -1;
    bool m_locked = false;
    QString m_path;
};

// The file that stands for the lock `name`: in $XDG_RUNTIME_DIR when that
// is an absolute path to an existing folder (it is the user's own), else in
// the temp folder with the user id in the name.
QString NamedLockFilePath(const QString& name);
