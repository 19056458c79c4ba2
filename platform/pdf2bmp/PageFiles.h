#pragma once
// One image file per page (pdf_save_page_files), over PagePipeline.h.
#include "pdf2bmp/pdf2bmp.h"

struct fz_context;

struct PageFilesSource {
    fz_context* base = nullptr; // null: pages are rendered on the calling thread
    const char* path = nullptr;
    const char* password = nullptr;
    const char* owner = nullptr;
    int threads = 1;
    std::function<int(int pageIndex, RasterImage* out)> renderHere;
    RasterImage* scratch = nullptr;
};

int WritePageFiles(const PageFilesSource& source, const Pdf2BmpPageFiles& job, int* written, bool* stopped);

// The file pdf_save_page writes for one page (BMP or JPEG).
int WritePageImage(const RasterImage& image, int format, int quality, const char* path);
