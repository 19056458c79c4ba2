#pragma once
// Section "frmMain" of the settings file (G_IniFilePath): every setting of
// the main form, the grids' column widths and the task editor's last
// state. ReadIniFile loads it into MainFormState and, through the form's
// hooks, into the window's controls; SaveIniFile writes it back when the
// window closes. The command line reads the section and never writes it.
#include <QString>
#include <QStringList>

class MainFormState;

inline const QString kMainFormSection = QStringLiteral("frmMain");

// Reads every key of the section, each with its default when the file, the
// section or the key is missing, and "chkPersistRunning" of section
// "frmScheduler". Flags are true only for "TRUE" in any letter case. A
// number key whose value is not a number, or a selection outside its list,
// keeps its default; the types and the sub-folder boxes (which the window
// sets as its last steps) keep their current value instead. Outside
// command-line mode it also applies the column widths, creates the
// editor's recently-used lists afresh and fills their combo boxes, and
// maximises the window.
void ReadIniFile(MainFormState& form);

// Shows settings already read in a window that was made afterwards: the
// window steps of ReadIniFile (column widths, the editor's lists and
// choices, the types, maximising) from the form's current values, so that
// what the command line changed after reading (the passwords of /Z and
// /W) stays. A list not created yet is read now.
void ShowSettingsInWindow(MainFormState& form);

// Writes the section back and closes the nine recently-used lists; does
// nothing in command-line mode. An override group that is off writes only
// its flag, keeping its members' stored values. A value that would not
// read back whole (a line break, more than 499 characters) is not written,
// so the stored value stays. Gives the keys that could not be kept
// (refused or failed writes); empty when all were.
QStringList SaveIniFile(MainFormState& form);
