#include "core/ListSort.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestListSort : public QObject
{
    Q_OBJECT
private slots:
    void sortsAsTheHeapSortDoes_data()
    {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, QStringList in, bool cs, QStringList out) {
            QTest::newRow(name) << in << cs << out;
        };
        row("empty", {}, false, {});
        row("one item", {u"only.txt"_s}, false, {u"only.txt"_s});
        row("case ignored, own case kept", {u"b.txt"_s, u"A.DOC"_s, u"c.Pdf"_s}, false,
            {u"A.DOC"_s, u"b.txt"_s, u"c.Pdf"_s});
        row("capitals before small letters", {u"b"_s, u"C"_s}, true, {u"C"_s, u"b"_s});
        row("underscore after Z without case", {u"_a"_s, u"Zb"_s, u"ab"_s}, false,
            {u"ab"_s, u"Zb"_s, u"_a"_s});
        row("underscore between Z and a with case", {u"_a"_s, u"Zb"_s, u"ab"_s}, true,
            {u"Zb"_s, u"_a"_s, u"ab"_s});
        // Names alike apart from letter case: the heap decides their order,
        // which is the order their files are processed in.
        row("three equal keys", {u"Report.docx"_s, u"report.docx"_s, u"REPORT.docx"_s}, false,
            {u"report.docx"_s, u"REPORT.docx"_s, u"Report.docx"_s});
        row("four equal keys", {u"doc"_s, u"Doc"_s, u"DOC"_s, u"dOc"_s}, false,
            {u"Doc"_s, u"DOC"_s, u"dOc"_s, u"doc"_s});
        row("pairs of equal keys", {u"B"_s, u"a"_s, u"b"_s, u"A"_s}, false,
            {u"a"_s, u"A"_s, u"b"_s, u"B"_s});
        row("mixed groups",
            {u"a.txt"_s, u"A.txt"_s, u"b.txt"_s, u"B.txt"_s, u"a.TXT"_s}, false,
            {u"a.txt"_s, u"a.TXT"_s, u"A.txt"_s, u"b.txt"_s, u"B.txt"_s});
        row("groups with a longer key",
            {u"x1"_s, u"X1"_s, u"x1 "_s, u"X2"_s, u"x2"_s, u"Y"_s, u"y"_s}, false,
            {u"x1"_s, u"X1"_s, u"x1 "_s, u"x2"_s, u"X2"_s, u"y"_s, u"Y"_s});
    }

    void sortsAsTheHeapSortDoes()
    {
        QFETCH(QStringList, input);
        QFETCH(bool, caseSensitive);
        QFETCH(QStringList, expected);
        const QStringList before = input;
        QCOMPARE(SortCollection(input, caseSensitive), expected);
        QCOMPARE(input, before);
    }

    // Many items: the result is the same items, ascending by key.
    void sortsLargeListsAscending()
    {
        QRandomGenerator random(20240611);
        const QString letters = QStringLiteral("aAbBcC_zZ.");
        QStringList input;
        for (int i = 0; i < 500; ++i) {
            QString item;
            for (int n = random.bounded(1, 6); n > 0; --n)
                item += letters[random.bounded(int(letters.size()))];
            input.append(item);
        }
        for (const bool caseSensitive : {false, true}) {
            const QStringList sorted = SortCollection(input, caseSensitive);
            QStringList a = sorted, b = input;
            a.sort();
            b.sort();
            QCOMPARE(a, b);
            for (qsizetype i = 1; i < sorted.size(); ++i) {
                const QString prev = caseSensitive ? sorted[i - 1] : sorted[i - 1].toUpper();
                const QString next = caseSensitive ? sorted[i] : sorted[i].toUpper();
                QVERIFY2(QString::compare(prev, next, Qt::CaseSensitive) <= 0,
                         qPrintable(prev + u" > " + next));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestListSort)
#include "test_list_sort.moc"
