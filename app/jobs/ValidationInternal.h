#pragma once
// Helpers shared by the validators and their reporters, so that a report
// names exactly what the validator looked at.
#include <QString>

class clsConversionOptions;

namespace validation_detail {

// The path holds "*" or "?".
bool HoldsWildcard(const QString& path);

// The folder part in front of a path's first wildcard, without a trailing
// "/" (the root stays "/"): "/in/report*.txt" gives "/in". "" for a path
// without any "/" before its wildcard.
QString WildcardFolder(const QString& path);

// Extension check of an input against its type: letter case ignored, "html"
// counts as "htm", an input without extension or with a wildcard in it
// passes, and an expected "*" takes any extension.
bool ExtensionsMatch(QString expected, QString actual);

// The folders the -1 and -3 checks looked for.
QString InputFolderTested(const clsConversionOptions& o);
QString WildOutputFolderTested(const clsConversionOptions& o);

// The path whose folder the output-folder test wrote into, macros expanded.
QString OutputPathTested(const clsConversionOptions& o);

} // namespace validation_detail
