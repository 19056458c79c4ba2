#pragma once
// One image file per page (pdf_save_page_files), over PagePipeline.h.
#include "pdf2bmp/PagePipeline.h"
#include "pdf2bmp/pdf2bmp.h"


// `source` gives the document, its threads and the calling thread's
// renderer; the pages, size and files are the job's.
int WritePageFiles(const PageRenderJob& source, const Pdf2BmpPageFiles& job, int* written, bool* stopped);

// The file pdf_save_page writes for one page (BMP or JPEG).
int WritePageImage(const RasterImage& image, int format, int quality, const char* path);
