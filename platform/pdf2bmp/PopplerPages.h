#pragma once
// poppler side of the rasteriser, for files MuPDF refuses. A poppler
// document is used from one thread at a time.
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
int OpenDocument(const char* path, const char* password, const char* owner, Document* doc,
                 int* pageCount);

int RenderPage(poppler::document* doc, int pageIndex, int width, int height, int dpi,
               RasterImage* out);

} // namespace popplerpages
