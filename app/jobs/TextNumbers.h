#pragma once
// Conversions of cell and field texts to numbers and flags, the same in
// every locale: "." is the decimal point and nothing else is accepted.
#include <QStringView>

// A decimal number with blanks around it, an optional sign, decimal point
// and exponent ("12", " -3.5 ", "1e3").
bool TextToNumber(QStringView text, double& value);
bool IsNumericText(QStringView text);

// A number rounded to the nearest whole number, a half going to the even
// neighbour (2.5 -> 2, 3.5 -> 4). Fails on text that is not a number and on
// values outside the signed 32-bit range; value is then left alone.
bool TextToWholeNumber(QStringView text, int& value);

// "TRUE" or "FALSE" in any letter case, or a number (0 is false, any other
// number true). Other text fails and leaves value alone.
bool TextToBoolean(QStringView text, bool& value);
