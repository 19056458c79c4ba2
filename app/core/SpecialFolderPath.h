#pragma once
// Wrappers around the special-folder query that the rest of the program uses.
#include <QString>

// The folder's path without a trailing "/", or one of the texts
// "Special Folder Does Not Exist" and "Folder Not Valid On this OS".
QString GetSpecialFolderPath(int folder);

// The folder's path without a trailing "/", or "(error)".
QString GetSpecialFolderPathOrError(int folder);
