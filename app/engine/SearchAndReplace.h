#pragma once
// The routes of the search-and-replace process and the special-character
// codes of its find and replacement texts.
#include <QString>

class JobEngine;
class clsConversionOptions;

// The marker of special-character codes: plain text and codes alternate,
// each code between two markers ("a\u00A913\u00A9\u00A910\u00A9b" is a, CR,
// LF, b).
inline constexpr QChar kSpecialCharacterMarker = QChar(0x00A9);

// Decodes the codes: each a number from 0 to 255 standing for that
// character of the Windows-1252 code page. A text without the marker is
// taken as it is. False when the text is malformed (an odd number of
// markers, or a code that is no such number); `decoded` is then empty.
bool DecodeSpecialCharacters(const QString& text, QString& decoded);

// The text-file route: the engine's code (0, pattern errors 1 to 19, file
// and thread errors below 0); writes the report when the task asks, and
// fails with kReportNotWritten when it cannot.
int RunSearchAndReplaceEngine(JobEngine& engine, clsConversionOptions& item, const QString& find,
                              const QString& replacement);

// The document route: 0, -2 output not saved, -3 input not loaded.
int ReplaceInDocument(JobEngine& engine, clsConversionOptions& item, const QString& find, const QString& replacement);
