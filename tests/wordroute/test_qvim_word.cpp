// The real program converting documents through the Word route (/M 1): the
// control's library loaded at run time, each document type to PDF, a PDF
// rendered into page images, the input's password on the command line, and
// no office of the program's left when it ends.
#include "../office/OfficeTestSupport.h"
#include "QvimUser.h"
#include "TestUtil.h"

#include "office/OfficeEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace officetest;
using testutil::Descendants;

namespace {

const QString kDemo = QStringLiteral(TESSAVIEW_DEMO_DATA);

using User = QvimUser;

} // namespace

class TestQvimWord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { OFFICE_TEST_REQUIRE_OFFICE(); }

    void documentsToPdf_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("DOCX") << "Sample Word Document.docx" << "An old clock ticks in the empty hallway.";
        QTest::newRow("DOC") << "Sample Word 97 Document.doc" << "Seven swans glide across the mill pond.";
        QTest::newRow("RTF") << "Sample Rich Text.rtf" << "A copper kettle sings on the stove.";
        QTest::newRow("HTML") << "Sample Web Page.html" << "The first list item mentions a lighthouse.";
    }

    void documentsToPdf()
    {
        QFETCH(QString, input);
        QFETCH(QString, phrase);
        User user;
        user.copy(kDemo + u'/' + input, QStringLiteral("in/") + input);
        const QString pdf = user.path(QStringLiteral("out/") + QFileInfo(input).completeBaseName() + ".pdf");
        Descendants* processes = nullptr;
        const int status = user.qvim({"/S", user.path("in/" + input), "/T", pdf, "/C", "12", "/M", "1", "/P"}, &processes);
        QVERIFY2(status == 0, user.lastStderr().constData());
        QVERIFY2(pdfText(pdf).contains(phrase), qPrintable(pdfText(pdf)));
        // The office the control started is gone with the program.
        QVERIFY(processes->count() > 0);
        QCOMPARE(processes->stillRunning(), QList<qint64>());
    }

    void pagesOfADocumentAsImages()
    {
        User user;
        user.copy(kDemo + "/Sample Word Document.docx", QStringLiteral("in/a.docx"));
        const int status = user.qvim({"/S", user.path("in/a.docx"), "/T", user.path("out/page.png"), "/5", "60",
                                      "/M", "1", "/L", user.path("run.log"), "/P"});
        QVERIFY2(status == 0, qPrintable(user.log("run.log")));
        // The demo document has two pages; the temporary PDF is gone.
        QCOMPARE(QDir(user.path("out")).entryList(QDir::Files),
                 (QStringList{"page-00001.png", "page-00002.png"}));
        for (const QString& page : {QStringLiteral("page-00001.png"), QStringLiteral("page-00002.png")}) {
            const ToolResult id = runTool(QStringLiteral("identify"), {"-format", "%m", user.path("out/" + page)});
            QCOMPARE(QString::fromLatin1(id.out), QStringLiteral("PNG"));
        }
    }

    void bothRoutesInOneRunLeaveNoOffice()
    {
        User user;
        user.copy(kDemo + "/Sample Word Document.docx", QStringLiteral("in/a.docx"));
        user.copy(kDemo + "/Sample Rich Text.rtf", QStringLiteral("in/b.rtf"));
        // A job of two tasks: the text control, then the Word route ("M").
        const QString row = QStringLiteral("*^0^FALSE^75^100^0^0^0^\t%1\t%2\tC\t%3\t%4\t\t%5\t12\tpdf\t\t\r\n");
        const QByteArray job = (row.arg("D", "1", user.path("in/a.docx"), "13", user.path("out/a.pdf"))
                                + row.arg("DM", "2", user.path("in/b.rtf"), "5", user.path("out/b.pdf"))
                                + QStringLiteral("\t\t*\t\t\t\t\t\t\t\t\t\r\n"))
                                   .toUtf8();
        QVERIFY(testutil::writeFile(user.path("both.KRJ"), job));
        Descendants* processes = nullptr;
        const int status = user.qvim({"/J", user.path("both.KRJ"), "/L", user.path("both.log"), "/P"}, &processes);
        QVERIFY2(status == 0, qPrintable(user.log("both.log")));
        QVERIFY(pdfText(user.path("out/a.pdf")).contains(QStringLiteral("An old clock ticks")));
        QVERIFY(pdfText(user.path("out/b.pdf")).contains(QStringLiteral("A copper kettle")));
        QCOMPARE(processes->stillRunning(), QList<qint64>());
    }

    void theInputsPassword()
    {
        User user;
        QDir().mkpath(user.path("in"));
        // A protected DOCX, made by an office of the test's own.
        {
            const std::unique_ptr<OfficeEngine> engine = OfficeEngine::Create();
            OfficeSaveOptions save;
            save.format = OfficeOutputFormat::Docx;
            save.documentPassword = QStringLiteral("right-pw");
            const OfficeStatus made =
                engine->convert(kDemo + "/Sample Rich Text.rtf", OfficeLoadOptions{}, user.path("in/locked.docx"), save);
            QVERIFY2(made.ok(), qPrintable(made.message));
        }
        const QString pdf = user.path("out/locked.pdf");
        QCOMPARE(user.qvim({"/S", user.path("in/locked.docx"), "/T", pdf, "/C", "12", "/M", "1", "/Z", "wrong-pw",
                            "/L", user.path("wrong.log"), "/P"}),
                 252);
        const QString log = user.log("wrong.log");
        QVERIFY2(log.contains(QStringLiteral("Job # 1  Failed to Convert. Unable to open file. Could be a password or "
                                             "network access issue - ")
                              + user.path("in/locked.docx")),
                 qPrintable(log));
        QVERIFY(!QFileInfo::exists(pdf));

        QCOMPARE(user.qvim({"/S", user.path("in/locked.docx"), "/T", pdf, "/C", "12", "/M", "1", "/Z", "right-pw", "/P"}), 0);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("A copper kettle sings on the stove.")));
    }
};

QTEST_GUILESS_MAIN(TestQvimWord)
#include "test_qvim_word.moc"
