// The real program converting PDFs from its command line: a folder tree of
// PDFs to PNG pages, a damaged PDF among them, and the job of failed items
// run again. Each test runs as a user with folders of its own.
#include "EngineHarness.h"
#include "QvimUser.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <cstring>

namespace {

const QString kDemoPdf = QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample PDF Document.pdf");
const QString kFourPages = QStringLiteral(TESSAVIEW_CORPUS "/pdf/pdflatex-4-pages.pdf");
const QString kOnePage = QStringLiteral(TESSAVIEW_CORPUS "/pdf/minimal-document.pdf");

class User : public QvimUser
{
public:
    QStringList pdfToPng(const QString& log) const
    {
        return {"/S", path("in") + "/*.pdf", "/R", "/T", path("out") + "/*.png", "/1", "1-2", "/L", path(log), "/P"};
    }

    void verifyPngs(const QStringList& files) const
    {
        for (const QString& file : files)
            QVERIFY2(identifiedFormat(path(file)) == QStringLiteral("PNG"), qPrintable(file));
    }
};

} // namespace

class TestQvimRuns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/pdflatex-4-pages.pdf"), QStringLiteral("pdf/minimal-document.pdf"));
    }

    void everyPdfOfATreeBecomesPngPages()
    {
        User user;
        user.copy(kDemoPdf, "in/Sample.pdf");
        user.copy(kFourPages, "in/sub/Four.pdf");
        user.copy(kOnePage, "in/sub/deeper/One.pdf");

        QCOMPARE(user.qvim(user.pdfToPng("run.log")), 0);

        user.verifyPngs({"out/Sample-00001.png", "out/Sample-00002.png", "out/sub/Four-00001.png",
                         "out/sub/Four-00002.png", "out/sub/deeper/One-00001.png"});
        QVERIFY(!QFileInfo::exists(user.path("out/Sample-00003.png")));
        const QStringList lines = user.logLines("run.log");
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(QStringLiteral("-----------------------------qvim-------")));
        QCOMPARE(lines[2], QStringLiteral("Conversion Successful"));
        QVERIFY(lines[3].startsWith(QStringLiteral("Time to complete job: ")));
    }

    void damagedPdfFailsAloneAndItsJobRunsAgain()
    {
        User user;
        user.copy(kDemoPdf, "in/Sample.pdf");
        user.copy(kFourPages, "in/sub/Four.pdf");
        QDir().mkpath(user.path("in/sub"));
        QVERIFY(testutil::writeFile(user.path("in/sub/Damaged.pdf"), "%PDF-1.4\n1 0 obj broken\n"));

        QStringList arguments = user.pdfToPng("run.log");
        arguments << "/B" << user.path("failed.krj");
        QCOMPARE(user.qvim(arguments), 252);

        user.verifyPngs({"out/Sample-00001.png", "out/Sample-00002.png", "out/sub/Four-00001.png",
                         "out/sub/Four-00002.png"});
        // The message, the rasteriser's reason, the input.
        const QStringList failed = user.logLines("run.log").filter(QStringLiteral("Job # 1  "));
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed[0].startsWith(QStringLiteral("Job # 1  Unable to open the input file. - "))
                     && failed[0].endsWith(QStringLiteral(" - ") + user.path("in/sub/Damaged.pdf")),
                 qPrintable(failed[0]));
        QVERIFY(QFileInfo(user.path("failed.krj")).isFile());

        // Mended, the failed item runs from its job file.
        user.copy(kFourPages, "in/sub/Damaged.pdf");
        QCOMPARE(user.qvim({"/J", user.path("failed.krj"), "/L", user.path("again.log"), "/P"}), 0);
        user.verifyPngs({"out/sub/Damaged-00001.png", "out/sub/Damaged-00002.png"});
        QVERIFY(user.logLines("again.log").contains(QStringLiteral("Conversion Successful")));
    }

    // A job file that runs nothing is no success unless it is a job: a
    // file of the new-task line alone is an empty job; anything without a
    // line of a job is refused with its path, a NUL byte in a job's line
    // as a damaged job.
    void jobFilesThatRunNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");   // %1: the job file
        const QString notAJob = QStringLiteral("The file is not a conversion job file: %1 - none of its lines is a "
                                               "task or the job's new-task line.");
        QByteArray noise;
        quint32 x = 2463534242u;
        for (int i = 0; i < 4096; ++i) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            noise.append(char(x));
        }
        QTest::newRow("empty") << QByteArray() << 252 << notAJob;
        QTest::newRow("random bytes") << noise << 252 << notAJob;
        QTest::newRow("plain text") << QByteArray("Minutes of the meeting\nAll present.\n") << 252 << notAJob;
        QTest::newRow("NUL bytes") << QByteArray(512, '\0') << 252 << notAJob;
        const char nul[] = "*^0^FALSE^75^100^0^0^0^\t\t1\tC\t/in/a\0.pdf\t12\tPDF\t/out/*.png\t8\tpng\t\t\r\n";
        QTest::newRow("NUL in a cell") << QByteArray(nul, sizeof nul - 1) << 252
                                       << QStringLiteral("The conversion job file is damaged: %1 - A NUL byte stands in "
                                                         "line 1.");
        QTest::newRow("new-task line alone") << QByteArray("\t\t*\t\t\t\t\t\t\t\t\t\r\n") << 0
                                             << QStringLiteral("Conversion Successful");
    }

    void jobFilesThatRunNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QString, line);
        User user;
        const QString job = user.write("job.KRJ", bytes);
        QCOMPARE(user.qvim({"/J", job, "/P", "/L", user.path("run.log")}), status);
        const QStringList lines = user.logLines("run.log");
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[2], line.arg(job));
        QVERIFY(lines[3].startsWith(QStringLiteral("Time to complete job: ")));
    }

    // Files and folders of a sub-folder search that cannot be reached are
    // failed items with the system's reason; the rest is converted.
    void unreachableInputsAreFailedItems()
    {
        if (!canDropFileOverride())
            QSKIP("cannot run the program bound by file permissions");
        User user;
        user.copy(kOnePage, "in/good.pdf");
        user.copy(kOnePage, "in/locked/hidden.pdf");
        QVERIFY(QFile::setPermissions(user.path("in/locked"), QFileDevice::Permissions()));
        const auto unlock = qScopeGuard([&] { QFile::setPermissions(user.path("in/locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner); });
        // A PDF deeper than a path may be.
        QFile source(kOnePage);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QString top;
        const QString far = testutil::writeFileBeyondPathLimit(user.path("in"), "far.pdf", source.readAll(), &top);
        const auto removeDeep = qScopeGuard([&] {
            testutil::removeTree(top);
            testutil::removeTree(user.path("out/") + QFileInfo(top).fileName());
        });
        QVERIFY(!far.isEmpty());

        const QvimRun run = user.run({"/S", user.path("in") + "/*.pdf", "/R", "/T", user.path("out") + "/*.png", "/P",
                                      "/L", user.path("run.log")},
                                     dropFileOverride);
        QCOMPARE(run.status, 252);
        user.verifyPngs({"out/good.png"});
        const QStringList lines = user.logLines("run.log");
        QVERIFY2(lines.contains(QStringLiteral("Job # 1  Unable to search the folder. - ")
                                + QString::fromLocal8Bit(std::strerror(EACCES)) + QStringLiteral(" - ")
                                + user.path("in/locked/") + QStringLiteral("*.pdf")),
                 qPrintable(lines.join(u'\n')));
        QVERIFY2(lines.contains(QStringLiteral("Job # 1  Unable to open the input file. - ")
                                + QString::fromLocal8Bit(std::strerror(ENAMETOOLONG)) + QStringLiteral(" - ") + far),
                 qPrintable(lines.join(u'\n').left(2000)));
        QVERIFY(!lines.contains(QStringLiteral("Conversion Successful")));
        // Nothing was made for what could not be reached.
        QCOMPARE(user.entries("out"), QStringList{QStringLiteral("good.png")});
    }

    // An input whose type the program does not convert from is refused
    // with the types it does; no internal number reaches the user.
    void unconvertibleInputNamesTheTypesExpected_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("asJob");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("action");
        QTest::newRow("one file") << QStringLiteral("in/notes.odt") << false << 253 << QString();
        QTest::newRow("a mask") << QStringLiteral("in/*.odt") << false << 253 << QString();
        QTest::newRow("a job's task without a type") << QStringLiteral("in/*.odt") << true << 252 << QStringLiteral("C");
        QTest::newRow("a job's append without a type") << QStringLiteral("in/*.odt") << true << 252 << QStringLiteral("S50");
        QTest::newRow("a job's removal of empty lines without a type")
            << QStringLiteral("in/*.odt") << true << 252 << QStringLiteral("S55");
    }

    void unconvertibleInputNamesTheTypesExpected()
    {
        QFETCH(QString, input);
        QFETCH(bool, asJob);
        QFETCH(int, status);
        QFETCH(QString, action);
        User user;
        user.write("in/notes.odt", "PK\x03\x04 an office document");
        QDir().mkpath(user.path("out"));
        QStringList arguments;
        if (asJob) {
            const QString job = user.write(
                "job.KRJ", QStringLiteral("*^0^FALSE^75^100^0^0^0^\t\t1\t%3\t%1\t-12345678\t\t%2\t%4\t%5\t\t\r\n")
                               .arg(user.path(input), user.path(action == u'C' ? "out/*.pdf" : "out/joined.rtf"), action,
                                    action == u'C' ? QStringLiteral("12") : QStringLiteral("5"),
                                    action == u'C' ? QStringLiteral("pdf") : QStringLiteral("rtf"))
                               .toUtf8());
            arguments << "/J" << job;
        } else {
            arguments << "/S" << user.path(input) << "/T" << user.path(input.contains(u'*') ? "out/*.pdf" : "out/notes.pdf");
        }
        QCOMPARE(user.qvim(arguments << "/P" << "/L" << user.path("run.log")), status);
        const QString log = user.log("run.log");
        QVERIFY2(log.contains(QStringLiteral("Invalid Input File type specified.")), qPrintable(log));
        QVERIFY(log.contains(user.path("in/") + (asJob || !input.contains(u'*') ? QStringLiteral("notes.odt") : QStringLiteral("*.odt"))
                             + QStringLiteral(": the file's type is not one the task's input type covers.")));
        QVERIFY(log.contains(QStringLiteral("Expected one of the input file types: TXT, HTM, RTF, DOC, XML, CSS, DOCX, PDF")));
        QVERIFY2(!log.contains(QStringLiteral("12345678")), qPrintable(log));
        QVERIFY(user.entries("out").isEmpty());
    }

    // The job of failed items holds every failed item a line can hold, in
    // its task row's cells; one whose file name holds a TAB gets a line of
    // its own in the log instead, and no false report of an unwritable file.
    void failedItemsJobKeepsWhatALineCanHold()
    {
        User user;
        user.write("in/a\tb.pdf", "not a PDF");
        user.write("in/c.pdf", "not a PDF either");
        user.copy(kOnePage, "in/good.pdf");
        QCOMPARE(user.qvim({"/S", user.path("in") + "/*.pdf", "/T", user.path("out") + "/*.png", "/B",
                            user.path("failed.krj"), "/P", "/L", user.path("run.log")}),
                 252);
        user.verifyPngs({"out/good.png"});
        const QStringList lines = user.logLines("run.log");
        QCOMPARE(lines.filter(QStringLiteral("Job # 1  Unable to open the input file.")).size(), 2);
        QVERIFY(lines.contains(QStringLiteral("Job # 1  Not saved in the conversion job file: a job file line cannot "
                                              "hold the TAB or line break in its file name - ")
                               + user.path("in/a\\tb.pdf")));
        QVERIFY(lines.filter(QStringLiteral("Unable to create file")).isEmpty());

        const QByteArray saved = testutil::readFile(user.path("failed.krj"));
        const QByteArray row = "\t\t2\tC\t" + user.path("in/c.pdf").toUtf8() + "\t12\tPDF\t" + user.path("out/c.png").toUtf8()
                               + "\t8\tpng\t\t\r\n";
        QVERIFY2(saved.endsWith(QByteArray(row + "\t\t*\t\t\t\t\t\t\t\t\t\r\n")), saved.constData());
        QCOMPARE(saved.count("\r\n"), 2);
        QVERIFY(saved.startsWith("*^0^FALSE^75^100^0^0^0^"));

        // The job runs that item again as it was.
        user.copy(kOnePage, "in/c.pdf");
        QCOMPARE(user.qvim({"/J", user.path("failed.krj"), "/P", "/L", user.path("again.log")}), 0);
        user.verifyPngs({"out/c.png"});
    }
};

QTEST_GUILESS_MAIN(TestQvimRuns)
#include "test_qvim_runs.moc"
