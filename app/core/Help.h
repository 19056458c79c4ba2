#pragma once
// Help: a numbered topic of the local HTML help in the installed data folder,
// shown in the user's browser; when the local page cannot be shown, the
// matching page of the online help.
#include <QString>

extern QString G_sHelpFilePath;   // folder of the local help pages, no trailing "/"
extern QString G_sOnlineHelpPage; // address of the online help's start page

// Help context numbers the program passes.
namespace helpcontext {
constexpr int ProgramOptions = 10;
constexpr int CommandLine = 25;        // the /? switch
constexpr int UsingTheCommandLine = 63; // the main form's command-line button
constexpr int SearchAndReplace = 91;
constexpr int HelpFile = 1234;          // the Help menu's start page
}

// The online help site (scheme and host) used when nothing overrides it.
inline constexpr char kDefaultOnlineHelpSite[] = "https://help.kestrova.example";

// The online help site: $TESSAVIEW_HELP_SITE when set, otherwise the default,
// without a trailing "/".
QString OnlineHelpSite();

// Chooses the local help for the user-interface language and sets both
// globals above. Called once per process after the translator has started;
// `sLanguage` is the translator's language name.
void InitHelpFile(const QString& sLanguage);

// File name of the local page for a context number, "" for an unknown number.
QString HelpPageForContext(int lContextId);

// Online address of the page for a context number, "" when the context has
// no page of its own (the caller then gets the online start page).
QString OnlineHelpTopicPage(int lContextId);

// Shows the local page of the context number; when there is none or it
// cannot be opened, opens `sTopicPage`, or the online start page when
// `sTopicPage` is "". Never fails to its caller.
void ShowHelpTopic(int lContextId, const QString& sTopicPage);
