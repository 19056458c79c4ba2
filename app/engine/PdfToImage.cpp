#include "engine/PdfToImage.h"

#include "core/FileSystem.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "engine/ConversionItem.h"
#include "engine/ImageSaver.h"
#include "engine/PageRanges.h"
#include "pdf2bmp/pdf2bmp.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int kJpeg = 1;
constexpr int kBmp = 2;
constexpr int kTiff = 3;
constexpr int kWmf = 11;

// Closes the document however the item ends.
class PdfHandle
{
public:
    PdfHandle() = default;
    ~PdfHandle()
    {
        if (m_handle > 0)
            pdf_close_file(m_handle);
    }
    PdfHandle(const PdfHandle&) = delete;
    PdfHandle& operator=(const PdfHandle&) = delete;
    int* out() { return &m_handle; }
    int get() const { return m_handle; }

private:
    int m_handle = 0;
};

void setError(PdfToImageItem& item, int code, const char* message, const QString& reason = QString())
{
    item.lErr = code;
    item.sErr = TextWithReason(Translate(QString::fromLatin1(message)), reason);
}

QString rasteriserReason()
{
    return QString::fromUtf8(pdf_last_error());
}

// A page the rasteriser could not produce: too large to hold in memory,
// or any other failure to render or write it.
void setPageFailure(PdfToImageItem& item, int result)
{
    if (result == PDF2BMP_ERR_TOO_LARGE)
        setError(item, kPdfToImageLoadImageFailed, "Unable to load image. Try a lower resolution.",
                 rasteriserReason());
    else
        setError(item, kPdfToImageSaveFailed, "Unable to save output file.", rasteriserReason());
}

// Makes the folder and its missing parents; "" when it exists afterwards,
// else why not (the system's reason at the first folder that failed).
QString makeFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return QString();
    const QString parent = GetParentFolderName(folder);
    if (!parent.isEmpty() && parent != folder) {
        const QString reason = makeFolder(parent);
        if (!reason.isEmpty())
            return reason;
    }
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        return QString();
    const int error = errno;
    if (QFileInfo(folder).isDir())
        return QString(); // made by someone else meanwhile
    return QStringLiteral("Unable to create %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(error)));
}

int clampedResolution(int resolution)
{
    if (resolution >= 10000)
        return 1000;
    return resolution == 0 ? 150 : resolution;
}

int clampedQuality(int quality)
{
    return quality < 1 || quality > 100 ? 100 : quality;
}

struct PageList {
    bool valid = true;
    std::vector<int> entries; // sorted; the walk stops at the first one outside the document
    bool numbered = false;    // two or more entries: each page gets its own suffixed name
};

PageList choosePages(const QString& sPages, int pageCount)
{
    PageList list;
    if (sPages.trimmed().isEmpty() || sPages.contains(QLatin1Char('*'))) {
        for (int page = 1; page <= pageCount; ++page)
            list.entries.push_back(page);
        list.numbered = pageCount >= 2;
        return list;
    }
    // Numbers past the last page come back as one entry, pageCount + 1, so
    // whether the text names two or more pages is still known.
    QString text = sPages;
    ParseRangeString(text, &list.valid, pageCount);
    if (!list.valid)
        return list;
    const QStringList entries = text.split(QLatin1Char(','));
    for (const QString& entry : entries)
        list.entries.push_back(entry.toInt());
    list.numbered = list.entries.size() >= 2;
    return list;
}

bool stillRunning(const PdfToImageHooks& hooks)
{
    return !hooks.stillRunning || hooks.stillRunning();
}

int tiffCompression(int lCompression)
{
    return lCompression >= PDF2BMP_TIFF_NONE && lCompression <= PDF2BMP_TIFF_CCITT4 ? lCompression
                                                                                     : PDF2BMP_TIFF_NONE;
}

Pdf2BmpTiffOptions tiffOptions(const PdfToImageItem& item)
{
    Pdf2BmpTiffOptions options;
    options.compression = tiffCompression(item.lCompression);
    options.append = item.bAppend;
    return options;
}

struct LoopEnd {
    int written = 0;
    bool paused = false;
    bool failed = false; // lErr tells why
};

// All pages into sTargetFile. A Pause leaves no file of it (one the pages
// were to be added to stays as it was): the next run writes it whole.
LoopEnd writeSingleTiff(PdfToImageItem& item, const PdfToImageHooks& hooks, int handle,
                        const std::vector<int>& pages, int resolution)
{
    LoopEnd end;
    end.paused = !stillRunning(hooks);
    if (end.paused || pages.empty())
        return end;
    // The single file is always drawn at the resolution, never at a size.
    const int result = pdf_save_tiff(handle, pages.data(), static_cast<int>(pages.size()), 0, 0, resolution,
                                     tiffOptions(item), QFile::encodeName(item.sTargetFile).constData(),
                                     [&hooks] { return stillRunning(hooks); }, &end.paused);
    if (end.paused)
        return end;
    if (result == PDF2BMP_OK) {
        end.written = static_cast<int>(pages.size());
    } else {
        setPageFailure(item, result);
        end.failed = true;
    }
    return end;
}

// A page file that would replace the PDF or the document it came from.
bool ontoInput(const PdfToImageItem& item, const QString& path)
{
    return bSameFile(path, item.sOriginalFile) || (!item.sSourceFile.isEmpty() && bSameFile(path, item.sSourceFile));
}

int pageFileFormat(int type)
{
    switch (type) {
    case kJpeg: return PDF2BMP_FORMAT_JPEG;
    case kBmp: return PDF2BMP_FORMAT_BMP;
    case kTiff: return PDF2BMP_FORMAT_TIFF;
    default: return PDF2BMP_FORMAT_CALLER;
    }
}

// One file per page; the first failure or a Pause ends the list. A page
// whose file would replace the input ends it as a failure of its own. Of
// the first `inPlace` entries, written by a run a Pause cut short, those
// whose files are still there, up to the first that is gone, are not
// written again.
LoopEnd writePageFiles(PdfToImageItem& item, const PdfToImageHooks& hooks, int handle,
                       const std::vector<int>& pages, bool numbered, int resolution, int inPlace)
{
    LoopEnd end;
    const QString target = item.sTargetFile;
    QStringList paths;
    std::vector<std::string> files;
    for (const int page : pages) {
        const QString path = numbered ? PageFilePath(target, page) : target;
        if (ontoInput(item, path))
            break;
        paths << path;
        files.push_back(QFile::encodeName(path).toStdString());
    }
    const int kept = std::clamp(inPlace, 0, int(files.size()));
    int first = 0;
    while (first < kept && QFileInfo(paths[first]).isFile() && QFileInfo(paths[first]).size() > 0)
        item.sKeptFiles << paths[first++];
    if (first > 0)
        item.sTargetFile = paths[first - 1];
    end.written = first;

    Pdf2BmpPageFiles job;
    job.pages = pages.data() + first;
    job.count = int(files.size()) - first;
    job.paths = files.data() + first;
    job.width = item.lWidth;
    job.height = item.lHeight;
    job.dpi = resolution;
    job.quality = item.lQuality;
    job.format = pageFileFormat(item.lTargetFileType);
    job.tiff = tiffOptions(item);
    const bool resaved = job.format == PDF2BMP_FORMAT_CALLER;
    if (resaved) {
        ImageSaver* saver = hooks.imageSaver;
        const int type = item.lTargetFileType;
        const int quality = item.lQuality;
        job.save = [saver, type, quality](const RasterImage& image, const std::string& path, std::string* reason) {
            QString error;
            if (saver && type >= kJpeg && type <= kWmf
                && saver->save(image, QFile::decodeName(QByteArray::fromStdString(path)), type, quality, &error))
                return true;
            *reason = error.toStdString();
            return false;
        };
    }
    job.keepGoing = [&hooks] { return stillRunning(hooks); };
    job.written = [&, first](int entry) {
        const int i = first + entry;
        ++end.written;
        item.sTargetFile = paths[i];
        // A page the image writer saved clears an earlier code (the output
        // folder that seemed missing).
        if (resaved) {
            item.lErr = 0;
            item.sErr.clear();
        }
        if (hooks.progress)
            hooks.progress(QLatin1Char('[') + QString::number(i + 1) + QStringLiteral("] ") + item.sOriginalFile);
    };
    bool stopped = false;
    int result = PDF2BMP_OK;
    if (job.count > 0)
        result = pdf_save_page_files(handle, job, nullptr, &stopped);
    else if (first == 0)
        stopped = !stillRunning(hooks);
    if (result == PDF2BMP_ERR_CALLER_SAVE) {
        setError(item, kPdfToImageSaveImageFailed, "Unable to save image. Try a lower resolution.", rasteriserReason());
        end.failed = true;
    } else if (result != PDF2BMP_OK) {
        setPageFailure(item, result);
        end.failed = true;
    } else if (stopped) {
        end.paused = true;
    } else if (files.size() < pages.size()) {
        item.lErr = kConversionOntoInput;
        item.sErr = TextWithReason(ConversionOntoInputText(), numbered ? PageFilePath(target, pages[files.size()])
                                                                       : target);
        end.failed = true;
    }
    return end;
}

} // namespace

QString PageFilePath(const QString& sTargetFile, int lPage)
{
    const qsizetype slash = sTargetFile.lastIndexOf(QLatin1Char('/'));
    const QString folder = sTargetFile.left(slash + 1);
    const QFileInfo info(sTargetFile.mid(slash + 1));
    QString path = folder + info.completeBaseName() + QLatin1Char('-')
        + QStringLiteral("%1").arg(lPage, 5, 10, QLatin1Char('0'));
    if (!info.suffix().isEmpty())
        path += QLatin1Char('.') + info.suffix();
    return path;
}

int PerformConversionItemPDFtoImageDLL(PdfToImageItem& item, const PdfToImageHooks& hooks)
{
    item.lErr = 0;
    item.bPaused = false;
    item.sKeptFiles.clear();
    const int inPlace = item.lPagesInPlace;
    item.lPagesInPlace = 0;
    const QString folder = QFileInfo(item.sTargetFile).path();
    const QString folderFailure = makeFolder(folder);
    if (!folderFailure.isEmpty())
        setError(item, kPdfToImageOutputFolderMissing, "Output folder does not exist", folderFailure);

    PdfHandle pdf;
    if (pdf_open_file(QFile::encodeName(item.sOriginalFile).constData(),
                      item.sPassword.toUtf8().constData(), "", pdf.out())
        < 0) {
        setError(item, kPdfToImageOpenFailed, "Unable to open the input file.", rasteriserReason());
        return item.lErr;
    }
    const int pageCount = pdf_get_page_count(pdf.get());
    if (pageCount < 0) {
        setError(item, kPdfToImageOpenFailed, "Unable to open the input file.", rasteriserReason());
        return item.lErr;
    }
    const int resolution = clampedResolution(item.lResolution);
    item.lQuality = clampedQuality(item.lQuality);

    const PageList list = choosePages(item.sPages, pageCount);
    if (!list.valid) {
        item.lErr = kPdfToImageSaveFailed;
        item.sErr = Translate(QStringLiteral("Invalid page range: ")) + item.sPages;
        return item.lErr;
    }
    std::vector<int> pages;
    for (const int page : list.entries) {
        if (page < 1 || page > pageCount)
            break;
        pages.push_back(page);
    }

    const bool singleFile = item.lTargetFileType == kTiff && item.lSingleFile != 0;
    const LoopEnd end = singleFile ? writeSingleTiff(item, hooks, pdf.get(), pages, resolution)
                                   : writePageFiles(item, hooks, pdf.get(), pages, list.numbered, resolution,
                                                    inPlace);
    item.bPaused = end.paused;
    item.lPagesInPlace = end.written;
    if (end.written == 0 && !end.paused && !end.failed)
        setError(item, kPdfToImageSaveFailed, "Unable to save output file.",
                 Translate(QStringLiteral("no page of the range is in the document")));
    // The pages before the failure stay; the log has to say the item is
    // not whole.
    if (end.failed && end.written > 0)
        item.sErr = TextWithReason(item.sErr, Translate(QStringLiteral("%1 of %2 pages were written; the item is incomplete."))
                                                  .arg(end.written)
                                                  .arg(pages.size()));
    return item.lErr;
}
