#pragma once
// The program's file and folder pickers over the current FileChooser
// (platform/base/FileChooser.h). Every picker gives the chosen path, or ""
// when the user cancelled; callers keep their old value then.
#include "base/FileChooser.h"

#include <QString>

// Shows a file dialog of the given kind with the filter (description and
// pattern pairs joined by "|"). On a choice, lFilterIndex gets the pair the
// user left selected; on cancel it is left alone.
QString ShowFileDialog(FileDialogMode mode, const QString& sTitle, const QString& sFilter, int& lFilterIndex);

// The same, opened in the folder of sStartPath's nearest existing folder
// (macros expanded). sStartPath is overwritten with that nearest folder.
QString ShowFileDialogInitDir(FileDialogMode mode, const QString& sTitle, const QString& sFilter,
                              int& lFilterIndex, QString& sStartPath);

// Shows the folder browser, starting at sStartPath with its macros
// expanded, each "*" read as "A" and one trailing "/" dropped (the root
// stays "/"); sStartPath is overwritten with that text. Gives the chosen
// folder without a trailing "/", the root as "/", or "" when cancelled.
QString BrowseForFolder(QString& sStartPath);

// The path without one final "/"; the root stays "/".
QString RemoveTrailingSlash(const QString& path);
