#include "linesmith/Linesmith.h"

#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// UTF-16 bytes of an ASCII or Latin-1 text.
QByteArray utf16le(const QString& text, bool mark = false)
{
    QByteArray bytes = mark ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

const QByteArray kMissing = QByteArrayLiteral("<missing>");

} // namespace

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

    // "{src}" in the expected bytes stands for the source's path in the
    // target's encoding.
    void concatenate_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("pageBreak");
        QTest::addColumn<int>("placePath");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("plain") << QByteArray("a\n") << QByteArray("b\n") << 0 << 0 << QByteArray("a\nb\n");
        QTest::newRow("target missing") << kMissing << QByteArray("b\n") << 0 << 0 << QByteArray("b\n");
        QTest::newRow("page break") << QByteArray("a\n") << QByteArray("b\n") << 1 << 0 << QByteArray("a\n\fb\n");
        QTest::newRow("path") << QByteArray("a\n") << QByteArray("b\n") << 0 << 1 << QByteArray("a\n{src}\nb\n");
        QTest::newRow("both, CR LF target without a last line end")
            << QByteArray("a\r\nz") << QByteArray("b\r\n") << 1 << 1 << QByteArray("a\r\nz\r\n\f{src}\r\nb\r\n");
        QTest::newRow("both, target missing: no page break")
            << kMissing << QByteArray("b") << 1 << 1 << QByteArray("{src}\nb");
        QTest::newRow("page break, empty target") << QByteArray() << QByteArray("b") << 1 << 0 << QByteArray("b");
        QTest::newRow("no options: the texts join") << QByteArray("a") << QByteArray("b") << 0 << 0 << QByteArray("ab");
        QTest::newRow("UTF-16 target, 8-bit source")
            << utf16le("a\n", true) << QByteArray("\xC3\xA9\n") << 0 << 0 << utf16le(QStringLiteral("a\n\u00E9\n"), true);
        QTest::newRow("UTF-16 target and source: one mark")
            << utf16le("a\n", true) << utf16le("b\n", true) << 1 << 0 << utf16le("a\n\fb\n", true);
        QTest::newRow("UTF-16 target, path in UTF-16")
            << utf16le("a\r\n", true) << QByteArray("b") << 0 << 1 << (utf16le("a\r\n", true) + "{src}" + utf16le("\r\nb"));
        QTest::newRow("UTF-16 source, target missing")
            << kMissing << utf16le("b\n", true) << 0 << 0 << utf16le("b\n", true);
        QTest::newRow("UTF-16 source, ASCII target: UTF-8")
            << QByteArray("a\n") << utf16le(QStringLiteral("\u00E9"), true) << 0 << 0 << QByteArray("a\n\xC3\xA9");
        QTest::newRow("Windows-1252 source, UTF-8 target")
            << QByteArray("\xC3\xBC\n") << QByteArray("\xE9\x80\n") << 0 << 0 << QByteArray("\xC3\xBC\n\xC3\xA9\xE2\x82\xAC\n");
        QTest::newRow("UTF-8 source, Windows-1252 target")
            << QByteArray("\xFC\n") << QByteArray("\xC3\xA9\xE2\x82\xAC") << 0 << 0 << QByteArray("\xFC\n\xE9\x80");
        QTest::newRow("UTF-8 source with mark, UTF-8 target: no mark inside")
            << QByteArray("\xC3\xBC\n") << QByteArray("\xEF\xBB\xBF" "b") << 0 << 0 << QByteArray("\xC3\xBC\nb");
        QTest::newRow("Windows-1252 source, ASCII target keeps its bytes")
            << QByteArray("a\n") << QByteArray("\xE9") << 0 << 0 << QByteArray("a\n\xE9");
        QTest::newRow("CR target: the path's line end is CR")
            << QByteArray("a\r") << QByteArray("b\r") << 1 << 1 << QByteArray("a\r\f{src}\rb\r");
        QTest::newRow("CR source, target missing: the path's line end is CR")
            << kMissing << QByteArray("b\rc\r") << 0 << 1 << QByteArray("{src}\rb\rc\r");
        QTest::newRow("CR target without a last line end")
            << QByteArray("a\rz") << QByteArray("b") << 0 << 1 << QByteArray("a\rz\r{src}\rb");
        QTest::newRow("the appended text keeps its own line ends")
            << QByteArray("a\r\n") << QByteArray("b\nc\rd\r\n") << 0 << 0 << QByteArray("a\r\nb\nc\rd\r\n");
        QTest::newRow("UTF-16 CR target, Windows-1252 source")
            << utf16le("a\r", true) << QByteArray("\xC4\r") << 0 << 1
            << (utf16le("a\r", true) + "{src}" + utf16le(QStringLiteral("\r\u00C4\r")));
    }

    void concatenate()
    {
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, source);
        QFETCH(int, pageBreak);
        QFETCH(int, placePath);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString sourcePath = dir.filePath(QStringLiteral("in.txt"));
        const QString targetPath = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(testutil::writeFile(sourcePath, source));
        if (target != kMissing)
            QVERIFY(testutil::writeFile(targetPath, target));

        const bool utf16 = target.startsWith("\xFF\xFE") || (target == kMissing && source.startsWith("\xFF\xFE"));
        expected.replace("{src}", utf16 ? utf16le(sourcePath) : sourcePath.toUtf8());
        QCOMPARE(ConcatenateTwoTextFilesEx(sourcePath, targetPath, pageBreak, placePath), 0);
        QCOMPARE(testutil::readFile(targetPath), expected);
        QCOMPARE(testutil::readFile(sourcePath), source);
    }

    void threeFilesAppendedInTurn()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("all.txt"));
        for (const char* text : {"one\n", "two\n", "three\n"}) {
            const QString in = dir.filePath(QString::fromLatin1(text).trimmed() + QStringLiteral(".txt"));
            QVERIFY(testutil::writeFile(in, text));
            QCOMPARE(ConcatenateTwoTextFiles(in, out), 0);
        }
        QCOMPARE(testutil::readFile(out), QByteArray("one\ntwo\nthree\n"));
    }

    void fileAppendedToItself()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(testutil::writeFile(path, "a\n"));
        QCOMPARE(ConcatenateTwoTextFilesEx(path, path, 1, 0), 0);
        QCOMPARE(testutil::readFile(path), QByteArray("a\n\fa\n"));
    }

    void concatenateFailures_data()
    {
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("targetName");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("reason");   // what the reason holds
        QTest::newRow("source missing") << "missing.txt" << "out.txt" << kLinesmithSourceError << "No such file or directory";
        QTest::newRow("source is a folder") << "folder" << "out.txt" << kLinesmithSourceError << "Is a directory";
        QTest::newRow("target is a folder") << "in.txt" << "folder" << kLinesmithTargetError << "is not a file";
        QTest::newRow("target's folder missing") << "in.txt" << "nowhere/out.txt" << kLinesmithTargetError << "No such file or directory";
        QTest::newRow("character outside the target's code page") << "omega.txt" << "out.txt" << kLinesmithEncodingError << "";
    }

    void concatenateFailures()
    {
        QFETCH(QString, sourceName);
        QFETCH(QString, targetName);
        QFETCH(int, code);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(testutil::writeFile(dir.filePath(QStringLiteral("in.txt")), "b\n"));
        QVERIFY(testutil::writeFile(dir.filePath(QStringLiteral("omega.txt")), "\xCE\xA9\n"));
        const QByteArray before("\xFC\n");   // Windows-1252
        QVERIFY(testutil::writeFile(dir.filePath(QStringLiteral("out.txt")), before));

        QString why;
        QCOMPARE(ConcatenateTwoTextFilesEx(dir.filePath(sourceName), dir.filePath(targetName), 1, 1, &why), code);
        QVERIFY2(why.contains(reason, Qt::CaseInsensitive), qPrintable(why));
        QCOMPARE(testutil::readFile(dir.filePath(QStringLiteral("out.txt"))), before);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nowhere"))));
    }

    void deleteEmptyLines_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("LF") << QByteArray("a\n\nb\n") << QByteArray("a\nb\n");
        QTest::newRow("CR LF") << QByteArray("a\r\n\r\nb\r\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("blanks, tabs, vertical tabs, CR") << QByteArray("a\n \t\v\r\n  \nb\n") << QByteArray("a\nb\n");
        QTest::newRow("text around blanks stays") << QByteArray(" a \n\t\n") << QByteArray(" a \n");
        QTest::newRow("blank last line without line end") << QByteArray("a\n  ") << QByteArray("a\n");
        QTest::newRow("last line without line end") << QByteArray("a\n\n\nb") << QByteArray("a\nb");
        QTest::newRow("nothing but empty lines") << QByteArray("\n\r\n \n") << QByteArray();
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("a page-break line stays") << QByteArray("a\n\f\nb") << QByteArray("a\n\f\nb");
        QTest::newRow("8-bit bytes unchanged") << QByteArray("\xE9\n\n\xC3\xA9\n") << QByteArray("\xE9\n\xC3\xA9\n");
        QTest::newRow("UTF-8 mark kept") << QByteArray("\xEF\xBB\xBF\n" "a\n") << QByteArray("\xEF\xBB\xBF" "a\n");
        QTest::newRow("UTF-16") << utf16le(QStringLiteral("a\r\n\r\n \u0A0D\n\n"), true)
                                << utf16le(QStringLiteral("a\r\n \u0A0D\n"), true);
        QTest::newRow("UTF-16 big-endian")
            << QByteArray("\xFE\xFF\0a\0\n\0\n\0b", 10) << QByteArray("\xFE\xFF\0a\0\n\0b", 8);
        QTest::newRow("CR") << QByteArray("a\r\r  \rb\r") << QByteArray("a\rb\r");
        QTest::newRow("CR, last line without line end") << QByteArray("a\r\rb") << QByteArray("a\rb");
        QTest::newRow("mixed line ends keep their own") << QByteArray("a\n\r\nb\r\r\nc\r\n\nd")
                                                        << QByteArray("a\nb\rc\r\nd");
        QTest::newRow("a CR before CR LF ends a line of its own") << QByteArray("a\r\r\nb") << QByteArray("a\rb");
        QTest::newRow("UTF-16 CR") << utf16le(QStringLiteral("\u00C4\r\r\t\r\u00DF\r"), true)
                                   << utf16le(QStringLiteral("\u00C4\r\u00DF\r"), true);
        QTest::newRow("Windows-1252 CR") << QByteArray("\xC4\r\r\x80\r") << QByteArray("\xC4\r\x80\r");
    }

    void deleteEmptyLines()
    {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.txt"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(testutil::writeFile(in, source));
        QCOMPARE(DeleteEmptyLinesFromTextFile(in, out), 0);
        QCOMPARE(testutil::readFile(out), expected);
        QCOMPARE(testutil::readFile(in), source);

        // Onto itself, and through another name of the same file.
        QCOMPARE(DeleteEmptyLinesFromTextFile(in, in), 0);
        QCOMPARE(testutil::readFile(in), expected);
        QVERIFY(testutil::writeFile(in, source));
        const QString link = dir.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(in, link));
        QCOMPARE(DeleteEmptyLinesFromTextFile(link, in), 0);
        QCOMPARE(testutil::readFile(in), expected);
        QVERIFY(QFileInfo(link).isSymLink());
    }

    void deleteEmptyLinesKeepsTheTargetsMode()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.txt"));
        QVERIFY(testutil::writeFile(in, "a\n\nb\n"));
        const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(in, mode));
        QCOMPARE(DeleteEmptyLinesFromTextFile(in, in), 0);
        QCOMPARE(QFile::permissions(in) & 0x7077, mode & 0x7077);
    }

    void deleteEmptyLinesFailures()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.txt"));
        QVERIFY(testutil::writeFile(in, "a\n\nb\n"));
        QString why;
        QCOMPARE(DeleteEmptyLinesFromTextFile(dir.filePath(QStringLiteral("missing.txt")),
                                              dir.filePath(QStringLiteral("out.txt")), &why),
                 kLinesmithSourceError);
        QCOMPARE(why, QStringLiteral("No such file or directory"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("out.txt"))));
        QCOMPARE(DeleteEmptyLinesFromTextFile(in, dir.filePath(QStringLiteral("nowhere/out.txt")), &why), kLinesmithTargetError);
        QVERIFY2(!why.isEmpty(), "no reason for a target that cannot be written");
        QCOMPARE(DeleteEmptyLinesFromTextFile(in, dir.path()), kLinesmithTargetError);
        QCOMPARE(testutil::readFile(in), QByteArray("a\n\nb\n"));
    }
};

QTEST_GUILESS_MAIN(TestLinesmith)
#include "test_linesmith.moc"
