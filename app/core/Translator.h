#pragma once
// Every user-visible text is written in English in the code and passes
// through Translate before it is shown. Translations come from the language
// file of the language the user chose (LanguageFile.h); English is built in
// and has no file. InitializeTranslator starts the translator once per
// process, before any window is shown.
#include "core/LanguageChooser.h"

#include <QString>

extern QString G_sLanguage;         // "English" or a language file's language; "" before the start
extern QString G_sLanguageFont;     // the user-interface font chosen with the language, "" for none
extern QString G_sLanguageFilePath; // the language file read; "" under English
extern int G_iLanguageFileFormat;   // languagefileformat: 0 ANSI, -1 Unicode, 99 unreadable
extern QString G_sProductName;      // "'Tessaview'", quotes included
extern int G_iUserLCID;             // the user's locale identifier (UserLocale.h)

// Starts the translator: the user's locale, the language from the settings
// file (asking on a first run unless the locale is English), the language
// file and the font. Reports its own failure, falls back to English and
// never fails to its caller.
void InitializeTranslator();

// The phrase in the user-interface language; the phrase itself when no
// translation is known. A phrase the language file lacks is added to it
// once per run. A blank phrase comes back as it is.
QString Translate(const QString& phrase);

// Adds the phrase to the current language file as the line "phrase". A
// blank phrase, no file (English, or before the start) and a phrase that no
// line can hold (a line break, the "," separator) add nothing and count as
// done. A failed write is reported in a warning box; the result is then
// False.
bool AppendToLanguageFile(const QString& phrase);

// "Language_Code" and "Language_Font" of section "Language" in
// G_IniFilePath; "" when missing. Writing fails silently.
QString ReadLanguageCode();
// "Language_Code" of the settings file given, read only.
QString LanguageCodeOfSettingsFile(const QString& settingsFile);
// True when a start would put the first-run language question: the
// settings file names no language yet and the user's locale is not one of
// the English ones.
bool FirstRunLanguageQuestionDue(const QString& settingsFile);
void SaveLanguageCode(const QString& sLanguage);
QString ReadLanguageFont();
void SaveLanguageFont(const QString& sFontName);

// G_UserDataFolder, "Languages/", the language, "-", G_sProductName, ".txt".
QString GetLanguageFilePath(const QString& sLanguage);

// The format of the language file at `path` (languagefileformat), told
// from its first character; 99 when it cannot be read.
int DetectLanguageFileEncoding(const QString& path);

// Reads G_sLanguageFilePath in G_iLanguageFileFormat into the translations.
// Lines that cannot be used are skipped and named in one warning box. False
// when the file cannot be read as text of its format; the language is then
// English, and saved.
bool ParseLanguageFile();

// The language dialog's list: "English", then each language whose file in
// G_UserDataFolder + "Languages/" loads under that name (the file name is
// GetLanguageFilePath's), in file-name order; the item of G_sLanguage is
// selected.
LanguageListing FillLanguageList();

// Shows the language dialog and stores the choice; True when a changed
// language or font was saved. With `bAnnounce` a changed language takes
// effect at the next start (a box says so); without it the choice takes
// effect at once. In command-line or automation mode the language becomes
// English and nothing is shown; without a chooser nothing is shown either.
bool ShowLanguageDialog(bool& bAnnounce);

// Forgets the language, the font and every translation (tests only).
void ResetTranslator();
