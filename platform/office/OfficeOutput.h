#pragma once
// Where the office writes: a private folder made fresh for each save, so
// that what the office leaves when it dies there (its lock file, its
// lu*.tmp files, a half-written output) never reaches the user's folder.
// The finished file is moved into place; the folder goes with whatever is
// in it, however the save ends, and after a kill with the next start's
// sweep (it is an OwnedTempFolder of this kind).
#include <QString>

inline const QString kOfficeSaveFolderKind = QStringLiteral("save");

class OfficeSaveFolder
{
public:
    OfficeSaveFolder() = default;
    ~OfficeSaveFolder(); // removes the folder and everything in it
    OfficeSaveFolder(const OfficeSaveFolder&) = delete;
    OfficeSaveFolder& operator=(const OfficeSaveFolder&) = delete;

    // Makes the folder in the system's temporary folder, readable by the
    // user alone, with a new empty file in it named like `target` (and the
    // folder's owner marker). False
    // with the system's reason in `error`.
    bool create(const QString& target, QString& error);
    const QString& folder() const { return m_folder; }
    // The file the office writes.
    const QString& file() const { return m_file; }

private:
    QString m_folder;
    QString m_file;
};

// Moves `from` over `to`. A rename where both are on one file system;
// else a copy into a new file beside `to`, created exclusively and renamed
// over `to` once complete, after which `from` is removed. `to` is either
// left as it was or replaced whole; what is not a regular file (a FIFO, a
// device) is not replaced. False with the reason in `error`.
bool MoveIntoPlace(const QString& from, const QString& to, QString& error);
