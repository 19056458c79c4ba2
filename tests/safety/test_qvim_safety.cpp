// The real program from its command line: a file of the user's at the old
// temporary name beside a document's images, outputs that are their own
// inputs, a full disk (a file-size limit on the program) and a folder it
// may not write into. Every failure shows on standard error as the
// program's text, " - " and the system's reason; nothing of the program's
// is left in the output folder or the temporary folder.
#include "../engine/EngineHarness.h"
#include "QvimUser.h"
#include "../office/OfficeTestSupport.h"
#include "TestPdf.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

using testpdf::PageSpec;

namespace {

const QString kDocx = QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample Word Document.docx");

// The failure line of item 1 on standard error, without its " - <input>"
// end; all of standard error when there is none.
QString failure(const QvimRun& run, const QString& input)
{
    const QString start = QStringLiteral("Job # 1  ");
    const QString end = QStringLiteral(" - ") + input;
    const qsizetype at = run.err.indexOf(start);
    const qsizetype stop = run.err.indexOf(end, at);
    return at < 0 || stop < 0 ? run.err : run.err.mid(at + start.size(), stop - at - start.size());
}

using User = QvimUser;

} // namespace

class TestQvimSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { OFFICE_TEST_REQUIRE_OFFICE(); }

    // The reported case: "report.png.tmppp123" beside the image of a
    // document was overwritten and deleted, even by an item that failed.
    void fileAtTheOldTemporaryNameSurvives_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("converted") << "1" << 0 << QStringList{"report.png", "report.png.tmppp123"};
        QTest::newRow("failed") << "9" << 252 << QStringList{"report.png.tmppp123"};
    }

    void fileAtTheOldTemporaryNameSurvives()
    {
        QFETCH(QString, pages);
        QFETCH(int, status);
        QFETCH(QStringList, left);
        User user;
        user.write(QStringLiteral("D/report.png.tmppp123"), "precious\n");
        const QvimRun run = user.run({"/S", kDocx, "/T", user.path("D/report.png"), "/1", pages, "/P"});
        QVERIFY2(run.status == status, qPrintable(run.err));
        QCOMPARE(testutil::readFile(user.path("D/report.png.tmppp123")), QByteArray("precious\n"));
        QCOMPARE(user.entries("D"), left);
        if (status == 0)
            QCOMPARE(identifiedFormat(user.path("D/report.png")), QStringLiteral("PNG"));
        else
            QCOMPARE(failure(run, kDocx), QStringLiteral("Unable to save output file. - no page of the range is in the document"));
        // The program's temporary folder, the office's and its save folders went.
        QCOMPARE(user.entries("tmp"), QStringList{});
    }

    // The reported case: a DOCX named .pdf, its type given by hand and
    // converted onto its own path, was replaced by its conversion.
    void outputThatIsItsInputIsRefused_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("output"); // "link.*" is a link to the input
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("document, same path") << "report.pdf" << "13" << "report.pdf" << QStringList{};
        QTest::newRow("document, another spelling") << "report.pdf" << "13" << "./in/../report.pdf" << QStringList{};
        QTest::newRow("document through a link") << "report.pdf" << "13" << "link.pdf" << QStringList{};
        QTest::newRow("document to images") << "page.png" << "13" << "page.png" << QStringList{"/1", "1"};
        QTest::newRow("PDF to images") << "page.png" << "12" << "link.png" << QStringList{"/1", "1"};
    }

    void outputThatIsItsInputIsRefused()
    {
        QFETCH(QString, input);
        QFETCH(QString, type);
        QFETCH(QString, output);
        QFETCH(QStringList, extra);
        User user;
        const QByteArray bytes = type == QLatin1String("12") ? testpdf::makePdf(1) : testutil::readFile(kDocx);
        const QString in = user.write(input, bytes);
        QDir().mkpath(user.path("in"));
        if (output.startsWith(QLatin1String("link.")))
            QVERIFY(QFile::link(in, user.path(output)));
        const QvimRun run = user.run(QStringList{"/S", in, "/F", type, "/T", user.path(output), "/P"} + extra);
        QVERIFY2(run.status == 252, qPrintable(run.err));
        QCOMPARE(failure(run, in), QStringLiteral("Input and Output File are the same. Cannot convert a file onto itself."));
        QCOMPARE(testutil::readFile(in), bytes);
    }

    // Pages of different sizes under a limit between them: the first page
    // is written, the second fails with the system's reason, and the line
    // says how much of the item was written.
    void fullDiskNamesTheReason_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("page written by the rasteriser") << "bmp" << "BMP3" << "Unable to save output file.";
        QTest::newRow("page written by the image writer") << "ras" << "SUN"
                                                          << "Unable to save image. Try a lower resolution.";
    }

    void fullDiskNamesTheReason()
    {
        QFETCH(QString, extension);
        QFETCH(QString, format);
        QFETCH(QString, text);
        User user;
        const PageSpec small{144, 144, 0};
        const PageSpec large{612, 792, 0};
        const QString pdf = user.write("in/mixed.pdf", testpdf::makePdf({small, large, small}));
        QDir().mkpath(user.path("out"));
        const QString target = user.path("out/mixed.") + extension;
        const QvimRun run = user.run({"/S", pdf, "/T", target, "/1", "1-3", "/5", "150", "/P"}, limitFileSize);
        QVERIFY2(run.status == 252, qPrintable(run.err));
        const QString second = user.path("out/mixed-00002.") + extension;
        QCOMPARE(failure(run, pdf), text + QStringLiteral(" - Unable to write ") + second
                                       + QStringLiteral(": File too large - 1 of 3 pages were written; the item is "
                                                        "incomplete."));
        QCOMPARE(user.entries("out"), QStringList{"mixed-00001." + extension});
        QVERIFY(identifiedFormat(user.path("out/mixed-00001.") + extension).startsWith(format));
        QCOMPARE(user.entries("tmp"), QStringList{});
    }

    // A mirrored sub-folder the program may not write into: the page or the
    // document fails with the system's reason; the rest of the task runs.
    void readOnlyFolderNamesTheReason_data()
    {
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("outputs");
        QTest::addColumn<QString>("failed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("PDF pages")
            << "*.pdf" << "*.png" << "mixed-00001.png"
            << "Unable to save image. Try a lower resolution. - Unable to create a file in {folder}: Permission denied"
            << QStringList{"/1", "1-2"};
        // The text's carriage returns show as blanks on standard error.
        QTest::newRow("document") << "*.docx" << "*.pdf" << "report.pdf"
                                  << "File Save Error [75]   {file}   Cannot write {file}: Permission denied"
                                  << QStringList{"/C", "12"};
    }

    void readOnlyFolderNamesTheReason()
    {
        QFETCH(QString, inputs);
        QFETCH(QString, outputs);
        QFETCH(QString, failed);
        QFETCH(QString, text);
        QFETCH(QStringList, extra);
        if (!canDropFileOverride())
            QSKIP("root's override of file permissions cannot be dropped here");
        User user;
        user.write("in/a.pdf", testpdf::makePdf(1));
        user.write("in/sub/mixed.pdf", testpdf::makePdf(2));
        user.write("in/report.docx", testutil::readFile(kDocx));
        user.write("in/sub/report.docx", testutil::readFile(kDocx));
        QVERIFY(QDir().mkpath(user.path("out/sub")));
        QVERIFY(::chmod(QFile::encodeName(user.path("out/sub")).constData(), 0555) == 0);
        const QvimRun run = user.run(QStringList{"/S", user.path("in/") + inputs, "/R", "/T", user.path("out/") + outputs, "/P"}
                                      + extra,
                                  dropFileOverride);
        ::chmod(QFile::encodeName(user.path("out/sub")).constData(), 0755);
        QVERIFY2(run.status == 252, qPrintable(run.err));
        const QString input = user.path("in/sub/") + (inputs == QLatin1String("*.pdf") ? "mixed.pdf" : "report.docx");
        QCOMPARE(failure(run, input), QString(text)
                                         .replace(QStringLiteral("{folder}"), user.path("out/sub"))
                                         .replace(QStringLiteral("{file}"), user.path("out/sub/") + failed));
        QCOMPARE(user.entries("out/sub"), QStringList{});
        QVERIFY(!user.entries("out").filter(QRegularExpression(QStringLiteral("^(a|report)"))).isEmpty());
        QCOMPARE(user.entries("tmp"), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestQvimSafety)
#include "test_qvim_safety.moc"
