#pragma once
// The private profiles and pipe sockets of our office processes, and the
// start's sweep of what killed processes left. A profile is a folder that
// names the process that made it (an OwnedTempFolder of its own kind), so
// that a later start can tell the profiles of processes that were killed
// before they could remove them.
#include <QString>
#include <QStringList>

#include <sys/types.h>

inline const QString kOfficeProfileKind = QStringLiteral("office");

// Makes a new profile folder of this process. "" with the system's error
// number in *error when it cannot be made.
QString MakeOfficeProfileFolder(int* error = nullptr);

// The pipe sockets an office leaves in the system's socket folder when it
// is killed: the one we named, and the one it names after its profile.
// Either argument may be empty.
QStringList OfficePipeSockets(const QString& pipeName, const QString& profileUrl);

// Removes each of `paths` that is a socket of our own user.
void RemoveOwnSockets(const QStringList& paths);

// Removes what processes of this user that no longer run left behind: the
// temporary folders they made (StaleOwnedTempFolders: the program's own,
// the office's profiles and save folders, the Word-conversion control's),
// with the pipe sockets of a profile's office, and the pipe sockets named
// after them. A folder of a process that runs, or one that is not ours, is
// never touched. Gives the folders removed.
QStringList SweepStaleTemporaryFolders();
