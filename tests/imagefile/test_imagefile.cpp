// The image-file control: every output type is checked by its leading bytes
// and by a reader that is not ours (ImageMagick's identify and convert,
// tiffinfo, wmf2svg, emf2svg-conv, and a record walk of our own for the
// metafiles), including the pixels that come back out.
#include "imagefile/ImageFile.h"

#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <cstdlib>
#include <thread>

Q_DECLARE_METATYPE(RasterImage)

namespace {

// 64 x 48 at 150 dpi: two gradients, a red block near the top left and a
// blue block near the bottom right, so a flipped picture or swapped
// channels show at once.
RasterImage MakeRaster(int width = 64, int height = 48)
{
    RasterImage image;
    image.width = width;
    image.height = height;
    image.dpiX = 150;
    image.dpiY = 150;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
            p[2] = 96;
            if (x >= 8 && x < 24 && y >= 6 && y < 18) {
                p[0] = 255; p[1] = 0; p[2] = 0;
            }
            if (x >= 40 && x < 56 && y >= 30 && y < 42) {
                p[0] = 0; p[1] = 0; p[2] = 255;
            }
        }
    }
    return image;
}

RasterImage MakeGreyRaster()
{
    RasterImage image = MakeRaster();
    for (std::size_t i = 0; i < image.rgb.size(); i += 3)
        image.rgb[i + 1] = image.rgb[i + 2] = image.rgb[i];
    return image;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunTool(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    QProcess process;
    process.start(program, args);
    Run run;
    if (!process.waitForStarted(10000)) {
        run.err = program.toUtf8() + " could not be started";
        return run;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The pixels of an image file (or of PNG data on stdin) as 8-bit RGB, read
// by ImageMagick.
QByteArray PixelsByConvert(const QString& file)
{
    return RunTool(QStringLiteral("convert"), {file, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgb:-")}).out;
}

QByteArray PngPixelsByConvert(const QByteArray& png)
{
    return RunTool(QStringLiteral("convert"), {QStringLiteral("png:-"), QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("rgb:-")}, png).out;
}

// Empty when the pixels match: exactly, or within a mean difference for
// lossy formats, with the two colour blocks still clearly red and blue.
QString ComparePixels(const RasterImage& expected, const QByteArray& actual, double maxMeanDiff)
{
    const auto size = static_cast<qsizetype>(expected.rgb.size());
    if (actual.size() != size)
        return QStringLiteral("got %1 bytes of pixels, expected %2").arg(actual.size()).arg(size);
    double total = 0;
    for (qsizetype i = 0; i < size; ++i)
        total += std::abs(int(static_cast<std::uint8_t>(actual[i])) - int(expected.rgb[static_cast<std::size_t>(i)]));
    const double mean = total / double(size);
    if (mean > maxMeanDiff)
        return QStringLiteral("mean difference %1 exceeds %2").arg(mean).arg(maxMeanDiff);
    auto pixel = [&](int x, int y, int c) {
        return int(static_cast<std::uint8_t>(actual[(qsizetype(y) * expected.width + x) * 3 + c]));
    };
    const int cx = 15, cy = 11, bx = 47, by = 35; // block centres
    if (pixel(cx, cy, 0) < 200 || pixel(cx, cy, 2) > 60)
        return QStringLiteral("the red block is not red");
    if (pixel(bx, by, 2) < 200 || pixel(bx, by, 0) > 60)
        return QStringLiteral("the blue block is not blue");
    return {};
}

std::uint32_t U32(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 4 > d.size())
        return 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(d.constData() + at);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

std::uint16_t U16(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 2 > d.size())
        return 0;
    const auto* p = reinterpret_cast<const std::uint8_t*>(d.constData() + at);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Decodes a 24-bit BI_RGB DIB (header at `at`, pixels at `bits`) to RGB.
QByteArray DecodeDib(const QByteArray& d, qsizetype at, qsizetype bits)
{
    const int w = static_cast<int>(U32(d, at + 4));
    const int h = static_cast<int>(U32(d, at + 8));
    if (U32(d, at) != 40 || U16(d, at + 14) != 24 || U32(d, at + 16) != 0 || w <= 0 || h == 0)
        return {};
    const int rows = std::abs(h);
    const qsizetype stride = (qsizetype(w) * 3 + 3) & ~qsizetype(3);
    if (bits + stride * rows > d.size())
        return {};
    QByteArray rgb;
    rgb.reserve(qsizetype(w) * rows * 3);
    for (int y = 0; y < rows; ++y) {
        const qsizetype row = bits + stride * (h > 0 ? rows - 1 - y : y);
        for (int x = 0; x < w; ++x) {
            rgb.append(d[row + x * 3 + 2]);
            rgb.append(d[row + x * 3 + 1]);
            rgb.append(d[row + x * 3]);
        }
    }
    return rgb;
}

// Walks the records of an EMF file: header first with its signature, sizes
// that add up to the file and to nBytes, the record count, EMR_EOF last.
// Returns a problem, or empty and the pixels of the stretch-DIB record.
QString WalkEmf(const QByteArray& d, const RasterImage& image, QByteArray* pixels)
{
    if (U32(d, 0) != 1)
        return QStringLiteral("the first record is not EMR_HEADER");
    if (d.mid(40, 4) != QByteArray(" EMF"))
        return QStringLiteral("no EMF signature at offset 40");
    if (U32(d, 48) != std::uint32_t(d.size()))
        return QStringLiteral("nBytes %1 is not the file size %2").arg(U32(d, 48)).arg(d.size());
    const int frameRight = static_cast<int>(U32(d, 32));
    const int frameWanted = image.width * 2540 / image.dpiX;
    if (std::abs(frameRight - frameWanted) > 2)
        return QStringLiteral("frame right %1, expected about %2").arg(frameRight).arg(frameWanted);
    qsizetype at = 0;
    std::uint32_t records = 0, lastType = 0;
    while (at < d.size()) {
        const std::uint32_t type = U32(d, at);
        const std::uint32_t size = U32(d, at + 4);
        if (size < 8 || size % 4 != 0 || at + qsizetype(size) > d.size())
            return QStringLiteral("record %1 has a bad size %2").arg(records).arg(size);
        if (type == 81) { // EMR_STRETCHDIBITS
            if (U32(d, at + 40) != std::uint32_t(image.width) || U32(d, at + 44) != std::uint32_t(image.height))
                return QStringLiteral("the source rectangle is not the page");
            *pixels = DecodeDib(d, at + U32(d, at + 48), at + U32(d, at + 56));
        }
        lastType = type;
        ++records;
        at += size;
    }
    if (records != U32(d, 52))
        return QStringLiteral("%1 records, header says %2").arg(records).arg(U32(d, 52));
    if (lastType != 14)
        return QStringLiteral("the last record is not EMR_EOF");
    return {};
}

// Walks a placeable WMF: key and checksum, header sizes in words, records
// that add up to the file, META_EOF last.
QString WalkWmf(const QByteArray& d, const RasterImage& image)
{
    if (U32(d, 0) != 0x9AC6CDD7u)
        return QStringLiteral("no placeable header");
    if (U16(d, 10) != image.width || U16(d, 12) != image.height || U16(d, 14) != image.dpiX)
        return QStringLiteral("the placeable header does not give the page size at its resolution");
    std::uint16_t checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= U16(d, i);
    if (checksum != U16(d, 20))
        return QStringLiteral("bad placeable checksum");
    if (U16(d, 22) != 1 || U16(d, 24) != 9)
        return QStringLiteral("bad META header");
    if (qsizetype(U32(d, 28)) * 2 != d.size() - 22)
        return QStringLiteral("mtSize does not match the file");
    qsizetype at = 22 + 18;
    std::uint32_t largest = 0;
    std::uint16_t last = 0xFFFF;
    while (at < d.size()) {
        const std::uint32_t words = U32(d, at);
        if (words < 3 || at + qsizetype(words) * 2 > d.size())
            return QStringLiteral("a record has a bad size");
        largest = std::max(largest, words);
        last = U16(d, at + 4);
        at += qsizetype(words) * 2;
    }
    if (last != 0)
        return QStringLiteral("the last record is not META_EOF");
    if (U32(d, 22 + 12) != largest)
        return QStringLiteral("mtMaxRecord is not the largest record");
    return {};
}

// The PNG data of the first inline image of an SVG.
QByteArray FirstSvgPng(const QByteArray& svg)
{
    static const QRegularExpression re(QStringLiteral("data:image/png;base64,([A-Za-z0-9+/=\\s]+)"));
    const auto match = re.match(QString::fromLatin1(svg));
    return match.hasMatch() ? QByteArray::fromBase64(match.captured(1).remove(QRegularExpression(QStringLiteral("\\s"))).toLatin1())
                            : QByteArray();
}

int TiffPageCount(const QString& file)
{
    return int(RunTool(QStringLiteral("tiffinfo"), {file}).out.count("TIFF Directory at offset"));
}

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestImageFile : public QObject
{
    Q_OBJECT

private slots:
    void savesEachType_data();
    void savesEachType();
    void keepsGreyPagesInRgb();
    void jpegQuality();
    void multiPageTiff_data();
    void multiPageTiff();
    void appendsTiffPages();
    void tiffWriterWithoutCommitLeavesNothing();
    void refusesBadInput_data();
    void refusesBadInput();
    void failedSaveKeepsOldFile();
    void leavesWhatIsNotAFileAlone_data();
    void leavesWhatIsNotAFileAlone();
    void replacingKeepsPermissions();
    void loadsWhatItWrote_data();
    void loadsWhatItWrote();
    void loadsByContentNotName();
    void loadsOtherBmpLayouts();
    void loadFlattensTransparency();
    void savesFromSeveralThreads();
};

void TestImageFile::savesEachType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QString>("identifyFormat"); // empty: ImageMagick cannot read it
    QTest::addColumn<double>("maxMeanDiff");

    QTest::newRow("1 JPEG") << 1 << "jpg" << QByteArray("\xFF\xD8\xFF") << "JPEG" << 4.0;
    QTest::newRow("2 BMP") << 2 << "bmp" << QByteArray("BM") << "BMP3" << 0.0;
    QTest::newRow("3 TIFF") << 3 << "tif" << QByteArray("II*\0", 4) << "TIFF" << 0.0;
    QTest::newRow("4 GIF") << 4 << "gif" << QByteArray("GIF8") << "GIF" << 8.0;
    QTest::newRow("5 EMF") << 5 << "emf" << QByteArray("\x01\0\0\0", 4) << "" << 0.0;
    QTest::newRow("6 J2K") << 6 << "j2k" << QByteArray("\xFF\x4F\xFF\x51") << "J2K" << 0.0;
    QTest::newRow("7 PCX") << 7 << "pcx" << QByteArray("\x0A\x05\x01\x08") << "PCX" << 0.0;
    QTest::newRow("8 PNG") << 8 << "png" << QByteArray("\x89PNG\r\n\x1A\n") << "PNG" << 0.0;
    QTest::newRow("9 RAS") << 9 << "ras" << QByteArray("\x59\xA6\x6A\x95") << "SUN" << 0.0;
    QTest::newRow("10 TGA") << 10 << "tga" << QByteArray("\0\0\x02", 3) << "TGA" << 0.0;
    QTest::newRow("11 WMF") << 11 << "wmf" << QByteArray("\xD7\xCD\xC6\x9A") << "" << 0.0;
}

void TestImageFile::savesEachType()
{
    QFETCH(int, type);
    QFETCH(QString, extension);
    QFETCH(QByteArray, signature);
    QFETCH(QString, identifyFormat);
    QFETCH(double, maxMeanDiff);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const RasterImage image = MakeRaster();
    const QString path = dir.filePath(QStringLiteral("page.") + extension);
    QString error;
    QVERIFY2(SaveRasterImage(image, path, type, 90, &error), qPrintable(error));
    QCOMPARE(FolderEntries(dir.path()), QStringList{QFileInfo(path).fileName()});

    const QByteArray bytes = testutil::readFile(path);
    QVERIFY2(bytes.startsWith(signature), bytes.left(8).toHex().constData());

    if (!identifyFormat.isEmpty()) {
        const Run id = RunTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h\n"), path});
        QVERIFY2(id.exitCode == 0, id.err.constData());
        QCOMPARE(QString::fromLatin1(id.out).trimmed(), identifyFormat + QStringLiteral(" 64 48"));
        const QString problem = ComparePixels(image, PixelsByConvert(path), maxMeanDiff);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    } else if (type == ImageTypeEmf) {
        QByteArray pixels;
        QString problem = WalkEmf(bytes, image, &pixels);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        problem = ComparePixels(image, pixels, 0.0);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("own walk: ") + problem));
        const QString svg = dir.filePath(QStringLiteral("page.svg"));
        const Run conv = RunTool(QStringLiteral("emf2svg-conv"), {QStringLiteral("-i"), path, QStringLiteral("-o"), svg});
        QVERIFY2(conv.exitCode == 0, conv.err.constData());
        const QByteArray png = FirstSvgPng(testutil::readFile(svg));
        QVERIFY2(!png.isEmpty(), "emf2svg shows no image");
        problem = ComparePixels(image, PngPixelsByConvert(png), 0.0);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("emf2svg: ") + problem));
    } else {
        const QString problem = WalkWmf(bytes, image);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const Run conv = RunTool(QStringLiteral("wmf2svg"), {QStringLiteral("--inline"), QStringLiteral("-o"), dir.filePath(QStringLiteral("page.svg")), path});
        QVERIFY2(conv.exitCode == 0, conv.err.constData());
        const QByteArray png = FirstSvgPng(testutil::readFile(dir.filePath(QStringLiteral("page.svg"))));
        QVERIFY2(!png.isEmpty(), "wmf2svg shows no image");
        const QString pixelProblem = ComparePixels(image, PngPixelsByConvert(png), 0.0);
        QVERIFY2(pixelProblem.isEmpty(), qPrintable(QStringLiteral("wmf2svg: ") + pixelProblem));
    }
}

// ImageMagick turns an all-grey page into a greyscale file unless told
// otherwise; pages stay RGB whatever they show.
void TestImageFile::keepsGreyPagesInRgb()
{
    QTemporaryDir dir;
    const RasterImage grey = MakeGreyRaster();
    QString error;
    const QString png = dir.filePath(QStringLiteral("grey.png"));
    QVERIFY2(SaveRasterImage(grey, png, ImageTypePng, 75, &error), qPrintable(error));
    const QByteArray pngBytes = testutil::readFile(png);
    QCOMPARE(int(pngBytes[25]), 2); // IHDR colour type: RGB
    QCOMPARE(int(pngBytes[24]), 8);

    const QString jpg = dir.filePath(QStringLiteral("grey.jpg"));
    QVERIFY2(SaveRasterImage(grey, jpg, ImageTypeJpeg, 75, &error), qPrintable(error));
    const Run id = RunTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%[colorspace]"), jpg});
    QCOMPARE(QString::fromLatin1(id.out), QStringLiteral("sRGB"));
}

// Quality changes the JPEG; a quality outside 1 to 100 means 100.
void TestImageFile::jpegQuality()
{
    QTemporaryDir dir;
    const RasterImage image = MakeRaster(320, 240);
    auto save = [&](int quality) {
        const QString path = dir.filePath(QStringLiteral("q%1.jpg").arg(quality));
        QString error;
        if (!SaveRasterImage(image, path, ImageTypeJpeg, quality, &error))
            qWarning() << error;
        return testutil::readFile(path);
    };
    const QByteArray q10 = save(10), q95 = save(95), q100 = save(100);
    QVERIFY(!q10.isEmpty() && !q95.isEmpty() && !q100.isEmpty());
    QVERIFY(q10.size() < q95.size());
    QCOMPARE(save(0), q100);
    QCOMPARE(save(101), q100);

    ImageFile control;
    control.Quality = 10;
    QVERIFY(control.Save(image, dir.filePath(QStringLiteral("control.jpg")), ImageTypeJpeg));
    QCOMPARE(testutil::readFile(dir.filePath(QStringLiteral("control.jpg"))), q10);
}

void TestImageFile::multiPageTiff_data()
{
    QTest::addColumn<int>("compression");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<int>("bitsPerSample");
    QTest::newRow("none") << int(TiffCompressionNone) << "None" << 8;
    QTest::newRow("LZW") << int(TiffCompressionLzw) << "LZW" << 8;
    QTest::newRow("RLE") << int(TiffCompressionRle) << "PackBits" << 1;
    QTest::newRow("CCITT3") << int(TiffCompressionCcitt3) << "CCITT Group 3" << 1;
    QTest::newRow("CCITT4") << int(TiffCompressionCcitt4) << "CCITT Group 4" << 1;
}

void TestImageFile::multiPageTiff()
{
    QFETCH(int, compression);
    QFETCH(QString, scheme);
    QFETCH(int, bitsPerSample);

    QTemporaryDir dir;
    const std::vector<RasterImage> pages{MakeRaster(), MakeRaster(80, 30), MakeRaster(33, 47)};
    const QString path = dir.filePath(QStringLiteral("pages.tif"));
    QString error;
    QVERIFY2(SaveMultiPageTiff(pages, path, compression, &error), qPrintable(error));

    const Run info = RunTool(QStringLiteral("tiffinfo"), {path});
    QCOMPARE(info.exitCode, 0);
    QCOMPARE(int(info.out.count("TIFF Directory at offset")), 3);
    QCOMPARE(int(info.out.count(QByteArray("Compression Scheme: " + scheme.toLatin1() + '\n'))), 3);
    QCOMPARE(int(info.out.count(QByteArray("Bits/Sample: " + QByteArray::number(bitsPerSample)))), 3);
    QVERIFY(info.out.contains("Image Width: 80 Image Length: 30"));
    QVERIFY(info.out.contains("Resolution: 150, 150 pixels/inch"));

    const QByteArray first = PixelsByConvert(path + QStringLiteral("[0]"));
    if (bitsPerSample == 8) {
        const QString problem = ComparePixels(pages[0], first, 0.0);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    } else {
        // Black and white: the red block is dark, the yellow bottom right
        // corner light.
        QCOMPARE(first.size(), qsizetype(64 * 48 * 3));
        QCOMPARE(int(static_cast<std::uint8_t>(first[(11 * 64 + 15) * 3])), 0);
        QCOMPARE(int(static_cast<std::uint8_t>(first[(47 * 64 + 63) * 3])), 255);
    }
}

void TestImageFile::appendsTiffPages()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.tif"));
    const RasterImage first = MakeRaster();
    QString error;
    QVERIFY2(AppendTiffPage(first, path, TiffCompressionLzw, &error), qPrintable(error));
    QCOMPARE(TiffPageCount(path), 1);
    QVERIFY2(AppendTiffPage(MakeRaster(20, 10), path, TiffCompressionNone, &error), qPrintable(error));
    QVERIFY2(AppendTiffPage(MakeRaster(30, 12), path, TiffCompressionCcitt4, &error), qPrintable(error));
    QCOMPARE(TiffPageCount(path), 3);
    QCOMPARE(FolderEntries(dir.path()), QStringList{QStringLiteral("book.tif")});
    QVERIFY(ComparePixels(first, PixelsByConvert(path + QStringLiteral("[0]")), 0.0).isEmpty());
    const Run third = RunTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%w %h"), path + QStringLiteral("[2]")});
    QCOMPARE(third.out, QByteArray("30 12"));

    // A file that is not a TIFF is left alone.
    const QString png = dir.filePath(QStringLiteral("picture.tif"));
    QVERIFY(SaveRasterImage(first, png, ImageTypePng, 75));
    const QByteArray before = testutil::readFile(png);
    QVERIFY(!AppendTiffPage(first, png, TiffCompressionNone, &error));
    QVERIFY2(error.contains(QStringLiteral("not a TIFF")), qPrintable(error));
    QCOMPARE(testutil::readFile(png), before);
}

void TestImageFile::tiffWriterWithoutCommitLeavesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stream.tif"));
    {
        TiffPageWriter writer;
        QVERIFY(writer.open(path, TiffCompressionLzw));
        QVERIFY(writer.addPage(MakeRaster()));
        QVERIFY(writer.addPage(MakeRaster()));
        QCOMPARE(writer.pageCount(), 2);
    }
    QVERIFY(FolderEntries(dir.path()).isEmpty());

    TiffPageWriter empty;
    QVERIFY(empty.open(path, TiffCompressionNone));
    QString error;
    QVERIFY(!empty.commit(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(FolderEntries(dir.path()).isEmpty());

    // A bad page ends the file: no half-made TIFF under the name.
    TiffPageWriter broken;
    QVERIFY(broken.open(path, TiffCompressionNone));
    QVERIFY(broken.addPage(MakeRaster()));
    RasterImage bad = MakeRaster();
    bad.rgb.pop_back();
    QVERIFY(!broken.addPage(bad, &error));
    QVERIFY(!broken.commit());
    QVERIFY(FolderEntries(dir.path()).isEmpty());
}

void TestImageFile::refusesBadInput_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("file");
    QTest::addColumn<RasterImage>("image");
    QTest::addColumn<QString>("message");

    RasterImage shortBuffer = MakeRaster();
    shortBuffer.rgb.resize(shortBuffer.rgb.size() - 3);
    RasterImage noPixels;
    RasterImage tooWideForWmf = MakeRaster(40000, 1);

    QTest::newRow("missing folder, PNG") << 8 << "no/such/folder/a.png" << MakeRaster() << "Output folder does not exist";
    QTest::newRow("missing folder, EMF") << 5 << "no/such/folder/a.emf" << MakeRaster() << "Output folder does not exist";
    QTest::newRow("missing folder, TIFF") << 3 << "no/such/folder/a.tif" << MakeRaster() << "Output folder does not exist";
    QTest::newRow("type 0") << 0 << "a.png" << MakeRaster() << "Unknown image type: 0";
    QTest::newRow("type 12 (PDF)") << 12 << "a.pdf" << MakeRaster() << "Unknown image type: 12";
    QTest::newRow("type -1") << -1 << "a.png" << MakeRaster() << "Unknown image type: -1";
    QTest::newRow("buffer too short") << 8 << "a.png" << shortBuffer << "buffer";
    QTest::newRow("no pixels") << 2 << "a.bmp" << noPixels << "no pixels";
    QTest::newRow("WMF wider than 32767") << 11 << "a.wmf" << tooWideForWmf << "too large for a WMF";
    QTest::newRow("path is a folder") << 2 << "sub" << MakeRaster() << "is a folder";
}

void TestImageFile::refusesBadInput()
{
    QFETCH(int, type);
    QFETCH(QString, file);
    QFETCH(RasterImage, image);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QString error;
    QVERIFY(!SaveRasterImage(image, dir.filePath(file), type, 75, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(FolderEntries(dir.path()), QStringList{QStringLiteral("sub")});
    QVERIFY(!SaveRasterImage(image, dir.filePath(file), type, 75, nullptr));
}

// A save that fails leaves an existing file as it was, and no leftovers.
void TestImageFile::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.wmf"));
    QVERIFY(testutil::writeFile(path, "old content"));
    QString error;
    QVERIFY(!SaveRasterImage(MakeRaster(40000, 1), path, ImageTypeWmf, 75, &error));
    QCOMPARE(testutil::readFile(path), QByteArray("old content"));

    const QString tif = dir.filePath(QStringLiteral("pages.tif"));
    QVERIFY(testutil::writeFile(tif, "old content"));
    RasterImage bad = MakeRaster();
    bad.rgb.clear();
    QVERIFY(!SaveMultiPageTiff({MakeRaster(), bad}, tif, TiffCompressionLzw, &error));
    QVERIFY(!SaveMultiPageTiff({MakeRaster()}, tif, 7, &error));
    QVERIFY2(error.contains(QStringLiteral("Unknown TIFF compression")), qPrintable(error));
    QCOMPARE(testutil::readFile(tif), QByteArray("old content"));
    QCOMPARE(FolderEntries(dir.path()).size(), 2);
}

// A FIFO where the image goes is not replaced by a file, nor read from
// when a page is added to it: the save fails at once with that reason.
void TestImageFile::leavesWhatIsNotAFileAlone_data()
{
    QTest::addColumn<int>("type"); // 0: a multi-page TIFF, -1: a page added to a TIFF
    for (int type = 1; type <= 11; ++type)
        QTest::addRow("type %d", type) << type;
    QTest::newRow("multi-page TIFF") << 0;
    QTest::newRow("page added to a TIFF") << -1;
}

void TestImageFile::leavesWhatIsNotAFileAlone()
{
    QFETCH(int, type);
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("page"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QString error;
    const bool saved = type > 0   ? SaveRasterImage(MakeRaster(), fifo, type, 75, &error)
                       : type == 0 ? SaveMultiPageTiff({MakeRaster(), MakeRaster()}, fifo, TiffCompressionLzw, &error)
                                   : AppendTiffPage(MakeRaster(), fifo, TiffCompressionLzw, &error);
    QVERIFY(!saved);
    QCOMPARE(error, QStringLiteral("Unable to write %1: not a regular file").arg(fifo));
    struct stat st {};
    QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("page")});
}

void TestImageFile::replacingKeepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.png"));
    QVERIFY(testutil::writeFile(path, "old content"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    QVERIFY(SaveRasterImage(MakeRaster(), path, ImageTypePng, 75));
    QVERIFY(testutil::readFile(path).startsWith("\x89PNG"));
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    QCOMPARE(FolderEntries(dir.path()).size(), 1);
}

void TestImageFile::loadsWhatItWrote_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("keepsDpi");
    QTest::newRow("BMP") << int(ImageTypeBmp) << true;
    QTest::newRow("TIFF") << int(ImageTypeTiff) << true;
    QTest::newRow("PNG") << int(ImageTypePng) << true;
    QTest::newRow("PCX") << int(ImageTypePcx) << true;
    QTest::newRow("RAS") << int(ImageTypeRas) << false;
    QTest::newRow("TGA") << int(ImageTypeTga) << false;
    QTest::newRow("J2K") << int(ImageTypeJ2k) << false;
}

void TestImageFile::loadsWhatItWrote()
{
    QFETCH(int, type);
    QFETCH(bool, keepsDpi);
    QTemporaryDir dir;
    const RasterImage image = MakeRaster();
    const QString path = dir.filePath(QStringLiteral("page"));
    QVERIFY(SaveRasterImage(image, path, type, 75));
    RasterImage loaded;
    QString error;
    QVERIFY2(LoadRasterImage(path, loaded, &error), qPrintable(error));
    QCOMPARE(loaded.width, image.width);
    QCOMPARE(loaded.height, image.height);
    QVERIFY(loaded.rgb == image.rgb);
    if (keepsDpi) {
        QCOMPARE(loaded.dpiX, 150);
        QCOMPARE(loaded.dpiY, 150);
    }
}

// The program re-saves a page file under the same name; what counts is the
// data, not the name. Files that are no image, or missing, are errors.
void TestImageFile::loadsByContentNotName()
{
    QTemporaryDir dir;
    const RasterImage image = MakeRaster();
    const QString path = dir.filePath(QStringLiteral("page[1].png"));
    QVERIFY(SaveRasterImage(image, path, ImageTypeBmp, 75)); // BMP data, PNG name
    RasterImage loaded;
    QString error;
    QVERIFY2(LoadRasterImage(path, loaded, &error), qPrintable(error));
    QVERIFY(loaded.rgb == image.rgb);

    // Re-saved in place as the wanted type.
    QVERIFY2(SaveRasterImage(loaded, path, ImageTypePng, 75, &error), qPrintable(error));
    QVERIFY(testutil::readFile(path).startsWith("\x89PNG"));

    // First page of a multi-page TIFF.
    const QString tif = dir.filePath(QStringLiteral("pages.tif"));
    QVERIFY(SaveMultiPageTiff({MakeRaster(20, 10), MakeRaster()}, tif, TiffCompressionLzw));
    QVERIFY(LoadRasterImage(tif, loaded, &error));
    QCOMPARE(loaded.width, 20);

    const QString text = dir.filePath(QStringLiteral("notes.bmp"));
    QVERIFY(testutil::writeFile(text, "just some text, no picture at all"));
    QVERIFY(!LoadRasterImage(text, loaded, &error));
    QVERIFY2(error.contains(QStringLiteral("not an image")), qPrintable(error));
    QVERIFY(!LoadRasterImage(dir.filePath(QStringLiteral("missing.bmp")), loaded, &error));
    QVERIFY(!error.isEmpty());
    const QString empty = dir.filePath(QStringLiteral("empty.bmp"));
    QVERIFY(testutil::writeFile(empty, QByteArray()));
    QVERIFY(!LoadRasterImage(empty, loaded, &error));
    QVERIFY(loaded.width == 20); // failures leave the caller's raster alone

    // A truncated file is an error, not a crash.
    const QString cut = dir.filePath(QStringLiteral("cut.png"));
    QVERIFY(SaveRasterImage(image, cut, ImageTypePng, 75));
    QVERIFY(testutil::writeFile(cut, testutil::readFile(cut).left(60)));
    QVERIFY(!LoadRasterImage(cut, loaded, &error));
}

// Our own reader takes 24-bit bitmaps stored either way up; other kinds
// (palette, 32-bit) go to ImageMagick.
void TestImageFile::loadsOtherBmpLayouts()
{
    QTemporaryDir dir;
    const RasterImage image = MakeRaster();
    const QString path = dir.filePath(QStringLiteral("page.bmp"));
    QVERIFY(SaveRasterImage(image, path, ImageTypeBmp, 75));
    QByteArray bytes = testutil::readFile(path);
    const qsizetype bits = 54, stride = 64 * 3;
    QByteArray topDown = bytes.left(bits);
    for (int y = 47; y >= 0; --y)
        topDown += bytes.mid(bits + y * stride, stride);
    const qint32 negative = -48;
    topDown.replace(22, 4, QByteArray(reinterpret_cast<const char*>(&negative), 4));
    QVERIFY(testutil::writeFile(path, topDown));
    RasterImage loaded;
    QString error;
    QVERIFY2(LoadRasterImage(path, loaded, &error), qPrintable(error));
    QVERIFY(loaded.rgb == image.rgb);

    // A bitmap whose header promises more pixels than the file holds.
    QVERIFY(testutil::writeFile(path, topDown.left(topDown.size() / 2)));
    QVERIFY(!LoadRasterImage(path, loaded, &error));

    const QString palette = dir.filePath(QStringLiteral("palette.bmp"));
    QCOMPARE(RunTool(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("5x3"), QStringLiteral("xc:blue"), QStringLiteral("-type"), QStringLiteral("Palette"), QStringLiteral("BMP3:") + palette}).exitCode, 0);
    QVERIFY(int(testutil::readFile(palette)[28]) < 24);
    QVERIFY2(LoadRasterImage(palette, loaded, &error), qPrintable(error));
    QCOMPARE(loaded.width, 5);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(loaded.rgb.data()), 3), QByteArray("\0\0\xFF", 3));
}

void TestImageFile::loadFlattensTransparency()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alpha.png"));
    const Run made = RunTool(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("4x2"), QStringLiteral("xc:none"), QStringLiteral("-fill"), QStringLiteral("black"), QStringLiteral("-draw"), QStringLiteral("point 0,0"), QStringLiteral("PNG32:") + path});
    QCOMPARE(made.exitCode, 0);
    RasterImage loaded;
    QString error;
    QVERIFY2(LoadRasterImage(path, loaded, &error), qPrintable(error));
    QCOMPARE(loaded.rgb.size(), std::size_t(4 * 2 * 3));
    QCOMPARE(int(loaded.rgb[0]), 0);
    QCOMPARE(int(loaded.rgb[3]), 255);
    QCOMPARE(int(loaded.rgb[23]), 255);

    // Greyscale files come back as RGB triples.
    const QString grey = dir.filePath(QStringLiteral("grey.png"));
    QCOMPARE(RunTool(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("3x1"), QStringLiteral("xc:gray50"), QStringLiteral("-type"), QStringLiteral("Grayscale"), grey}).exitCode, 0);
    QVERIFY2(LoadRasterImage(grey, loaded, &error), qPrintable(error));
    QCOMPARE(loaded.rgb.size(), std::size_t(9));
    QCOMPARE(int(loaded.rgb[4]), int(loaded.rgb[3]));
    QVERIFY(loaded.rgb[4] > 100 && loaded.rgb[4] < 160);
}

// The rasteriser may encode pages on several threads at once.
void TestImageFile::savesFromSeveralThreads()
{
    QTemporaryDir dir;
    const RasterImage image = MakeRaster(200, 150);
    const int types[] = {ImageTypePng, ImageTypeJpeg, ImageTypeTiff, ImageTypeGif, ImageTypeBmp, ImageTypeJ2k};
    std::vector<std::thread> threads;
    std::vector<int> failures(6, 0);
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 4; ++i) {
                if (!SaveRasterImage(image, dir.filePath(QStringLiteral("t%1-%2").arg(t).arg(i)), types[t], 80))
                    ++failures[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    QCOMPARE(failures, std::vector<int>(6, 0));
    QCOMPARE(FolderEntries(dir.path()).size(), 24);
    for (int t = 0; t < 6; ++t) {
        const Run id = RunTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%w %h"), dir.filePath(QStringLiteral("t%1-3").arg(t))});
        QCOMPARE(id.out, QByteArray("200 150"));
    }
}

QTEST_GUILESS_MAIN(TestImageFile)
#include "test_imagefile.moc"
