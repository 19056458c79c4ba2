// The conversion item: which route runs with what, the temporary PDF, and
// the post-steps (time stamps, move, delete) after a success.
#include "EngineHarness.h"
#include "TestUtil.h"

#include "core/FileTimes.h"
#include "engine/ConversionItem.h"
#include "core/FileTypes.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

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
    int renderResult = 0;
    bool renderThrows = false;
    int rasterResult = 0;
    bool rasterThrows = false;
    bool rasterInterrupted = false;
    QMap<QString, QByteArray> rasterWrites;

private:
    static QString describe(const QString& route, const clsConversionOptions& item)
    {
        return QStringLiteral("%1:%2->%3@%4")
            .arg(route, QFileInfo(item.sOriginalFile).fileName(), QFileInfo(item.sTargetFile).fileName())
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
            << QStringList{"word:in.pdf->out.jpg.tmppp123@17", "raster:out.jpg.tmppp123->out.jpg@1"};
        QTest::newRow("office to PDF/A writes a plain PDF at the output")
            << filetype::Docx << 1 << filetype::PdfA << "out.pdf" << QStringList{"word:in.pdf->out.pdf@17"};
        QTest::newRow("text engine to PDF") << filetype::Rtf << 2 << filetype::Pdf << "out.pdf"
                                            << QStringList{"text:in.pdf->out.pdf@12"};
        QTest::newRow("text engine to PDF/A") << filetype::Rtf << 2 << filetype::PdfA << "out.pdf"
                                              << QStringList{"text:in.pdf->out.pdf@14"};
        QTest::newRow("text engine to image")
            << filetype::Rtf << 2 << filetype::Tiff << "out.tif"
            << QStringList{"text:in.pdf->out.tif.tmppp123@12", "raster:out.tif.tmppp123->out.tif@3"};
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
        QVERIFY(!QFileInfo::exists(dir.filePath(output) + kTemporaryPdfSuffix));
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
        QVERIFY(!QFileInfo::exists(dir.filePath("out.png") + kTemporaryPdfSuffix));
        QCOMPARE(item.sTargetFile, dir.filePath("out.png"));
        QCOMPARE(item.sOriginalFile, dir.filePath("in.docx"));
        QCOMPARE(item.lTargetFileType, int(filetype::Png));
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
        QCOMPARE(item.sErr, QStringLiteral("Unable to open the input file."));
        QVERIFY(QFileInfo::exists(input));
    }
};

QTEST_GUILESS_MAIN(TestConversionItem)
#include "test_conversion_item.moc"
