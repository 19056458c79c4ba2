// Page-range texts of tasks and the command line (/1), against documents
// of up to 65535 pages: the result is a sorted list of distinct numbers
// that never goes past the page after the last.
#include "FuzzSupport.h"

#include "engine/PageRanges.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int lastPage = int(data[0]) << 8 | data[1];
    const QString original = fuzz::text(data + 2, size - 2);
    QString range = original;
    bool valid = false;
    const int flags = ParseRangeString(range, &valid, lastPage);
    if (!valid) {
        fuzz::check(range == original, "an invalid range was changed");
        return 0;
    }
    if (range.isEmpty()) {
        fuzz::check(flags & kRangeEmpty, "an empty result was not flagged");
        return 0;
    }
    qint64 previous = -1;
    const QStringList numbers = range.split(u',');
    for (const QString& number : numbers) {
        bool ok = false;
        const qint64 n = number.toLongLong(&ok);
        fuzz::check(ok, "the result holds a non-number", range.left(200));
        fuzz::check(n > previous, "the result is not sorted and distinct", range.left(200));
        fuzz::check(n <= lastPage + 1, "the result goes past the page after the last", range.left(200));
        previous = n;
    }
    return 0;
}
