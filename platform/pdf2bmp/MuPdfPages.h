#pragma once
// MuPDF side of the rasteriser: contexts (one base context, clones for
// worker threads), opening a PDF and drawing one page into a raster.
// Nothing here throws; failures come back as Pdf2BmpResult codes.
#include "pdf2bmp/RasterImage.h"

struct fz_context;
struct fz_document;

namespace mupdf {

// The base context has the locks that clones need; MuPDF's own messages
// are kept off stderr.
fz_context* NewBaseContext();
fz_context* NewPrivateContext();
void DropContext(fz_context* ctx);

// Opens path as a PDF and authenticates it with the empty password, then
// password, then owner. Fails with PDF2BMP_ERR_OPEN when the file cannot be
// read, PDF2BMP_ERR_PASSWORD when no password fits, PDF2BMP_ERR_RENDER when
// it has no page MuPDF can load.
int OpenDocument(fz_context* ctx, const char* path, const char* password, const char* owner,
                 fz_document** doc, int* pageCount);
void CloseDocument(fz_context* ctx, fz_document* doc);

// Draws page pageIndex (from 0); see pdf_save_page for width, height, dpi.
int RenderPage(fz_context* ctx, fz_document* doc, int pageIndex, int width, int height, int dpi,
               RasterImage* out);

// The number of pixels RenderPage would draw for the page; PDF2BMP_OK, or
// the failure RenderPage would meet loading or sizing it.
int MeasurePage(fz_context* ctx, fz_document* doc, int pageIndex, int width, int height, int dpi,
                long long* pixels);

} // namespace mupdf
