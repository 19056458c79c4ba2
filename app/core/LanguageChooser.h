#pragma once
// The language dialog, as the translator sees it. The headless program
// never shows a window: the window layer installs a chooser that shows its
// dialog, and a run without one (no display, or a program built without
// windows) never asks.
#include <QString>
#include <QStringList>

// What the dialog's list shows: "English" first, then the languages whose
// files are in the Languages folder, and the item to select.
struct LanguageListing
{
    QStringList languages;
    int selected = 0;
};

// The dialog's answer: the language chosen with Done ("" after Cancel) and
// the font chosen with its Font button ("" after Cancel, or when none was
// ever picked).
struct LanguageChoice
{
    QString Language;
    QString sFontName;
};

class LanguageChooser
{
public:
    virtual ~LanguageChooser() = default;
    // Shows the dialog modally and returns when the user has left it.
    virtual LanguageChoice choose(const LanguageListing& listing) = 0;
};

// The installed chooser, or nullptr when the program cannot show the dialog.
LanguageChooser* CurrentLanguageChooser();
void SetLanguageChooser(LanguageChooser* chooser); // nullptr: no dialog
