#pragma once
// Temporary files of the program's own. A name is taken only by creating
// the file exclusively, so a file that exists already, whoever made it, is
// never opened, replaced or removed; and a temporary file is removed only
// by the object that created it.
#include <QString>

// The program's private temporary folder, made on first use inside the
// system's temporary folder ($TMPDIR, else /tmp) with access for the user
// alone and named after the process (ProcessTempFolder), and removed when
// the process ends if it is empty by then. "" when it cannot be made.
QString ProgramTempFolder();

class TemporaryFile
{
public:
    TemporaryFile() = default;
    ~TemporaryFile(); // removes the file, unless it was released or moved
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates a new, empty file `folder`/`name`.<unique part>`suffix`
    // (mode 0666 less the umask). An empty folder means ProgramTempFolder().
    // False, with the system's reason in *error, when no file could be made;
    // a file made earlier by this object is removed first.
    bool create(const QString& folder, const QString& name, const QString& suffix, QString* error = nullptr);

    bool isCreated() const { return !m_path.isEmpty(); }
    // The file's full path; "" when none was created.
    const QString& path() const { return m_path; }

    // Renames the file over `target`, which must be on the same file system
    // (a file beside the target is). Afterwards the file is the target and
    // no longer this object's to remove. False, with the reason in *error,
    // when the rename failed or what stands at the target is not a regular
    // file (a FIFO, a device); the file is then still this object's.
    bool moveOver(const QString& target, QString* error = nullptr);

    // Removes the file now (a file that has gone meanwhile is no error).
    void remove();
    // Leaves the file where it is: it is no longer removed by this object.
    void release() { m_path.clear(); }

private:
    QString m_path;
};
