#include "Globals.h"

QString G_IniFilePath;
QString G_UserDataFolder;
QString G_sDataFolder;
bool G_bCommandLineMode = false;
bool G_bAutomationMode = false;
bool G_bPostErrorLevel = false;
QString G_sLastRunError;
bool G_bEastAsianLocale = false;
bool G_bSuppressControlEvents = false;
int glnMeasurement = 1;
