#pragma once
// One value of the settings file, read and written the way the main form,
// its recently-used lists and the scheduler keep theirs: each key on its
// own, read into a 500-character buffer and cut at the first NUL.
#include <QString>

// The longest value a read gives back whole (a 500-character buffer).
constexpr int kIniValueMaxLength = 499;

// The value of `key` in `section` of `file`, or `defaultValue` when the
// file, the section or the key is missing; at most kIniValueMaxLength
// characters, cut at the first NUL.
QString ReadIniText(const QString& section, const QString& key, const QString& defaultValue,
                    const QString& file);

// True when ReadIniText would give `value` back unchanged: no CR, LF or NUL
// (the line would end early) and no more than kIniValueMaxLength characters
// (a cut path would name another file).
bool IsStorableIniText(const QString& value);

// Writes `value` to `key` unless the file already gives that value back,
// so an unchanged setting leaves the file alone. Blanks at either end and a
// value wrapped in double quotes are stored inside one more pair of quotes,
// which a read takes off, so they survive. False, with nothing written,
// for a value IsStorableIniText refuses and for a failed write.
bool WriteIniText(const QString& section, const QString& key, const QString& value, const QString& file);
