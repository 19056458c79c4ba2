#pragma once
// Where the settings file lives: a folder the user can write to, chosen once
// per process.
#include <QString>

// Product code 23 is the only one the program passes.
constexpr int kProductCode = 23;

// The settings file's full path, or "" when no folder is usable.
QString GetIniFilePath(int productCode);

// The settings file GetIniFilePath takes on this system when its folder is
// usable, found without testing the folder or creating anything: for a
// start that must leave the settings file as it is.
QString DefaultIniFilePath();

// Tries the candidate folders for the settings file `fileName` below
// company/product and returns the first one that passes IsFolderWritable.
// `specialFolder` 0 walks the search list; any other number tries only that
// folder. The accepted path is cached for the process.
QString FindWritableDataFolder(const QString& fileName, const QString& company,
                               const QString& product, int specialFolder);

// Creates the settings file's folder when missing, then writes and reads
// back the key "Partial" in section "Main".
bool IsFolderWritable(const QString& settingsFile);

// The folder the program runs from, without a trailing "/". Tests may
// replace it.
QString ProgramFolder();
void SetProgramFolderForTests(const QString& folder);

// Forgets the cached settings-file path (tests only).
void ResetDataFolderCache();
