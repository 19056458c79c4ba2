// The text-control route against the installed LibreOffice, through the
// item runner and the task runner: every demo input type to PDF and PDF/A,
// the formatting overrides, PDF security, images through the rasteriser,
// inputs that cannot be read, and an office that hangs or dies mid-batch.
// One job engine, and so one office engine, serves every case.
#include "../engine/EngineHarness.h"
#include "RouteTestSupport.h"

#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "core/FileTypes.h"
#include "engine/TaskRunners.h"
#include "engine/TextControlRoute.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "office/OfficeEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <memory>

using namespace officetest;
using namespace routetest;

namespace {

const QString kDemo = QStringLiteral(TESSAVIEW_DEMO_DATA);
const QString kDefaultOptions = QStringLiteral("*^0^FALSE^75^100^0^0^0^^^^^^^^^^^^^^");

clsConversionOptions makeItem(const QString& input, int inputType, const QString& output, int outputType)
{
    clsConversionOptions item;
    item.sOriginalFile = input;
    item.lOriginalFileType = inputType;
    item.sTargetFile = output;
    item.lTargetFileType = outputType;
    item.lConversionMethod = conversionmethod::TextControl;
    item.sExtraParams = kDefaultOptions;
    return item;
}

bool processAlive(pid_t pid)
{
    return pid > 0 && ::kill(pid, 0) == 0;
}

QByteArray bigHtml()
{
    QByteArray big("<html><body>");
    for (int i = 0; i < 3000; ++i)
        big += "<p>Line " + QByteArray::number(i) + " of a slow document</p>";
    return big + "</body></html>";
}

} // namespace

class TestTextControlRoute : public QObject
{
    Q_OBJECT

    std::unique_ptr<EngineHarness> m_h;
    ScratchFolder m_dir;

    QString path(const QString& name) const { return m_dir.path(name); }
    QString write(const QString& name, const QByteArray& bytes) const { return m_dir.write(name, bytes); }
    OfficeEngine& office() { return m_h->engine.TextControls().Engine(); }

    int convert(clsConversionOptions& item) { return PerformConversionItem(m_h->engine, item); }

    // A wildcard task of the text-control route over `inputs` into "out/".
    clsConversionOptions folderTask(const QString& inputs, int inputType, const QString& outputs)
    {
        clsConversionOptions task = makeItem(path(inputs), inputType, path(outputs), filetype::Pdf);
        task.sActionToDo = QStringLiteral("C");
        return task;
    }

    // A document protected by a password, written by the office itself.
    QString protectedDocument(const QString& name, OfficeOutputFormat format)
    {
        OfficeSaveOptions save;
        save.format = format;
        save.documentPassword = QStringLiteral("pw");
        const QString output = path(name);
        const QString source = write(name + QStringLiteral(".rtf"), rtfDocument("Locked away\\par"));
        const OfficeStatus status = office().convert(source, OfficeLoadOptions{}, output, save);
        if (!status.ok())
            qFatal("cannot write %s: %s", qPrintable(output), qPrintable(status.message));
        return output;
    }

private slots:
    void initTestCase()
    {
        ROUTE_TEST_REQUIRE_OFFICE();
        QVERIFY(m_dir.isValid());
        m_h = std::make_unique<EngineHarness>();
    }

    void init()
    {
        // Every case starts from the settings of a first run.
        m_h->startFromFirstRun();
        office().setLoadTimeout(120000);
        office().setSaveTimeout(120000);
    }

    void cleanupTestCase()
    {
        if (!m_h)
            return;
        // The office goes with the engine that owns it.
        const pid_t pid = office().processId();
        QVERIFY(processAlive(pid));
        m_h.reset();
        QVERIFY(!processAlive(pid));
    }

    void demoInputsBecomePdf_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<QString>("text");

        QTest::newRow("8-bit text") << "Sample Text.txt" << 1 << 12 << "Café au lait costs 2,50 €";
        QTest::newRow("UTF-16 text") << "Sample Unicode Text.txt" << 6 << 12 << "Καλημέρα κόσμε";
        QTest::newRow("HTML") << "Sample Web Page.html" << 4 << 12 << "The first list item mentions a lighthouse.";
        QTest::newRow("RTF") << "Sample Rich Text.rtf" << 5 << 12 << "A copper kettle sings on the stove.";
        QTest::newRow("DOC") << "Sample Word 97 Document.doc" << 9 << 12 << "This file is a DOC document made by LibreOffice.";
        QTest::newRow("DOCX") << "Sample Word Document.docx" << 13 << 12 << "An old clock ticks in the empty hallway.";
        QTest::newRow("XML as text") << "Sample Data.xml" << 10 << 12 << "The Orchard Keeper's Almanac";
        QTest::newRow("DOCX to PDF/A") << "Sample Word Document.docx" << 13 << 14 << "Second page of the DOCX sample.";
        QTest::newRow("text to PDF/A") << "Sample Text.txt" << 1 << 14 << "The blue heron waits by the harbour wall.";
    }

    void demoInputsBecomePdf()
    {
        QFETCH(QString, input);
        QFETCH(int, inputType);
        QFETCH(int, outputType);
        QFETCH(QString, text);

        const QString output = path(QStringLiteral("demo/%1-%2.pdf").arg(input).arg(outputType));
        QDir().mkpath(path(QStringLiteral("demo")));
        clsConversionOptions item = makeItem(kDemo + u'/' + input, inputType, output, outputType);
        QCOMPARE(convert(item), 0);
        QCOMPARE(item.sErr, QString());
        QCOMPARE(item.lOriginalFileType, inputType);
        QVERIFY2(pdfText(output).contains(text), qPrintable(pdfText(output)));
        QCOMPARE(hasPdfAIdentification(output), outputType == filetype::PdfA);
        QVERIFY(QFileInfo::exists(kDemo + u'/' + input));
    }

    void pageSizeMarginsAndFontFromTheOverrides_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("inputType");
        QTest::newRow("text, which brings no page layout") << "Sample Text.txt" << 1;
        QTest::newRow("DOCX, which brings its own") << "Sample Word Document.docx" << 13;
    }

    void pageSizeMarginsAndFontFromTheOverrides()
    {
        QFETCH(QString, input);
        QFETCH(int, inputType);
        MainFormState& form = m_h->form;
        form.bOverridePageSettings = true;
        form.lVyxPageWidth = 16838; // A4 landscape
        form.lVyxPageHeight = 11906;
        form.lVyxPageMarginL = 2880; // two inches
        form.lVyxPageMarginT = 720;
        form.lVyxPageMarginR = 0;
        form.lVyxPageMarginB = 720;
        form.bOverrideFontSettings = true;
        form.lVyxFontSize = 14;
        form.sVyxFontName = QStringLiteral("Liberation Mono");

        const QString output = path(QStringLiteral("page-%1.pdf").arg(inputType));
        clsConversionOptions item = makeItem(kDemo + u'/' + input, inputType, output, filetype::Pdf);
        QCOMPARE(convert(item), 0);
        const QSizeF size = pdfPageSize(output);
        QVERIFY2(qAbs(size.width() - 841.9) < 1 && qAbs(size.height() - 595.3) < 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        const double left = firstWordLeft(output);
        QVERIFY2(left >= 143 && left < 150, qPrintable(QString::number(left)));
        const QString fonts = QString::fromUtf8(runTool(QStringLiteral("pdffonts"), {output}).out);
        QVERIFY2(fonts.contains(QLatin1String("LiberationMono")), qPrintable(fonts));
    }

    void maximumImageResolutionOfTheImageGroup_data()
    {
        QTest::addColumn<bool>("enforced");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("ppi");
        // A picture of 400 ppi on the page.
        QTest::newRow("enforced, 30") << true << 30 << 30;
        QTest::newRow("enforced, 75") << true << 75 << 75;
        QTest::newRow("enforced, 0 keeps it") << true << 0 << 400;
        QTest::newRow("not enforced keeps it") << false << 30 << 400;
    }

    // "Sets the maximum resolution for all images in the document in dots
    // per inch when the document is saved", read back by pdfimages.
    void maximumImageResolutionOfTheImageGroup()
    {
        QFETCH(bool, enforced);
        QFETCH(int, maximum);
        QFETCH(int, ppi);
        MainFormState& form = m_h->form;
        form.bOverrideImageSettings = enforced;
        form.lImageMaxResolution = maximum;
        const QString input = write(QStringLiteral("picture.docx"), pictureDocx(1600, 1200, 4, 3));
        const QString output = path(QStringLiteral("picture-%1-%2.pdf").arg(enforced).arg(maximum));
        clsConversionOptions item = makeItem(input, filetype::Docx, output, filetype::Pdf);
        QCOMPARE(convert(item), 0);
        QCOMPARE(pdfImageResolutions(output), (std::vector<std::pair<int, int>>{{ppi, ppi}}));
    }

    void failingSettingsFailTheItemUntilThePageSizeIsSet()
    {
        MainFormState& form = m_h->form;
        form.bOverrideParagraphSettings = true;
        form.lVyxAlignment = 9; // no such alignment
        const QString input = write(QStringLiteral("settings.rtf"), rtfDocument("Aligned oddly\\par"));

        // With the page group off the bad value ends the item.
        const QString refused = path(QStringLiteral("settings-refused.pdf"));
        clsConversionOptions item = makeItem(input, filetype::Rtf, refused, filetype::Pdf);
        QCOMPARE(convert(item), -3);
        QVERIFY2(item.sErr.contains(QLatin1String("9 is not a valid value")), qPrintable(item.sErr));
        QVERIFY(!QFileInfo::exists(refused));

        // Once the page group has set the page size, it is passed over.
        form.bOverridePageSettings = true;
        const QString passed = path(QStringLiteral("settings-passed.pdf"));
        item = makeItem(input, filetype::Rtf, passed, filetype::Pdf);
        QCOMPARE(convert(item), 0);
        QVERIFY(pdfText(passed).contains(QStringLiteral("Aligned oddly")));

        // A margin the control refuses comes before that point.
        form.lVyxPageMarginL = -5;
        const QString margin = path(QStringLiteral("settings-margin.pdf"));
        item = makeItem(input, filetype::Rtf, margin, filetype::Pdf);
        QCOMPARE(convert(item), -3);
        QVERIFY(!item.sErr.isEmpty());
        QVERIFY(!QFileInfo::exists(margin));
    }

    void pdfPasswordsAndPermissionsThenCleared()
    {
        MainFormState& form = m_h->form;
        form.bOverridePDFSettings = true;
        form.sVyxPDFUserPassword = QStringLiteral("open-pw");
        form.sVyxPDFMasterPassword = QStringLiteral("perm-pw");
        form.lDocAccessPermissions = 128 + 4; // low-resolution printing, screen readers
        const QString input = kDemo + QStringLiteral("/Sample Rich Text.rtf");

        const QString secured = path(QStringLiteral("secured.pdf"));
        clsConversionOptions item = makeItem(input, filetype::Rtf, secured, filetype::Pdf);
        QCOMPARE(convert(item), 0);
        QVERIFY(pdfInfo(secured).exitCode != 0); // no password, no opening
        const QString encrypted = pdfEncryption(secured, QStringLiteral("open-pw"));
        QVERIFY2(encrypted.startsWith(QLatin1String("yes")) && encrypted.contains(QLatin1String("print:yes"))
                     && encrypted.contains(QLatin1String("copy:no")) && encrypted.contains(QLatin1String("change:no")),
                 qPrintable(encrypted));

        // PDF/A cannot be encrypted: the item fails and says what to do.
        const QString archive = path(QStringLiteral("secured-a.pdf"));
        item = makeItem(input, filetype::Rtf, archive, filetype::PdfA);
        QCOMPARE(convert(item), -3);
        QVERIFY2(item.sErr.contains(QLatin1String("plain PDF")), qPrintable(item.sErr));
        QVERIFY(!QFileInfo::exists(archive));

        // Switched off, the passwords do not reach the next document.
        form.bOverridePDFSettings = false;
        const QString open = path(QStringLiteral("open.pdf"));
        item = makeItem(input, filetype::Rtf, open, filetype::Pdf);
        QCOMPARE(convert(item), 0);
        QVERIFY2(pdfEncryption(open).startsWith(QLatin1String("no")), qPrintable(pdfEncryption(open)));
    }

    void documentBecomesPngPagesThroughTheRasteriser()
    {
        // The open password is for PDF outputs; the pages are still made.
        m_h->form.bOverridePDFSettings = true;
        m_h->form.sVyxPDFUserPassword = QStringLiteral("open-pw");
        QDir().mkpath(path(QStringLiteral("png")));
        const QString output = path(QStringLiteral("png/Sample.png"));
        clsConversionOptions item =
            makeItem(kDemo + QStringLiteral("/Sample Word Document.docx"), filetype::Docx, output, filetype::Png);
        QCOMPARE(convert(item), 0);
        QCOMPARE(item.lTargetFileType, int(filetype::Png));
        QCOMPARE(QDir(path(QStringLiteral("png"))).entryList(QDir::Files),
                 (QStringList{"Sample-00001.png", "Sample-00002.png"}));
        for (const QString& page : {QStringLiteral("png/Sample-00001.png"), QStringLiteral("png/Sample-00002.png")})
            QCOMPARE(identifiedFormat(path(page)), QStringLiteral("PNG"));
    }

    void protectedInputFailsWithTheInputText_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("format");
        QTest::newRow("DOCX") << 13 << int(OfficeOutputFormat::Docx);
        QTest::newRow("DOC, also tried as RTF") << 9 << int(OfficeOutputFormat::Doc);
    }

    void protectedInputFailsWithTheInputText()
    {
        QFETCH(int, inputType);
        QFETCH(int, format);
        const QString locked = protectedDocument(QStringLiteral("locked-%1").arg(inputType),
                                                 static_cast<OfficeOutputFormat>(format));
        // An input password given for the office route does not open it here.
        m_h->form.sInputFile_Password = QStringLiteral("pw");
        const QString output = path(QStringLiteral("locked-%1.pdf").arg(inputType));
        clsConversionOptions item = makeItem(locked, inputType, output, filetype::Pdf);
        QCOMPARE(convert(item), -2);
        QCOMPARE(item.sErr, QStringLiteral("Invalid File Type or password specified for the Input File:  ") + locked
                                + QStringLiteral(" - The document ") + locked
                                + QStringLiteral(" is protected by a password."));
        QCOMPARE(item.lOriginalFileType, inputType);
        QVERIFY(!QFileInfo::exists(output));
    }

    void unreadableInputsFailAloneAndKeepTheTaskType()
    {
        // Two damaged DOC files and a good one: each damaged file is tried
        // as DOC and as RTF, and the next file starts from DOC again.
        const QByteArray docx = testutil::readFile(kDemo + QStringLiteral("/Sample Word Document.docx"));
        write(QStringLiteral("mixed/a.doc"), "neither DOC nor RTF");
        write(QStringLiteral("mixed/b.doc"), docx.left(docx.size() / 3));
        QVERIFY(QFile::copy(kDemo + QStringLiteral("/Sample Word 97 Document.doc"), path(QStringLiteral("mixed/c.doc"))));
        clsConversionOptions task = folderTask(QStringLiteral("mixed/*.doc"), filetype::Doc, QStringLiteral("mixed-out/*.pdf"));
        QCOMPARE(PerformBlock(m_h->engine, 1, task), -2);

        QCOMPARE(m_h->logRows(), 2);
        for (int row = 1; row <= 2; ++row) {
            const FlexGrid& log = m_h->form.fgLog;
            QCOMPARE(log.TextMatrix(row, todocol::InputType), QStringLiteral("9"));
            QVERIFY2(log.TextMatrix(row, todocol::Status).startsWith(QLatin1String("Invalid File Type")),
                     qPrintable(log.TextMatrix(row, todocol::Status)));
        }
        QVERIFY(pdfText(path(QStringLiteral("mixed-out/c.pdf"))).contains(QStringLiteral("DOC document")));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("mixed-out/a.pdf"))));
    }

    void hangingOfficeIsCutOffAndTheNextItemRuns()
    {
        const QString slow = write(QStringLiteral("slow.html"), bigHtml());
        const QString fine = kDemo + QStringLiteral("/Sample Rich Text.rtf");

        // Hung while loading: -2.
        clsConversionOptions warmUp = makeItem(fine, filetype::Rtf, path(QStringLiteral("warm.pdf")), filetype::Pdf);
        QCOMPARE(convert(warmUp), 0);
        const pid_t first = office().processId();
        office().setLoadTimeout(50);
        clsConversionOptions item = makeItem(slow, filetype::Html, path(QStringLiteral("slow-load.pdf")), filetype::Pdf);
        QCOMPARE(convert(item), -2);
        QVERIFY2(item.sErr.startsWith(QLatin1String("OpenFile - The office hung while loading"))
                     && item.sErr.contains(QLatin1String("time limit")),
                 qPrintable(item.sErr));
        QVERIFY(!processAlive(first));

        office().setLoadTimeout(120000);
        clsConversionOptions next = makeItem(fine, filetype::Rtf, path(QStringLiteral("after-load.pdf")), filetype::Pdf);
        QCOMPARE(convert(next), 0);
        QVERIFY(pdfText(next.sTargetFile).contains(QStringLiteral("A copper kettle")));
        const pid_t second = office().processId();
        QVERIFY(second != first && processAlive(second));

        // Hung after loading (settings or save): -3, and nothing written.
        QByteArray big;
        for (int i = 0; i < 3000; ++i)
            big += "Paragraph " + QByteArray::number(i) + " of a slow document\\par ";
        const QString slowRtf = write(QStringLiteral("slow.rtf"), rtfDocument(big));
        office().setSaveTimeout(50);
        item = makeItem(slowRtf, filetype::Rtf, path(QStringLiteral("slow-save.pdf")), filetype::Pdf);
        QCOMPARE(convert(item), -3);
        QVERIFY2(item.sErr.contains(QLatin1String("time limit")), qPrintable(item.sErr));
        QVERIFY(!QFileInfo::exists(item.sTargetFile));
        // Hung while the load set up the page of an HTML document: the
        // load's failure, with the office's reason, and not tried again.
        item = makeItem(slow, filetype::Html, path(QStringLiteral("slow-layout.pdf")), filetype::Pdf);
        QCOMPARE(convert(item), -2);
        QVERIFY2(item.sErr.contains(QLatin1String("time limit")), qPrintable(item.sErr));
        office().setSaveTimeout(120000);
        next = makeItem(fine, filetype::Rtf, path(QStringLiteral("after-save.pdf")), filetype::Pdf);
        QCOMPARE(convert(next), 0);
        QVERIFY(office().processId() != second);
    }

    void officeKilledMidBatchTheNextItemsConvert()
    {
        for (const char* name : {"a", "b", "c"})
            write(QStringLiteral("batch/%1.rtf").arg(QLatin1String(name)),
                  rtfDocument("Batch item " + QByteArray(name) + "\\par"));
        pid_t killed = 0;
        // Before the second file, the office is killed.
        m_h->onDoEvents = [&] {
            if (killed == 0 && QFileInfo::exists(path(QStringLiteral("batch-out/a.pdf")))) {
                killed = office().processId();
                QVERIFY(::kill(killed, SIGKILL) == 0);
            }
        };
        clsConversionOptions task = folderTask(QStringLiteral("batch/*.rtf"), filetype::Rtf, QStringLiteral("batch-out/*.pdf"));
        QCOMPARE(PerformBlock(m_h->engine, 1, task), 0);
        QVERIFY(killed > 0);
        QCOMPARE(m_h->logRows(), 0);
        for (const char* name : {"a", "b", "c"})
            QVERIFY(pdfText(path(QStringLiteral("batch-out/%1.pdf").arg(QLatin1String(name))))
                        .contains(QStringLiteral("Batch item %1").arg(QLatin1String(name))));
        QVERIFY(office().processId() != killed);
    }

    void withoutTheSpeedSettingTheOfficeQuitsAfterEachDocument()
    {
        m_h->form.bOptimizeForSpeed = false;
        clsConversionOptions item = makeItem(kDemo + QStringLiteral("/Sample Rich Text.rtf"), filetype::Rtf,
                                             path(QStringLiteral("unkept.pdf")), filetype::Pdf);
        QCOMPARE(convert(item), 0);
        QCOMPARE(office().processId(), pid_t(0));

        m_h->form.bOptimizeForSpeed = true;
        item.sTargetFile = path(QStringLiteral("kept.pdf"));
        QCOMPARE(convert(item), 0);
        QVERIFY(processAlive(office().processId()));
    }
};

QTEST_GUILESS_MAIN(TestTextControlRoute)
#include "test_text_control_route.moc"
