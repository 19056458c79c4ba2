// Faults in the middle of long runs of the real program. In every case the
// run goes on with the next item, each failure is in the log with its
// item, and nothing of the program's is left in the temporary folder.
#include "QvimUser.h"
#include "../engine/EngineHarness.h"
#include "../office/OfficeTestSupport.h"
#include "TestPdf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

using User = QvimUser;

class TestQvimFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { OFFICE_TEST_REQUIRE_OFFICE(); }

    // A one-page PDF that paints its page 250,000 times fails at its page's
    // time limit (10 s and 2 s per megapixel: 12 s at 72 dpi) with a clear
    // reason, and the next PDF of the run converts.
    void hostilePdfFailsAtThePageLimit()
    {
        User user;
        user.write(QStringLiteral("in/a-hostile.pdf"), testpdf::makePdf({testpdf::hostilePage(250000)}));
        user.write(QStringLiteral("in/b-good.pdf"), testpdf::makePdf(2));
        QDir().mkpath(user.path("out"));
        QElapsedTimer timer;
        timer.start();
        const QvimRun run = user.run({"/S", user.path("in/*.pdf"), "/T", user.path("out/*.png"), "/1", "1-2", "/5",
                                      "72", "/L", user.path("run.log"), "/P"});
        const qint64 took = timer.elapsed();
        QCOMPARE(run.status, 252);
        QVERIFY2(took < 12000 + 10000, qPrintable(QString::number(took)));
        const QString log = user.log(QStringLiteral("run.log"));
        QVERIFY2(log.contains(QStringLiteral("Job # 1  Unable to save image. Try a lower resolution. - page 1 took longer than 12.0 "
                                             "seconds to draw (the limit of a page of 612 x 792 pixels) and was "
                                             "cut off - ")
                              + user.path("in/a-hostile.pdf")),
                 qPrintable(log));
        QCOMPARE(user.entries("out"), (QStringList{"b-good-00001.png", "b-good-00002.png"}));
        QVERIFY(identifiedFormat(user.path("out/b-good-00002.png")).startsWith(QLatin1String("PNG")));
        QCOMPARE(user.entries("tmp"), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestQvimFaults)
#include "test_qvim_faults.moc"
