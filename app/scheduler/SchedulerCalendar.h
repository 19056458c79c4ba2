#pragma once
// Dates and times of the scheduler. Calendar schedules keep wall-clock time
// (a run at 08:00 stays at 08:00 across a daylight-saving change); time-based
// schedules count real seconds between instants.
//
// A wall time is a local date and time of day without a zone. It is held in
// a QDateTime set to UTC only so that adding days, months or seconds is
// plain calendar arithmetic that never meets a daylight-saving change.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimeZone>

#include <optional>

using WallTime = QDateTime;

WallTime MakeWallTime(const QDate& date, const QTime& time);

// The wall time of an instant in the zone, to the whole second.
WallTime WallTimeOf(const QDateTime& instant, const QTimeZone& zone);

// The wall time itself when the zone's clocks show it; for a time that a
// daylight-saving change skips, the first minute after the gap.
WallTime FirstExistingWallTime(const WallTime& wall, const QTimeZone& zone);

// The instant at which the zone's clocks show the wall time; the first of
// the two for a time they show twice.
QDateTime InstantOf(const WallTime& wall, const QTimeZone& zone);

// Whole minute boundaries from `from` to `to`: 0 within the same minute,
// negative when `to` is earlier.
qint64 MinutesBetween(const WallTime& from, const WallTime& to);

// 1 = Sunday to 7 = Saturday.
int WeekdayNumber(const QDate& date);

// The day of that month, lowered to the month's last day when the month is
// shorter (the 31st of April is the 30th, the 30th of February its last day).
QDate DateInMonth(int year, int month, int day);

// The time of day of the scheduler's combos ("12", "00", "AM" is midnight,
// "12", "30", "PM" half past noon); no value for texts outside the lists.
std::optional<QTime> TwelveHourTime(const QString& hours, const QString& minutes, const QString& amPm);

// A plain whole number: decimal digits alone, blanks around them allowed
// ("15" but not "15x", "1.5" or "+3").
std::optional<int> PlainWholeNumber(const QString& text);

// The settings file's form of a date value ("2000-01-01 00:00:00"); read
// back with StringToDate (core/DateRoutines.h), which also reads the
// regional form.
QString StoredDateText(const WallTime& wall);
