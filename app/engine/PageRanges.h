#pragma once
// Page-range texts such as "1-3,5": which pages of a PDF to turn into
// images. ParseRangeString rewrites the text as the sorted list of distinct
// page numbers ("1,2,3,5"), which the rasteriser walks page by page.
#include <QString>

// Flags returned by ParseRangeString, added together.
inline constexpr int kRangeEmpty = 1;             // empty on entry, or nothing left
inline constexpr int kRangeCharactersRemoved = 2; // characters other than digits, "," and "-" dropped

// Keeps only "0123456789,-", expands each "low-high" entry (either order),
// sorts the numbers and drops repeats. An empty entry, or one with two
// dashes, stands for page 0.
//
// An entry with a dash and an empty side ("5-", "-5", "-") or a number
// beyond the signed 32-bit range makes the text invalid: *valid becomes
// false (when given) and the text stays as it was.
//
// lLastPage >= 0 bounds the work: every number above it is written once, as
// lLastPage + 1, so "1-2000000000" on a 3-page document becomes "1,2,3,4"
// instead of two thousand million entries. The pages up to lLastPage, and
// whether the list goes beyond them, are kept.
int ParseRangeString(QString& sRange, bool* valid = nullptr, int lLastPage = -1);

// One entry holding a dash, expanded to its numbers joined by ","; the
// empty text for an entry with two or more dashes. lLastPage and *valid as
// for ParseRangeString.
QString ExpandRangeItem(const QString& sItem, bool* valid = nullptr, int lLastPage = -1);
