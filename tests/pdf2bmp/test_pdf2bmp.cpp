// The rasteriser: opening (passwords, damaged files, the poppler fallback),
// page sizes, the BMP, JPEG and multi-page TIFF files it writes, and its
// failures. Images are read back with ImageMagick and tiffinfo.
#include "ImageProbe.h"
#include "TestPdf.h"
#include "TestUtil.h"
#include "imagefile/ImageFile.h"
#include "pdf2bmp/pdf2bmp.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using testpdf::PageSpec;

namespace {

QString corpus(const char* name)
{
    return QStringLiteral(TESSAVIEW_CORPUS "/pdf/") + QLatin1String(name);
}

QByteArray local(const QString& path)
{
    return QFile::encodeName(path);
}

// Opens path, returning the handle; fails the test when it cannot.
int openOrFail(const QString& path)
{
    int handle = 0;
    const int result = pdf_open_file(local(path).constData(), "", "", &handle);
    return result == PDF2BMP_OK ? handle : result;
}

// Sets the rasteriser's thread count for one scope.
struct Threads {
    explicit Threads(int n) { pdf_set_thread_count(n); }
    ~Threads() { pdf_set_thread_count(0); }
};

int saveTiff(const QString& pdf, const QList<int>& pages, int compression, bool append, const QString& out,
             int threads = 4, int dpi = 50)
{
    const int handle = openOrFail(pdf);
    if (handle <= 0)
        return handle;
    Threads use(threads);
    Pdf2BmpTiffOptions options;
    options.compression = compression;
    options.append = append;
    const int result = pdf_save_tiff(handle, pages.constData(), int(pages.size()), 0, 0, dpi, options,
                                     local(out).constData());
    pdf_close_file(handle);
    return result;
}

// One file per page into folder as page-N.ext; what the call said, the
// entries in place in the order they came, and whether it stopped early.
struct PageFilesRun {
    int result = 0;
    QList<int> written;
    bool stopped = false;
};

PageFilesRun savePageFiles(const QString& pdf, const QList<int>& pages, const QString& folder, int format,
                           const QString& ext, int threads, const std::function<void(Pdf2BmpPageFiles&)>& adjust = {})
{
    PageFilesRun run;
    const int handle = openOrFail(pdf);
    if (handle <= 0) {
        run.result = handle;
        return run;
    }
    std::vector<std::string> paths;
    for (const int page : pages)
        paths.push_back(local(QStringLiteral("%1/page-%2.%3").arg(folder).arg(page).arg(ext)).toStdString());
    Pdf2BmpPageFiles job;
    job.pages = pages.constData();
    job.count = int(pages.size());
    job.paths = paths.data();
    job.dpi = 50;
    job.format = format;
    job.written = [&](int i) { run.written << i; };
    if (adjust)
        adjust(job);
    Threads use(threads);
    run.result = pdf_save_page_files(handle, job, nullptr, &run.stopped);
    pdf_close_file(handle);
    return run;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Black where the page is dark, white elsewhere: the middle of every test
// page is a dark block of colour, its lower left corner paper.
bool showsBlackAndWhitePage(const QString& file, int frame)
{
    const QSize s = probe::size(file, frame);
    return s.isValid() && probe::near(probe::pixel(file, s.width() / 2, s.height() / 2, frame), {0, 0, 0}, 0)
        && probe::near(probe::pixel(file, 1, s.height() - 2, frame), {255, 255, 255}, 0);
}

} // namespace

class TestPdf2Bmp : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_threePages;   // letter pages 1..3
    QString m_popplerOnly;  // first kid loops: MuPDF refuses, poppler reads; page 2 turned
    QString m_lastViaPoppler; // loop before page 3: MuPDF loads pages 1 and 2 only
    QString m_lastMissing;  // page 3 is a loop: nobody can load it
    QString m_emptyUserPassword;
    QString m_userPassword; // user "open sesame", owner "boss"

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/libreoffice-writer-password.pdf"),
                                 QStringLiteral("pdf/unreadablemetadata.pdf"));
        QVERIFY(m_dir.isValid());
        QCOMPARE(pdf_init(), PDF2BMP_OK);
        m_threePages = path(QStringLiteral("three.pdf"));
        QVERIFY(testpdf::writePdf(m_threePages, testpdf::makePdf(3)));
        PageSpec turned;
        turned.rotate = 90;
        m_popplerOnly = path(QStringLiteral("poppler-only.pdf"));
        QVERIFY(testpdf::writePdf(m_popplerOnly,
                                  testpdf::makePdf({PageSpec(), turned}, testpdf::kLoopKidFirst)));
        m_lastViaPoppler = path(QStringLiteral("last-via-poppler.pdf"));
        QVERIFY(testpdf::writePdf(m_lastViaPoppler,
                                  testpdf::makePdf(std::vector<PageSpec>(3), {2, "2 0 R", false})));
        m_lastMissing = path(QStringLiteral("last-missing.pdf"));
        QVERIFY(testpdf::writePdf(m_lastMissing,
                                  testpdf::makePdf(std::vector<PageSpec>(2), {2, "2 0 R", true})));
        m_emptyUserPassword = path(QStringLiteral("restricted.pdf"));
        QVERIFY(testpdf::encryptPdf(m_threePages, m_emptyUserPassword, "", "boss"));
        m_userPassword = path(QStringLiteral("secret.pdf"));
        QVERIFY(testpdf::encryptPdf(m_threePages, m_userPassword, "open sesame", "boss"));
        QVERIFY(testutil::writeFile(path(QStringLiteral("garbage.pdf")), "this is no PDF\n"));
    }

    void cleanupTestCase() { pdf_done(); }

    // A page that would paint for minutes is cut off at its time limit and
    // fails alone, however it is drawn (a page alone, page files on several
    // threads, a multi-page TIFF): no other renderer gets it, nothing is
    // left at its output, and the file's honest page is drawn.
    void hostilePageIsCutOffAtItsTimeLimit()
    {
        const QString pdf = path(QStringLiteral("hostile.pdf"));
        QVERIFY(testpdf::writePdf(pdf, testpdf::makePdf({testpdf::hostilePage(250000), PageSpec()})));
        // 0.3 s and 0.1 s per megapixel: 0.4 s for a letter page at 72 dpi.
        pdf_set_page_time_limit(300, 100);
        const int handle = openOrFail(pdf);
        QVERIFY(handle > 0);
        const QString bmp = path(QStringLiteral("hostile-1.bmp"));
        const int result = pdf_save_page(handle, 1, 0, 0, 72, 75, PDF2BMP_FORMAT_BMP, local(bmp).constData());
        const QString reason = QString::fromUtf8(pdf_last_error());
        QCOMPARE(result, int(PDF2BMP_ERR_TIME_LIMIT));
        QCOMPARE(reason, QStringLiteral("page 1 took longer than 0.4 seconds to draw (the limit of a page of "
                                        "612 x 792 pixels) and was cut off"));
        QVERIFY(!QFile::exists(bmp));
        QCOMPARE(pdf_save_page(handle, 2, 0, 0, 72, 75, PDF2BMP_FORMAT_BMP,
                               local(path(QStringLiteral("hostile-2.bmp"))).constData()),
                 int(PDF2BMP_OK));
        pdf_close_file(handle);

        const QString tiff = path(QStringLiteral("hostile.tif"));
        QCOMPARE(saveTiff(pdf, {2, 1}, 0, false, tiff, 2, 72), int(PDF2BMP_ERR_TIME_LIMIT));
        QVERIFY(!QFile::exists(tiff));
        const QString folder = path(QStringLiteral("hostile-pages"));
        QVERIFY(QDir().mkpath(folder));
        const PageFilesRun run = savePageFiles(pdf, {2, 1}, folder, PDF2BMP_FORMAT_BMP, QStringLiteral("bmp"), 2);
        QCOMPARE(run.result, int(PDF2BMP_ERR_TIME_LIMIT));
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("page-2.bmp")});
        pdf_set_page_time_limit(10000, 2000);
    }

    void opensAndCountsPages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("pages");
        QTest::newRow("plain") << m_threePages << QByteArray() << int(PDF2BMP_OK) << 3;
        QTest::newRow("mupdf refuses, poppler reads") << m_popplerOnly << QByteArray() << int(PDF2BMP_OK) << 2;
        QTest::newRow("one page only poppler loads") << m_lastViaPoppler << QByteArray() << int(PDF2BMP_OK) << 3;
        QTest::newRow("empty user password") << m_emptyUserPassword << QByteArray() << int(PDF2BMP_OK) << 3;
        QTest::newRow("user password given") << m_userPassword << QByteArray("open sesame") << int(PDF2BMP_OK) << 3;
        QTest::newRow("owner password given") << m_userPassword << QByteArray("boss") << int(PDF2BMP_OK) << 3;
        QTest::newRow("user password missing") << m_userPassword << QByteArray() << int(PDF2BMP_ERR_PASSWORD) << 0;
        QTest::newRow("user password wrong") << m_userPassword << QByteArray("guess") << int(PDF2BMP_ERR_PASSWORD) << 0;
        QTest::newRow("corpus encrypted") << corpus("libreoffice-writer-password.pdf") << QByteArray()
                                          << int(PDF2BMP_ERR_PASSWORD) << 0;
        // Its page tree object is gone: neither library finds a page.
        QTest::newRow("corpus page tree lost") << corpus("unreadablemetadata.pdf") << QByteArray()
                                               << int(PDF2BMP_ERR_OPEN) << 0;
        QTest::newRow("not a pdf") << path(QStringLiteral("garbage.pdf")) << QByteArray() << int(PDF2BMP_ERR_OPEN) << 0;
        QTest::newRow("missing") << path(QStringLiteral("nothing.pdf")) << QByteArray() << int(PDF2BMP_ERR_OPEN) << 0;
    }

    void opensAndCountsPages()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, password);
        QFETCH(int, result);
        QFETCH(int, pages);
        int handle = 0;
        QCOMPARE(pdf_open_file(local(file).constData(), password.constData(), "", &handle), result);
        if (result != PDF2BMP_OK)
            return;
        QVERIFY(handle > 0);
        QCOMPARE(pdf_get_page_count(handle), pages);
        pdf_close_file(handle);
        QCOMPARE(pdf_get_page_count(handle), int(PDF2BMP_ERR_HANDLE));
    }

    void savesBmpAndJpegPages_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QString>("magickFormat");
        QTest::addColumn<QString>("file");
        QTest::newRow("bmp") << int(PDF2BMP_FORMAT_BMP) << probe::kBmpSignature << "BMP3" << m_threePages;
        QTest::newRow("jpeg") << int(PDF2BMP_FORMAT_JPEG) << probe::kJpegSignature << "JPEG" << m_threePages;
        QTest::newRow("jpeg through poppler") << int(PDF2BMP_FORMAT_JPEG) << probe::kJpegSignature << "JPEG"
                                              << m_popplerOnly;
    }

    void savesBmpAndJpegPages()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, signature);
        QFETCH(QString, magickFormat);
        QFETCH(QString, file);
        const int handle = openOrFail(file);
        QVERIFY(handle > 0);
        for (int page = 1; page <= pdf_get_page_count(handle); ++page) {
            const QString out = path(QStringLiteral("%1-%2-%3").arg(QTest::currentDataTag()).arg(page).arg(format));
            QCOMPARE(pdf_save_page(handle, page, 0, 0, 100, 90, format, local(out).constData()), int(PDF2BMP_OK));
            QVERIFY(probe::hasSignature(out, signature));
            QCOMPARE(probe::format(out), magickFormat);
            QVERIFY2(probe::showsPage(out, page), qPrintable(out));
        }
        pdf_close_file(handle);
    }

    void recordsResolution()
    {
        const int handle = openOrFail(m_threePages);
        const QString jpeg = path(QStringLiteral("dpi.jpg"));
        const QString bmp = path(QStringLiteral("dpi.bmp"));
        QCOMPARE(pdf_save_page(handle, 1, 0, 0, 150, 75, PDF2BMP_FORMAT_JPEG, local(jpeg).constData()), int(PDF2BMP_OK));
        QCOMPARE(pdf_save_page(handle, 1, 0, 0, 150, 75, PDF2BMP_FORMAT_BMP, local(bmp).constData()), int(PDF2BMP_OK));
        pdf_close_file(handle);
        QCOMPARE(probe::identify(jpeg, QStringLiteral("%x %y %U")), QStringLiteral("150 150 PixelsPerInch"));
        QCOMPARE(probe::size(jpeg), QSize(1275, 1650));
        // BMP keeps pixels per metre: 150 dpi is 5906.
        QCOMPARE(probe::identify(bmp, QStringLiteral("%[fx:round(resolution.x*100)]")), QStringLiteral("5906"));
    }

    void jpegQualityIsApplied()
    {
        const int handle = openOrFail(m_threePages);
        const QString low = path(QStringLiteral("q10.jpg"));
        const QString high = path(QStringLiteral("q95.jpg"));
        QCOMPARE(pdf_save_page(handle, 1, 0, 0, 100, 10, PDF2BMP_FORMAT_JPEG, local(low).constData()), int(PDF2BMP_OK));
        QCOMPARE(pdf_save_page(handle, 1, 0, 0, 100, 95, PDF2BMP_FORMAT_JPEG, local(high).constData()), int(PDF2BMP_OK));
        pdf_close_file(handle);
        QCOMPARE(probe::identify(low, QStringLiteral("%Q")), QStringLiteral("10"));
        QCOMPARE(probe::identify(high, QStringLiteral("%Q")), QStringLiteral("95"));
        QVERIFY(QFileInfo(low).size() < QFileInfo(high).size());
    }

    void pageSize_data()
    {
        QTest::addColumn<double>("pageWidth");
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<int>("rotate");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("72 dpi") << 612.0 << 792.0 << 0 << 0 << 0 << 72 << QSize(612, 792);
        QTest::newRow("150 dpi") << 612.0 << 792.0 << 0 << 0 << 0 << 150 << QSize(1275, 1650);
        QTest::newRow("a4 rounds up") << 595.0 << 842.0 << 0 << 0 << 0 << 100 << QSize(827, 1170);
        QTest::newRow("width keeps aspect") << 612.0 << 792.0 << 0 << 306 << 0 << 100 << QSize(306, 396);
        QTest::newRow("height keeps aspect") << 612.0 << 792.0 << 0 << 0 << 198 << 100 << QSize(153, 198);
        QTest::newRow("both stretch") << 612.0 << 792.0 << 0 << 200 << 100 << 100 << QSize(200, 100);
        QTest::newRow("size ignores dpi") << 612.0 << 792.0 << 0 << 306 << 0 << -5 << QSize(306, 396);
        QTest::newRow("turned page") << 612.0 << 792.0 << 90 << 0 << 0 << 72 << QSize(792, 612);
    }

    void pageSize()
    {
        QFETCH(double, pageWidth);
        QFETCH(double, pageHeight);
        QFETCH(int, rotate);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, dpi);
        QFETCH(QSize, expected);
        PageSpec spec{pageWidth, pageHeight, rotate};
        const QString file = path(QStringLiteral("size.pdf"));
        QVERIFY(testpdf::writePdf(file, testpdf::makePdf({spec})));
        const int handle = openOrFail(file);
        QVERIFY(handle > 0);
        RasterImage image;
        QCOMPARE(pdf_render_page(handle, 1, width, height, dpi, &image), int(PDF2BMP_OK));
        pdf_close_file(handle);
        QCOMPARE(QSize(image.width, image.height), expected);
        QCOMPARE(image.rgb.size(), size_t(expected.width()) * expected.height() * 3);
    }

    // A page turned clockwise shows its upper-left corner at the upper
    // right, from MuPDF and from poppler alike.
    void turnedPageKeepsItsContent_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("mupdf") << path(QStringLiteral("turned.pdf"));
        QTest::newRow("poppler") << m_popplerOnly;
    }

    void turnedPageKeepsItsContent()
    {
        QFETCH(QString, file);
        PageSpec turned;
        turned.rotate = 90;
        if (file != m_popplerOnly)
            QVERIFY(testpdf::writePdf(file, testpdf::makePdf({PageSpec(), turned})));
        const int handle = openOrFail(file);
        const QString out = path(QStringLiteral("turned-%1.bmp").arg(QTest::currentDataTag()));
        QCOMPARE(pdf_save_page(handle, 2, 0, 0, 72, 75, PDF2BMP_FORMAT_BMP, local(out).constData()), int(PDF2BMP_OK));
        pdf_close_file(handle);
        QCOMPARE(probe::size(out), QSize(792, 612));
        QVERIFY(probe::near(probe::pixel(out, 792 - 40, 40), {0, 0, 0}, 4));
        QVERIFY(probe::near(probe::pixel(out, 40, 40), {255, 255, 255}, 4));
        QVERIFY(probe::showsPage(out, 2));
    }

    void multiPageTiffHoldsPagesInOrder_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<int>("threads");
        QTest::newRow("all, one thread") << m_threePages << QList<int>{1, 2, 3} << 1;
        QTest::newRow("all, four threads") << m_threePages << QList<int>{1, 2, 3} << 4;
        QTest::newRow("list out of order") << m_threePages << QList<int>{3, 1} << 4;
        QTest::newRow("poppler document") << m_popplerOnly << QList<int>{1, 2} << 4;
        QTest::newRow("workers hand a page to poppler") << m_lastViaPoppler << QList<int>{1, 2, 3} << 4;
    }

    void multiPageTiffHoldsPagesInOrder()
    {
        QFETCH(QString, file);
        QFETCH(QList<int>, pages);
        QFETCH(int, threads);
        const int handle = openOrFail(file);
        QVERIFY(handle > 0);
        const QString out = path(QStringLiteral("pages-%1.tif").arg(QTest::currentDataTag()));
        pdf_set_thread_count(threads);
        const int result = pdf_save_page_list(handle, pages.constData(), int(pages.size()), 0, 0, 50, 75,
                                              local(out).constData());
        pdf_set_thread_count(0);
        pdf_close_file(handle);
        QCOMPARE(result, int(PDF2BMP_OK));
        QVERIFY(probe::hasSignature(out, probe::kTiffSignature));
        QCOMPARE(probe::tiffPageCount(out), int(pages.size()));
        for (int i = 0; i < pages.size(); ++i)
            QVERIFY2(probe::showsPage(out, pages[i], i), qPrintable(QStringLiteral("frame %1").arg(i)));
    }

    // Threads change the speed, never the bytes.
    void threadsWriteTheSameFile()
    {
        const int handle = openOrFail(m_threePages);
        const QString one = path(QStringLiteral("one-thread.tif"));
        const QString many = path(QStringLiteral("many-threads.tif"));
        pdf_set_thread_count(1);
        QCOMPARE(pdf_save_pages(handle, 1, 3, 0, 0, 60, 75, local(one).constData()), int(PDF2BMP_OK));
        pdf_set_thread_count(3);
        QCOMPARE(pdf_save_pages(handle, 1, 3, 0, 0, 60, 75, local(many).constData()), int(PDF2BMP_OK));
        pdf_set_thread_count(0);
        pdf_close_file(handle);
        QCOMPARE(probe::head(many, 1 << 24), probe::head(one, 1 << 24));
        QVERIFY(probe::run(QStringLiteral("tiffinfo"), {one}).contains("AdobeDeflate"));
    }

    // A page no library can load ends the file: the old one stays as it was
    // and no partial file is left in the folder.
    void failedTiffLeavesOldFileAlone_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("four threads") << 4;
    }

    void failedTiffLeavesOldFileAlone()
    {
        QFETCH(int, threads);
        QTemporaryDir folder;
        const QString out = folder.filePath(QStringLiteral("kept.tif"));
        QVERIFY(testutil::writeFile(out, "old"));
        const int handle = openOrFail(m_lastMissing);
        QVERIFY(handle > 0);
        QCOMPARE(pdf_get_page_count(handle), 3);
        pdf_set_thread_count(threads);
        const int result = pdf_save_pages(handle, 1, 3, 0, 0, 50, 75, local(out).constData());
        pdf_set_thread_count(0);
        pdf_close_file(handle);
        QCOMPARE(result, int(PDF2BMP_ERR_RENDER));
        QCOMPARE(probe::head(out, 100), QByteArray("old"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.tif")});
    }

    void refusesBadCalls_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("result");
        const QString ok = QStringLiteral("bad-call.bmp");
        QTest::newRow("page 0") << 0 << 0 << 0 << 72 << 0 << 75 << ok << int(PDF2BMP_ERR_ARGUMENT);
        QTest::newRow("page past the end") << 4 << 0 << 0 << 72 << 0 << 75 << ok << int(PDF2BMP_ERR_ARGUMENT);
        QTest::newRow("dpi 0") << 1 << 0 << 0 << 0 << 0 << 75 << ok << int(PDF2BMP_ERR_ARGUMENT);
        QTest::newRow("negative dpi") << 1 << 0 << 0 << -150 << 0 << 75 << ok << int(PDF2BMP_ERR_ARGUMENT);
        QTest::newRow("negative width") << 1 << -10 << 0 << 72 << 0 << 75 << ok << int(PDF2BMP_ERR_ARGUMENT);
        QTest::newRow("unknown format") << 1 << 0 << 0 << 72 << 7 << 75 << ok << int(PDF2BMP_ERR_ARGUMENT);
        QTest::newRow("jpeg quality 0") << 1 << 0 << 0 << 72 << 1 << 0 << ok << int(PDF2BMP_ERR_ARGUMENT);
        QTest::newRow("too many pixels at dpi") << 1 << 0 << 0 << 5000 << 0 << 75 << ok << int(PDF2BMP_ERR_TOO_LARGE);
        QTest::newRow("too many pixels by size") << 1 << 20000 << 20000 << 72 << 0 << 75 << ok
                                                 << int(PDF2BMP_ERR_TOO_LARGE);
        QTest::newRow("folder missing") << 1 << 0 << 0 << 72 << 0 << 75 << QStringLiteral("no/such/x.bmp")
                                        << int(PDF2BMP_ERR_WRITE);
    }

    void refusesBadCalls()
    {
        QFETCH(int, page);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, dpi);
        QFETCH(int, format);
        QFETCH(int, quality);
        QFETCH(QString, out);
        QFETCH(int, result);
        const int handle = openOrFail(m_threePages);
        const QString target = path(out);
        QCOMPARE(pdf_save_page(handle, page, width, height, dpi, quality, format, local(target).constData()), result);
        pdf_close_file(handle);
        QVERIFY(!QFile::exists(target));
    }

    void refusesUnknownHandles()
    {
        RasterImage image;
        QCOMPARE(pdf_get_page_count(12345), int(PDF2BMP_ERR_HANDLE));
        QCOMPARE(pdf_render_page(12345, 1, 0, 0, 72, &image), int(PDF2BMP_ERR_HANDLE));
        QCOMPARE(pdf_save_pages(12345, 1, 1, 0, 0, 72, 75, "x.tif"), int(PDF2BMP_ERR_HANDLE));
        pdf_close_file(12345); // harmless
    }

    void refusesTiffRangesOutsideTheDocument()
    {
        const int handle = openOrFail(m_threePages);
        const QString out = path(QStringLiteral("range.tif"));
        QCOMPARE(pdf_save_pages(handle, 2, 5, 0, 0, 72, 75, local(out).constData()), int(PDF2BMP_ERR_ARGUMENT));
        QCOMPARE(pdf_save_pages(handle, 0, 1, 0, 0, 72, 75, local(out).constData()), int(PDF2BMP_ERR_ARGUMENT));
        QCOMPARE(pdf_save_pages(handle, 1, 0, 0, 0, 72, 75, local(out).constData()), int(PDF2BMP_ERR_ARGUMENT));
        pdf_close_file(handle);
        QVERIFY(!QFile::exists(out));
    }

    // Every compression the image options offer, in one multi-page file
    // and in a file per page, as tiffinfo reads them; the three fax-like
    // ones hold a black-and-white page.
    void tiffIsCompressedAsChosen_data()
    {
        QTest::addColumn<int>("compression");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("bits");
        QTest::newRow("none") << int(PDF2BMP_TIFF_NONE) << "None" << "8";
        QTest::newRow("LZW") << int(PDF2BMP_TIFF_LZW) << "LZW" << "8";
        QTest::newRow("PackBits") << int(PDF2BMP_TIFF_PACKBITS) << "PackBits" << "1";
        QTest::newRow("CCITT3") << int(PDF2BMP_TIFF_CCITT3) << "CCITT Group 3" << "1";
        QTest::newRow("CCITT4") << int(PDF2BMP_TIFF_CCITT4) << "CCITT Group 4" << "1";
        QTest::newRow("deflate") << int(PDF2BMP_TIFF_DEFLATE) << "AdobeDeflate" << "8";
    }

    void tiffIsCompressedAsChosen()
    {
        QFETCH(int, compression);
        QFETCH(QString, scheme);
        QFETCH(QString, bits);
        QTemporaryDir folder;
        const QString all = folder.filePath(QStringLiteral("all.tif"));
        QCOMPARE(saveTiff(m_threePages, {1, 2, 3}, compression, false, all), int(PDF2BMP_OK));
        QCOMPARE(probe::tiffField(all, QStringLiteral("Compression Scheme")), QStringList(3, scheme));
        QCOMPARE(probe::tiffField(all, QStringLiteral("Bits/Sample")), QStringList(3, bits));
        for (int frame = 0; frame < 3; ++frame)
            QVERIFY(bits == QLatin1String("1") ? showsBlackAndWhitePage(all, frame) : probe::showsPage(all, frame + 1, frame));

        // The same on one thread, byte for byte.
        const QString serial = folder.filePath(QStringLiteral("serial.tif"));
        QCOMPARE(saveTiff(m_threePages, {1, 2, 3}, compression, false, serial, 1), int(PDF2BMP_OK));
        QCOMPARE(probe::head(serial, 1 << 24), probe::head(all, 1 << 24));

        const PageFilesRun run = savePageFiles(m_threePages, {2}, folder.path(), PDF2BMP_FORMAT_TIFF, QStringLiteral("tif"), 4,
                                               [&](Pdf2BmpPageFiles& job) { job.tiff.compression = compression; });
        QCOMPARE(run.result, int(PDF2BMP_OK));
        const QString page = folder.filePath(QStringLiteral("page-2.tif"));
        QCOMPARE(probe::tiffField(page, QStringLiteral("Compression Scheme")), QStringList{scheme});
        QVERIFY(bits == QLatin1String("1") ? showsBlackAndWhitePage(page, 0) : probe::showsPage(page, 2));
    }

    // Appended pages come after the old ones, which stay as they were; a
    // missing file is simply made.
    void appendAddsPagesAfterTheOldOnes()
    {
        QTemporaryDir folder;
        const QString tif = folder.filePath(QStringLiteral("book.tif"));
        QCOMPARE(saveTiff(m_threePages, {1, 2, 3}, PDF2BMP_TIFF_LZW, true, tif), int(PDF2BMP_OK));
        QCOMPARE(probe::tiffPageCount(tif), 3);
        QCOMPARE(saveTiff(m_threePages, {3, 1}, PDF2BMP_TIFF_CCITT4, true, tif), int(PDF2BMP_OK));
        QCOMPARE(probe::tiffPageCount(tif), 5);
        QCOMPARE(probe::tiffField(tif, QStringLiteral("Compression Scheme")),
                 (QStringList{"LZW", "LZW", "LZW", "CCITT Group 4", "CCITT Group 4"}));
        for (int frame = 0; frame < 3; ++frame)
            QVERIFY(probe::showsPage(tif, frame + 1, frame));
        QVERIFY(showsBlackAndWhitePage(tif, 3));
        QCOMPARE(probe::tiffField(tif, QStringLiteral("Page Number")).last(), QStringLiteral("4-5"));
        QCOMPARE(filesIn(folder.path()), QStringList{QStringLiteral("book.tif")});

        // A file per page takes the flag as well.
        QCOMPARE(savePageFiles(m_threePages, {1, 2}, folder.path(), PDF2BMP_FORMAT_TIFF, QStringLiteral("tif"), 4,
                               [](Pdf2BmpPageFiles& job) { job.tiff.append = true; })
                     .result,
                 int(PDF2BMP_OK));
        QCOMPARE(savePageFiles(m_threePages, {1, 2}, folder.path(), PDF2BMP_FORMAT_TIFF, QStringLiteral("tif"), 4,
                               [](Pdf2BmpPageFiles& job) { job.tiff.append = true; })
                     .result,
                 int(PDF2BMP_OK));
        QCOMPARE(probe::tiffPageCount(folder.filePath(QStringLiteral("page-2.tif"))), 2);
        QVERIFY(probe::showsPage(folder.filePath(QStringLiteral("page-2.tif")), 2, 1));
    }

    // The pages are added to a copy: a failure leaves the old file whole,
    // and a file that is no TIFF is never touched.
    void failedAppendLeavesTheOldFileWhole_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<bool>("tiffBefore");
        QTest::newRow("a page no library reads") << m_lastMissing << true;
        QTest::newRow("no TIFF at the output") << m_threePages << false;
    }

    void failedAppendLeavesTheOldFileWhole()
    {
        QFETCH(QString, pdf);
        QFETCH(bool, tiffBefore);
        QTemporaryDir folder;
        const QString tif = folder.filePath(QStringLiteral("book.tif"));
        if (tiffBefore)
            QCOMPARE(saveTiff(m_threePages, {1, 2}, PDF2BMP_TIFF_NONE, false, tif), int(PDF2BMP_OK));
        else
            QVERIFY(testutil::writeFile(tif, "not a TIFF file"));
        const QByteArray before = probe::head(tif, 1 << 24);
        QVERIFY(saveTiff(pdf, {1, 2, 3}, PDF2BMP_TIFF_LZW, true, tif) < 0);
        if (!tiffBefore)
            QVERIFY(QString::fromUtf8(pdf_last_error()).contains(QStringLiteral("is not a TIFF file")));
        QCOMPARE(probe::head(tif, 1 << 24), before);
        QCOMPARE(filesIn(folder.path()), QStringList{QStringLiteral("book.tif")});
    }

    // Threads change the speed, never the files; each comes in place in
    // list order.
    void pageFilesAreTheSameOnAnyThreads_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("ext");
        QTest::newRow("BMP") << int(PDF2BMP_FORMAT_BMP) << "bmp";
        QTest::newRow("JPEG") << int(PDF2BMP_FORMAT_JPEG) << "jpg";
        QTest::newRow("TIFF") << int(PDF2BMP_FORMAT_TIFF) << "tif";
    }

    void pageFilesAreTheSameOnAnyThreads()
    {
        QFETCH(int, format);
        QFETCH(QString, ext);
        QTemporaryDir one;
        QTemporaryDir many;
        const QList<int> pages = {3, 1, 2};
        const PageFilesRun serial = savePageFiles(m_threePages, pages, one.path(), format, ext, 1);
        const PageFilesRun parallel = savePageFiles(m_threePages, pages, many.path(), format, ext, 4);
        QCOMPARE(serial.result, int(PDF2BMP_OK));
        QCOMPARE(parallel.result, int(PDF2BMP_OK));
        QCOMPARE(parallel.written, (QList<int>{0, 1, 2}));
        QCOMPARE(filesIn(many.path()), filesIn(one.path()));
        for (const QString& file : filesIn(one.path()))
            QCOMPARE(probe::head(many.filePath(file), 1 << 24), probe::head(one.filePath(file), 1 << 24));
        for (const int page : pages)
            QVERIFY(probe::showsPage(many.filePath(QStringLiteral("page-%1.%2").arg(page).arg(ext)), page));
    }

    // The first failure ends the list: the pages before it are in place,
    // nothing of the pages drawn beside it is left.
    void pageFilesStopAtTheFirstFailure_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("four threads") << 4;
    }

    void pageFilesStopAtTheFirstFailure()
    {
        QFETCH(int, threads);
        QTemporaryDir folder;
        // Page 3 of m_lastMissing is a loop no library loads; the caller's
        // writer refuses page 2 of the other.
        const PageFilesRun lost = savePageFiles(m_lastMissing, {1, 2, 3}, folder.path(), PDF2BMP_FORMAT_BMP,
                                                QStringLiteral("bmp"), threads);
        QCOMPARE(lost.result, int(PDF2BMP_ERR_RENDER));
        QVERIFY(QString::fromUtf8(pdf_last_error()).startsWith(QStringLiteral("page 3 ")));
        QCOMPARE(lost.written, (QList<int>{0, 1}));
        QCOMPARE(filesIn(folder.path()), (QStringList{QStringLiteral("page-1.bmp"), QStringLiteral("page-2.bmp")}));

        QTemporaryDir other;
        const PageFilesRun refused = savePageFiles(
            m_threePages, {1, 2, 3}, other.path(), PDF2BMP_FORMAT_CALLER, QStringLiteral("png"), threads,
            [](Pdf2BmpPageFiles& job) {
                job.save = [](const RasterImage& image, const std::string& path, std::string* reason) {
                    if (QFileInfo(QString::fromStdString(path)).fileName().contains(QLatin1String("page-2"))) {
                        *reason = "refused " + path;
                        return false;
                    }
                    return SaveRasterImage(image, QString::fromStdString(path), ImageTypePng, 75);
                };
            });
        QCOMPARE(refused.result, int(PDF2BMP_ERR_CALLER_SAVE));
        // The reason names the page's own file, not its temporary one.
        QCOMPARE(QString::fromUtf8(pdf_last_error()), QStringLiteral("refused ") + other.filePath(QStringLiteral("page-2.png")));
        QCOMPARE(filesIn(other.path()), QStringList{QStringLiteral("page-1.png")});
        QCOMPARE(probe::format(other.filePath(QStringLiteral("page-1.png"))), QStringLiteral("PNG"));
    }

    // A Pause while a page is drawn lets that page finish and none after
    // it, however far the other threads drew ahead: the files are the
    // list's first entries, each whole, nothing of a later page is left,
    // and the rest of the list written afterwards gives the files of a run
    // never paused.
    void pauseKeepsNoPageDrawnAhead()
    {
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/GeoTopo-komprimiert.pdf"));
        const QString book = corpus("GeoTopo-komprimiert.pdf");
        constexpr int kPages = 117;
        constexpr int kThreads = 8;
        constexpr int kDrawnAhead = 16; // pages past the one in flight, finished before the Pause
        QList<int> all;
        for (int page = 1; page <= kPages; ++page)
            all << page;
        const auto asBmp = [](Pdf2BmpPageFiles& job) {
            job.dpi = 40;
            job.format = PDF2BMP_FORMAT_CALLER;
            job.save = [](const RasterImage& image, const std::string& path, std::string*) {
                return SaveRasterImage(image, QString::fromStdString(path), ImageTypeBmp, 75);
            };
        };
        QTemporaryDir whole;
        QCOMPARE(savePageFiles(book, all, whole.path(), PDF2BMP_FORMAT_CALLER, QStringLiteral("bmp"), kThreads, asBmp)
                     .result,
                 int(PDF2BMP_OK));
        QCOMPARE(filesIn(whole.path()).size(), kPages);

        // Page 4 is in flight when the user pauses: its writer holds until
        // pages behind it are finished, asks for the Pause, and ends once
        // the Pause was seen.
        std::mutex mutex;
        std::condition_variable changed;
        int finishedAhead = 0;
        bool pauseAsked = false;
        bool pauseSeen = false;
        std::atomic<int> inPlace{0};
        int inPlaceAtPause = -1;
        const auto pausedAtPageFour = [&](Pdf2BmpPageFiles& job) {
            asBmp(job);
            const auto save = job.save;
            job.save = [&, save](const RasterImage& image, const std::string& path, std::string* reason) {
                // The page's temporary file is named after its own.
                static const QRegularExpression number(QStringLiteral("page-(\\d+)\\."));
                const int page = number.match(QFileInfo(QString::fromStdString(path)).fileName()).captured(1).toInt();
                if (page == 4) {
                    std::unique_lock<std::mutex> lock(mutex);
                    changed.wait_for(lock, std::chrono::minutes(2), [&] { return finishedAhead >= kDrawnAhead; });
                    inPlaceAtPause = inPlace.load();
                    pauseAsked = true;
                    changed.wait_for(lock, std::chrono::minutes(2), [&] { return pauseSeen; });
                }
                const bool saved = save(image, path, reason);
                if (page > 4) {
                    std::lock_guard<std::mutex> lock(mutex);
                    ++finishedAhead;
                    changed.notify_all();
                }
                return saved;
            };
            job.keepGoing = [&] {
                std::lock_guard<std::mutex> lock(mutex);
                pauseSeen = pauseSeen || pauseAsked;
                changed.notify_all();
                return !pauseSeen;
            };
            const auto written = job.written;
            job.written = [&, written](int i) {
                written(i);
                ++inPlace;
            };
        };
        QTemporaryDir paused;
        const PageFilesRun stopped = savePageFiles(book, all, paused.path(), PDF2BMP_FORMAT_CALLER,
                                                   QStringLiteral("bmp"), kThreads, pausedAtPageFour);
        QCOMPARE(stopped.result, int(PDF2BMP_OK));
        QVERIFY(stopped.stopped);
        QVERIFY(pauseSeen);
        QVERIFY2(finishedAhead >= kDrawnAhead, qPrintable(QString::number(finishedAhead)));
        const int kept = int(stopped.written.size());
        QVERIFY2(kept >= inPlaceAtPause && kept <= inPlaceAtPause + 1 && kept <= 4,
                 qPrintable(QStringLiteral("%1 in place at the Pause, %2 after it").arg(inPlaceAtPause).arg(kept)));
        QStringList expected;
        for (int i = 0; i < kept; ++i) {
            QCOMPARE(stopped.written[i], i);
            expected << QStringLiteral("page-%1.bmp").arg(i + 1);
        }
        QCOMPARE(filesIn(paused.path()), expected);

        const PageFilesRun rest = savePageFiles(book, all.mid(kept), paused.path(), PDF2BMP_FORMAT_CALLER,
                                                QStringLiteral("bmp"), kThreads, asBmp);
        QCOMPARE(rest.result, int(PDF2BMP_OK));
        QCOMPARE(int(rest.written.size()), kPages - kept);
        QCOMPARE(filesIn(paused.path()), filesIn(whole.path()));
        for (const QString& file : filesIn(whole.path()))
            QVERIFY2(testutil::readFile(paused.filePath(file)) == testutil::readFile(whole.filePath(file)),
                     qPrintable(file));
    }

    // A multi-page TIFF paused is never put under its name: a new one is
    // not there, one the pages were to go after is as it was.
    void pausedTiffLeavesNoFile_data()
    {
        QTest::addColumn<bool>("append");
        QTest::newRow("new file") << false;
        QTest::newRow("added to an existing one") << true;
    }

    void pausedTiffLeavesNoFile()
    {
        QFETCH(bool, append);
        QTemporaryDir folder;
        const QString tif = folder.filePath(QStringLiteral("book.tif"));
        if (append)
            QCOMPARE(saveTiff(m_threePages, {1, 2}, PDF2BMP_TIFF_LZW, false, tif), int(PDF2BMP_OK));
        const QByteArray before = append ? testutil::readFile(tif) : QByteArray();
        QList<int> pages;
        for (int i = 0; i < 12; ++i)
            pages << 1 + i % 3;
        const int handle = openOrFail(m_threePages);
        QVERIFY(handle > 0);
        Pdf2BmpTiffOptions options;
        options.compression = PDF2BMP_TIFF_LZW;
        options.append = append;
        int asked = 0;
        bool stopped = false;
        int result;
        {
            Threads use(4);
            result = pdf_save_tiff(handle, pages.constData(), int(pages.size()), 0, 0, 50, options,
                                   local(tif).constData(), [&] { return ++asked < 4; }, &stopped);
        }
        pdf_close_file(handle);
        QCOMPARE(result, int(PDF2BMP_OK));
        QVERIFY(stopped);
        QCOMPARE(asked, 4);
        QCOMPARE(filesIn(folder.path()), append ? QStringList{QStringLiteral("book.tif")} : QStringList());
        if (append)
            QCOMPARE(testutil::readFile(tif), before);
    }

    // Pages start only while their memory fits the budget; a page alone
    // always runs, whatever its size.
    void pagesShareTheMemoryBudget_data()
    {
        QTest::addColumn<double>("pagesInBudget");
        QTest::addColumn<bool>("tiff");
        QTest::newRow("one at a time") << 0.0 << false;
        QTest::newRow("two and a half") << 2.5 << false;
        QTest::newRow("multi-page TIFF, one at a time") << 0.0 << true;
        QTest::newRow("multi-page TIFF, two and a half") << 2.5 << true;
    }

    void pagesShareTheMemoryBudget()
    {
        QFETCH(double, pagesInBudget);
        QFETCH(bool, tiff);
        constexpr int kDpi = 150;
        const std::size_t page = static_cast<std::size_t>(612 * kDpi / 72) * (792 * kDpi / 72) * 9;
        pdf_set_memory_budget(pagesInBudget > 0 ? static_cast<std::size_t>(page * pagesInBudget) : 1);
        pdf_reset_memory_budget_peak();
        QTemporaryDir folder;
        QList<int> pages;
        for (int i = 0; i < 12; ++i)
            pages << 1 + i % 3;
        int result;
        if (tiff) {
            result = saveTiff(m_threePages, pages, PDF2BMP_TIFF_DEFLATE, false, folder.filePath("all.tif"), 8, kDpi);
        } else {
            result = savePageFiles(m_threePages, pages, folder.path(), PDF2BMP_FORMAT_BMP, QStringLiteral("bmp"), 8,
                                   [](Pdf2BmpPageFiles& job) { job.dpi = kDpi; })
                         .result;
        }
        const std::size_t peak = pdf_memory_budget_peak();
        pdf_set_memory_budget(0);
        QCOMPARE(result, int(PDF2BMP_OK));
        QVERIFY2(peak >= page && peak <= std::max(page, static_cast<std::size_t>(page * pagesInBudget)),
                 qPrintable(QStringLiteral("peak %1, page %2").arg(peak).arg(page)));
    }
};

QTEST_GUILESS_MAIN(TestPdf2Bmp)
#include "test_pdf2bmp.moc"
