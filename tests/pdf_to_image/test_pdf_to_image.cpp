// The PDF-to-image step: which pages, the file names, one multi-page TIFF,
// the re-save through an ImageSaver, the option limits, Pause, and each
// result code. Images are read back with ImageMagick and tiffinfo.
#include "ImageProbe.h"
#include "TestPdf.h"
#include "TestUtil.h"
#include "engine/ConversionItem.h"
#include "engine/ImageSaver.h"
#include "engine/PdfToImage.h"
#include "pdf2bmp/pdf2bmp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using testpdf::PageSpec;

namespace {

constexpr int kJpeg = 1;
constexpr int kBmp = 2;
constexpr int kTiff = 3;
constexpr int kPng = 8;

// Records what it is asked to save and writes a small marker file. Pages
// come on several threads at once, each into a file of its own beside its
// output.
class FakeImageSaver : public ImageSaver
{
public:
    struct Call {
        QString path;
        int type = 0;
        int quality = 0;
        int width = 0;
        int height = 0;
    };
    bool fail = false;
    QString failFor; // refuses the pages whose file name holds this

    bool save(const RasterImage& image, const QString& path, int imageType, int quality,
              QString* error) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_calls.append({path, imageType, quality, image.width, image.height});
        }
        if (fail || (!failFor.isEmpty() && QFileInfo(path).fileName().contains(failFor))) {
            *error = QStringLiteral("refused");
            return false;
        }
        return testutil::writeFile(path, "saved by the fake");
    }

    QList<Call> calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

private:
    mutable QMutex m_mutex;
    QList<Call> m_calls;
};

QString corpus(const char* name)
{
    return QStringLiteral(TESSAVIEW_CORPUS "/pdf/") + QLatin1String(name);
}

// Whether any file descriptor of this process still refers to file.
bool isOpen(const QString& file)
{
    const QString wanted = QFileInfo(file).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    const QStringList entries = fds.entryList(QDir::System | QDir::NoDotAndDotDot);
    for (const QString& fd : entries) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == wanted)
            return true;
    }
    return false;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestPdfToImage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_out; // emptied before each test

    QString input(int pages) const { return m_dir.filePath(QStringLiteral("in-%1.pdf").arg(pages)); }
    QString out(const QString& name) const { return m_out + QLatin1Char('/') + name; }

    PdfToImageItem item(const QString& pdf, const QString& target, int type, const QString& pages) const
    {
        PdfToImageItem it;
        it.sOriginalFile = pdf;
        it.sTargetFile = out(target);
        it.lTargetFileType = type;
        it.sPages = pages;
        it.lQuality = 75;
        it.lResolution = 20;
        return it;
    }

private slots:
    void initTestCase()
    {
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/libreoffice-writer-password.pdf"),
                                 QStringLiteral("pdf/unreadablemetadata.pdf"));
        QVERIFY(m_dir.isValid());
        for (const int pages : {1, 2, 3, 12})
            QVERIFY(testpdf::writePdf(input(pages), testpdf::makePdf(pages)));
        PageSpec inch{72, 72, 0};
        QVERIFY(testpdf::writePdf(m_dir.filePath(QStringLiteral("inch.pdf")), testpdf::makePdf({inch})));
        QVERIFY(testpdf::writePdf(m_dir.filePath(QStringLiteral("poppler-only.pdf")),
                                  testpdf::makePdf(std::vector<PageSpec>(2), testpdf::kLoopKidFirst)));
        QVERIFY(testpdf::encryptPdf(input(3), m_dir.filePath(QStringLiteral("restricted.pdf")), "", "boss"));
        QVERIFY(testpdf::encryptPdf(input(3), m_dir.filePath(QStringLiteral("secret.pdf")), "open sesame", "boss"));
        QVERIFY(testutil::writeFile(m_dir.filePath(QStringLiteral("garbage.pdf")), "no PDF at all\n"));
        m_out = m_dir.filePath(QStringLiteral("out"));
        pdf_init();
    }

    void init()
    {
        QDir(m_out).removeRecursively();
        QVERIFY(QDir().mkpath(m_out));
    }

    void cleanupTestCase() { pdf_done(); }

    void namesPageFiles_data()
    {
        QTest::addColumn<int>("documentPages");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("files"); // "name=page", in name order
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("lastTarget");
        const QStringList firstThree = {"doc-00001.bmp=1", "doc-00002.bmp=2", "doc-00003.bmp=3"};
        QTest::newRow("star") << 3 << "*" << "doc.bmp" << firstThree << 0 << "doc-00003.bmp";
        QTest::newRow("empty") << 3 << "" << "doc.bmp" << firstThree << 0 << "doc-00003.bmp";
        QTest::newRow("blanks") << 3 << "   " << "doc.bmp" << firstThree << 0 << "doc-00003.bmp";
        QTest::newRow("one-page document") << 1 << "*" << "doc.bmp" << QStringList{"doc.bmp=1"} << 0 << "doc.bmp";
        QTest::newRow("one page") << 3 << "3" << "doc.bmp" << QStringList{"doc.bmp=3"} << 0 << "doc.bmp";
        QTest::newRow("five digits") << 12 << "12,11" << "doc.bmp"
                                     << QStringList{"doc-00011.bmp=11", "doc-00012.bmp=12"} << 0 << "doc-00012.bmp";
        QTest::newRow("range past the end") << 2 << "1-3" << "doc.bmp"
                                            << QStringList{"doc-00001.bmp=1", "doc-00002.bmp=2"} << 0 << "doc-00002.bmp";
        // Two entries name the files with suffixes even when one is past the end.
        QTest::newRow("list past the end") << 3 << "3,7" << "doc.bmp" << QStringList{"doc-00003.bmp=3"} << 0
                                           << "doc-00003.bmp";
        QTest::newRow("no extension") << 3 << "1,2" << "doc" << QStringList{"doc-00001=1", "doc-00002=2"} << 0
                                      << "doc-00002";
        QTest::newRow("dots in the name") << 2 << "*" << "my.doc.bmp"
                                          << QStringList{"my.doc-00001.bmp=1", "my.doc-00002.bmp=2"} << 0
                                          << "my.doc-00002.bmp";
        // Nothing written is a failure, not a success without files.
        QTest::newRow("zero first") << 3 << "2,0,5" << "doc.bmp" << QStringList{} << kPdfToImageSaveFailed << "doc.bmp";
        QTest::newRow("only past the end") << 3 << "9" << "doc.bmp" << QStringList{} << kPdfToImageSaveFailed
                                           << "doc.bmp";
        QTest::newRow("letters only") << 3 << "abc" << "doc.bmp" << QStringList{} << kPdfToImageSaveFailed << "doc.bmp";
    }

    void namesPageFiles()
    {
        QFETCH(int, documentPages);
        QFETCH(QString, pages);
        QFETCH(QString, target);
        QFETCH(QStringList, files);
        QFETCH(int, err);
        QFETCH(QString, lastTarget);
        PdfToImageItem it = item(input(documentPages), target, kBmp, pages);
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), err);
        QCOMPARE(it.lErr, err);
        QCOMPARE(it.sErr, err ? QStringLiteral("Unable to save output file. - no page of the range is in the document")
                              : QString());
        QCOMPARE(it.sTargetFile, out(lastTarget));
        QStringList names;
        for (const QString& f : std::as_const(files))
            names.append(f.section(QLatin1Char('='), 0, 0));
        QCOMPARE(filesIn(m_out), names);
        for (const QString& f : std::as_const(files))
            QVERIFY2(probe::showsPage(out(f.section(QLatin1Char('='), 0, 0)), f.section(QLatin1Char('='), 1).toInt()),
                     qPrintable(f));
    }

    void rejectsInvalidRanges_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::newRow("open end") << "5-";
        QTest::newRow("open start") << "-5";
        QTest::newRow("lone dash") << "2,-";
        QTest::newRow("overflow") << "99999999999";
        QTest::newRow("range overflow") << "1-99999999999";
    }

    void rejectsInvalidRanges()
    {
        QFETCH(QString, pages);
        for (const int type : {kBmp, kTiff}) {
            PdfToImageItem it = item(input(3), QStringLiteral("doc.bmp"), type, pages);
            it.lSingleFile = 1;
            QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), kPdfToImageSaveFailed);
            QCOMPARE(it.sErr, QStringLiteral("Invalid page range: ") + pages);
            QVERIFY(filesIn(m_out).isEmpty());
            QVERIFY(!isOpen(input(3)));
        }
    }

    void writesJpegBmpTiffDirectly_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QString>("magickFormat");
        QTest::newRow("jpeg") << kJpeg << "jpg" << probe::kJpegSignature << "JPEG";
        QTest::newRow("bmp") << kBmp << "bmp" << probe::kBmpSignature << "BMP3";
        QTest::newRow("tiff") << kTiff << "tif" << probe::kTiffSignature << "TIFF";
    }

    void writesJpegBmpTiffDirectly()
    {
        QFETCH(int, type);
        QFETCH(QString, extension);
        QFETCH(QByteArray, signature);
        QFETCH(QString, magickFormat);
        FakeImageSaver saver;
        PdfToImageHooks hooks;
        hooks.imageSaver = &saver;
        PdfToImageItem it = item(input(2), QStringLiteral("doc.") + extension, type, QStringLiteral("*"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), 0);
        QVERIFY(saver.calls().isEmpty());
        for (int page = 1; page <= 2; ++page) {
            const QString file = out(QStringLiteral("doc-0000%1.").arg(page) + extension);
            QVERIFY(probe::hasSignature(file, signature));
            QCOMPARE(probe::format(file), magickFormat);
            QVERIFY(probe::showsPage(file, page));
            if (type == kTiff)
                QCOMPARE(probe::tiffPageCount(file), 1);
        }
    }

    void resavesOtherTypes_data()
    {
        QTest::addColumn<int>("type");
        for (int type = 4; type <= 11; ++type)
            QTest::newRow(qPrintable(QString::number(type))) << type;
    }

    void resavesOtherTypes()
    {
        QFETCH(int, type);
        FakeImageSaver saver;
        PdfToImageHooks hooks;
        hooks.imageSaver = &saver;
        PdfToImageItem it = item(input(2), QStringLiteral("doc.img"), type, QStringLiteral("*"));
        it.lQuality = 60;
        it.lWidth = 100;
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), 0);
        const QList<FakeImageSaver::Call> calls = saver.calls();
        QCOMPARE(calls.size(), 2);
        for (const FakeImageSaver::Call& call : calls) {
            // A file of its own beside the output, put under the page's name
            // once complete.
            QCOMPARE(QFileInfo(call.path).absolutePath(), m_out);
            QVERIFY(QFileInfo(call.path).fileName().startsWith(QLatin1Char('.')));
            QCOMPARE(call.type, type);
            QCOMPARE(call.quality, 60);
            QCOMPARE(QSize(call.width, call.height), QSize(100, 130));
        }
        // Only the saver writes these files; no BMP is left under their names.
        QCOMPARE(filesIn(m_out), (QStringList{QStringLiteral("doc-00001.img"), QStringLiteral("doc-00002.img")}));
        for (const QString& file : filesIn(m_out))
            QCOMPARE(probe::head(out(file), 100), QByteArray("saved by the fake"));
    }

    void saverFailureEndsTheItem()
    {
        FakeImageSaver saver;
        saver.fail = true;
        PdfToImageHooks hooks;
        hooks.imageSaver = &saver;
        PdfToImageItem it = item(input(3), QStringLiteral("doc.png"), kPng, QStringLiteral("*"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), kPdfToImageSaveImageFailed);
        QCOMPARE(it.sErr, QStringLiteral("Unable to save image. Try a lower resolution. - refused"));
        QVERIFY(!saver.calls().isEmpty());
        // Pages drawn meanwhile on other threads leave nothing behind.
        QCOMPARE(filesIn(m_out), QStringList());
        QVERIFY(!isOpen(input(3)));

        PdfToImageItem noSaver = item(input(3), QStringLiteral("doc.png"), kPng, QStringLiteral("2"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(noSaver, {}), kPdfToImageSaveImageFailed);
    }

    // The pages before a failure stay, and the text says the item is not
    // whole: how many pages of how many were written.
    void failureAfterPagesSaysHowManyWereWritten()
    {
        FakeImageSaver saver;
        saver.failFor = QStringLiteral("doc-00003");
        PdfToImageHooks hooks;
        hooks.imageSaver = &saver;
        PdfToImageItem it = item(input(12), QStringLiteral("doc.png"), kPng, QStringLiteral("1-4"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), kPdfToImageSaveImageFailed);
        QCOMPARE(it.sErr, QStringLiteral("Unable to save image. Try a lower resolution. - refused - 2 of 4 pages "
                                         "were written; the item is incomplete."));
        // Page 4, drawn beside page 3 on another thread, is not kept.
        QCOMPARE(filesIn(m_out), (QStringList{QStringLiteral("doc-00001.png"), QStringLiteral("doc-00002.png")}));
    }

    // A page that cannot be read fails with the rasteriser's reason; the
    // pages before it stay.
    void unreadablePageNamesTheReason()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("lost-page.pdf"));
        QVERIFY(testpdf::writePdf(pdf, testpdf::makePdf(std::vector<PageSpec>(2), {1, "2 0 R", true})));
        PdfToImageItem it = item(pdf, QStringLiteral("doc.bmp"), kBmp, QStringLiteral("*"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), kPdfToImageSaveFailed);
        const QRegularExpressionMatch text =
            QRegularExpression(QStringLiteral("^Unable to save output file\\. - page (\\d) cannot be loaded: .+ - "
                                              "(\\d) of 3 pages were written; the item is incomplete\\.$"))
                .match(it.sErr);
        QVERIFY2(text.hasMatch(), qPrintable(it.sErr));
        const int written = text.captured(2).toInt();
        QCOMPARE(text.captured(1).toInt(), written + 1);
        QCOMPARE(filesIn(m_out).size(), written);
        for (int page = 1; page <= written; ++page)
            QVERIFY(probe::showsPage(out(QStringLiteral("doc-0000%1.bmp").arg(page)), page));
    }

    // No page file is written over the PDF, nor over the document the PDF
    // was rendered from, whatever name leads to it.
    void pageFilesNeverReplaceTheInput_data()
    {
        QTest::addColumn<bool>("renderedDocument");
        QTest::addColumn<QString>("inputName");
        QTest::addColumn<QString>("readAs"); // the spelling the item names it by
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("incomplete");
        QTest::newRow("the PDF") << false << "doc-00002.bmp" << "doc-00002.bmp" << QStringList{"doc-00001.bmp"}
                                 << " - 1 of 3 pages were written; the item is incomplete.";
        QTest::newRow("the PDF through a link") << false << "doc-00002.bmp" << "link.pdf"
                                                << QStringList{"doc-00001.bmp"}
                                                << " - 1 of 3 pages were written; the item is incomplete.";
        QTest::newRow("the document") << true << "doc-00001.bmp" << "doc-00001.bmp" << QStringList{} << "";
        QTest::newRow("the document, spelt otherwise") << true << "doc-00003.bmp" << "./doc-00003.bmp"
                                                       << QStringList{"doc-00001.bmp", "doc-00002.bmp"}
                                                       << " - 2 of 3 pages were written; the item is incomplete.";
    }

    void pageFilesNeverReplaceTheInput()
    {
        QFETCH(bool, renderedDocument);
        QFETCH(QString, inputName);
        QFETCH(QString, readAs);
        QFETCH(QStringList, written);
        QFETCH(QString, incomplete);
        const QByteArray original = renderedDocument ? QByteArray("the user's document") : testpdf::makePdf(3);
        QVERIFY(testutil::writeFile(out(inputName), original));
        if (readAs == QLatin1String("link.pdf"))
            QVERIFY(QFile::link(out(inputName), out(readAs)));
        PdfToImageItem it = item(renderedDocument ? input(3) : out(readAs), QStringLiteral("doc.bmp"), kBmp,
                                 QStringLiteral("*"));
        if (renderedDocument)
            it.sSourceFile = m_out + QStringLiteral("/sub/../") + readAs;
        QDir().mkpath(out(QStringLiteral("sub")));

        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), kConversionOntoInput);

        QCOMPARE(it.sErr, QStringLiteral("Input and Output File are the same. Cannot convert a file onto itself. - ")
                              + out(inputName) + incomplete);
        QCOMPARE(testutil::readFile(out(inputName)), original);
        for (const QString& page : written)
            QVERIFY2(probe::showsPage(out(page), page.mid(4, 5).toInt()), qPrintable(page));
        QStringList files = filesIn(m_out);
        files.removeAll(inputName);
        files.removeAll(QStringLiteral("link.pdf"));
        QCOMPARE(files, written);
    }

    // A successful re-save clears the code of a folder problem, as any later
    // code replaces it.
    void resaveClearsEarlierCode()
    {
        FakeImageSaver saver;
        PdfToImageHooks hooks;
        hooks.imageSaver = &saver;
        PdfToImageItem it = item(input(1), QStringLiteral("doc.png"), kPng, QStringLiteral("*"));
        it.lErr = -99;
        it.sErr = QStringLiteral("earlier");
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), 0);
        QCOMPARE(it.sErr, QString());
    }

    void singleFileTiff_data()
    {
        QTest::addColumn<int>("documentPages");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<QList<int>>("frames");
        QTest::newRow("star") << 3 << "*" << QList<int>{1, 2, 3};
        QTest::newRow("empty") << 3 << "" << QList<int>{1, 2, 3};
        QTest::newRow("one page") << 3 << "2" << QList<int>{2};
        QTest::newRow("list") << 3 << "1,3" << QList<int>{1, 3};
        QTest::newRow("high-low range") << 3 << "3-2" << QList<int>{2, 3};
        QTest::newRow("range past the end") << 3 << "2-9" << QList<int>{2, 3};
        QTest::newRow("one-page document") << 1 << "*" << QList<int>{1};
        QTest::newRow("only past the end") << 3 << "9" << QList<int>{};
        QTest::newRow("letters only") << 3 << "abc" << QList<int>{};
    }

    void singleFileTiff()
    {
        QFETCH(int, documentPages);
        QFETCH(QString, pages);
        QFETCH(QList<int>, frames);
        PdfToImageItem it = item(input(documentPages), QStringLiteral("doc.tif"), kTiff, pages);
        it.lSingleFile = 1;
        it.lWidth = 300; // the single file is always drawn at the resolution
        const QString target = it.sTargetFile;
        const int err = PerformConversionItemPDFtoImageDLL(it, {});
        QCOMPARE(it.sTargetFile, target);
        if (frames.isEmpty()) {
            QCOMPARE(err, kPdfToImageSaveFailed);
            QVERIFY(filesIn(m_out).isEmpty());
            return;
        }
        QCOMPARE(err, 0);
        QCOMPARE(filesIn(m_out), QStringList{QStringLiteral("doc.tif")});
        QCOMPARE(probe::tiffPageCount(target), int(frames.size()));
        for (int i = 0; i < frames.size(); ++i) {
            QCOMPARE(probe::size(target, i), QSize(170, 220));
            QVERIFY2(probe::showsPage(target, frames[i], i), qPrintable(QString::number(i)));
        }
    }

    void limitsOptions_data()
    {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("err");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("savedQuality");
        QTest::newRow("resolution 0 is 150") << 0 << 75 << 0 << 150 << 75;
        QTest::newRow("resolution 10000 is 1000") << 10000 << 75 << 0 << 1000 << 75;
        QTest::newRow("resolution 2000 passes") << 2000 << 75 << 0 << 2000 << 75;
        QTest::newRow("negative resolution passes and fails") << -5 << 75 << kPdfToImageSaveFailed << 0 << 0;
        QTest::newRow("quality 0 is 100") << 72 << 0 << 0 << 72 << 100;
        QTest::newRow("quality 101 is 100") << 72 << 101 << 0 << 72 << 100;
        QTest::newRow("quality 1 passes") << 72 << 1 << 0 << 72 << 1;
    }

    void limitsOptions()
    {
        QFETCH(int, resolution);
        QFETCH(int, quality);
        QFETCH(int, err);
        QFETCH(int, pixels);
        QFETCH(int, savedQuality);
        FakeImageSaver saver;
        PdfToImageHooks hooks;
        hooks.imageSaver = &saver;
        PdfToImageItem it = item(m_dir.filePath(QStringLiteral("inch.pdf")), QStringLiteral("doc.png"), kPng,
                                 QStringLiteral("*"));
        it.lResolution = resolution;
        it.lQuality = quality;
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), err);
        if (err)
            return;
        QCOMPARE(saver.calls().size(), 1);
        QCOMPARE(QSize(saver.calls()[0].width, saver.calls()[0].height), QSize(pixels, pixels));
        QCOMPARE(saver.calls()[0].quality, savedQuality);
    }

    void jpegGetsTheQuality()
    {
        PdfToImageItem it = item(input(1), QStringLiteral("doc.jpg"), kJpeg, QStringLiteral("*"));
        it.lQuality = 0;
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), 0);
        QCOMPARE(probe::identify(it.sTargetFile, QStringLiteral("%Q")), QStringLiteral("100"));
    }

    // A page too large to hold fails instead of exhausting memory.
    void refusesHugePages_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("single");
        QTest::newRow("bmp") << kBmp << 0;
        QTest::newRow("tiff") << kTiff << 0;
        QTest::newRow("png") << kPng << 0;
        QTest::newRow("tiff single file") << kTiff << 1;
    }

    void refusesHugePages()
    {
        QFETCH(int, type);
        QFETCH(int, single);
        FakeImageSaver saver;
        PdfToImageHooks hooks;
        hooks.imageSaver = &saver;
        PdfToImageItem it = item(input(2), QStringLiteral("doc.img"), type, QStringLiteral("*"));
        it.lSingleFile = single;
        it.lWidth = 20000;
        it.lHeight = 20000;
        it.lResolution = 5000; // the single file ignores the size
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), kPdfToImageLoadImageFailed);
        QVERIFY2(it.sErr.startsWith(QStringLiteral("Unable to load image. Try a lower resolution. - the page would be "))
                     && it.sErr.endsWith(QStringLiteral(" pixels, more than 250000000 in all")),
                 qPrintable(it.sErr));
        QVERIFY(filesIn(m_out).isEmpty());
        QVERIFY(saver.calls().isEmpty());
        QVERIFY(!isOpen(input(2)));
    }

    void opening_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("reason"); // the rasteriser's, after the message
        const QString password = QStringLiteral("the password does not open the document");
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("none.pdf")) << "" << kPdfToImageOpenFailed
                                 << "No such file or directory";
        QTest::newRow("not a pdf") << m_dir.filePath(QStringLiteral("garbage.pdf")) << "" << kPdfToImageOpenFailed
                                   << "no objects found";
        QTest::newRow("corpus encrypted") << corpus("libreoffice-writer-password.pdf") << "" << kPdfToImageOpenFailed
                                          << password;
        QTest::newRow("corpus page tree lost") << corpus("unreadablemetadata.pdf") << "" << kPdfToImageOpenFailed
                                               << "";
        QTest::newRow("wrong password") << m_dir.filePath(QStringLiteral("secret.pdf")) << "guess"
                                        << kPdfToImageOpenFailed << password;
        QTest::newRow("right password") << m_dir.filePath(QStringLiteral("secret.pdf")) << "open sesame" << 0 << "";
        QTest::newRow("empty user password") << m_dir.filePath(QStringLiteral("restricted.pdf")) << "" << 0 << "";
        QTest::newRow("poppler fallback") << m_dir.filePath(QStringLiteral("poppler-only.pdf")) << "" << 0 << "";
    }

    void opening()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, password);
        QFETCH(int, err);
        QFETCH(QString, reason);
        PdfToImageItem it = item(pdf, QStringLiteral("doc.jpg"), kJpeg, QStringLiteral("*"));
        it.sPassword = password;
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), err);
        if (err) {
            QVERIFY2(it.sErr.startsWith(QStringLiteral("Unable to open the input file. - ")) && it.sErr.contains(reason),
                     qPrintable(it.sErr));
            QVERIFY(filesIn(m_out).isEmpty());
            return;
        }
        const QStringList files = filesIn(m_out);
        QVERIFY(files.size() >= 2);
        for (int i = 0; i < files.size(); ++i)
            QVERIFY(probe::showsPage(out(files[i]), i + 1));
        QVERIFY(!isOpen(pdf));
    }

    void createsTheOutputFolder()
    {
        PdfToImageItem it = item(input(1), QStringLiteral("new/deeper/doc.bmp"), kBmp, QStringLiteral("*"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), 0);
        QVERIFY(probe::showsPage(out(QStringLiteral("new/deeper/doc.bmp")), 1));
    }

    // The folder's code is replaced by the page's failure.
    void outputFolderThatCannotBeMade()
    {
        QVERIFY(testutil::writeFile(out(QStringLiteral("blocker")), "a file"));
        PdfToImageItem it = item(input(2), QStringLiteral("blocker/doc.bmp"), kBmp, QStringLiteral("*"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, {}), kPdfToImageSaveFailed);
        QCOMPARE(it.sErr, QStringLiteral("Unable to save output file. - Output folder does not exist: ")
                              + out(QStringLiteral("blocker")));
        QCOMPARE(filesIn(m_out), QStringList{QStringLiteral("blocker")});
    }

    // A Pause stops before the next page, on one thread or several (those
    // drawn ahead are not kept): the files are the document's first pages,
    // each whole. A multi-page TIFF paused is not written at all.
    void pause_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("single");
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("pagesBeforePause");
        QTest::addColumn<int>("filesWritten");
        QTest::newRow("before the first page") << kBmp << 0 << 4 << 0 << 0;
        QTest::newRow("after the first page") << kBmp << 0 << 1 << 1 << 1;
        QTest::newRow("after two tiff pages") << kTiff << 0 << 1 << 2 << 2;
        QTest::newRow("after the first page, four threads") << kBmp << 0 << 4 << 1 << 1;
        QTest::newRow("single file before it starts") << kTiff << 1 << 4 << 0 << 0;
        QTest::newRow("single file after its first page") << kTiff << 1 << 4 << 2 << 0;
    }

    void pause()
    {
        QFETCH(int, type);
        QFETCH(int, single);
        QFETCH(int, threads);
        QFETCH(int, pagesBeforePause);
        QFETCH(int, filesWritten);
        int asked = 0;
        PdfToImageHooks hooks;
        hooks.stillRunning = [&] { return asked++ < pagesBeforePause; };
        PdfToImageItem it = item(input(12), QStringLiteral("doc.img"), type, QStringLiteral("*"));
        it.lSingleFile = single;
        it.lResolution = 200; // slow enough that a Pause meets pages not begun yet
        pdf_set_thread_count(threads);
        const int result = PerformConversionItemPDFtoImageDLL(it, hooks);
        pdf_set_thread_count(0);
        QCOMPARE(result, 0);
        QVERIFY(it.bPaused);
        const QStringList files = filesIn(m_out);
        QCOMPARE(files.size(), filesWritten);
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(files[i], QStringLiteral("doc-%1.img").arg(i + 1, 5, 10, QLatin1Char('0')));
        QVERIFY(!isOpen(input(12)));
    }

    void reportsProgress()
    {
        QStringList texts;
        PdfToImageHooks hooks;
        hooks.progress = [&](const QString& text) { texts.append(text); };
        PdfToImageItem it = item(input(3), QStringLiteral("doc.bmp"), kBmp, QStringLiteral("2-3"));
        QCOMPARE(PerformConversionItemPDFtoImageDLL(it, hooks), 0);
        QCOMPARE(texts, (QStringList{QStringLiteral("[1] ") + input(3), QStringLiteral("[2] ") + input(3)}));
    }

    // Only files this run made are touched: numbered files in the temporary
    // folder belong to someone else.
    void leavesTheTemporaryFolderAlone()
    {
        QTemporaryDir temp;
        const QStringList others = {QStringLiteral("12345"), QStringLiteral("12345.tmp"), QStringLiteral("abc")};
        for (const QString& name : others)
            QVERIFY(testutil::writeFile(temp.filePath(name), "other"));
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        PdfToImageItem it = item(input(2), QStringLiteral("doc.bmp"), kBmp, QStringLiteral("*"));
        const int err = PerformConversionItemPDFtoImageDLL(it, {});
        qputenv("TMPDIR", saved);
        QCOMPARE(err, 0);
        QCOMPARE(filesIn(temp.path()), QStringList({QStringLiteral("12345"), QStringLiteral("12345.tmp"),
                                                     QStringLiteral("abc")}));
        QCOMPARE(filesIn(m_out), QStringList({QStringLiteral("doc-00001.bmp"), QStringLiteral("doc-00002.bmp")}));
    }

    void pageFilePath_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "/out/doc.png" << 1 << "/out/doc-00001.png";
        QTest::newRow("two digits") << "/out/doc.png" << 12 << "/out/doc-00012.png";
        QTest::newRow("six digits") << "/out/doc.png" << 123456 << "/out/doc-123456.png";
        QTest::newRow("no extension") << "/out/doc" << 3 << "/out/doc-00003";
        QTest::newRow("dotted folder") << "/out.d/doc" << 3 << "/out.d/doc-00003";
        QTest::newRow("no folder") << "doc.tif" << 2 << "doc-00002.tif";
    }

    void pageFilePath()
    {
        QFETCH(QString, target);
        QFETCH(int, page);
        QFETCH(QString, expected);
        QCOMPARE(PageFilePath(target, page), expected);
    }
};

QTEST_GUILESS_MAIN(TestPdfToImage)
#include "test_pdf_to_image.moc"
