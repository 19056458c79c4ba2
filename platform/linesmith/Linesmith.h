#pragma once
// Routines over whole text files: the Unicode test, appending one text file
// to another, and a copy without empty lines.
//
// Encodings: a file that starts with FF FE is UTF-16 little-endian, with
// FE FF UTF-16 big-endian, with EF BB BF UTF-8; any other file is 8-bit
// text, UTF-8 when its bytes are valid UTF-8 and Windows-1252 otherwise.
// Files are written in the encoding they were read in.
#include <QString>

// Result codes of the routines below: 0 success, otherwise one of these.
// Their numbers are those the program's item messages know, so a failure
// reads as what it is.
inline constexpr int kLinesmithTargetError = -2;   // the target cannot be read, written or created
inline constexpr int kLinesmithSourceError = -3;   // the source cannot be read
// The target is Windows-1252 text and the appended text holds characters
// that code page lacks; the target is left as it was.
inline constexpr int kLinesmithEncodingError = -4;

// True when the file is "Unicode" text in the program's sense: UTF-16
// little-endian starting with its byte-order mark (FF FE). UTF-8 and
// big-endian files, files too short to hold the mark, and files that cannot
// be read answer False.
bool IsUnicodeFile(const QString& path);

// Appends the source file's text to the target file; a missing target is
// created with the source's text (the target's folder must exist).
int ConcatenateTwoTextFiles(const QString& sSourceFile, const QString& sTargetFile);

// As ConcatenateTwoTextFiles, and with lAddPageBreak not 0 a page break
// (character 12) goes between the target's text and the appended one
// (none when the target is empty), with lPlaceFilePath not 0 the source's
// path heads the appended text on a line of its own.
//
// The target keeps its encoding: text appended to a UTF-16 target is
// converted to UTF-16 and brings no second byte-order mark; 8-bit text is
// converted between UTF-8 and Windows-1252 when the target is the other
// one (an all-ASCII target takes the source's). The appended text keeps
// its own line ends; what is added (a line end, the path's line end) is in
// the target's own style (LF, CR LF or CR), and when a page break or path
// is added to a target whose last line has no line end, one is put there
// first. The source is read whole before the target is touched, so a file
// may be appended to itself; a failed write leaves the target as it was.
// On failure *reason, when given, gets the system's reason.
int ConcatenateTwoTextFilesEx(const QString& sSourceFile, const QString& sTargetFile, int lAddPageBreak,
                              int lPlaceFilePath, QString* reason = nullptr);

// Writes the source's lines to the target without the empty ones. A line
// ends with LF, CR LF or a CR alone, and is empty when it holds nothing but
// blanks, tabs and vertical tabs. The lines kept are written byte for byte
// with their own line ends, in the source's encoding. The target is written
// to a temporary file in its folder and renamed, so the source may be the
// target. On failure *reason, when given, gets the system's reason.
int DeleteEmptyLinesFromTextFile(const QString& sSourceFile, const QString& sTargetFile, QString* reason = nullptr);
