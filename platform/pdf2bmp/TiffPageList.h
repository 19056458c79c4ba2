#pragma once
// Writes a list of pages into one TIFF file, new or added to an existing
// one. With more than one thread the pages are rendered and compressed on
// worker threads (PagePipeline.h) and written in list order by the calling
// thread; the first failure stops the work and leaves no file behind (an
// existing one stays as it was). So does keepGoing answering false: a file
// without all its pages is never put under its name.
#include "pdf2bmp/PagePipeline.h"

struct TiffPageListJob {
    // The document, pages, size, threads and keepGoing; prepare and commit
    // are the writer's own.
    PageRenderJob pages;
    int compression = 0; // Pdf2BmpTiffCompression
    bool append = false;
};

// *stopped (may be null) tells that keepGoing ended the work; the result
// is then PDF2BMP_OK.
int WriteTiffPageList(const TiffPageListJob& job, const char* outPath, bool* stopped = nullptr);

// Page pageNumber as a TIFF file at path (a new file of the caller's, on
// its way to target): the page alone, or, with `appendTo`, after the pages
// of that existing file.
int WriteOneTiffPage(const RasterImage& image, int compression, int pageNumber, const char* appendTo,
                     const char* path, const char* target);
