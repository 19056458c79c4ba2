#pragma once
// An argument text split into arguments as a POSIX shell splits words,
// without running a shell: blanks, tabs and line ends separate arguments;
// inside single quotes every character stands for itself; inside double
// quotes a backslash keeps only before \ " $ ` and a line end; outside
// quotes a backslash takes the next character as it is. Nothing is
// expanded ($, *, ~ are plain characters).
#include <QString>
#include <QStringList>

// False when a quote is not closed; `arguments` is then empty.
bool SplitShellWords(const QString& text, QStringList& arguments);
