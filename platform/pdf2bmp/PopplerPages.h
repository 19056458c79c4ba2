#pragma once
// poppler side of the rasteriser, for files MuPDF refuses. A poppler
// document is used from one thread at a time. poppler lives in the module
// libtessaview_poppler.so, loaded the first time MuPDF refuses a file.
#include "pdf2bmp/RasterImage.h"

#include <memory>

namespace poppler {
class document;
}

namespace popplerpages {

struct DocumentDeleter {
    void operator()(poppler::document* doc) const;
};
using Document = std::unique_ptr<poppler::document, DocumentDeleter>;

// Same results as mupdf::OpenDocument: PDF2BMP_ERR_OPEN, _PASSWORD, or
// _RENDER when the file has pages but poppler cannot load the first one.
// PDF2BMP_ERR_OPEN, with the reason, also when the module cannot be had.
int OpenDocument(const char* path, const char* password, const char* owner, Document* doc,
                 int* pageCount);

int RenderPage(poppler::document* doc, int pageIndex, int width, int height, int dpi,
               RasterImage* out);

// What the module gives: the calls above on a document it owns.
struct PopplerTable
{
    int (*open)(const char* path, const char* password, const char* owner, poppler::document** doc,
                int* pageCount);
    int (*render)(poppler::document* doc, int pageIndex, int width, int height, int dpi, RasterImage* out);
    void (*close)(poppler::document* doc);
};

} // namespace popplerpages
