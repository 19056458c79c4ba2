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
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestQvimRuns)
#include "test_qvim_runs.moc"
