// A Pause in the middle of a PDF's pages, through the job loop: what is on
// disk after it, and what Convert adds when the run goes on. The user's
// Pause comes from the window's event loop (the harness's DoEvents), at a
// point the pages themselves mark, so no test waits on the clock.
#include "EngineHarness.h"
#include "ImageProbe.h"
#include "TestPdf.h"
#include "TestUtil.h"

#include "core/FileTypes.h"
#include "engine/JobEngine.h"
#include "engine/PdfToImage.h"
#include "pdf2bmp/pdf2bmp.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <sys/stat.h>

namespace {

QString corpus(const char* name)
{
    return QStringLiteral(TESSAVIEW_CORPUS "/pdf/") + QLatin1String(name);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The file's identity: a page written again is a new file renamed over the
// old one.
ino_t inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Gives the file a modification time in whole seconds, as the times put
// on outputs are.
bool setModified(const QString& path, const QDateTime& time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

QString optionString(const QString& pages, int resolution, bool append = false, bool single = false)
{
    return QStringLiteral("%1^1^%2^75^%3^0^0^%4^")
        .arg(pages, append ? QStringLiteral("TRUE") : QStringLiteral("FALSE"))
        .arg(resolution)
        .arg(single ? 1 : 0);
}

// The same conversion never paused, into `target`.
bool convertUnpaused(const QString& pdf, const QString& target, int type, const QString& pages, int resolution,
                     bool append = false, bool single = false)
{
    PdfToImageItem item;
    item.sOriginalFile = pdf;
    item.sTargetFile = target;
    item.lTargetFileType = type;
    item.sPages = pages;
    item.lQuality = 75;
    item.lResolution = resolution;
    item.lCompression = 1;
    item.bAppend = append;
    item.lSingleFile = single ? 1 : 0;
    return PerformConversionItemPDFtoImageDLL(item, {}) == 0;
}

// Every file of `expected` is in `actual` with the same bytes, and no other.
bool sameFiles(const QString& actual, const QString& expected)
{
    if (filesIn(actual) != filesIn(expected))
        return false;
    for (const QString& file : filesIn(expected))
        if (testutil::readFile(QDir(actual).filePath(file)) != testutil::readFile(QDir(expected).filePath(file)))
            return false;
    return true;
}

} // namespace

class TestPausedPages : public QObject
{
    Q_OBJECT

private:
    // The page positions the status bar showed, "[1]", "[2]", ...
    QStringList m_shown;

    // A harness that records the page positions it shows.
    void watchPages(EngineHarness& h)
    {
        h.form.hooks.SetStatusPanelText = [this](int panel, const QString& text) {
            if (panel == statuspanel::Status && text.startsWith(u'['))
                m_shown << text.section(u' ', 0, 0);
        };
    }

    // A task of `pdf` to BMP pages in `out`, run until the user pauses as
    // page 3 appears.
    void runUntilPageThree(EngineHarness& h, const QString& pdf, const QString& out, int resolution)
    {
        watchPages(h);
        h.addTask(pdf, out + QStringLiteral("/*.bmp"), QStringLiteral("C"), QString(), QStringLiteral("2"));
        h.form.fgToDo.setTextMatrix(1, todocol::Options, optionString(QStringLiteral("*"), resolution));
        h.onDoEvents = [this, &h] {
            if (m_shown.contains(QStringLiteral("[3]")))
                h.form.bRunning = false;
        };
        ConversionJobBegin(h.engine);
        h.onDoEvents = nullptr;
    }

    static QStringList positions(int first, int last)
    {
        QStringList list;
        for (int i = first; i <= last; ++i)
            list << QStringLiteral("[%1]").arg(i);
        return list;
    }

private slots:
    void initTestCase()
    {
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/GeoTopo-komprimiert.pdf"));
        pdf_init();
    }

    void init()
    {
        m_shown.clear();
        // The threads draw well ahead of the page being put in place.
        pdf_set_thread_count(8);
    }

    void cleanup() { pdf_set_thread_count(0); }

    void cleanupTestCase() { pdf_done(); }

    // Pause as page 3 of 117 appears: the run stops before page 4, though
    // the threads drew many pages past it, and leaves nothing of them.
    // Convert goes on with page 4 and writes each page left once; the pages
    // are those of a run never paused.
    void pageFilesGoOnAfterThePause()
    {
        const QString book = corpus("GeoTopo-komprimiert.pdf");
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out"));
        const QString reference = dir.filePath(QStringLiteral("reference"));
        QVERIFY(QDir().mkpath(reference));
        QVERIFY(convertUnpaused(book, reference + QStringLiteral("/GeoTopo-komprimiert.bmp"), filetype::Bmp,
                                QStringLiteral("*"), 40));
        QCOMPARE(filesIn(reference).size(), 117);

        EngineHarness h;
        runUntilPageThree(h, book, out, 40);
        QCOMPARE(m_shown, positions(1, 3));
        QCOMPARE(h.passMarks(), QStringList{QString()});
        const QStringList firstThree = filesIn(reference).mid(0, 3);
        QCOMPARE(filesIn(out), firstThree);
        QList<ino_t> written;
        for (const QString& file : firstThree) {
            QCOMPARE(testutil::readFile(QDir(out).filePath(file)), testutil::readFile(QDir(reference).filePath(file)));
            written << inode(QDir(out).filePath(file));
        }

        m_shown.clear();
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), QStringList{QStringLiteral("+")});
        QCOMPARE(m_shown, positions(4, 117));
        for (int i = 0; i < firstThree.size(); ++i)
            QCOMPARE(inode(QDir(out).filePath(firstThree[i])), written[i]);
        QVERIFY(sameFiles(out, reference));
    }

    // The run goes on after the pages in place only for the same item: an
    // input replaced meanwhile, other options or a Rewind convert every page
    // again, as a run never paused would; a page file removed meanwhile is
    // written again with those after it. Either way every page of the
    // finished item gets the input's time stamps.
    void onlyTheSameItemGoesOn_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("goesOnAt"); // the first page written after the change
        QTest::newRow("nothing changed") << "none" << 4;
        QTest::newRow("input replaced") << "input" << 1;
        QTest::newRow("other resolution") << "options" << 1;
        QTest::newRow("rewound") << "rewind" << 1;
        QTest::newRow("page 2 removed") << "page" << 2;
    }

    void onlyTheSameItemGoesOn()
    {
        QFETCH(QString, change);
        QFETCH(int, goesOnAt);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("doc.pdf"));
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(testpdf::writePdf(pdf, testpdf::makePdf(12)));
        QVERIFY(setModified(pdf, QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC)));

        EngineHarness h;
        h.form.bRetainInputFileTimeStamp = true;
        runUntilPageThree(h, pdf, out, 20);
        QCOMPARE(m_shown, positions(1, 3));
        const QString first = QDir(out).filePath(QStringLiteral("doc-00001.bmp"));
        const ino_t before = inode(first);
        QVERIFY(before != 0);

        int resolution = 20;
        if (change == QLatin1String("input")) {
            // Other pages under the same name, a size that shows in every file.
            QVERIFY(testpdf::writePdf(pdf, testpdf::makePdf(std::vector<testpdf::PageSpec>(12, {300, 400, 0, {}}))));
            QVERIFY(setModified(pdf, QDateTime(QDate(2002, 3, 4), QTime(5, 6, 7), Qt::UTC)));
        } else if (change == QLatin1String("options")) {
            resolution = 30;
            h.form.fgToDo.setTextMatrix(1, todocol::Options, optionString(QStringLiteral("*"), resolution));
        } else if (change == QLatin1String("rewind")) {
            ConversionJobRewind(h.engine);
        } else if (change == QLatin1String("page")) {
            QVERIFY(QFile::remove(QDir(out).filePath(QStringLiteral("doc-00002.bmp"))));
        }
        m_shown.clear();
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), QStringList{QStringLiteral("+")});
        QCOMPARE(m_shown, positions(goesOnAt, 12));
        QCOMPARE(inode(first) == before, goesOnAt > 1);
        const QDateTime stamp = QFileInfo(pdf).lastModified();
        for (const QString& file : filesIn(out))
            QCOMPARE(QFileInfo(QDir(out).filePath(file)).lastModified(), stamp);

        const QString reference = dir.filePath(QStringLiteral("reference"));
        QVERIFY(QDir().mkpath(reference));
        QVERIFY(convertUnpaused(pdf, reference + QStringLiteral("/doc.bmp"), filetype::Bmp, QStringLiteral("*"),
                                resolution));
        QVERIFY(sameFiles(out, reference));
    }

    // A multi-page TIFF paused after some of its pages leaves no file under
    // its name (one the pages go after is as it was) and keeps its task to
    // be run; Convert then writes it whole, as a run never paused.
    void multiPageTiffIsWrittenWholeAfterThePause_data()
    {
        QTest::addColumn<bool>("append");
        QTest::newRow("new file") << false;
        QTest::newRow("added to an existing one") << true;
    }

    void multiPageTiffIsWrittenWholeAfterThePause()
    {
        QFETCH(bool, append);
        const QString book = corpus("GeoTopo-komprimiert.pdf");
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out"));
        const QString reference = dir.filePath(QStringLiteral("reference"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(QDir().mkpath(reference));
        const QString tif = out + QStringLiteral("/book.tif");
        const QString referenceTif = reference + QStringLiteral("/book.tif");
        if (append) {
            QVERIFY(convertUnpaused(book, tif, filetype::Tiff, QStringLiteral("115-117"), 40, false, true));
            QVERIFY(QFile::copy(tif, referenceTif));
        }
        const QByteArray before = append ? testutil::readFile(tif) : QByteArray();
        QVERIFY(convertUnpaused(book, referenceTif, filetype::Tiff, QStringLiteral("1-10"), 40, append, true));

        EngineHarness h;
        h.addTask(book, tif, QStringLiteral("C"), QString(), QStringLiteral("3"));
        h.form.fgToDo.setTextMatrix(1, todocol::Options, optionString(QStringLiteral("1-10"), 40, append, true));
        // The user pauses while the file is being written, after its first
        // pages.
        int askedWhileWriting = 0;
        h.onDoEvents = [&] {
            const QStringList files = filesIn(out);
            const bool writing = std::any_of(files.cbegin(), files.cend(),
                                             [](const QString& f) { return f.endsWith(QLatin1String(".part")); });
            if (writing && ++askedWhileWriting == 3)
                h.form.bRunning = false;
        };
        ConversionJobBegin(h.engine);
        QCOMPARE(askedWhileWriting, 3);
        QCOMPARE(h.passMarks(), QStringList{QString()});
        QCOMPARE(filesIn(out), append ? QStringList{QStringLiteral("book.tif")} : QStringList());
        if (append)
            QCOMPARE(testutil::readFile(tif), before);

        h.onDoEvents = nullptr;
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), QStringList{QStringLiteral("+")});
        QCOMPARE(filesIn(out), QStringList{QStringLiteral("book.tif")});
        QCOMPARE(probe::tiffPageCount(tif), append ? 13 : 10);
        QCOMPARE(testutil::readFile(tif), testutil::readFile(referenceTif));
    }
};

QTEST_GUILESS_MAIN(TestPausedPages)
#include "test_paused_pages.moc"
