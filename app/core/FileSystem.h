#pragma once
// Folder and path services: creating folders, path parts, moving a file
// into a folder, path macros and the checks that decide whether a folder
// may receive output. Paths use "/"; the root is "/".
#include <QString>

// Creates the folder and every missing parent, from the root down. A
// folder that cannot be created is passed over silently; callers test the
// result with FolderExists.
void CreateFolderPath(const QString& folder);

// True when the path names an existing folder (symbolic links followed).
bool FolderExists(const QString& path);

// The path made absolute against the current folder and cleaned ("." and
// ".." resolved in the text, no trailing "/" except for the root).
QString GetAbsolutePathName(const QString& path);

// Copies a folder with its whole sub-tree. A destination ending in "/" is
// an existing folder that receives a copy named like the source; otherwise
// it is the folder to create or fill. Without `overwrite`, files already
// at the destination are kept and the result is False; the other files
// are copied all the same. True when everything was copied.
bool bCopyFolder(const QString& source, const QString& destination, bool overwrite);

// Parts of a path. A trailing "/" is ignored, as in "/a/b/".
QString GetFileName(const QString& path);       // last component
QString GetBaseName(const QString& path);       // last component up to its last "."
QString GetExtensionName(const QString& path);  // after the last "." of the last component
// GetBaseName, "." and GetExtensionName, so a name without extension ends
// in a dot.
QString GetFileNameFromPath(const QString& path);
// The path without its last component and without a trailing "/": "/" for
// a folder directly below the root, "" for the root and for a bare name.
QString GetParentFolderName(const QString& path);

// Moves the file into the folder. A "/" is appended to `folder` when it
// lacks one (the caller's text changes too); a missing folder is created.
// A file that is already in that folder stays as it is and the result is
// True. A read-only file of the same name in the folder, or anything there
// that is not a regular file, is not replaced (False). The source is deleted only once its copy is complete in the
// folder, so a failure never loses the file.
bool bMoveFileToFolder(const QString& file, QString& folder);
bool bMoveFileToFolder(const QString& file, const QString& folder);

// Trims blanks from the path (the caller's text too) and expands the first
// family of path macros found, in any letter case:
//   %USERPROFILE%, %HOMEPATH%  the home folder
//   %APPDATA%                  the XDG config home
//   %LOCALAPPDATA%             the XDG data home
//   %WINDIR%                   /usr
//   %PROGRAMFILES(X86)%        /usr/local
//   %PROGRAMFILES%             /opt
//   %MYDOCUMENTS%              the XDG documents folder
// Later families stay as written. When the folder cannot be had the
// trimmed text is returned with the macro in it.
QString ExpandPathMacros(QString& path);
QString ExpandPathMacros(const QString& path);

// The folder to start a file dialog in: the path's folder (with its "/")
// when it exists, else the nearest existing ancestor followed by the
// path's file name, else the path itself. Trims the caller's text.
QString GetNearestExistingFolder(QString& path);

// Verdicts of CheckOutputFolderSafety.
namespace outputfolder {
constexpr int Safe = 0;
constexpr int UnknownStatus = 1;
constexpr int SystemFolder = 2;
constexpr int ProtectedFolder = 3;
constexpr int SystemRoot = 4;
constexpr int NotWriteable = 5;
}

// The English reason for code 1, which the failure's own text follows.
inline constexpr char kOutputFolderUnknownStatus[] = "Output folder has an unknown status. Error: ";

// Judges whether output may go to `folder` (macros expanded; a relative
// path is taken from the current folder; a folder that does not exist yet
// is judged by its deepest existing ancestor). Returns a verdict code;
// `recommended` gets a folder to use instead (without trailing "/"), and
// `message` the English reason for codes 1 to 5 (left alone for 0).
int CheckOutputFolderSafety(const QString& folder, QString& recommended, QString& message);

// "/" for an absolute path, "" for a relative one. Linux has no drives or
// shares, so the root is the only answer; `appendSlash` changes nothing.
QString GetDriveOrShareFromPath(const QString& path, bool appendSlash);

// Makes a new, empty file named folder/prefix + digits + "." + extension
// and returns its full path, or "" when none could be made. The file is
// created exclusively, so the name is never handed out twice: the caller
// owns the file and must remove it. An empty folder means the system's
// temporary folder, an empty extension "TMP". The digits fill the prefix
// up to 8 characters, so a prefix of 8 allows one name and of 9 none.
QString GetUniqueTempFileName(const QString& folder, const QString& prefix, const QString& extension);

// True when a file can be created and written in the folder, or, for a
// folder that does not exist yet, in its deepest existing ancestor (a
// relative path is taken from the current folder). Leaves nothing behind.
bool bFolderIsWriteable(const QString& folder);

// The deepest folder of the path that exists, without trailing "/" (the
// root stays "/"); "" for an empty or relative path.
QString GetDeepestExistingFolder(const QString& path);

// True when something (file or folder) exists at the path.
bool bPathExists(const QString& path);

// True when the two paths name the same existing file, decided by the file
// system (device and inode), so links and other spellings of a path count.
bool bSameFile(const QString& a, const QString& b);

// The text without the token repeated at either end, letter case ignored.
QString TrimToken(const QString& text, const QString& token);
