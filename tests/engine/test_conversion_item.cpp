// The conversion item: which route runs with what, the temporary PDF, and
// the post-steps (time stamps, move, delete) after a success.
#include "EngineHarness.h"
#include "TestUtil.h"

#include "core/FileTimes.h"
#include "core/TemporaryFile.h"
#include "engine/ConversionItem.h"
#include "core/FileTypes.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <unistd.h>

namespace {

// Routes that record each call and write what the test asks for.
class FakeRoutes : public ConversionRoutes
{
public:
    int ConvertViaWordControl(JobEngine&, clsConversionOptions& item) override
    {
        return render(QStringLiteral("word"), item);
    }
    int ConvertViaTextControl(JobEngine&, clsConversionOptions& item) override
    {
        return render(QStringLiteral("text"), item);
    }
    int PerformConversionItemPDFtoImageDLL(JobEngine& engine, clsConversionOptions& item,
                                           QStringList& written) override
    {
        calls << describe(QStringLiteral("raster"), item);
        if (rasterThrows)
            throw std::runtime_error("raster broke");
        engine.bItemInterrupted = rasterInterrupted;
        for (auto it = rasterWrites.cbegin(); it != rasterWrites.cend(); ++it) {
            testutil::writeFile(it.key(), it.value());
            written << it.key();
        }
        item.lErr = rasterResult;
        return item.lErr;
    }

    QStringList calls;
    QStringList temporaries; // the temporary PDFs the routes were given, as they were then
    int renderResult = 0;
    bool renderThrows = false;
    int rasterResult = 0;
    bool rasterThrows = false;
    bool rasterInterrupted = false;
    QMap<QString, QByteArray> rasterWrites;

private:
    // A temporary PDF shows as "temp(<output name>)".
    static QString name(const QString& path)
    {
        if (!bIsTemporaryPdf(path))
            return QFileInfo(path).fileName();
        const QString file = QFileInfo(path).fileName();
        return QStringLiteral("temp(%1)").arg(file.left(file.size() - kTemporaryPdfSuffix.size() - 9));
    }
    QString describe(const QString& route, const clsConversionOptions& item)
    {
        for (const QString& path : {item.sOriginalFile, item.sTargetFile})
            if (bIsTemporaryPdf(path))
                temporaries << QStringLiteral("%1 %2").arg(path, QFileInfo(path).isFile() ? "exists" : "missing");
        return QStringLiteral("%1:%2->%3@%4")
            .arg(route, name(item.sOriginalFile), name(item.sTargetFile))
            .arg(item.lTargetFileType);
    }
    int render(const QString& route, clsConversionOptions& item)
    {
        calls << describe(route, item);
        testutil::writeFile(item.sTargetFile, "%PDF-1.4 rendered");
        if (renderThrows)
            throw std::runtime_error("office broke");
        item.lErr = renderResult;
        return item.lErr;
    }
};

clsConversionOptions makeItem(const QString& input, int inputType, const QString& output, int outputType,
                              int method = 2)
{
    clsConversionOptions item;
    item.sOriginalFile = input;
    item.lOriginalFileType = inputType;
    item.lConversionMethod = method;
    item.sTargetFile = output;
    item.lTargetFileType = outputType;
    return item;
}

QDateTime oldTime()
{
    return QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
}

} // namespace

class TestConversionItem : public QObject
{
    Q_OBJECT

private slots:
    void routes_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("PDF input: rasteriser only")
            << filetype::Pdf << 1 << filetype::Png << "out.png" << QStringList{"raster:in.pdf->out.png@8"};
        QTest::newRow("office to image")
            << filetype::Docx << 1 << filetype::Jpeg << "out.jpg"
            << QStringList{"word:in.pdf->temp(out.jpg)@17", "raster:temp(out.jpg)->out.jpg@1"};
        QTest::newRow("office to PDF/A writes a plain PDF at the output")
            << filetype::Docx << 1 << filetype::PdfA << "out.pdf" << QStringList{"word:in.pdf->out.pdf@17"};
        QTest::newRow("text engine to PDF") << filetype::Rtf << 2 << filetype::Pdf << "out.pdf"
                                            << QStringList{"text:in.pdf->out.pdf@12"};
        QTest::newRow("text engine to PDF/A") << filetype::Rtf << 2 << filetype::PdfA << "out.pdf"
                                              << QStringList{"text:in.pdf->out.pdf@14"};
        QTest::newRow("text engine to image")
            << filetype::Rtf << 2 << filetype::Tiff << "out.tif"
            << QStringList{"text:in.pdf->temp(out.tif)@12", "raster:temp(out.tif)->out.tif@3"};
    }

    void routes()
    {
        QFETCH(int, inputType);
        QFETCH(int, method);
        QFETCH(int, outputType);
        QFETCH(QString, output);
        QFETCH(QStringList, calls);
        QTemporaryDir dir;
        EngineHarness h;
        FakeRoutes routes;
        h.engine.routes = &routes;
        clsConversionOptions item = makeItem(dir.filePath("in.pdf"), inputType, dir.filePath(output), outputType, method);

        QCOMPARE(PerformConversionItem(h.engine, item), 0);

        QCOMPARE(routes.calls, calls);
        QCOMPARE(item.sOriginalFile, dir.filePath("in.pdf"));
        QCOMPARE(item.sTargetFile, dir.filePath(output));
        QCOMPARE(item.lTargetFileType, outputType);
        // The temporary PDF is one file of the program's own, there while
        // the routes run, gone afterwards; nothing is left beside the output.
        routes.temporaries.removeDuplicates();
        if (calls.size() == 2) {
            QCOMPARE(routes.temporaries.size(), 1);
            const QString temporary = routes.temporaries[0].section(u' ', 0, 0);
            QCOMPARE(routes.temporaries[0].section(u' ', 1), QStringLiteral("exists"));
            QCOMPARE(QFileInfo(temporary).path(), ProgramTempFolder());
            QVERIFY(!QFileInfo::exists(temporary));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(output) + kTemporaryPdfSuffix));
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        left.removeAll(output);
        QCOMPARE(left, QStringList{});
    }

    // No route is asked to read or write a type it has no number for: the
    // item fails with the file and the types expected, never the number.
    void typesNoRouteTakesAreRefused_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<QString>("message");   // empty: the routes run
        const QString input = QStringLiteral("Invalid Input File type specified. %1: the file's type is not one the "
                                             "task's input type covers. Expected one of the input file types: TXT, "
                                             "HTM, RTF, DOC, XML, CSS, DOCX, PDF");
        QTest::newRow("unknown input, text engine") << kUnsetNumber << 2 << filetype::Pdf << input;
        QTest::newRow("input number out of the table") << 77 << 2 << filetype::Png << input;
        QTest::newRow("PDF/A is no input") << filetype::PdfA << 2 << filetype::Png << input;
        QTest::newRow("unknown input, Word route opens it") << kUnsetNumber << 1 << filetype::Pdf << QString();
        QTest::newRow("unknown output") << filetype::Rtf << 2 << kUnsetNumber
                                        << QStringLiteral("Invalid Output File type specified");
        QTest::newRow("known types") << filetype::Docx << 2 << filetype::Tiff << QString();
    }

    void typesNoRouteTakesAreRefused()
    {
        QFETCH(int, inputType);
        QFETCH(int, method);
        QFETCH(int, outputType);
        QFETCH(QString, message);
        QTemporaryDir dir;
        EngineHarness h;
        FakeRoutes routes;
        h.engine.routes = &routes;
        clsConversionOptions item = makeItem(dir.filePath("in.odt"), inputType, dir.filePath("out.x"), outputType, method);

        const int result = PerformConversionItem(h.engine, item);
        if (message.isEmpty()) {
            QCOMPARE(result, 0);
            QVERIFY(!routes.calls.isEmpty());
            return;
        }
        QCOMPARE(result, kUnconvertibleType);
        QVERIFY(routes.calls.isEmpty());
        QCOMPARE(item.sErr, message.arg(dir.filePath("in.odt")));
    }

    // An output name near the length limit still gets a temporary PDF.
    void longOutputNameToImage()
    {
        QTemporaryDir dir;
        EngineHarness h;
        FakeRoutes routes;
        h.engine.routes = &routes;
        const QString output = dir.filePath(QString(120, QChar(0xE9)) + QStringLiteral(".png")); // 244 bytes
        clsConversionOptions item = makeItem(dir.filePath("in.docx"), filetype::Docx, output, filetype::Png);
        QCOMPARE(PerformConversionItem(h.engine, item), 0);
        QCOMPARE(routes.calls.size(), 2);
        QCOMPARE(routes.temporaries.size(), 2);
    }

    void temporaryPdfIsRemovedOnEveryPath_data()
    {
        QTest::addColumn<int>("renderResult");
        QTest::addColumn<bool>("renderThrows");
        QTest::addColumn<int>("rasterResult");
        QTest::addColumn<bool>("rasterThrows");
        QTest::addColumn<int>("expected");
        QTest::newRow("render fails") << -3 << false << 0 << false << -3;
        QTest::newRow("rasteriser fails") << 0 << false << -13 << false << -13;
        QTest::newRow("render raises") << 0 << true << 0 << false << 0;
        QTest::newRow("rasteriser raises") << 0 << false << 0 << true << 0;
    }

    void temporaryPdfIsRemovedOnEveryPath()
    {
        QFETCH(int, renderResult);
        QFETCH(bool, renderThrows);
        QFETCH(int, rasterResult);
        QFETCH(bool, rasterThrows);
        QFETCH(int, expected);
        QTemporaryDir dir;
        EngineHarness h;
        FakeRoutes routes;
        routes.renderResult = renderResult;
        routes.renderThrows = renderThrows;
        routes.rasterResult = rasterResult;
        routes.rasterThrows = rasterThrows;
        h.engine.routes = &routes;
        clsConversionOptions item =
            makeItem(dir.filePath("in.docx"), filetype::Docx, dir.filePath("out.png"), filetype::Png, 1);

        bool raised = false;
        try {
            QCOMPARE(PerformConversionItem(h.engine, item), expected);
        } catch (const std::runtime_error&) {
            raised = true;
        }
        QCOMPARE(raised, renderThrows || rasterThrows);
        QVERIFY(!routes.temporaries.isEmpty());
        for (const QString& temporary : std::as_const(routes.temporaries))
            QVERIFY2(!QFileInfo::exists(temporary.section(u' ', 0, 0)), qPrintable(temporary));
        QCOMPARE(item.sTargetFile, dir.filePath("out.png"));
        QCOMPARE(item.sOriginalFile, dir.filePath("in.docx"));
        QCOMPARE(item.lTargetFileType, int(filetype::Png));
    }

    // Every spelling of the input as the output is the input; each route
    // is refused before it runs, but the office's own conversion in place.
    void outputThatIsTheInputIsRefused_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<QString>("output"); // below the folder; "link" and "hard" are links to in.dat
        QTest::addColumn<bool>("refused");
        const struct {
            const char* name;
            int inputType;
            int method;
            int outputType;
            bool refused;
        } routes[] = {
            {"PDF to image", filetype::Pdf, 2, filetype::Png, true},
            {"text engine to PDF", filetype::Docx, 2, filetype::Pdf, true},
            {"text engine to PDF/A", filetype::Docx, 2, filetype::PdfA, true},
            {"text engine to image", filetype::Docx, 2, filetype::Tiff, true},
            {"office to image", filetype::Docx, 1, filetype::Jpeg, true},
            {"office to PDF, in place", filetype::Docx, 1, filetype::Pdf, false},
        };
        const char* spellings[][2] = {{"same path", "in.dat"},
                                      {"another spelling", "./sub/..//in.dat"},
                                      {"symbolic link", "link"},
                                      {"hard link", "hard"}};
        for (const auto& r : routes)
            for (const auto& spelling : spellings)
                QTest::addRow("%s, %s", r.name, spelling[0])
                    << r.inputType << r.method << r.outputType << QString::fromLatin1(spelling[1]) << r.refused;
    }

    void outputThatIsTheInputIsRefused()
    {
        QFETCH(int, inputType);
        QFETCH(int, method);
        QFETCH(int, outputType);
        QFETCH(QString, output);
        QFETCH(bool, refused);
        QTemporaryDir dir;
        const QString input = dir.filePath("in.dat");
        QVERIFY(testutil::writeFile(input, "the user's document"));
        QVERIFY(QDir().mkpath(dir.filePath("sub")));
        QVERIFY(QFile::link(input, dir.filePath("link")));
        QVERIFY(::link(QFile::encodeName(input).constData(), QFile::encodeName(dir.filePath("hard")).constData()) == 0);
        EngineHarness h;
        FakeRoutes routes;
        h.engine.routes = &routes;
        h.form.bDeleteOriginalFileAfterProcessing = true;
        clsConversionOptions item = makeItem(input, inputType, dir.path() + u'/' + output, outputType, method);

        const int result = PerformConversionItem(h.engine, item);

        if (!refused) {
            QCOMPARE(result, 0);
            QCOMPARE(routes.calls.size(), 1);
            return;
        }
        QCOMPARE(result, kConversionOntoInput);
        QCOMPARE(item.lErr, kConversionOntoInput);
        QCOMPARE(item.sErr, QStringLiteral("Input and Output File are the same. Cannot convert a file onto itself."));
        QCOMPARE(routes.calls, QStringList{});
        QCOMPARE(testutil::readFile(input), QByteArray("the user's document"));
    }

    void postSteps_data()
    {
        QTest::addColumn<bool>("retain");
        QTest::addColumn<bool>("move");
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QStringList>("outputs");   // "name=bytes"; "@in" writes onto the input
        QTest::addColumn<int>("rasterResult");
        QTest::addColumn<bool>("interrupted");
        QTest::addColumn<QString>("inputEnds");     // "kept", "moved" or "deleted"

        const QStringList pages{"p-00001.png=x", "p-00002.png=y"};
        QTest::newRow("time stamps on every page") << true << false << false << pages << 0 << false << "kept";
        QTest::newRow("moved into the mirrored folder") << false << true << false << pages << 0 << false << "moved";
        QTest::newRow("deleted") << false << false << true << pages << 0 << false << "deleted";
        QTest::newRow("an empty page keeps the input")
            << false << true << true << QStringList{"p-00001.png=x", "p-00002.png="} << 0 << false << "kept";
        QTest::newRow("nothing written keeps the input") << false << true << true << QStringList{} << 0 << false
                                                         << "kept";
        QTest::newRow("output that is the input keeps it")
            << false << false << true << QStringList{"@in=new"} << 0 << false << "kept";
        QTest::newRow("a failed item keeps the input") << true << true << true << pages << -13 << false << "kept";
        QTest::newRow("an item cut short by Pause keeps the input")
            << true << true << true << pages << 0 << true << "kept";
    }

    void postSteps()
    {
        QFETCH(bool, retain);
        QFETCH(bool, move);
        QFETCH(bool, remove);
        QFETCH(QStringList, outputs);
        QFETCH(int, rasterResult);
        QFETCH(bool, interrupted);
        QFETCH(QString, inputEnds);
        QTemporaryDir dir;
        const QString input = dir.filePath("in/sub/p.pdf");
        QDir().mkpath(dir.filePath("in/sub"));
        QDir().mkpath(dir.filePath("out"));
        QVERIFY(testutil::writeFile(input, "%PDF"));
        QVERIFY(!SetFileTimes(input, oldTime(), oldTime(), oldTime(), true));

        EngineHarness h;
        FakeRoutes routes;
        routes.rasterResult = rasterResult;
        routes.rasterInterrupted = interrupted;
        QStringList written;
        for (const QString& spec : outputs) {
            const QString name = spec.section(u'=', 0, 0);
            const QString path = name == "@in" ? dir.filePath("in/sub/../sub/p.pdf") : dir.filePath("out/" + name);
            routes.rasterWrites[path] = spec.section(u'=', 1).toLatin1();
            if (name != "@in")
                written << path;
        }
        h.engine.routes = &routes;
        h.form.bRetainInputFileTimeStamp = retain;
        h.form.bMoveOriginalFileAfterProcessing = move;
        h.form.sMoveFileToFolder = dir.filePath("done");
        h.form.bDeleteOriginalFileAfterProcessing = remove;
        clsConversionOptions item = makeItem(input, filetype::Pdf, dir.filePath("out/p.png"), filetype::Png);
        item.sSubFolder = QStringLiteral("sub/");

        QCOMPARE(PerformConversionItem(h.engine, item), rasterResult);

        const QString moved = dir.filePath("done/sub/p.pdf");
        QCOMPARE(QFileInfo::exists(input), inputEnds == "kept");
        QCOMPARE(QFileInfo::exists(moved), inputEnds == "moved");
        if (move && inputEnds == "moved")
            QCOMPARE(h.form.sMoveFileToFolder, dir.filePath("done") + u'/');
        const bool stamped = retain && rasterResult == 0 && !interrupted;
        for (const QString& path : written) {
            QCOMPARE(QFileInfo(path).lastModified().toUTC() == oldTime(), stamped);
        }
    }

    void pdfPagesBecomeImagesWithTheInputsTimes()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath("in/Sample.pdf");
        QDir().mkpath(dir.filePath("in"));
        QVERIFY(QFile::copy(QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample PDF Document.pdf"), input));
        QVERIFY(!SetFileTimes(input, oldTime(), oldTime(), oldTime(), true));
        EngineHarness h;
        h.form.bRunning = true;
        h.form.bRetainInputFileTimeStamp = true;
        h.form.bMoveOriginalFileAfterProcessing = true;
        h.form.sMoveFileToFolder = dir.filePath("done");
        clsConversionOptions item = makeItem(input, filetype::Pdf, dir.filePath("out/Sample.png"), filetype::Png);
        item.sExtraParams = QStringLiteral("1-2^0^FALSE^75^50^0^0^0^");

        QCOMPARE(PerformConversionItem(h.engine, item), 0);

        for (const char* page : {"out/Sample-00001.png", "out/Sample-00002.png"}) {
            const QString path = dir.filePath(QString::fromLatin1(page));
            QCOMPARE(identifiedFormat(path), QStringLiteral("PNG"));
            QCOMPARE(QFileInfo(path).lastModified().toUTC(), oldTime());
        }
        QVERIFY(!QFileInfo::exists(dir.filePath("out/Sample-00003.png")));
        QVERIFY(!QFileInfo::exists(input));
        QVERIFY(QFileInfo::exists(dir.filePath("done/Sample.pdf")));
        QCOMPARE(item.sTargetFile, dir.filePath("out/Sample.png"));
    }

    void unreadablePdfFailsAndStays()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath("broken.pdf");
        QVERIFY(testutil::writeFile(input, "%PDF-1.4\nthis is no PDF at all\n"));
        EngineHarness h;
        h.form.bRunning = true;
        h.form.bDeleteOriginalFileAfterProcessing = true;
        clsConversionOptions item = makeItem(input, filetype::Pdf, dir.filePath("broken.png"), filetype::Png);
        item.sExtraParams = QStringLiteral("1-2^0^FALSE^75^50^0^0^0^");

        QCOMPARE(PerformConversionItem(h.engine, item), -10);
        QCOMPARE(item.sErr, QStringLiteral("Unable to open the input file. - no objects found"));
        QVERIFY(QFileInfo::exists(input));
    }
};

QTEST_GUILESS_MAIN(TestConversionItem)
#include "test_conversion_item.moc"
