#pragma once
// Writes a list of pages into one TIFF file, new or added to an existing
// one. With more than one thread the pages are rendered and compressed on
// worker threads (PagePipeline.h) and written in list order by the calling
// thread; the first failure stops the work and leaves no file behind (an
// existing one stays as it was).
#include "pdf2bmp/RasterImage.h"

#include <functional>

struct fz_context;

struct TiffPageListJob {
    // Workers open path with these passwords in contexts of their own. A
    // null base means the pages are rendered on the calling thread.
    fz_context* base = nullptr;
    const char* path = nullptr;
    const char* password = nullptr;
    const char* owner = nullptr;
    const int* pages = nullptr; // page numbers from 1
    int count = 0;
    int width = 0;
    int height = 0;
    int dpi = 0;
    int threads = 1;
    int compression = 0; // Pdf2BmpTiffCompression
    bool append = false;
    // Renders a page (index from 0) on the calling thread; used when there
    // are no workers and for pages a worker could not draw, so that the
    // caller's fallback applies to them.
    std::function<int(int pageIndex, RasterImage* out)> renderHere;
    // Scratch raster for the calling thread, kept between calls by the
    // caller; null: one of its own.
    RasterImage* scratch = nullptr;
};

int WriteTiffPageList(const TiffPageListJob& job, const char* outPath);

// Page pageNumber as a TIFF file at path (a new file of the caller's, on
// its way to target): the page alone, or, with `appendTo`, after the pages
// of that existing file.
int WriteOneTiffPage(const RasterImage& image, int compression, int pageNumber, const char* appendTo,
                     const char* path, const char* target);
