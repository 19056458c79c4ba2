#pragma once
// Stand-in for the special-folder query of the original platform. Folder
// numbers are the program's own; each maps to the nearest XDG or system
// folder on Linux.
#include <QString>

namespace csidl {
constexpr int Personal = 5;          // the user's documents
constexpr int AppData = 26;          // the user's (roaming) application data
constexpr int LocalAppData = 28;     // the user's local application data
constexpr int CommonAppData = 35;    // application data of all users
constexpr int Windows = 36;          // the operating system's folder
constexpr int ProgramFiles = 38;     // installed programs
constexpr int Profile = 40;          // the user's home folder
constexpr int ProgramFilesX86 = 42;  // locally installed programs
constexpr int CommonDocuments = 46;  // documents of all users
}

// Result codes of QuerySpecialFolder.
constexpr int kFolderOk = 0;
constexpr int kFolderDoesNotExist = 1;
constexpr int kFolderNotValid = 2;

// Looks up a special folder by number. On success `path` holds the folder
// without a trailing "/" (the root stays "/"). Returns kFolderOk, or
// kFolderDoesNotExist when the folder has no place on this system (or is
// missing on disk), or kFolderNotValid for an unknown number.
int QuerySpecialFolder(int folder, QString& path);

// Tests replace folders here; an empty path removes the override. A
// special value of "-" makes the folder report kFolderDoesNotExist.
void OverrideSpecialFolder(int folder, const QString& path);
void ClearSpecialFolderOverrides();
