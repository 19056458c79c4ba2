#include "engine/PageRanges.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

// A side of an entry: digits only by now. Empty or too large fails.
bool toPageNumber(const QString& text, qint32* number)
{
    if (text.isEmpty())
        return false;
    bool ok = false;
    const qint32 value = text.toInt(&ok);
    if (ok)
        *number = value;
    return ok;
}

qint32 capped(qint32 number, int lastPage)
{
    return lastPage >= 0 && number > lastPage ? lastPage + 1 : number;
}

// Appends the numbers of one entry to the list.
bool expandEntry(const QString& entry, int lastPage, std::vector<qint32>& numbers)
{
    const qsizetype dashes = entry.count(QLatin1Char('-'));
    if (dashes == 0) {
        qint32 number = 0; // an empty entry is page 0
        if (!entry.isEmpty() && !toPageNumber(entry, &number))
            return false;
        numbers.push_back(capped(number, lastPage));
        return true;
    }
    if (dashes >= 2) {
        numbers.push_back(0);
        return true;
    }
    const qsizetype dash = entry.indexOf(QLatin1Char('-'));
    qint32 low = 0;
    qint32 high = 0;
    if (!toPageNumber(entry.left(dash), &low) || !toPageNumber(entry.mid(dash + 1), &high))
        return false;
    if (high < low)
        std::swap(low, high);
    const qint32 last = capped(high, lastPage);
    for (qint32 n = capped(low, lastPage); n <= last; ++n) {
        numbers.push_back(n);
        if (n == last) // also ends the loop at INT32_MAX without overflow
            break;
    }
    return true;
}

QString joined(const std::vector<qint32>& numbers)
{
    QString text;
    text.reserve(static_cast<qsizetype>(numbers.size()) * 4);
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += QString::number(numbers[i]);
    }
    return text;
}

void setValid(bool* valid, bool value)
{
    if (valid)
        *valid = value;
}

} // namespace

int ParseRangeString(QString& sRange, bool* valid, int lLastPage)
{
    setValid(valid, true);
    if (sRange.isEmpty())
        return kRangeEmpty;

    int flags = 0;
    QString kept;
    kept.reserve(sRange.size());
    for (const QChar c : std::as_const(sRange)) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char(',')
            || c == QLatin1Char('-'))
            kept += c;
    }
    if (kept.size() != sRange.size())
        flags |= kRangeCharactersRemoved;
    if (kept.isEmpty()) {
        sRange.clear();
        return flags | kRangeEmpty;
    }

    std::vector<qint32> numbers;
    const QStringList entries = kept.split(QLatin1Char(','));
    for (const QString& entry : entries) {
        if (!expandEntry(entry, lLastPage, numbers)) {
            setValid(valid, false);
            return flags;
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    sRange = joined(numbers);
    return flags;
}

QString ExpandRangeItem(const QString& sItem, bool* valid, int lLastPage)
{
    setValid(valid, true);
    if (sItem.count(QLatin1Char('-')) >= 2)
        return QString();
    std::vector<qint32> numbers;
    if (!expandEntry(sItem, lLastPage, numbers)) {
        setValid(valid, false);
        return QString();
    }
    return joined(numbers);
}
