#include "TextNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

bool TextToNumber(QStringView text, double& value)
{
    text = text.trimmed();
    // from_chars takes a "-" but no "+"; one sign at most either way.
    if (text.startsWith(u'+')) {
        text = text.mid(1);
        if (text.startsWith(u'-'))
            return false;
    }
    if (text.isEmpty())
        return false;
    // from_chars would also take "inf" and "nan"; only plain decimals count.
    std::string ascii;
    ascii.reserve(size_t(text.size()));
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        const bool allowed = (u >= u'0' && u <= u'9') || u == u'.' || u == u'-' || u == u'+'
                             || u == u'e' || u == u'E';
        if (!allowed)
            return false;
        ascii.push_back(char(u));
    }
    double parsed = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data(), end, parsed, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool IsNumericText(QStringView text)
{
    double ignored = 0;
    return TextToNumber(text, ignored);
}

bool TextToWholeNumber(QStringView text, int& value)
{
    double parsed = 0;
    if (!TextToNumber(text, parsed))
        return false;
    // nearbyint follows the default rounding mode: to nearest, ties to even.
    const double rounded = std::nearbyint(parsed);
    if (rounded < double(std::numeric_limits<int>::min())
        || rounded > double(std::numeric_limits<int>::max()))
        return false;
    value = int(rounded);
    return true;
}

bool TextToBoolean(QStringView text, bool& value)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.compare(u"TRUE", Qt::CaseInsensitive) == 0) {
        value = true;
        return true;
    }
    if (trimmed.compare(u"FALSE", Qt::CaseInsensitive) == 0) {
        value = false;
        return true;
    }
    double number = 0;
    if (!TextToNumber(trimmed, number))
        return false;
    value = number != 0;
    return true;
}
