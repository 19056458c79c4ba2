#pragma once
// Writes a list of pages into one TIFF file. With more than one thread the
// pages are rendered and compressed on worker threads, each with its own
// MuPDF context and its own copy of the document, and written in page order
// by the calling thread; the first failure stops the work.
#include "pdf2bmp/RasterImage.h"

#include <functional>

struct fz_context;

struct TiffPageListJob {
    // Workers open path with these passwords under contexts cloned from
    // base. A null base means the pages are rendered on the calling thread.
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
    // Renders a page (index from 0) on the calling thread; used when there
    // are no workers and for pages a worker could not draw, so that the
    // caller's fallback applies to them.
    std::function<int(int pageIndex, RasterImage* out)> renderHere;
    // Scratch raster for the calling thread, kept between calls by the
    // caller; null: one of its own.
    RasterImage* scratch = nullptr;
};

int WriteTiffPageList(const TiffPageListJob& job, const char* outPath);
