#pragma once
// Settings (INI) files, with the calls and the semantics the program grew up
// with: one key read or written per call, section and key names matched
// ignoring case, values trimmed of surrounding blanks and of one pair of
// surrounding double quotes, and cut to the caller's buffer.
//
// Reading accepts UTF-8, UTF-16 (with a byte-order mark, or without one
// when the bytes read as mostly-ASCII UTF-16 text), and Windows-1252 (any
// file that is not valid UTF-8). A write keeps every other line of the file
// as it was, byte for byte, and in its encoding, and replaces the file
// atomically (a temp file in the same folder renamed over it); on failure
// the old file stays. The file written has mode 0600, whatever mode it had:
// settings files hold passwords. New files are UTF-8 with CRLF line ends.
//
// A file that is not text (see IsDamagedProfile) holds no keys: reads give
// their defaults and writes refuse it, so nothing is ever added to it.
#include <QString>

// The value of `key` in `section` of `file`, or `defaultValue` when the
// file, the section or the key is missing. Like a caller's character buffer
// of `bufferSize`, the result holds at most bufferSize - 1 characters.
QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& file,
                                int bufferSize = 500);

// The value as a whole number: leading blanks, an optional sign, then the
// leading digits ("12abc" gives 12, "abc" gives 0). A missing key or an
// empty value gives `defaultValue`.
int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue,
                         const QString& file);

// Writes `key`=`value` into `section`: in place when the key exists, else
// after the section's last key, else in a new section at the end. A null
// `value` (QString()) deletes the key; a null `key` deletes the whole
// section. The folder must exist; the file is created when missing.
// Returns false, changing nothing, when the write fails or when a name or
// value cannot be stored safely (CR, LF, NUL or another C0 control
// character but tab and form feed, DEL, or half a surrogate pair, anywhere; "]" in a
// section name; "=" in a key, or a key that would read as a section or
// comment).
bool WritePrivateProfileString(const QString& section, const QString& key,
                               const QString& value, const QString& file);

// True when `file` exists and is not text at all: more than one character
// in a hundred, and eight at least, is NUL, another C0 control character
// (tab, line ends and form feed are text), DEL, half a surrogate pair or a
// byte that its encoding cannot decode. An empty file, a file of odd lines,
// a UTF-16 file, a file in a legacy code page such as Shift-JIS, or one
// with a few stray control characters is text; since no write
// stores such a character, no write makes a text file into one that is not.
bool IsDamagedProfile(const QString& file);
