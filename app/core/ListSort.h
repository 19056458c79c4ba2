#pragma once
// Sorting of text lists. The file-list builder puts the input paths of a
// task in order with it, so the order of items whose keys are equal (names
// alike apart from letter case) decides the order files are processed; the
// heap sort below fixes that order and must not be swapped for another sort.
#include <QList>
#include <QStringList>

// Positions into a list, counted from 1, indexed from 0.
using IndexArray = QList<qint32>;

// A sorted copy of `list`, ascending by character codes; without
// `caseSensitive` the items compare in capitals (so "_" sorts after "Z").
// Items come back in their own letter case; `list` is left unchanged. The
// sort is not stable.
QStringList SortCollection(const QStringList& list, bool caseSensitive);

// Restores the heap order below `root` among the first `count` entries of
// `positions`, comparing the keys the entries point at.
void HeapSiftDown(const QStringList& keys, IndexArray& positions, qsizetype root, qsizetype count);

// Exchanges two entries of the position array.
void SwapIndexEntries(IndexArray& positions, qsizetype a, qsizetype b);
