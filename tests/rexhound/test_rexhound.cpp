#include "rexhound/Rexhound.h"

#include "TestUtil.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Option letters: X regular expression, C case-sensitive, W whole word,
// B no match at the beginning of a line, E none at its end (the engine's
// value 0 for those two), M multi-line.
void setOptions(Rexhound& engine, const QString& letters)
{
    engine.UseRegularExpressions(letters.contains(u'X'));
    engine.CaseSensitive(letters.contains(u'C'));
    engine.WholeWordOnly(letters.contains(u'W'));
    engine.BeginningOfLine(letters.contains(u'B') ? 0 : 1);
    engine.EndOfLine(letters.contains(u'E') ? 0 : 1);
    engine.MultiLine(letters.contains(u'M'));
}

// "line:column:text" of every record, joined by "|".
QString recordsOf(const Rexhound& engine)
{
    QStringList list;
    for (int i = 0; i < engine.GetSearchCount(0); ++i) {
        int line = -1;
        int column = -1;
        QString text;
        engine.GetRecordLocus(0, i, line, column);
        engine.GetRecordText(text, 0, i);
        list << QStringLiteral("%1:%2:%3").arg(line).arg(column).arg(text);
    }
    return list.join(u'|');
}

QByteArray utf16le(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

} // namespace

class TestRexhound : public QObject
{
    Q_OBJECT
private slots:
    void searchAndReplace_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("records");

        QTest::newRow("plain, left to right without overlap") << "C" << "aa" << "X" << QByteArray("aaa\n") << QByteArray("Xa\n") << "1:1:aa";
        QTest::newRow("plain text is not a pattern") << "C" << "a.c" << "-" << QByteArray("abc a.c") << QByteArray("abc -") << "1:5:a.c";
        QTest::newRow("without case") << "" << "abc" << "x" << QByteArray("ABC abc") << QByteArray("x x") << "1:1:ABC|1:5:abc";
        QTest::newRow("with case") << "C" << "abc" << "x" << QByteArray("ABC abc") << QByteArray("ABC x") << "1:5:abc";
        QTest::newRow("whole word") << "CW" << "cat" << "dog" << QByteArray("cat concat cat_ cat.") << QByteArray("dog concat cat_ dog.") << "1:1:cat|1:17:cat";
        QTest::newRow("whole word, letters beyond ASCII") << "CW" << "cat" << "dog" << QByteArray("\xC3\xA9" "cat cat") << QByteArray("\xC3\xA9" "cat dog") << "1:6:cat";
        QTest::newRow("not at the beginning of a line") << "CB" << "a" << "X" << QByteArray("aa\r\nba\r\na") << QByteArray("aX\r\nbX\r\na") << "1:2:a|2:2:a";
        QTest::newRow("not at the end of a line, CR LF") << "CE" << "a" << "X" << QByteArray("aa\r\nab\r\na") << QByteArray("Xa\r\nXb\r\na") << "1:1:a|2:1:a";
        QTest::newRow("neither at the beginning nor at the end") << "CBE" << "a" << "X" << QByteArray("a\naa\nbab\n") << QByteArray("a\naa\nbXb\n") << "3:2:a";
        QTest::newRow("not at the beginning, CR line ends") << "CB" << "a" << "X" << QByteArray("aa\raa\r") << QByteArray("aX\raX\r") << "1:2:a|2:2:a";
        QTest::newRow("not at the end, LF line ends") << "CE" << "cat" << "dog" << QByteArray("cat cat\ncat\n") << QByteArray("dog cat\ncat\n") << "1:1:cat";
        QTest::newRow("a match left alone at the beginning: the search goes on after it") << "CXB" << "a+" << "-" << QByteArray("aaa b") << QByteArray("a- b") << "1:2:aa";
        QTest::newRow("line positions unset: matches there are taken") << "C" << "a" << "X" << QByteArray("aa\nba\n") << QByteArray("XX\nbX\n") << "1:1:a|1:2:a|2:2:a";
        QTest::newRow("regular expression with groups") << "CX" << "(\\w+)@(\\w+)" << "\\2 at \\1 \\\\ \\0" << QByteArray("ann@host\n")
                                                         << QByteArray("host at ann \\ ann@host\n") << "1:1:ann@host";
        QTest::newRow("a line at a time: no match over a line end") << "CX" << "a\\s+b" << "-" << QByteArray("a\nb a  b") << QByteArray("a\nb -") << "2:3:a  b";
        QTest::newRow("multi-line: over line ends") << "CXM" << "a\\s+b" << "-" << QByteArray("a\nb a  b") << QByteArray("- -") << "1:1:a\nb|2:3:a  b";
        QTest::newRow("multi-line: dot takes line ends") << "CXM" << "x.y" << "-" << QByteArray("x\ny") << QByteArray("-") << "1:1:x\ny";
        QTest::newRow("multi-line: line positions at every line") << "CXMB" << "b" << "-" << QByteArray("ab\r\nb\r\n") << QByteArray("a-\r\nb\r\n") << "1:2:b";
        QTest::newRow("multi-line: ^ at every line") << "CXM" << "^b" << "-" << QByteArray("ab\r\nb\rb\n") << QByteArray("ab\r\n-\r-\n") << "2:1:b|3:1:b";
        QTest::newRow("empty matches") << "CX" << "x*" << "-" << QByteArray("ab") << QByteArray("-a-b-") << "1:1:|1:2:|1:3:";
        QTest::newRow("no match: file unchanged") << "C" << "zzz" << "-" << QByteArray("abc\n") << QByteArray("abc\n") << "";
        QTest::newRow("Windows-1252 stays Windows-1252") << "C" << "\u00E9" << "\u20AC" << QByteArray("caf\xE9\n") << QByteArray("caf\x80\n") << "1:4:\u00E9";
        QTest::newRow("UTF-8 stays UTF-8") << "C" << "\u00E9" << "e" << QByteArray("caf\xC3\xA9") << QByteArray("cafe") << "1:4:\u00E9";
        QTest::newRow("UTF-16 keeps its mark") << "C" << "b" << "\u00E9" << utf16le("ab\nb") << utf16le("a\u00E9\n\u00E9") << "1:2:b|2:1:b";
    }

    void searchAndReplace()
    {
        QFETCH(QString, options);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        QFETCH(QString, records);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(testutil::writeFile(path, input));
        Rexhound engine;
        setOptions(engine, options);
        QCOMPARE(engine.SearchAndReplaceRegEx(path, find, replacement), 0);
        QCOMPARE(testutil::readFile(path), output);
        QCOMPARE(recordsOf(engine), records);
        QString recordPath;
        if (!records.isEmpty()) {
            QCOMPARE(engine.GetRecordPath(recordPath, 0, 0), 0);
            QCOMPARE(recordPath, path);
        }
        QCOMPARE(engine.Error(0), 0);
        QCOMPARE(engine.GetFolderProgress(0), 1.0);
    }

    void byteOffsets()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(testutil::writeFile(path, "\xC3\xA9\nxb\nb"));
        Rexhound engine;
        engine.CaseSensitive(1);
        engine.ByteOffsetsOnly(1);
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("b"), QStringLiteral("c")), 0);
        QCOMPARE(recordsOf(engine), QStringLiteral("0:4:b|0:6:b"));

        QVERIFY(testutil::writeFile(path, utf16le(QStringLiteral("ab"))));
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("b"), QStringLiteral("c")), 0);
        QCOMPARE(recordsOf(engine), QStringLiteral("0:4:b"));
    }

    void patternErrors_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<int>("code");
        QTest::newRow("empty") << "" << "" << rexhoundcode::EmptyExpression;
        QTest::newRow("missing )") << "(a" << "" << rexhoundcode::UnbalancedParentheses;
        QTest::newRow("missing (") << "a)" << "" << rexhoundcode::UnbalancedParentheses;
        QTest::newRow("missing ]") << "[a" << "" << rexhoundcode::UnbalancedBrackets;
        QTest::newRow("range out of order") << "[z-a]" << "" << rexhoundcode::BadRange;
        QTest::newRow("back reference") << "(a)\\2" << "" << rexhoundcode::BadBackReference;
        QTest::newRow("replacement's group") << "(a)" << "\\2" << rexhoundcode::BadBackReference;
        QTest::newRow("escape at the end") << "a\\" << "" << rexhoundcode::BadEscape;
        QTest::newRow("unknown escape") << "\\i" << "" << rexhoundcode::BadEscape;
        QTest::newRow("nothing to repeat") << "*a" << "" << rexhoundcode::InvalidRepeat;
        QTest::newRow("repeat counts") << "a{3,2}" << "" << rexhoundcode::InvalidRepeatCounts;
        QTest::newRow("POSIX class") << "[[:foo:]]" << "" << rexhoundcode::BadClass;
        QTest::newRow("collation") << "[[.a.]]" << "" << rexhoundcode::Collation;
        QTest::newRow("other") << "(?<n>a)(?<n>b)" << "" << rexhoundcode::PatternError;
    }

    void patternErrors()
    {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(int, code);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(testutil::writeFile(path, "aaa (a) [a\n"));
        Rexhound engine;
        engine.UseRegularExpressions(1);
        QCOMPARE(engine.SearchAndReplaceRegEx(path, find, replacement), code);
        QCOMPARE(engine.Error(0), code);
        QCOMPARE(engine.GetSearchCount(0), 0);
        QCOMPARE(testutil::readFile(path), QByteArray("aaa (a) [a\n"));
    }

    void plainTextHasNoPatternErrors()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(testutil::writeFile(path, "f(a [b\\\n"));
        Rexhound engine;
        engine.CaseSensitive(1);
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("(a [b\\"), QStringLiteral("\\1")), 0);
        QCOMPARE(testutil::readFile(path), QByteArray("f\\1\n"));
    }

    void backtrackingWithoutEndFailsTheFileOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        const QByteArray text = QByteArray(40, 'a') + "b\n";
        QVERIFY(testutil::writeFile(path, text));
        Rexhound engine;
        engine.UseRegularExpressions(1);
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("(a+)+$"), QStringLiteral("-")), kRexhoundTooLong);
        QCOMPARE(testutil::readFile(path), text);
        QCOMPARE(engine.GetSearchCount(0), 0);
        // The next search runs as usual.
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("b"), QStringLiteral("c")), 0);
        QCOMPARE(testutil::readFile(path), QByteArray(40, 'a') + "c\n");
    }

    void timeLimit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QByteArray text;
        for (int i = 0; i < 20000; ++i)
            text += QByteArray(20, 'a') + "b\n";
        QVERIFY(testutil::writeFile(path, text));
        Rexhound engine;
        engine.UseRegularExpressions(1);
        engine.SetTimeLimit(1);
        // Slow enough per line (but within the matcher's limits) that the
        // whole file takes longer than a millisecond.
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("(a|aa)+$"), QStringLiteral("-")), kRexhoundTooLong);
        QCOMPARE(testutil::readFile(path), text);
    }

    void fileAndThreadErrors()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(testutil::writeFile(path, "caf\xE9 a\n"));
        Rexhound engine;
        engine.CaseSensitive(1);
        QCOMPARE(engine.SearchAndReplaceRegEx(dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("a"), QString()),
                 rexhoundcode::InputFileError);
        QCOMPARE(engine.SearchAndReplaceRegEx(dir.path(), QStringLiteral("a"), QString()), rexhoundcode::InputFileError);
        QCOMPARE(engine.SearchAndReplaceRegEx(QString(), QStringLiteral("a"), QString()), rexhoundcode::BadArgument);
        // Windows-1252 has no omega: the file stays as it was.
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("a"), QStringLiteral("\u03A9")), rexhoundcode::EncodingError);
        QCOMPARE(testutil::readFile(path), QByteArray("caf\xE9 a\n"));

        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("a"), QStringLiteral("b")), 0);
        int line = 0;
        int column = 0;
        QString text;
        QCOMPARE(engine.GetRecordLocus(1, 0, line, column), rexhoundcode::ThreadNotActive);
        QCOMPARE(engine.GetRecordText(text, 0, 2), rexhoundcode::InvalidRecordNumber);
        QCOMPARE(engine.GetRecordPath(text, 0, -1), rexhoundcode::InvalidRecordNumber);
        QCOMPARE(engine.GetSearchCount(1), 0);
        QCOMPARE(engine.GetCurrentFile(0), path);
        engine.CleanUpRexhound();
        QCOMPARE(engine.GetSearchCount(0), 0);

        engine.RunOnSeparateThread(1);
        QCOMPARE(engine.SearchAndReplaceRegEx(path, QStringLiteral("b"), QStringLiteral("a")), rexhoundcode::ThreadCreationError);
    }
};

QTEST_GUILESS_MAIN(TestRexhound)
#include "test_rexhound.moc"
