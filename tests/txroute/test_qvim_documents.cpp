// The real program converting documents from its command line: a batch
// with a damaged DOCX goes on to the next file, and so does one with a
// document that takes its office past the memory budget, on either route,
// one office or the pool; /W encrypts a plain PDF output and is refused for
// PDF/A, and no office process of the program's outlives it. The program
// runs as a user with folders of its own.
#include "RouteTestSupport.h"
#include "QvimUser.h"
#include "TestUtil.h"
#include "ZipFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
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

    // Every line end of a text file starts a line of its PDF, whichever
    // comes first and however they mix; a CR LF pair is one line end.
    void textLineEndsEachStartALineOfThePdf()
    {
        struct Case
        {
            const char* name;
            QByteArray bytes;
            QStringList lines;
        };
        const QStringList four{"first", "second", "third", "fourth"};
        const auto utf16 = [](const QByteArray& text) {
            QByteArray bytes("\xFF\xFE", 2);
            for (const char c : text)
                bytes.append(c).append('\0');
            return bytes;
        };
        const QList<Case> cases{
            {"lf", "first\nsecond\nthird\nfourth\n", four},
            {"crlf", "first\r\nsecond\r\nthird\r\nfourth\r\n", four},
            {"cr", "first\rsecond\rthird\rfourth\r", four},
            {"lf-first", "first\nsecond\r\nthird\rfourth\n", four},
            {"crlf-first", "first\r\nsecond\nthird\rfourth\r\n", four},
            {"cr-first", "first\rsecond\r\nthird\nfourth", four},
            {"wide-lf-first", utf16("first\nsecond\r\nthird\rfourth\n"), four},
            {"crlf-blank", "first\r\n\r\nsecond\r\n", {"first", "", "second"}},
            {"lf-blank-crlf", "first\n\nsecond\r\nthird\r\n", {"first", "", "second", "third"}},
        };
        User user;
        for (const Case& c : cases)
            user.write(QStringLiteral("in/%1.txt").arg(QLatin1String(c.name)), c.bytes);
        QCOMPARE(user.qvim({"/S", user.path("in") + "/*.txt", "/T", user.path("out") + "/*.pdf", "/C", "12", "/L",
                            user.path("run.log"), "/P"}),
                 0);
        // The lines of the page as pdftotext places them, an empty line
        // where the text leaves a line's height free.
        const auto pageLines = [&](const char* name) {
            const ToolResult r = runTool(QStringLiteral("pdftotext"),
                                         {QStringLiteral("-bbox"), user.path(QStringLiteral("out/%1.pdf").arg(QLatin1String(name))),
                                          QStringLiteral("-")});
            static const QRegularExpression word(QStringLiteral("<word [^>]*yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
            QList<std::pair<double, QString>> rows;
            for (auto m = word.globalMatch(QString::fromUtf8(r.out)); m.hasNext();) {
                const auto found = m.next();
                const double y = found.captured(1).toDouble();
                if (rows.isEmpty() || qAbs(rows.last().first - y) > 1)
                    rows.append({y, found.captured(2)});
                else
                    rows.last().second += u' ' + found.captured(2);
            }
            return rows;
        };
        const auto reference = pageLines("lf");
        QCOMPARE(reference.size(), 4);
        const double pitch = reference[1].first - reference[0].first;
        QVERIFY(pitch > 5);
        for (const Case& c : cases) {
            QStringList lines;
            for (const auto& [y, text] : pageLines(c.name)) {
                const int row = qRound((y - reference[0].first) / pitch);
                while (lines.size() < row)
                    lines << QString();
                lines << text;
            }
            QVERIFY2(lines == c.lines, qPrintable(QLatin1String(c.name) + QStringLiteral(": ") + lines.join(u'|')));
        }
    }

    void batchGoesOnPastADocumentThatTakesTheOfficePastItsMemory_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("pool");
        QTest::newRow("text control, the pool") << "0" << true;
        QTest::newRow("text control, one office") << "0" << false;
        QTest::newRow("Word-conversion control, the pool") << "1" << true;
        QTest::newRow("Word-conversion control, one office") << "1" << false;
    }

    // A small DOCX that needs far more memory than the budget (400 MB here,
    // set by TESSAVIEW_OFFICE_MEMORY_BUDGET) fails alone with that reason;
    // the documents around it convert, and no office outlives the run.
    void batchGoesOnPastADocumentThatTakesTheOfficePastItsMemory()
    {
        QFETCH(QString, method);
        QFETCH(bool, pool);
        User user;
        user.copy(kDemo + QStringLiteral("/Sample Word Document.docx"), QStringLiteral("in/a-good.docx"));
        const QString hungry = user.write(QStringLiteral("in/b-hungry.docx"), testutil::memoryHungryDocx());
        user.copy(QStringLiteral(TESSAVIEW_CORPUS "/docx/tables.docx"), QStringLiteral("in/c-tables.docx"));
        if (!pool)
            user.write(QStringLiteral("config/Kestrova, Inc/Tessaview/QVIM_SearchHistory.INI"),
                       "[frmMain]\r\nbOptimizeForSpeed=FALSE\r\n");

        qputenv("TESSAVIEW_OFFICE_MEMORY_BUDGET", "400M");
        Descendants* processes = nullptr;
        const int status = user.qvim({"/S", user.path("in") + "/*.docx", "/T", user.path("out") + "/*.pdf", "/C", "12",
                                      "/M", method, "/L", user.path("run.log"), "/P"},
                                     &processes);
        qunsetenv("TESSAVIEW_OFFICE_MEMORY_BUDGET");
        QCOMPARE(status, 252);

        const QStringList lines = user.logLines(QStringLiteral("run.log")).filter(QStringLiteral("Job #"));
        QVERIFY2(lines.size() == 1, qPrintable(lines.join(u'\n')));
        QVERIFY2(lines[0].contains(QStringLiteral("The office used more than 400 MB of memory while loading ") + hungry),
                 qPrintable(lines[0]));
        QVERIFY(!QFileInfo::exists(user.path("out/b-hungry.pdf")));
        QVERIFY(pdfText(user.path("out/a-good.pdf")).contains(QStringLiteral("An old clock ticks")));
        QVERIFY(pdfInfoField(pdfInfo(user.path("out/c-tables.pdf")).out, QStringLiteral("Pages")).toInt() >= 1);

        QVERIFY(processes && processes->count() > 0);
        QCOMPARE(processes->stillRunning(), QList<qint64>());
    }

    // /W gives the open password, the settings file the permissions
    // password and the permissions; the PDF is encrypted with AES-256.
    void encryptedWithAes256AndThePermissionsOfTheSettings()
    {
        User user;
        user.copy(kDemo + QStringLiteral("/Sample Rich Text.rtf"), QStringLiteral("in/a.rtf"));
        // Low-resolution printing, screen readers, filling in forms.
        user.write(QStringLiteral("config/Kestrova, Inc/Tessaview/QVIM_SearchHistory.INI"),
                   "[frmMain]\r\nbOverridePDFSettings=TRUE\r\nsVyxPDFMasterPassword=perm-secret\r\n"
                   "lDocAccessPermissions=134\r\n");
        const QString pdf = user.path("out/a.pdf");
        QCOMPARE(user.qvim({"/S", user.path("in/a.rtf"), "/T", pdf, "/C", "12", "/W", "open-secret", "/P"}), 0);
        QVERIFY(pdfInfo(pdf).exitCode != 0);
        QCOMPARE(pdfEncryption(pdf, QStringLiteral("open-secret")),
                 QStringLiteral("yes (print:yes copy:no change:no addNotes:no algorithm:AES-256)"));
        QCOMPARE(pdfInfo(pdf, {QStringLiteral("-opw"), QStringLiteral("perm-secret")}).exitCode, 0);
        QVERIFY(pdfText(pdf, QStringLiteral("open-secret")).contains(QStringLiteral("Rich")));
    }

    // A failing run with both passwords: neither shows in the log file, on
    // standard error, in the job file of the failed items or in the name of
    // any file the program or its office made in the temporary folder.
    void passwordsStayOutOfEveryReport()
    {
        User user;
        user.copy(kDemo + QStringLiteral("/Sample Word Document.docx"), QStringLiteral("in/b-good.docx"));
        const QByteArray docx = testutil::readFile(kDemo + QStringLiteral("/Sample Word Document.docx"));
        user.write(QStringLiteral("in/a-damaged.docx"), docx.left(docx.size() / 3));
        const QString openPassword = QStringLiteral("pdf-open-6Qz");
        const QString inputPassword = QStringLiteral("input-pw-9Xk");
        QProcess process;
        QVERIFY(user.start(process, {"/S", user.path("in/*.docx"), "/T", user.path("out/*.pdf"), "/C", "12", "/W",
                                     openPassword, "/Z", inputPassword, "/L", user.path("run.log"), "/V", "/B",
                                     user.path("failed.KRJ"), "/P"}));
        QSet<QString> names;
        QDeadlineTimer deadline(120000);
        while (!process.waitForFinished(5) && !deadline.hasExpired()) {
            QDirIterator it(user.path("tmp"), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                names.insert(it.next());
        }
        QCOMPARE(process.exitCode(), 252);
        QVERIFY(!names.isEmpty());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        const QString log = user.log(QStringLiteral("run.log"));
        const QString failed = user.log(QStringLiteral("failed.KRJ"));
        QVERIFY2(log.contains(user.path("in/a-damaged.docx")), qPrintable(log));
        QVERIFY2(err.contains(user.path("in/a-damaged.docx")), qPrintable(err));
        QVERIFY2(failed.contains(user.path("in/a-damaged.docx")), qPrintable(failed));
        QVERIFY(pdfEncryption(user.path("out/b-good.pdf"), openPassword).startsWith(QLatin1String("yes")));
        for (const QString& password : {openPassword, inputPassword}) {
            QVERIFY2(!log.contains(password), qPrintable(log));
            QVERIFY2(!err.contains(password), qPrintable(err));
            QVERIFY2(!failed.contains(password), qPrintable(failed));
            for (const QString& name : std::as_const(names))
                QVERIFY2(!name.contains(password), qPrintable(name));
        }
        QCOMPARE(user.entries("tmp"), QStringList{});
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
