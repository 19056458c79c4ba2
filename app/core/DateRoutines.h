#pragma once
// Dates that the program keeps as text (in the settings file, written under
// one regional setting and read under another) stay usable through these
// routines. The regional setting is the system locale unless a caller (a
// test) passes another one.
//
// A text is "a date under the regional settings" when it holds a date in the
// locale's field order (month/day/year, day/month/year or year/month/day,
// separated by "/", "-" or the locale's own date separator; a first field
// of more than two digits is always the year of year/month/day), a time (hours, minutes and
// optional seconds separated by ":" or the locale's time separator, with an
// optional AM/PM marker), or both, date first. One- and two-digit years fall
// in 1930 to 2029. A time alone lies on 30 December 1899, the zero date.
// Texts in the locale's own short or long format are accepted as well.
//
// A dotted text that the regional settings cannot read ("25.12.2020",
// "25.12.2020 10.30.00") is always read as day, month, year.
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>
#include <variant>

// A date argument: a stored text or a date value.
using DateArg = std::variant<QString, QDateTime>;

// The date and time of a text under the regional settings; no value when
// the text is not such a date.
std::optional<QDateTime> ReadRegionalDate(const QString& text, const QLocale& locale = QLocale::system());

// The number of interval boundaries from date1 to date2 (negative when date2
// is earlier), counted on the local clock: "s" seconds, "n" minutes, "h"
// hours, "d" and "y" midnights, "w" whole weeks, "ww" Sundays, "m" months,
// "q" quarters, "yyyy" years. A blank text gives 0 silently. A date that
// cannot be read, an unknown interval or a count beyond 32 bits shows
// "DateDiffRegionalSafe() Error. Date1: ... Date2: ..." and gives 0.
qint32 DateDiffRegionalSafe(const QString& interval, const DateArg& date1, const DateArg& date2,
                            const QLocale& locale = QLocale::system());

// Repairs a dotted date text. A text without "." gives no value and stays
// as it is. Otherwise `text` is trimmed; with exactly four dots (a dotted date
// and a dotted time) it becomes the slashed date, two blanks and the time
// with ":" separators. The result is the date in the pattern
// "mm/dd/yy h:m:s" with the locale's separators, or the slashed text when no
// date could be read from it. The pattern text is month first with a
// two-digit year whatever the locale: read dates through
// DateDiffRegionalSafe or StringToDate, which take the value directly.
std::optional<QString> NormalizeDateString(QString& text, const QLocale& locale = QLocale::system());

// The date of a stored text: today (midnight) for a blank text; the regional
// reading, else the dotted reading. A text that neither reads shows
// "StringToDate() Error. DateIn: " and the text, and gives today.
QDateTime StringToDate(const QString& text, const QLocale& locale = QLocale::system());

// A date text of month, day and year followed by a blank and `time`, the day
// lowered until the date exists (the 31st of a 30-day month becomes the 30th,
// the 29th to 31st of February the last day of February). The fields stand
// in the locale's order, separated by "/", so the text reads back as the
// same date under that locale: "4/30/2021 10:00:00" month first,
// "30/4/2021 10:00:00" day first. A month outside 1 to 12, an unreadable
// year or a day that is not a whole number from 1 on gives an empty text.
QString BuildValidDateString(const QString& month, const QString& day, const QString& year,
                             const QString& time, const QLocale& locale = QLocale::system());

// A date and time in the regional settings' general form: the short date
// with the full year, then the time with seconds and without a time zone
// ("12/10/2026 5:18:23 AM" in the United States).
QString FormatGeneralDate(const QDateTime& when, const QLocale& locale = QLocale::system());
