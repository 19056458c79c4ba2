// Page-range texts: normalising, the flags, invalid entries and the bound
// on very long ranges.
#include "engine/PageRanges.h"

#include <QtTest>

class TestPageRanges : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lastPage");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("valid");
        QTest::newRow("range and page") << "1-3,5" << -1 << "1,2,3,5" << 0 << true;
        QTest::newRow("sorted, repeats dropped") << "5,3,3,1" << -1 << "1,3,5" << 0 << true;
        QTest::newRow("high-low range") << "7-4" << -1 << "4,5,6,7" << 0 << true;
        QTest::newRow("overlapping ranges") << "3-5,4-6,1" << -1 << "1,3,4,5,6" << 0 << true;
        QTest::newRow("blank removed") << "1, 3" << -1 << "1,3" << 2 << true;
        QTest::newRow("letters only") << "abc" << -1 << "" << 3 << true;
        QTest::newRow("star") << "*" << -1 << "" << 3 << true;
        QTest::newRow("empty") << "" << -1 << "" << 1 << true;
        QTest::newRow("empty entry is page 0") << "2,,4" << -1 << "0,2,4" << 0 << true;
        QTest::newRow("two dashes is page 0") << "1-2-3" << -1 << "0" << 0 << true;
        QTest::newRow("zero kept") << "0" << -1 << "0" << 0 << true;
        QTest::newRow("leading zeros") << "007,010" << -1 << "7,10" << 0 << true;
        QTest::newRow("largest number") << "2147483647" << -1 << "2147483647" << 0 << true;
        QTest::newRow("range to the largest number") << "2147483646-2147483647" << -1
                                                     << "2147483646,2147483647" << 0 << true;
        // Invalid texts stay as they were.
        QTest::newRow("open end") << "5-" << -1 << "5-" << 0 << false;
        QTest::newRow("open start") << "-5" << -1 << "-5" << 0 << false;
        QTest::newRow("lone dash") << "1,-" << -1 << "1,-" << 0 << false;
        QTest::newRow("open start after removal") << "a-5" << -1 << "a-5" << 2 << false;
        QTest::newRow("overflow") << "2147483648" << -1 << "2147483648" << 0 << false;
        QTest::newRow("range overflow") << "1-99999999999" << -1 << "1-99999999999" << 0 << false;
        // Past the last page everything is one entry, lastPage + 1.
        QTest::newRow("bounded huge range") << "1-2000000000" << 3 << "1,2,3,4" << 0 << true;
        QTest::newRow("bounded pages past the end") << "5,9" << 3 << "4" << 0 << true;
        QTest::newRow("bounded mixed") << "7,2" << 3 << "2,4" << 0 << true;
        QTest::newRow("bounded whole int range") << "0-2147483647" << 3 << "0,1,2,3,4" << 0 << true;
        QTest::newRow("bounded range past the end") << "6-9" << 3 << "4" << 0 << true;
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(int, lastPage);
        QFETCH(QString, result);
        QFETCH(int, flags);
        QFETCH(bool, valid);
        bool isValid = !valid;
        QCOMPARE(ParseRangeString(text, &isValid, lastPage), flags);
        QCOMPARE(isValid, valid);
        QCOMPARE(text, result);
    }

    void expandItem_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("valid");
        QTest::newRow("low-high") << "2-4" << "2,3,4" << true;
        QTest::newRow("high-low") << "7-4" << "4,5,6,7" << true;
        QTest::newRow("single") << "3-3" << "3" << true;
        QTest::newRow("two dashes") << "1-2-3" << "" << true;
        QTest::newRow("empty side") << "5-" << "" << false;
    }

    void expandItem()
    {
        QFETCH(QString, item);
        QFETCH(QString, result);
        QFETCH(bool, valid);
        bool isValid = !valid;
        QCOMPARE(ExpandRangeItem(item, &isValid), result);
        QCOMPARE(isValid, valid);
    }
};

QTEST_GUILESS_MAIN(TestPageRanges)
#include "test_page_ranges.moc"
