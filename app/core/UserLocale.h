#pragma once
// The user's locale as the locale identifier (LCID) the program compares
// with: 1033 United States English, 2057 British English, 1041 Japanese,
// and the Chinese and Korean locales.
#include <QLocale>

// The identifier of a locale: the primary language number in the low ten
// bits and the country variant above them. The C and POSIX locales count
// as 1033. A language without a number of its own gives 0.
int LocaleIdentifier(const QLocale& locale);

// The identifier of the user's locale: QLocale's default locale, which is
// the system's unless something sets another (tests do).
int GetUserDefaultLCID();

// True for the Chinese, Japanese and Korean locales: 1028, 1041, 1042,
// 2052, 3076, 4100 and 5124.
bool IsEastAsianLocale(int lcid);
