#pragma once
// Small services of the control beside the shared ones it carries
// (core/FileTimes.h, core/FileSystem.h, core/DataFolder.h): temporary
// names, moving a file over another, the identity of files, and where the
// control's own settings file would live.
#include <QString>

// A fresh, empty file in the control's private folder inside the system's
// temporary folder (named after the process, so that a later start removes
// what a killed process left there), whose name starts with the first
// three characters of `sPrefix` and ends in ".DOC"; made exclusively, so
// the name is the caller's alone. "" when none could be made.
QString GetTempDocFileName(const QString& sPrefix);

// Moves `sSource` over `sTarget`. Within one folder the target is replaced
// in one step: it is the old file or the new one, never a part. Across
// file systems the file is copied through a temporary file beside the
// target, then the source is removed. The target keeps its permissions.
// What is not a regular file is not replaced. False when the target is not
// the source's file afterwards.
bool MoveFileFso(const QString& sSource, const QString& sTarget);

// True when the two paths name one existing file (device and inode).
bool IsSameFile(const QString& a, const QString& b);

// The control's settings file: "Quaystone.INI" in the control's data
// folder below "Kestrova, Inc" in the user's application data. The search
// creates the folder and checks that it can write there; the control never
// reads or writes the file itself.
QString DefaultStateFilePath();
