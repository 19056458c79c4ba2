#pragma once
// Language files: one plain-text file per user-interface language, which
// users edit and extend. Each line is a comment ("! after the first quote),
// the end of the list ("**** after the first quote), a pair
// "English","Translation", or a phrase kept in English, "Phrase". A phrase
// the program needs and the file lacks is added as a line of its own, in the
// file's own encoding, so that running the program in a language collects
// the phrases still to be translated.
//
// The file is data the program reads at every start: a line it cannot use
// is skipped with a note, never a reason to stop.
#include "base/TextFileEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

// Text formats of a language file, by the numbers the program keeps.
namespace languagefileformat {
constexpr int Ansi = 0;        // 8-bit text: UTF-8 when the file is valid UTF-8, else Windows-1252
constexpr int Unicode = -1;    // UTF-16 little-endian, beginning with its byte-order mark
constexpr int Unreadable = 99;
} // namespace languagefileformat

// The longest line read, in characters without the line end. A longer line
// is skipped, and no longer line is ever added.
constexpr qsizetype kMaxLanguageFileLine = 4096;
// The largest language file read.
constexpr qint64 kMaxLanguageFileSize = 16 * 1024 * 1024;

// The format told from the first character of the file's first line: a
// double quote read as 8-bit text (after a UTF-8 byte-order mark, which is
// skipped) gives Ansi; one read as UTF-16 after the mark FF FE gives
// Unicode; anything else, and an empty file, gives Unreadable. `head` is
// the file's beginning (four bytes are enough).
int LanguageFileFormatOfHead(QByteArrayView head);

// What one line of a language file is.
enum class LanguageLineKind {
    Blank,   // empty or white space only: skipped
    Comment, // "!...: skipped
    End,     // "****...: this line and every line after it are ignored
    Pair,    // "English","Translation"
    Kept,    // "Phrase": the phrase kept in English
    Skipped  // a line that cannot be used; `problem` says why
};

struct LanguageFileLine
{
    LanguageLineKind kind = LanguageLineKind::Blank;
    QString english;
    QString translation;
    const char* problem = nullptr; // English text of the reason, for Skipped
};

// One line without its line end (CR already stripped). A pair is split at
// every "," (quote, comma, quote): the English phrase is the first piece
// without its opening quote, the translation the second piece, without the
// closing quote when it is the last piece. A pair with an empty translation
// keeps the phrase in English. A line that does not begin and end with a
// double quote, or is longer than kMaxLanguageFileLine, is Skipped.
LanguageFileLine ParseLanguageFileLine(QStringView line);

// A line the reader skipped: its number (from 1) and the English reason.
struct LanguageFileNote
{
    int line = 0;
    const char* problem = nullptr;
};

struct LanguageFileContents
{
    // False when the bytes are not text of the format: a NUL character, a
    // UTF-16 file of an odd number of bytes, or a file of an unknown format.
    bool ok = false;
    TextFileEncoding encoding = TextFileEncoding::Ascii; // Ascii, Utf8, Windows1252 or Utf16LE
    QHash<QString, QString> translations; // the first occurrence of a phrase wins
    QList<LanguageFileNote> notes;
};

// Reads the whole file's bytes in `format` (languagefileformat). Lines end
// at LF; every CR is stripped before the line rules apply.
LanguageFileContents ReadLanguageFileText(const QByteArray& bytes, int format);

// True when the phrase can be added as the line "phrase" and read back as
// the same phrase: not blank, no CR, LF or NUL, no "," (quote, comma,
// quote), not read as a comment or the end of the list, and not too long.
bool CanAddToLanguageFile(const QString& phrase);

// Adds the line "phrase" to the language file at `path` in `encoding`: just
// before its end line when it has one (the file is replaced atomically),
// else at its end, after a line break when the last line lacks one. The
// file must exist. False when the phrase has no bytes in the encoding or
// the file cannot be read or written; the file is then left as it was.
bool AddLineToLanguageFile(const QString& path, const QString& phrase, TextFileEncoding encoding);
