#pragma once
// Where the program's shipped data (help pages, demo folders, language
// files) lives.
#include <QString>

// The first existing folder of: $TESSAVIEW_DATA_DIR, the program's folder
// followed by "/../share/tessaview" (an installed program), and the source
// tree's data folder (a program run from its build folder). The path has no
// trailing "/"; "" when none exists.
QString InstalledDataFolder();
