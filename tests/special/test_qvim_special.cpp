// The real program running hand-made jobs of special processes from its
// command line, as a user with folders of its own: one task of each
// process; text files of every type, encoding and line-end style read back
// byte for byte; the search options for positions in a line.
#include "QvimUser.h"
#include "SpecialTestSupport.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTest>

using specialtest::jobEndLine;
using specialtest::jobLine;
using specialtest::specialTaskLine;

namespace {

// The bytes of a text file: UTF-8, Windows-1252, or UTF-16 little-endian
// with its byte-order mark, each made by Qt's own encoders.
QByteArray encoded(const QString& text, const QString& encoding)
{
    if (encoding == QLatin1String("UTF-16"))
    {
        QStringEncoder utf16(QStringConverter::Utf16LE);
        return QByteArray("\xFF\xFE", 2) + QByteArray(utf16.encode(text));
    }
    if (encoding == QLatin1String("Windows-1252")) {
        QStringEncoder cp1252("windows-1252");
        if (!cp1252.isValid())
            qFatal("no Windows-1252 encoder");
        return QByteArray(cp1252.encode(text));
    }
    return text.toUtf8();
}

// Lines, each followed by `lineEnd`.
QString joined(const QStringList& lines, const QString& lineEnd)
{
    QString text;
    for (const QString& line : lines)
        text += line + lineEnd;
    return text;
}

// The option cell of a search-and-replace task: its letters, then the
// find and replacement texts.
QString searchCell(const QString& letters, const QString& find, const QString& replacement)
{
    return letters + QString(10, u' ') + QStringLiteral("Find{{") + find + QStringLiteral("}}Replace{{") + replacement
           + QStringLiteral("}}");
}

// The lines of the search-and-replace report, in the user's settings folder.
QStringList reportLines(const QvimUser& user)
{
    const QString report = QFileInfo(user.settingsFile()).dir().filePath(QStringLiteral("SearchAndReplace.TSV"));
    return QString::fromUtf8(testutil::readFile(report)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

} // namespace

class TestQvimSpecial : public QObject
{
    Q_OBJECT

    QvimUser m_user;

    QString path(const QString& sub) const { return m_user.path(sub); }
    void write(const QString& sub, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(sub)).path());
        QVERIFY2(testutil::writeFile(path(sub), bytes), qPrintable(sub));
    }
    QByteArray read(const QString& sub) const { return testutil::readFile(path(sub)); }

private slots:
    void aJobOfEverySpecialProcess()
    {
        write("in/parts/1.txt", "first\n");
        write("in/parts/2.txt", "second\n");
        write("in/parts/3.txt", "third\n");
        write("in/gaps.txt", "one\r\n\r\n   \r\ntwo\r\n\t\r\nthree\r\n");
        write("in/pets.txt", "cat and Cat and cat\n");
        QDir().mkpath(path("out"));

        const QString empty;
        QByteArray job;
        job += jobLine({empty, empty, "1", "S50", path("in/parts/*.txt"), "1", "TXT", path("out/all.txt"), "1", "TXT", empty});
        job += jobLine({empty, empty, "2", "S55", path("in/gaps.txt"), "1", "TXT", path("out/gaps.txt"), "1", "TXT", empty});
        job += jobLine({empty, "DJ          Find{{cat}}Replace{{dog}}", "3", "S56", path("in/pets.txt"), "1", "TXT",
                        path("out/pets.txt"), "1", "TXT", empty});
        job += jobLine({empty, "T32 S1 W60", "4", "S60", "/bin/sh", "0", empty,
                        "-c 'echo launched > \"" + path("out/launched.txt") + "\"'", "0", empty, empty});
        job += jobEndLine();
        write("special.krj", job);

        QCOMPARE(m_user.qvim({"/J", path("special.krj"), "/L", path("run.log"), "/P"}), 0);

        QCOMPARE(read("out/all.txt"), QByteArray("first\nsecond\nthird\n"));
        QCOMPARE(read("out/gaps.txt"), QByteArray("one\r\ntwo\r\nthree\r\n"));
        QCOMPARE(read("out/pets.txt"), QByteArray("dog and Cat and dog\n"));
        QCOMPARE(read("out/launched.txt"), QByteArray("launched\n"));
        // The report of the replacements, in the settings folder.
        QCOMPARE(reportLines(m_user),
                 (QStringList{"Record\tLine\tColumn\tText Found\tFile", "0\t1\t1\tcat\t" + path("out/pets.txt"),
                              "1\t1\t17\tcat\t" + path("out/pets.txt")}));
        // The inputs are as they were.
        QCOMPARE(read("in/pets.txt"), QByteArray("cat and Cat and cat\n"));

        const QStringList log = m_user.logLines("run.log");
        QVERIFY2(log.contains(QStringLiteral("Job # 4  Exit Code: 0 - /bin/sh")), qPrintable(log.join(u'\n')));
        QVERIFY2(log.contains(QStringLiteral("Conversion Successful")), qPrintable(log.join(u'\n')));
    }

    // Append, remove empty lines and search and replace keep every
    // character of every line they do not change, line ends included, in
    // the file's own encoding.
    void textFilesKeepEveryByte_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<QStringList>("lines");     // of the input; the third holds the find text
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");

        const QStringList animals{"Kangaroo", "", "Wombat crossing", "  ", "Numbat end", "\t"};
        const QStringList letters{QStringLiteral("K\u00E4nguru"), "", QStringLiteral("Stra\u00DFe \u20AC 5"), " \t ",
                                  QStringLiteral("\u00C9cole fin"), ""};
        const QStringList wider{QStringLiteral("\u041A\u0435\u043D\u0433\u0443\u0440\u0443"), "",
                                QStringLiteral("\u65E5\u672C \u00DF \U0001F998"), "   ", QStringLiteral("\u03A9 end"), ""};
        for (const auto& [name, end] : {std::pair{"LF", "\n"}, std::pair{"CR LF", "\r\n"}, std::pair{"CR", "\r"}}) {
            QTest::addRow("type 1, UTF-8, %s", name) << 1 << "UTF-8" << end << animals << "Wombat" << "Koala";
            QTest::addRow("type 2, UTF-8, %s", name) << 2 << "UTF-8" << end << animals << "Wombat" << "Koala";
            QTest::addRow("type 6, UTF-16, %s", name) << 6 << "UTF-16" << end << animals << "Wombat" << "Koala";
        }
        QTest::newRow("type 1, Windows-1252 letters, CR LF")
            << 1 << "Windows-1252" << "\r\n" << letters << QStringLiteral("Stra\u00DFe") << QStringLiteral("G\u00E4sschen");
        QTest::newRow("type 1, UTF-8 letters, LF")
            << 1 << "UTF-8" << "\n" << letters << QStringLiteral("Stra\u00DFe") << QStringLiteral("G\u00E4sschen");
        QTest::newRow("type 6, UTF-16 letters, CR LF")
            << 6 << "UTF-16" << "\r\n" << wider << QStringLiteral("\u00DF") << QStringLiteral("\u00E9\u00E8");
        QTest::newRow("type 6, UTF-16 letters, CR")
            << 6 << "UTF-16" << "\r" << wider << QStringLiteral("\u65E5\u672C") << QStringLiteral("Japan");
    }

    void textFilesKeepEveryByte()
    {
        QFETCH(int, type);
        QFETCH(QString, encoding);
        QFETCH(QString, lineEnd);
        QFETCH(QStringList, lines);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QvimUser user;
        const auto file = [&](const QString& sub, const QStringList& fileLines) {
            return user.write(sub, encoded(joined(fileLines, lineEnd), encoding));
        };
        const QString gaps = file("in/gaps.txt", lines);
        const QString part = file("in/part.txt", {"Extra line", lines[2]});
        file("out/all.txt", {"First line"});

        const QByteArray input = testutil::readFile(gaps);
        QByteArray job;
        job += specialTaskLine(1, 50, QString(), part, user.path("out/all.txt"), type, "TXT");
        job += specialTaskLine(2, 55, QString(), gaps, user.path("out/gaps.txt"), type, "TXT");
        job += specialTaskLine(3, 56, searchCell("D", find, replacement), gaps, user.path("out/replaced.txt"), type, "TXT");
        job += jobEndLine();
        user.write("job.krj", job);

        QCOMPARE(user.qvim({"/J", user.path("job.krj"), "/L", user.path("run.log"), "/P"}), 0);
        QVERIFY2(user.logLines("run.log").contains(QStringLiteral("Conversion Successful")), qPrintable(user.log("run.log")));

        // The part follows the output's text, without a second mark.
        QCOMPARE(testutil::readFile(user.path("out/all.txt")),
                 encoded(joined({"First line", "Extra line", lines[2]}, lineEnd), encoding));
        QStringList kept;
        for (const QString& line : lines)
            if (!line.trimmed().isEmpty())
                kept << line;
        QCOMPARE(testutil::readFile(user.path("out/gaps.txt")), encoded(joined(kept, lineEnd), encoding));
        QStringList replaced = lines;
        replaced[2].replace(find, replacement);
        QCOMPARE(testutil::readFile(user.path("out/replaced.txt")), encoded(joined(replaced, lineEnd), encoding));
        QCOMPARE(testutil::readFile(gaps), input);
        // Nothing else is left in the output folder.
        QCOMPARE(user.entries("out"), (QStringList{"all.txt", "gaps.txt", "replaced.txt"}));
    }

    // "Do not match if found at BEGINNING of line" and "... at END of
    // line": ticked, a match there is left alone and every other match is
    // replaced; the report lists what was replaced.
    void linePositionOptions_data()
    {
        QTest::addColumn<QString>("letters");   // B: not at the beginning, L: not at the end
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QStringList>("records"); // line and column of each replacement
        QTest::newRow("neither") << "D" << QByteArray("dog nap dog\r\ndog\r\na dog b\r\n")
                                 << QStringList{"1\t1", "1\t9", "2\t1", "3\t3"};
        QTest::newRow("not at the beginning") << "DB" << QByteArray("cat nap dog\r\ncat\r\na dog b\r\n")
                                              << QStringList{"1\t9", "3\t3"};
        QTest::newRow("not at the end") << "DL" << QByteArray("dog nap cat\r\ncat\r\na dog b\r\n")
                                        << QStringList{"1\t1", "3\t3"};
        QTest::newRow("at neither") << "DBL" << QByteArray("cat nap cat\r\ncat\r\na dog b\r\n") << QStringList{"3\t3"};
    }

    void linePositionOptions()
    {
        QFETCH(QString, letters);
        QFETCH(QByteArray, output);
        QFETCH(QStringList, records);
        QvimUser user;
        const QByteArray text("cat nap cat\r\ncat\r\na cat b\r\n");
        const QString in = user.write("in/pets.txt", text);
        const QString out = user.path("out/pets.txt");
        QDir().mkpath(user.path("out"));
        user.write("job.krj", specialTaskLine(1, 56, searchCell(letters + u'J', "cat", "dog"), in, out, 1, "TXT")
                                  + jobEndLine());

        QCOMPARE(user.qvim({"/J", user.path("job.krj"), "/L", user.path("run.log"), "/P"}), 0);
        QCOMPARE(testutil::readFile(out), output);
        QStringList expected{"Record\tLine\tColumn\tText Found\tFile"};
        for (int r = 0; r < records.size(); ++r)
            expected << QString::number(r) + u'\t' + records[r] + QStringLiteral("\tcat\t") + out;
        QCOMPARE(reportLines(user), expected);
    }

    // A search that fails leaves an earlier run's good output as it was
    // and no copy of the input beside it; in place, the input stays.
    void aFailedSearchLeavesTheEarlierOutput()
    {
        QvimUser user;
        const QByteArray text("one (two) three\n");
        const QString in = user.write("in/a.txt", text);
        const QByteArray earlier("one (2) three\n");
        const QString out = user.write("out/a.txt", earlier);
        QByteArray job;
        job += specialTaskLine(1, 56, searchCell("DX", "(two", "2"), in, out, 1, "TXT");
        job += specialTaskLine(2, 56, searchCell("DX", "(two", "2"), in, in, 1, "TXT");
        job += jobEndLine();
        user.write("job.krj", job);

        QCOMPARE(user.qvim({"/J", user.path("job.krj"), "/L", user.path("run.log"), "/P"}), 252);
        QCOMPARE(testutil::readFile(out), earlier);
        QCOMPARE(testutil::readFile(in), text);
        QCOMPARE(user.entries("out"), QStringList{"a.txt"});
        QCOMPARE(user.entries("in"), QStringList{"a.txt"});
        QVERIFY2(user.log("run.log").contains(QStringLiteral("unbalanced ()")), qPrintable(user.log("run.log")));
    }

    // On a disk that fills up, no process leaves a damaged output or a
    // piece of one: each earlier output is as it was.
    void aFullDiskLeavesEarlierOutputs()
    {
        QvimUser user;
        QByteArray text;
        while (text.size() < (3 << 19))   // 1.5 MB, more than the program may write
            text += "a line of text\n\n";
        const QString big = user.write("in/big.txt", text);
        const QString all = user.write("out/all.txt", "First line\n");
        const QString removed = user.write("out/removed.txt", "removed earlier\n");
        const QString replaced = user.write("out/replaced.txt", "replaced earlier\n");
        QByteArray job;
        job += specialTaskLine(1, 50, QString(), big, all, 1, "TXT");
        job += specialTaskLine(2, 55, QString(), big, removed, 1, "TXT");
        job += specialTaskLine(3, 56, searchCell("D", "text", "words"), big, replaced, 1, "TXT");
        job += jobEndLine();
        user.write("job.krj", job);

        const QvimRun run = user.run({"/J", user.path("job.krj"), "/L", user.path("run.log"), "/P"}, limitFileSize);
        QCOMPARE(run.status, 252);
        QCOMPARE(testutil::readFile(all), QByteArray("First line\n"));
        QCOMPARE(testutil::readFile(removed), QByteArray("removed earlier\n"));
        QCOMPARE(testutil::readFile(replaced), QByteArray("replaced earlier\n"));
        QCOMPARE(user.entries("out"), (QStringList{"all.txt", "removed.txt", "replaced.txt"}));
        const QString log = user.log("run.log");
        // Each failure says why.
        QVERIFY2(log.contains(QStringLiteral("(") + all + QStringLiteral(") - File too large")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("(") + removed + QStringLiteral(") - File too large")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("FILE_RENAME_ERROR - File too large")), qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TestQvimSpecial)
#include "test_qvim_special.moc"
