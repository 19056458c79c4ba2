#include "IniValues.h"

#include "base/Profile.h"
#include "core/StringRoutines.h"

namespace {

constexpr int kIniBufferSize = kIniValueMaxLength + 1;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// A read trims blanks and takes off one pair of surrounding quotes; such a
// value goes in quotes so that it reads back as it was.
QString storedForm(const QString& value)
{
    if (value.isEmpty())
        return value;
    const bool quoted = value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
    if (quoted || isBlank(value.front()) || isBlank(value.back()))
        return u'"' + value + u'"';
    return value;
}

} // namespace

QString ReadIniText(const QString& section, const QString& key, const QString& defaultValue,
                    const QString& file)
{
    return StripAtNull(GetPrivateProfileString(section, key, defaultValue, file, kIniBufferSize));
}

bool IsStorableIniText(const QString& value)
{
    return value.size() <= kIniValueMaxLength && !value.contains(u'\r') && !value.contains(u'\n')
           && !value.contains(QChar(0));
}

bool WriteIniText(const QString& section, const QString& key, const QString& value, const QString& file)
{
    if (!IsStorableIniText(value))
        return false;
    // No stored value can hold a LF, so this default tells a missing key.
    const QString missing = QStringLiteral("\n");
    const QString current = GetPrivateProfileString(section, key, missing, file, kIniBufferSize + 2);
    if (current != missing && current == value)
        return true;
    return WritePrivateProfileString(section, key, storedForm(value), file);
}
