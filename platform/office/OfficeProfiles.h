#pragma once
// The private profiles and pipe sockets of our office processes, by name.
// A profile folder is named after the process that made it
// (tessaview-office-<pid>-XXXXXX in the temporary folder), so that a later
// start can tell the folders of processes that were killed before they
// could remove them.
#include <QString>
#include <QStringList>

#include <sys/types.h>

// The mkdtemp pattern of a new profile folder of this process.
QString OfficeProfilePattern();

// The pipe sockets an office leaves in the system's socket folder when it
// is killed: the one we named, and the one it names after its profile.
// Either argument may be empty.
QStringList OfficePipeSockets(const QString& pipeName, const QString& profileUrl);

// Removes each of `paths` that is a socket of our own user.
void RemoveOwnSockets(const QStringList& paths);

// Removes the profile folders (and their pipe sockets) that processes of
// this user made and left behind: only folders named by
// OfficeProfilePattern, owned by this user, whose process no longer
// exists. Gives the folders removed.
QStringList SweepStaleOfficeProfiles();
