#pragma once
// Routines over whole text files.
#include <QString>

// True when the file is "Unicode" text in the program's sense: UTF-16
// little-endian starting with its byte-order mark (FF FE). UTF-8 and
// big-endian files, files too short to hold the mark, and files that cannot
// be read answer False.
bool IsUnicodeFile(const QString& path);
