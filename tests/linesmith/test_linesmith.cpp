#include "linesmith/Linesmith.h"

#include "TestUtil.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestLinesmith : public QObject
{
    Q_OBJECT
private slots:
    void isUnicodeFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("unicode");
        QTest::newRow("UTF-16LE with mark") << QByteArray("\xFF\xFEH\0i\0", 6) << true;
        QTest::newRow("UTF-16LE mark alone") << QByteArray("\xFF\xFE", 2) << true;
        QTest::newRow("UTF-16LE mark, one more byte") << QByteArray("\xFF\xFEH", 3) << true;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFHi") << false;
        QTest::newRow("UTF-16BE with mark") << QByteArray("\xFE\xFF\0H\0i", 6) << false;
        QTest::newRow("UTF-32LE with mark") << QByteArray("\xFF\xFE\0\0H\0\0\0", 8) << false;
        QTest::newRow("UTF-16LE without mark") << QByteArray("H\0i\0", 4) << false;
        QTest::newRow("8-bit text") << QByteArray("Caf\xE9\r\n") << false;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("one byte") << QByteArray("\xFF") << false;
    }

    void isUnicodeFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, unicode);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sample.txt"));
        QVERIFY(testutil::writeFile(path, bytes));
        QCOMPARE(IsUnicodeFile(path), unicode);
    }

    void unreadablePathsAreNotUnicode()
    {
        QTemporaryDir dir;
        // A wildcard is a name, not a pattern, even when a file matches it.
        QVERIFY(testutil::writeFile(dir.filePath(QStringLiteral("a.txt")), QByteArray("\xFF\xFEH\0", 4)));
        QVERIFY(!IsUnicodeFile(dir.filePath(QStringLiteral("missing.txt"))));
        QVERIFY(!IsUnicodeFile(dir.filePath(QStringLiteral("*.txt"))));
        QVERIFY(!IsUnicodeFile(dir.path()));
        QVERIFY(!IsUnicodeFile(QString()));
    }
};

QTEST_GUILESS_MAIN(TestLinesmith)
#include "test_linesmith.moc"
