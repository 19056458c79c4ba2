// The special processes on text files and programs, through the item runner
// and the task runner: append, remove empty lines, search and replace with
// its report, launch a program; the runner's checks, post-steps and
// messages.
#include "../engine/EngineHarness.h"
#include "SpecialTestSupport.h"
#include "TestUtil.h"

#include "core/FileTimes.h"
#include "core/FileTypes.h"
#include "engine/LogRows.h"
#include "engine/SearchAndReplace.h"
#include "engine/SpecialProcess.h"
#include "engine/TaskRunners.h"
#include "engine/clsRexhound.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <sys/stat.h>

using specialtest::specialItem;

namespace {

const QString kMarker(QChar(0x00A9));

// A folder of the test's own; "@" in a path stands for it.
class Files
{
public:
    QString at(QString path) const { return path.replace(u'@', m_dir.path()); }
    QString write(const QString& path, const QByteArray& bytes) const
    {
        const QString full = at(path);
        QDir().mkpath(QFileInfo(full).path());
        if (!testutil::writeFile(full, bytes))
            qFatal("cannot write %s", qPrintable(full));
        return full;
    }
    QByteArray read(const QString& path) const { return testutil::readFile(at(path)); }
    bool exists(const QString& path) const { return QFileInfo::exists(at(path)); }

private:
    QTemporaryDir m_dir;
};

qint64 realMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Search options as letters: C case-sensitive, X regular expression, W whole
// word, B beginning of line, E end of line, M multi-line, J report.
void setSearchOptions(clsConversionOptions& item, const QString& letters)
{
    item.bCaseSensitive = letters.contains(u'C');
    item.bUseRegularExpression = letters.contains(u'X');
    item.bRXHDWholeWordOnly = letters.contains(u'W');
    item.bRXHDBeginningOfLine = letters.contains(u'B');
    item.bRXHDEndOfLine = letters.contains(u'E');
    item.bRXHDMultiLine = letters.contains(u'M');
    item.bRXHDGenerateReportWhenDone = letters.contains(u'J');
}

// A search-and-replace item with its option letters and texts.
clsConversionOptions searchItem(const QString& in, const QString& out, const QString& letters, const QString& find,
                                const QString& replacement)
{
    clsConversionOptions item = specialItem(56, in, out);
    setSearchOptions(item, letters);
    item.sFindString = find;
    item.sReplaceString = replacement;
    return item;
}

} // namespace

class TestSpecialProcesses : public QObject
{
    Q_OBJECT

private slots:
    void itemMessages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("0") << 0 << "Successfully Processed.";
        QTest::newRow("-2") << -2
                            << "Unable to open or save to output file.  Could be a sharing violation, or invalid file type: (/out/a.rtf)";
        QTest::newRow("-3") << -3 << " Unable to open input file. Check file format. Could be a sharing violation: (/in/a.rtf)";
        QTest::newRow("-6") << -6 << "Source and output File are the same.";
        QTest::newRow("-7") << -7 << "Unable to create output File.";
        QTest::newRow("-10") << -10 << "Unable to launch application.";
        QTest::newRow("-11") << -11 << "Process did not complete in the specified time (Timeout)";
        QTest::newRow("no text") << -5 << "";
    }

    void itemMessages()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        clsConversionOptions item = specialItem(50, QStringLiteral("/in/a.rtf"), QStringLiteral("/out/a.rtf"));
        item.lErr = code;
        QCOMPARE(GetItemErrorText(item), message);
    }

    void engineMessages()
    {
        clsRexhound rexhound;
        QCOMPARE(rexhound.SearchAndReplaceErrorString(0), QString());
        QCOMPARE(rexhound.SearchAndReplaceErrorString(-5), QString());
        QCOMPARE(rexhound.SearchAndReplaceErrorString(11), QStringLiteral("unbalanced ()"));
        QCOMPARE(rexhound.SearchAndReplaceErrorString(-22), QStringLiteral("INVALID_RECORD_NUMBER"));
    }

    // A number that names no process runs nothing, and that is no success:
    // the item fails, whatever its record held, and hears which there are.
    void aProcessThatDoesNotExistFails()
    {
        Files files;
        EngineHarness h;
        const QString in = files.write("@/in/a.txt", "one\n\ntwo\n");
        for (const int earlier : {0, -5}) {
            clsConversionOptions item = specialItem(77, in, files.at("@/out/a.txt"));
            item.lErr = earlier;
            QCOMPARE(PerformSpecialProcessItem(h.engine, item), specialcode::NoSuchProcess);
            QCOMPARE(item.lErr, specialcode::NoSuchProcess);
            QCOMPARE(item.sErr, QStringLiteral("The task names no special process there is: 'S77'. The special "
                                               "processes are S50 append files, S55 remove empty lines, S56 search "
                                               "and replace, S60 launch a program and S1 load another job file."));
        }
        QVERIFY(!QFileInfo::exists(files.at("@/out")));
        QCOMPARE(files.read("@/in/a.txt"), QByteArray("one\n\ntwo\n"));
    }

    void appendTextFiles_data()
    {
        QTest::addColumn<bool>("pageBreak");
        QTest::addColumn<bool>("path");
        QTest::addColumn<bool>("targetPresent");
        QTest::addColumn<QByteArray>("expected");   // "{in}" is the input's path
        QTest::newRow("target missing") << false << false << false << QByteArray("two\n");
        QTest::newRow("target present") << false << false << true << QByteArray("one\ntwo\n");
        QTest::newRow("page break") << true << false << true << QByteArray("one\n\ftwo\n");
        QTest::newRow("path") << false << true << true << QByteArray("one\n{in}\ntwo\n");
        QTest::newRow("both, target missing") << true << true << false << QByteArray("{in}\ntwo\n");
    }

    void appendTextFiles()
    {
        QFETCH(bool, pageBreak);
        QFETCH(bool, path);
        QFETCH(bool, targetPresent);
        QFETCH(QByteArray, expected);
        Files files;
        EngineHarness h;
        h.form.cbAddPageBrake = pageBreak;
        h.form.cbPlacePathAtTopOfEachFile = path;
        const QString in = files.write("@/in/b.txt", "two\n");
        if (targetPresent)
            files.write("@/out/all.txt", "one\n");
        // A missing output folder is made.
        clsConversionOptions item = specialItem(50, in, files.at("@/out/all.txt"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, item), 0);
        QCOMPARE(files.read("@/out/all.txt"), expected.replace("{in}", in.toUtf8()));
        QCOMPARE(item.sErr, QStringLiteral("Successfully Processed."));
    }

    void appendUnicodeTarget()
    {
        Files files;
        EngineHarness h;
        const QString in = files.write("@/b.txt", "caf\xC3\xA9\n");
        files.write("@/all.txt", QByteArray("\xFF\xFE" "a\0\n\0", 6));
        clsConversionOptions item = specialItem(50, in, files.at("@/all.txt"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, item), 0);
        QCOMPARE(files.read("@/all.txt"), QByteArray("\xFF\xFE" "a\0\n\0c\0a\0f\0\xE9\0\n\0", 16));
    }

    void appendFailures()
    {
        Files files;
        EngineHarness h;
        const QString in = files.write("@/a.txt", "a\n");
        // The same file under another spelling, or through a link.
        clsConversionOptions same = specialItem(50, in, files.at("@/./a.txt"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, same), -6);
        QCOMPARE(same.sErr, QStringLiteral("Source and output File are the same."));
        QVERIFY(QFile::link(in, files.at("@/link.txt")));
        clsConversionOptions linked = specialItem(50, files.at("@/link.txt"), in);
        QCOMPARE(PerformSpecialProcessItem(h.engine, linked), -6);
        QCOMPARE(files.read("@/a.txt"), QByteArray("a\n"));

    }

    // An input that cannot be read is what the message names, with the
    // system's reason, whether or not an output exists yet.
    void unreadableInput_data()
    {
        QTest::addColumn<int>("process");
        QTest::addColumn<bool>("outputPresent");
        QTest::newRow("append, no output") << 50 << false;
        QTest::newRow("append, output present") << 50 << true;
        QTest::newRow("remove empty lines, no output") << 55 << false;
        QTest::newRow("remove empty lines, output present") << 55 << true;
    }

    void unreadableInput()
    {
        QFETCH(int, process);
        QFETCH(bool, outputPresent);
        Files files;
        EngineHarness h;
        if (outputPresent)
            files.write("@/out.txt", "kept\n");
        const QString missing = files.at("@/missing.txt");
        clsConversionOptions item = specialItem(process, missing, files.at("@/out.txt"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, item), -3);
        QCOMPARE(item.sErr, " Unable to open input file. Check file format. Could be a sharing violation: (" + missing
                                + ") - No such file or directory");
        QCOMPARE(files.exists("@/out.txt"), outputPresent);
        if (outputPresent)
            QCOMPARE(files.read("@/out.txt"), QByteArray("kept\n"));
    }

    void removeEmptyLinesFromText()
    {
        Files files;
        EngineHarness h;
        const QString in = files.write("@/a.txt", "a\r\n\r\n \t\r\nb\r\n  ");
        clsConversionOptions item = specialItem(55, in, files.at("@/out/a.txt"));
        QDir().mkpath(files.at("@/out"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, item), 0);
        QCOMPARE(files.read("@/out/a.txt"), QByteArray("a\r\nb\r\n"));

        // In place, with the delete setting on: the input is the output and stays.
        h.form.bDeleteOriginalFileAfterProcessing = true;
        clsConversionOptions inPlace = specialItem(55, in, in);
        QCOMPARE(PerformSpecialProcessItem(h.engine, inPlace), 0);
        QCOMPARE(files.read("@/a.txt"), QByteArray("a\r\nb\r\n"));

        clsConversionOptions nowhere = specialItem(55, in, files.at("@/no/such/folder/a.txt"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, nowhere), -7);
        QVERIFY2(nowhere.sErr.startsWith(QStringLiteral("Unable to create output File. - ")), qPrintable(nowhere.sErr));
    }

    // What happens to the input after a successful item.
    void postSteps_data()
    {
        QTest::addColumn<int>("process");
        QTest::addColumn<bool>("deleteInput");
        QTest::addColumn<bool>("moveInput");
        QTest::addColumn<QString>("inputAfter");   // "kept", "gone" or "moved"
        QTest::newRow("append, delete") << 50 << true << false << "gone";
        QTest::newRow("append, move") << 50 << false << true << "moved";
        QTest::newRow("remove empty lines, delete") << 55 << true << false << "gone";
        QTest::newRow("remove empty lines, move") << 55 << false << true << "moved";
        QTest::newRow("search and replace, delete: kept") << 56 << true << false << "kept";
        QTest::newRow("search and replace, move") << 56 << false << true << "moved";
        QTest::newRow("no setting") << 50 << false << false << "kept";
    }

    void postSteps()
    {
        QFETCH(int, process);
        QFETCH(bool, deleteInput);
        QFETCH(bool, moveInput);
        QFETCH(QString, inputAfter);
        Files files;
        EngineHarness h;
        h.form.bDeleteOriginalFileAfterProcessing = deleteInput;
        h.form.bMoveOriginalFileAfterProcessing = moveInput;
        h.form.sMoveFileToFolder = files.at("@/done");
        h.form.bRetainInputFileTimeStamp = true;
        const QString in = files.write("@/in/sub/a.txt", "a\n\nb\n");
        const QDateTime old = QDateTime::fromSecsSinceEpoch(1500000000);
        QVERIFY(SetFileTimes(in, old, old, old, true) == false);
        clsConversionOptions item = specialItem(process, in, files.at("@/out/a.txt"));
        item.sSubFolder = QStringLiteral("sub/");
        item.sFindString = QStringLiteral("b");
        item.sReplaceString = QStringLiteral("c");
        QDir().mkpath(files.at("@/out"));

        QCOMPARE(PerformSpecialProcessItem(h.engine, item), 0);
        QVERIFY(files.exists("@/out/a.txt"));
        QCOMPARE(QFileInfo(files.at("@/out/a.txt")).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
        QCOMPARE(files.exists("@/in/sub/a.txt"), inputAfter == QStringLiteral("kept"));
        QCOMPARE(files.exists("@/done/sub/a.txt"), inputAfter == QStringLiteral("moved"));
        if (moveInput)
            QCOMPARE(h.form.sMoveFileToFolder, files.at("@/done/"));
    }

    void decodeSpecialCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("decoded");
        const QString m = kMarker;
        QTest::newRow("no marker") << "plain" << true << "plain";
        QTest::newRow("empty") << "" << true << "";
        QTest::newRow("CR LF") << m + "13" + m + m + "10" + m << true << "\r\n";
        QTest::newRow("text around codes") << "a" + m + "9" + m + "b" << true << "a\tb";
        QTest::newRow("code 128 is the euro sign") << m + "128" + m << true << QStringLiteral("\u20AC");
        QTest::newRow("code 150 is an en dash") << m + "150" + m << true << QStringLiteral("\u2013");
        QTest::newRow("code 169 is the marker itself") << m + "169" + m << true << m;
        QTest::newRow("code 0") << m + "0" + m << true << QString(QChar(0));
        QTest::newRow("three markers") << m + "13" + m + "10" + m << false << "";
        QTest::newRow("one marker") << "a" + m + "b" << false << "";
        QTest::newRow("256") << m + "256" + m << false << "";
        QTest::newRow("not a number") << m + "x" + m << false << "";
        QTest::newRow("empty code") << m + m << false << "";
        QTest::newRow("negative") << m + "-1" + m << false << "";
    }

    void decodeSpecialCharacters()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, decoded);
        QString out = QStringLiteral("left over");
        QCOMPARE(DecodeSpecialCharacters(text, out), ok);
        QCOMPARE(out, decoded);
    }

    // The text-file route with each option, and the report it writes.
    void searchAndReplaceOptions_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QStringList>("report");   // lines after the header, "{f}" the output's path
        const QString m = kMarker;
        QTest::newRow("plain, with case") << "CJ" << "aa" << "X" << QByteArray("aaa\nAA\n") << QByteArray("Xa\nAA\n")
                                          << QStringList{"0\t1\t1\taa\t{f}"};
        QTest::newRow("plain, without case") << "J" << "aa" << "X" << QByteArray("aaa\nAA\n") << QByteArray("Xa\nX\n")
                                             << QStringList{"0\t1\t1\taa\t{f}", "1\t2\t1\tAA\t{f}"};
        QTest::newRow("regular expression") << "CXJ" << "[0-9]+" << "#" << QByteArray("a1 b22\n") << QByteArray("a# b#\n")
                                            << QStringList{"0\t1\t2\t1\t{f}", "1\t1\t5\t22\t{f}"};
        QTest::newRow("whole word") << "CWJ" << "to" << "TO" << QByteArray("to top to\n") << QByteArray("TO top TO\n")
                                    << QStringList{"0\t1\t1\tto\t{f}", "1\t1\t8\tto\t{f}"};
        // "Do not match if found at BEGINNING (END) of line".
        QTest::newRow("beginning of line") << "CBJ" << "x" << "-" << QByteArray("xx\nax\n") << QByteArray("x-\na-\n")
                                           << QStringList{"0\t1\t2\tx\t{f}", "1\t2\t2\tx\t{f}"};
        QTest::newRow("end of line") << "CEJ" << "x" << "-" << QByteArray("xx\nxa\n") << QByteArray("-x\n-a\n")
                                     << QStringList{"0\t1\t1\tx\t{f}", "1\t2\t1\tx\t{f}"};
        QTest::newRow("beginning and end of line") << "CBEJ" << "x" << "-" << QByteArray("x\nxxx\r\n")
                                                   << QByteArray("x\nx-x\r\n") << QStringList{"0\t2\t2\tx\t{f}"};
        QTest::newRow("neither: matches at both are replaced") << "CJ" << "x" << "-" << QByteArray("xax\n")
                                                                 << QByteArray("-a-\n")
                                                                 << QStringList{"0\t1\t1\tx\t{f}", "1\t1\t3\tx\t{f}"};
        QTest::newRow("multi-line, a cell without its line break")
            << "CXMJ" << "a\\nb" << "-" << QByteArray("a\nb\n") << QByteArray("-\n") << QStringList{"0\t1\t1\ta b\t{f}"};
        QTest::newRow("coded line ends in the find text")
            << "CMJ" << "a" + m + "13" + m + m + "10" + m << "a;" << QByteArray("a\r\nb\r\n") << QByteArray("a;b\r\n")
            << QStringList{"0\t1\t1\ta  \t{f}"};
        QTest::newRow("tab in the replacement") << "CJ" << "," << m + "9" + m << QByteArray("a,b\n") << QByteArray("a\tb\n")
                                                << QStringList{"0\t1\t2\t,\t{f}"};
        QTest::newRow("no match") << "CJ" << "zzz" << "-" << QByteArray("abc\n") << QByteArray("abc\n") << QStringList();
    }

    void searchAndReplaceOptions()
    {
        QFETCH(QString, options);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        QFETCH(QStringList, report);
        Files files;
        EngineHarness h;
        h.form.sRXHDReportFileName = files.at("@/report.tsv");
        const QString in = files.write("@/in.txt", input);
        const QString out = files.at("@/out.txt");
        clsConversionOptions item = specialItem(56, in, out);
        setSearchOptions(item, options);
        item.sFindString = find;
        item.sReplaceString = replacement;
        h.engine.cRexhound().StartNewReport();

        QCOMPARE(PerformSpecialProcessItem(h.engine, item), 0);
        QCOMPARE(files.read("@/out.txt"), output);
        QCOMPARE(files.read("@/in.txt"), input);
        QStringList expected;
        if (report.isEmpty())
            expected << QStringLiteral("No matches found.");
        else
            expected << QStringLiteral("Record\tLine\tColumn\tText Found\tFile") << report.replaceInStrings("{f}", out);
        QCOMPARE(QString::fromUtf8(files.read("@/report.tsv")), expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    }

    void reportGathersEveryFileOfATask()
    {
        Files files;
        EngineHarness h;
        h.form.bRunning = true;
        h.form.sRXHDReportFileName = files.at("@/report.tsv");
        files.write("@/in/a.txt", "cat\n");
        files.write("@/in/b.txt", "dog cat\ncat\n");
        files.write("@/in/c.txt", "none\n");
        clsConversionOptions task = specialItem(56, files.at("@/in/*.txt"), files.at("@/out/*.txt"));
        setSearchOptions(task, QStringLiteral("CJ"));
        task.sFindString = QStringLiteral("cat");
        task.sReplaceString = QStringLiteral("cow");

        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(files.read("@/out/b.txt"), QByteArray("dog cow\ncow\n"));
        const QStringList lines = QString::fromUtf8(files.read("@/report.tsv")).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines, (QStringList{"Record\tLine\tColumn\tText Found\tFile", "0\t1\t1\tcat\t" + files.at("@/out/a.txt"),
                                     "1\t1\t5\tcat\t" + files.at("@/out/b.txt"), "2\t2\t1\tcat\t" + files.at("@/out/b.txt")}));

        // The next task starts a report of its own.
        clsConversionOptions again = specialItem(56, files.at("@/in/c.txt"), files.at("@/out/c.txt"));
        setSearchOptions(again, QStringLiteral("CJ"));
        again.sFindString = QStringLiteral("cat");
        QCOMPARE(PerformBlock(h.engine, 2, again), 0);
        QCOMPARE(files.read("@/report.tsv"), QByteArray("No matches found.\r\n"));
    }

    void searchAndReplaceFailures_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString m = kMarker;
        QTest::newRow("unbalanced ()") << "X" << "(a" << "" << 11 << "unbalanced ()";
        QTest::newRow("unbalanced []") << "X" << "[a" << "" << 6 << "unbalanced []";
        QTest::newRow("bad range") << "X" << "[z-a]" << "" << 12 << "bad range inside []";
        QTest::newRow("? * + invalid") << "X" << "*a" << "" << 4 << "? * + invalid";
        QTest::newRow("repeat counts") << "X" << "a{3,2}" << "" << 2 << "invalid repeat counts in {}";
        QTest::newRow("bad escape") << "X" << "a\\" << "" << 9 << "bad escape sequence";
        QTest::newRow("bad back reference") << "X" << "(a)\\2" << "" << 15 << "bad back reference";
        QTest::newRow("empty expression") << "" << "" << "x" << 10 << "empty expression";
        QTest::newRow("backtracking without end") << "X" << "(a+)+$" << "-" << 18
                                                  << "the search took too long on this file: the expression may backtrack without end";
        QTest::newRow("malformed code in the find text") << "" << m + "13" + m + "10" + m << "x" << -30 << "malformed";
        QTest::newRow("malformed code in the replacement") << "" << "a" << m + "300" + m << -30 << "malformed";
    }

    void searchAndReplaceFailures()
    {
        QFETCH(QString, options);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(int, code);
        QFETCH(QString, message);
        Files files;
        EngineHarness h;
        h.form.sRXHDReportFileName = files.at("@/report.tsv");
        const QByteArray text = QByteArray(40, 'a') + "b\n";
        const QString in = files.write("@/in.txt", text);
        // An earlier run's good output.
        const QByteArray earlier("the good output of an earlier run\n");
        files.write("@/out.txt", earlier);
        clsConversionOptions item = searchItem(in, files.at("@/out.txt"), options + QStringLiteral("J"), find, replacement);

        QCOMPARE(PerformSpecialProcessItem(h.engine, item), code);
        QVERIFY2(item.sErr.contains(message), qPrintable(item.sErr));
        QCOMPARE(files.read("@/in.txt"), text);
        // No report after a failure, the earlier output as it was, and no
        // copy of the input left behind.
        QVERIFY(!files.exists("@/report.tsv"));
        QCOMPARE(files.read("@/out.txt"), earlier);
        QCOMPARE(QDir(files.at("@")).entryList(QDir::Files | QDir::Hidden), (QStringList{"in.txt", "out.txt"}));

        // In place, the input is byte for byte what it was.
        clsConversionOptions inPlace = searchItem(in, in, options, find, replacement);
        QCOMPARE(PerformSpecialProcessItem(h.engine, inPlace), code);
        QCOMPARE(files.read("@/in.txt"), text);
        QCOMPARE(QDir(files.at("@")).entryList(QDir::Files | QDir::Hidden), (QStringList{"in.txt", "out.txt"}));
    }

    void searchAndReplaceCopyAndInPlace()
    {
        Files files;
        EngineHarness h;
        const QString in = files.write("@/a.txt", "one two\n");
        // In place: no copy, the input itself is edited.
        clsConversionOptions inPlace = searchItem(in, in, QStringLiteral("C"), QStringLiteral("one"), QStringLiteral("1"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, inPlace), 0);
        QCOMPARE(files.read("@/a.txt"), QByteArray("1 two\n"));

        // A new output replaces an earlier one and keeps its permissions.
        const QString out = files.write("@/out/a.txt", "old\n");
        const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(out, mode));
        clsConversionOptions replaced = searchItem(in, out, QStringLiteral("C"), QStringLiteral("two"), QStringLiteral("2"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, replaced), 0);
        QCOMPARE(files.read("@/out/a.txt"), QByteArray("1 2\n"));
        QCOMPARE(QFile::permissions(out) & 0x7077, mode & 0x7077);
        QCOMPARE(QDir(files.at("@/out")).entryList(QDir::Files | QDir::Hidden), QStringList{"a.txt"});

        // A read-only input still gives a new output, with the input's
        // permissions.
        const QString locked = files.write("@/locked.txt", "one two\n");
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        clsConversionOptions fresh = searchItem(locked, files.at("@/out/b.txt"), QStringLiteral("C"),
                                                QStringLiteral("one"), QStringLiteral("1"));
        QCOMPARE(PerformSpecialProcessItem(h.engine, fresh), 0);
        QCOMPARE(files.read("@/out/b.txt"), QByteArray("1 two\n"));
        QCOMPARE(QFile::permissions(files.at("@/out/b.txt")) & 0x7077, QFile::permissions(locked) & 0x7077);
        QVERIFY(QFile::remove(files.at("@/out/b.txt")));

        // A copy that cannot be made fails the item alone, not the job, and
        // leaves the old output.
        files.write("@/out/a.txt", "old\n");
        clsConversionOptions copy = specialItem(56, files.at("@/missing.txt"), files.at("@/out/a.txt"));
        copy.sFindString = QStringLiteral("o");
        QCOMPARE(PerformSpecialProcessItem(h.engine, copy), rexhoundcode::FileRenameError);
        QVERIFY(!h.engine.bStopJob);
        QCOMPARE(copy.sErr, QStringLiteral("FILE_RENAME_ERROR - No such file or directory"));
        QCOMPARE(files.read("@/out/a.txt"), QByteArray("old\n"));
    }

    void aReportThatCannotBeWrittenFailsTheItem()
    {
        Files files;
        EngineHarness h;
        h.form.sRXHDReportFileName = files.at("@/no/such/folder/report.tsv");
        const QString in = files.write("@/in.txt", "cat\n");
        clsConversionOptions item = specialItem(56, in, files.at("@/out.txt"));
        setSearchOptions(item, QStringLiteral("CJ"));
        item.sFindString = QStringLiteral("cat");
        item.sReplaceString = QStringLiteral("dog");
        QCOMPARE(PerformSpecialProcessItem(h.engine, item), kReportNotWritten);
        QCOMPARE(item.sErr, QStringLiteral("The search-and-replace report could not be written. - ")
                                + h.form.sRXHDReportFileName);
    }

    // An output path where a FIFO stands is no file to write: the item
    // fails with that reason and the FIFO is left as it was.
    void outputThatIsNotARegularFileIsLeftAlone_data()
    {
        QTest::addColumn<int>("process");
        QTest::addColumn<QString>("reason");
        QTest::newRow("append") << 50 << "is not a file";
        QTest::newRow("remove empty lines") << 55 << "not a regular file";
        QTest::newRow("search and replace") << 56 << "not a regular file";
    }

    void outputThatIsNotARegularFileIsLeftAlone()
    {
        QFETCH(int, process);
        QFETCH(QString, reason);
        Files files;
        EngineHarness h;
        const QString in = files.write("@/in.txt", "one\n\ntwo\n");
        const QString fifo = files.at("@/out.txt");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        clsConversionOptions item = specialItem(process, in, fifo);
        item.sFindString = QStringLiteral("one");
        item.sReplaceString = QStringLiteral("1");
        QVERIFY(PerformSpecialProcessItem(h.engine, item) != 0);
        QVERIFY2(item.sErr.contains(reason), qPrintable(item.sErr));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
        QCOMPARE(files.read("@/in.txt"), QByteArray("one\n\ntwo\n"));
        QCOMPARE(QDir(files.at("@")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 (QStringList{"in.txt", "out.txt"}));
    }

    void launchLogsTheExitCode()
    {
        EngineHarness h;
        h.form.bRunning = true;
        h.addTask(QStringLiteral("/bin/sh"), QStringLiteral("-c 'exit 3'"), QStringLiteral("S60"));
        clsConversionOptions task = specialItem(60, QStringLiteral("/bin/sh"), QStringLiteral("-c 'exit 3'"));
        task.lCommandLineWaitTime = -1;

        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(task.lCommandLineExitCode, 3);
        QCOMPARE(h.logRows(), 1);
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Status), QStringLiteral("Exit Code: 3"));
        QVERIFY(bLogRowFailed(h.form.fgLog, 1));
    }

    void launchArgumentsAreSplitWithoutAShell()
    {
        Files files;
        EngineHarness h;
        const QString out = files.at("@/my out.txt");
        // Quotes group words, and nothing is expanded by a shell of ours.
        clsConversionOptions item = specialItem(
            60, QStringLiteral("/bin/sh"), QStringLiteral("-c 'printf \"%s|\" \"$@\" > \"$0\"' \"%1\" \"a b\" '$HOME'").arg(out));
        QCOMPARE(PerformSpecialProcessItem(h.engine, item), 0);
        QCOMPARE(item.lCommandLineExitCode, 0);
        QCOMPARE(files.read("@/my out.txt"), QByteArray("a b|$HOME|"));
    }

    void launchFailures_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("waitSeconds");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing program") << "/no/such/program" << "" << -1 << -10 << "Unable to launch application. - /no/such/program: ";
        QTest::newRow("open quote") << "/bin/true" << "'a" << -1 << -10 << "Unable to launch application. - ";
        QTest::newRow("time-out") << "/bin/sleep" << "3" << 1 << -11 << "Process did not complete in the specified time (Timeout)";
    }

    void launchFailures()
    {
        QFETCH(QString, program);
        QFETCH(QString, arguments);
        QFETCH(int, waitSeconds);
        QFETCH(int, code);
        QFETCH(QString, message);
        EngineHarness h;
        h.form.bRunning = true;
        h.engine.tickCount = realMilliseconds;
        h.addTask(program, arguments, QStringLiteral("S60"));
        clsConversionOptions task = specialItem(60, program, arguments);
        task.lCommandLineWaitTime = waitSeconds;

        const qint64 start = realMilliseconds();
        QCOMPARE(PerformBlock(h.engine, 1, task), code);
        if (code == -11) {
            const qint64 waited = realMilliseconds() - start;
            // It waited its second; the code says it did not wait for the end.
            QVERIFY2(waited >= 1000, qPrintable(QString::number(waited)));
        }
        QCOMPARE(task.lCommandLineExitCode, 0);
        QCOMPARE(h.logRows(), 1);
        QVERIFY2(h.form.fgLog.TextMatrix(1, todocol::Status).startsWith(message),
                 qPrintable(h.form.fgLog.TextMatrix(1, todocol::Status)));
        QVERIFY(bLogRowFailed(h.form.fgLog, 1));
    }

    void pauseEndsTheWait()
    {
        EngineHarness h;
        h.form.bRunning = true;
        int rounds = 0;
        h.onDoEvents = [&] {
            if (++rounds == 3)
                h.form.bRunning = false;
        };
        clsConversionOptions item = specialItem(60, QStringLiteral("/bin/sleep"), QStringLiteral("3"));
        item.lCommandLineWaitTime = -1;
        QCOMPARE(PerformSpecialProcessItem(h.engine, item), -11);
    }
};

QTEST_GUILESS_MAIN(TestSpecialProcesses)
#include "test_special_processes.moc"
