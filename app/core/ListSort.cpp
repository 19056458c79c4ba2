#include "ListSort.h"

namespace {

const QString& keyAt(const QStringList& keys, const IndexArray& positions, qsizetype i)
{
    return keys[positions[i] - 1];
}

bool keyLess(const QStringList& keys, const IndexArray& positions, qsizetype a, qsizetype b)
{
    return QString::compare(keyAt(keys, positions, a), keyAt(keys, positions, b), Qt::CaseSensitive) < 0;
}

} // namespace

void SwapIndexEntries(IndexArray& positions, qsizetype a, qsizetype b)
{
    std::swap(positions[a], positions[b]);
}

void HeapSiftDown(const QStringList& keys, IndexArray& positions, qsizetype root, qsizetype count)
{
    const qsizetype half = count / 2;
    while (root < half) {
        qsizetype child = 2 * root + 1;
        // The larger child; on a tie the left one.
        if (child + 1 < count && keyLess(keys, positions, child, child + 1))
            ++child;
        if (!keyLess(keys, positions, root, child))
            return;
        SwapIndexEntries(positions, root, child);
        root = child;
    }
}

QStringList SortCollection(const QStringList& list, bool caseSensitive)
{
    const qsizetype n = list.size();
    if (n == 0)
        return {};
    QStringList upper;
    if (!caseSensitive) {
        upper.reserve(n);
        for (const QString& item : list)
            upper.append(item.toUpper());
    }
    const QStringList& keys = caseSensitive ? list : upper;

    IndexArray positions(n);
    for (qsizetype i = 0; i < n; ++i)
        positions[i] = qint32(i + 1);

    for (qsizetype d = n / 2 - 1; d >= 0; --d)
        HeapSiftDown(keys, positions, d, n);
    for (qsizetype f = n; f >= 2; --f) {
        SwapIndexEntries(positions, 0, f - 1);
        HeapSiftDown(keys, positions, 0, f - 1);
    }

    QStringList sorted;
    sorted.reserve(n);
    for (const qint32 position : std::as_const(positions))
        sorted.append(list[position - 1]);
    return sorted;
}
