#pragma once
// Process-wide values of the program. They keep the program's own names.
#include <QString>

extern QString G_IniFilePath;        // full path of the settings file
extern QString G_UserDataFolder;     // per-user data folder, with a trailing "/"
extern QString G_sDataFolder;        // folder of the settings file, no trailing "/"
extern bool G_bCommandLineMode;      // a command line is being run: no dialogs
extern bool G_bAutomationMode;       // the process serves an automation client
extern bool G_bPostErrorLevel;       // /P: the run's code becomes the exit status
extern QString G_sLastRunError;      // message of the last failed command-line run
extern bool G_bEastAsianLocale;      // Chinese, Japanese or Korean user locale
extern bool G_bSuppressControlEvents; // set while code fills the window's controls
extern int glnMeasurement;           // page unit of the option dialogs: 1 inches, 2 centimetres

// The product name as the version information gives it, quotes included.
inline const QString kProductName = QStringLiteral("'Tessaview'");
