// The real program converting documents from its command line: a batch
// with a damaged DOCX goes on to the next file, /W encrypts a plain PDF
// output and is refused for PDF/A, and no office process of the program's
// outlives it. The program runs as a user with folders of its own.
#include "RouteTestSupport.h"
#include "QvimUser.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace officetest;
using namespace routetest;

namespace {

const QString kDemo = QStringLiteral(TESSAVIEW_DEMO_DATA);

using User = QvimUser;

using testutil::Descendants;

} // namespace

class TestQvimDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ROUTE_TEST_REQUIRE_OFFICE();
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("docx/tables.docx"));
    }

    void batchGoesOnPastADamagedDocumentAndLeavesNoOffice()
    {
        User user;
        const QString docx = kDemo + QStringLiteral("/Sample Word Document.docx");
        user.copy(docx, QStringLiteral("in/b-good.docx"));
        user.copy(QStringLiteral(TESSAVIEW_CORPUS "/docx/tables.docx"), QStringLiteral("in/c-tables.docx"));
        const QByteArray bytes = testutil::readFile(docx);
        QDir().mkpath(user.path(QStringLiteral("in")));
        QVERIFY(testutil::writeFile(user.path(QStringLiteral("in/a-damaged.docx")), bytes.left(bytes.size() / 3)));

        Descendants* processes = nullptr;
        const int status = user.qvim({"/S", user.path("in") + "/*.docx", "/T", user.path("out") + "/*.pdf", "/C", "12",
                                      "/W", "secret", "/L", user.path("run.log"), "/P"},
                                     &processes);
        QCOMPARE(status, 252);

        // The damaged file is named with a clear reason; the others converted.
        const QString log = user.log(QStringLiteral("run.log"));
        QVERIFY2(log.contains(QStringLiteral("Job # 1  Invalid File Type or password specified for the Input File:  ")
                              + user.path("in/a-damaged.docx")),
                 qPrintable(log));
        QVERIFY(!QFileInfo::exists(user.path("out/a-damaged.pdf")));
        for (const QString& name : {QStringLiteral("b-good"), QStringLiteral("c-tables")}) {
            const QString pdf = user.path(QStringLiteral("out/%1.pdf").arg(name));
            QVERIFY2(pdfEncryption(pdf, QStringLiteral("secret")).startsWith(QLatin1String("yes")), qPrintable(name));
            QVERIFY(!hasPdfAIdentification(pdf));
        }
        QVERIFY(pdfText(user.path("out/b-good.pdf"), QStringLiteral("secret")).contains(QStringLiteral("An old clock ticks")));

        // The office it started is gone with it.
        QVERIFY(processes && processes->count() > 0);
        QCOMPARE(processes->stillRunning(), QList<qint64>());
    }

    void passwordForAPdfAOutputIsRefused()
    {
        User user;
        user.copy(kDemo + QStringLiteral("/Sample Rich Text.rtf"), QStringLiteral("in/a.rtf"));
        Descendants* processes = nullptr;
        QCOMPARE(user.qvim({"/S", user.path("in/a.rtf"), "/T", user.path("out/a.pdf"), "/W", "secret", "/L",
                            user.path("refused.log"), "/P"},
                           &processes),
                 253);
        const QString log = user.log(QStringLiteral("refused.log"));
        QVERIFY2(log.contains(QLatin1String("PDF/A")) && log.contains(QLatin1String("/C 12")), qPrintable(log));
        QVERIFY(!QFileInfo::exists(user.path("out/a.pdf")));
        // Refused before any document: no office was started.
        QCOMPARE(processes->count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestQvimDocuments)
#include "test_qvim_documents.moc"
