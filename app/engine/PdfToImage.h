#pragma once
// The pages of a PDF into image files: one file per page, or one
// multi-page TIFF. JPEG, BMP and TIFF come straight from the rasteriser;
// the other types are rendered to a raster and written by an ImageSaver.
#include <QString>
#include <QStringList>

#include <functional>

class ImageSaver;

// Result codes of PerformConversionItemPDFtoImageDLL, set in lErr.
inline constexpr int kPdfToImageOutputFolderMissing = -100;
inline constexpr int kPdfToImageOpenFailed = -10;
inline constexpr int kPdfToImageSaveFailed = -13;
inline constexpr int kPdfToImageLoadImageFailed = -15;
inline constexpr int kPdfToImageSaveImageFailed = -14;
// A page file would replace the item's input: kConversionOntoInput
// (ConversionItem.h).

// One PDF to convert, with the image options of its task (the fields of
// the task's option string that this step reads).
struct PdfToImageItem {
    QString sOriginalFile;  // the PDF
    QString sPassword;      // its open password; usually empty
    QString sTargetFile;    // output path; set to the last page file written
    int lTargetFileType = 0; // 1 JPEG, 2 BMP, 3 TIFF, 4 GIF ... 11 WMF
    QString sPages;         // "*" or blank: all pages; else a page-range text
    int lQuality = 0;       // below 1 or above 100: 100
    int lResolution = 0;    // dots per inch; 0: 150; 10000 or more: 1000
    int lWidth = 0;         // pixels, 0: from the resolution
    int lHeight = 0;
    int lSingleFile = 0;    // non-zero: a TIFF output holds all pages
    int lCompression = 0;   // TIFF: 0 none, 1 LZW, 2 PackBits, 3 CCITT3, 4 CCITT4; others none
    bool bAppend = false;   // TIFF: the pages go after those of an existing file
    // The document the PDF was rendered from, when it is not the input
    // itself; like the PDF, it is never written over.
    QString sSourceFile;
    int lErr = 0;
    // Set when a Pause stopped the item before its last page.
    bool bPaused = false;
    // Entries of the page list in place, one file each. Given: those a run
    // that a Pause cut short wrote, which are not written again (one file
    // per page only). Returned: all in place, for the next run when
    // bPaused.
    int lPagesInPlace = 0;
    // Returned: the files of the entries that were in place already.
    QStringList sKeptFiles;
    // The message of lErr, followed by " - " and the reason when the
    // rasteriser, the image writer or the system gave one; after a page
    // failure that came after written pages, followed by how many.
    QString sErr;
};

struct PdfToImageHooks {
    // For types other than JPEG, BMP, TIFF; called on several threads at
    // once, each with its own page.
    ImageSaver* imageSaver = nullptr;
    // Asked before the first page, after each page and at least every
    // 100 ms while pages are rendered (it yields to the event loop); false
    // pauses the item: no further page starts, and none is put in place
    // but the one it waited for, when that page was being drawn. A
    // multi-page TIFF paused is not written at all.
    std::function<bool()> stillRunning;
    // Status text after each page, in page order: "[position] input file".
    std::function<void(const QString& sStatus)> progress;
};

// Converts item.sOriginalFile; returns item.lErr, which is 0 on success.
// The PDF is closed on every path. When the item wrote no file and was not
// paused it fails with kPdfToImageSaveFailed. One file per page: the pages
// are rendered on several threads, each page file is put under its name
// complete, in page order. Pages written before a failure stay: each is
// complete, and no file of a later page is left.
int PerformConversionItemPDFtoImageDLL(PdfToImageItem& item, const PdfToImageHooks& hooks);

// The file one page goes to when the page list has two or more entries:
// folder, base name, "-", the page number as five digits, "." and the
// extension ("/out/doc.png", 12 -> "/out/doc-00012.png").
QString PageFilePath(const QString& sTargetFile, int lPage);
