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

bool SaveImageByType(PdfToImageItem& item, ImageSaver* saver, int lType, const QString& sPath,
                     const RasterImage& image, QString& reason)
{
    if (!saver || lType < kJpeg || lType > kWmf)
        return false;
    if (!saver->save(image, sPath, lType, item.lQuality, &reason))
        return false;
    item.lErr = 0;
    item.sErr.clear();
    return true;
}

// Writes one page to path. False when the item failed (lErr is set).
bool savePage(PdfToImageItem& item, const PdfToImageHooks& hooks, int handle, int page,
              int resolution, const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    int result = PDF2BMP_OK;
    switch (item.lTargetFileType) {
    case kTiff:
        result = pdf_save_pages(handle, page, 1, item.lWidth, item.lHeight, resolution,
                                item.lQuality, file.constData());
        break;
    case kJpeg:
    case kBmp:
        result = pdf_save_page(handle, page, item.lWidth, item.lHeight, resolution, item.lQuality,
                               item.lTargetFileType == kJpeg ? PDF2BMP_FORMAT_JPEG
                                                             : PDF2BMP_FORMAT_BMP,
                               file.constData());
        break;
    default: {
        RasterImage image;
        result = pdf_render_page(handle, page, item.lWidth, item.lHeight, resolution, &image);
        QString reason;
        if (result == PDF2BMP_OK
            && !SaveImageByType(item, hooks.imageSaver, item.lTargetFileType, path, image, reason)) {
            setError(item, kPdfToImageSaveImageFailed, "Unable to save image. Try a lower resolution.", reason);
            return false;
        }
        break;
    }
    }
    if (result != PDF2BMP_OK) {
        setPageFailure(item, result);
        return false;
    }
    return true;
}

bool stillRunning(const PdfToImageHooks& hooks)
{
    return !hooks.stillRunning || hooks.stillRunning();
}

struct LoopEnd {
    int written = 0;
    bool paused = false;
    bool failed = false; // lErr tells why
};

// All pages into sTargetFile, in one call that cannot be paused once begun.
LoopEnd writeSingleTiff(PdfToImageItem& item, const PdfToImageHooks& hooks, int handle,
                        const std::vector<int>& pages, int resolution)
{
    LoopEnd end;
    end.paused = !stillRunning(hooks);
    if (end.paused || pages.empty())
        return end;
    // The single file is always drawn at the resolution, never at a size.
    const int result = pdf_save_page_list(handle, pages.data(), static_cast<int>(pages.size()), 0, 0,
                                          resolution, item.lQuality,
                                          QFile::encodeName(item.sTargetFile).constData());
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

// One file per page; the first failure or a Pause ends the loop.
LoopEnd writePageFiles(PdfToImageItem& item, const PdfToImageHooks& hooks, int handle,
                       const std::vector<int>& pages, bool numbered, int resolution)
{
    LoopEnd end;
    const QString target = item.sTargetFile;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!stillRunning(hooks)) {
            end.paused = true;
            break;
        }
        const QString path = numbered ? PageFilePath(target, pages[i]) : target;
        if (ontoInput(item, path)) {
            item.lErr = kConversionOntoInput;
            item.sErr = TextWithReason(ConversionOntoInputText(), path);
            end.failed = true;
            break;
        }
        if (!savePage(item, hooks, handle, pages[i], resolution, path)) {
            end.failed = true;
            break;
        }
        ++end.written;
        item.sTargetFile = path;
        if (hooks.progress)
            hooks.progress(QLatin1Char('[') + QString::number(i + 1) + QStringLiteral("] ")
                           + item.sOriginalFile);
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
                                   : writePageFiles(item, hooks, pdf.get(), pages, list.numbered, resolution);
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
