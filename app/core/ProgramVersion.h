#pragma once
// The program's name and version as its About box shows them.
#include <QString>

// The version as the About box shows it: major, ".", then the minor
// version and the revision run together (2.3.6 gives "2.36").
QString AboutVersionText(int major, int minor, int revision);

// The product's name and this build's version in that form, such as
// "Tessaview 2.15".
QString ProgramNameAndVersion();
