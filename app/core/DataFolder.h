#pragma once
// Where the settings file lives: a folder the user can write to, chosen once
// per process.
#include <QString>
#include <QList>
#include <QStringList>

#include <functional>

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
// back the key "Partial" in section "Main". A settings file there that is
// not text (IsDamagedProfile of base/Profile.h) is first set aside
// (SetAsideDamagedSettingsFile), so the test starts a fresh one; false when
// it could not be set aside.
bool IsFolderWritable(const QString& settingsFile);

// Renames a settings file that is not text to "<name>.damaged" beside it
// ("<name>.damaged-2" and on when that name is taken: an earlier copy is
// never replaced), byte for byte as it was, and reports it
// (ReportUnreadableSettingsFile). False when it could not be renamed; the
// report says why.
bool SetAsideDamagedSettingsFile(const QString& settingsFile);

// A settings file that could not be read: kept as `keptAs`, or not set
// aside for `reason`, or (both empty) left where it is.
struct SettingsFileReport
{
    QString file;
    QString keptAs;
    QString reason;
};

// Says on standard error that the settings file `file` could not be read
// and that the program goes on with the default settings, and keeps the
// report for the window (TakeSettingsFileReports).
void ReportUnreadableSettingsFile(const QString& file, const QString& keptAs, const QString& reason);

// The report's sentences joined by `lineBreak`, each phrase passed through
// `translate` when one is given.
QString SettingsFileReportText(const SettingsFileReport& report, const QString& lineBreak,
                               const std::function<QString(const QString&)>& translate = {});

// The reports not shown in a window yet; empty once taken, so a window
// shows each once.
QList<SettingsFileReport> TakeSettingsFileReports();

// The folder the program runs from, without a trailing "/". Tests may
// replace it.
QString ProgramFolder();
void SetProgramFolderForTests(const QString& folder);

// Forgets the cached settings-file path (tests only).
void ResetDataFolderCache();
