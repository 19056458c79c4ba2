#include "pdf2bmp/MuPdfPages.h"

#include "pdf2bmp/PageScale.h"
#include "pdf2bmp/PageTimeLimit.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/pdf2bmp.h"

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

#include <cstdio>
#include <mutex>
#include <new>
#include <string>

// fz_try/fz_catch are setjmp-based: no C++ object with a destructor may
// live inside them and nothing inside may throw a C++ exception.

namespace {

std::mutex g_locks[FZ_LOCK_MAX];

void lockMutex(void*, int lock)
{
    g_locks[lock].lock();
}

void unlockMutex(void*, int lock)
{
    g_locks[lock].unlock();
}

const fz_locks_context kLocks = {nullptr, lockMutex, unlockMutex};

void ignoreMessage(void*, const char*)
{
}

void silence(fz_context* ctx)
{
    fz_set_warning_callback(ctx, ignoreMessage, nullptr);
    fz_set_error_callback(ctx, ignoreMessage, nullptr);
}

bool authenticate(fz_context* ctx, fz_document* doc, const char* password, const char* owner)
{
    if (fz_authenticate_password(ctx, doc, ""))
        return true;
    if (password && *password && fz_authenticate_password(ctx, doc, password))
        return true;
    return owner && *owner && fz_authenticate_password(ctx, doc, owner);
}

} // namespace

namespace mupdf {

fz_context* NewBaseContext()
{
    fz_context* ctx = fz_new_context(nullptr, &kLocks, FZ_STORE_DEFAULT);
    if (ctx)
        silence(ctx);
    return ctx;
}

fz_context* NewPrivateContext()
{
    // No locks: the context, its store and its glyph cache belong to one
    // thread, so page workers never wait on each other inside MuPDF.
    // A smaller store each: several of them live at once.
    fz_context* ctx = fz_new_context(nullptr, nullptr, 64 << 20);
    if (ctx)
        silence(ctx);
    return ctx;
}

void DropContext(fz_context* ctx)
{
    fz_drop_context(ctx);
}

int OpenDocument(fz_context* ctx, const char* path, const char* password, const char* owner,
                 fz_document** doc, int* pageCount)
{
    fz_document* opened = nullptr;
    int result = PDF2BMP_OK;
    int count = 0;
    fz_var(opened);
    fz_var(result);
    fz_var(count);
    fz_try(ctx)
    {
        // Only PDF: the other formats MuPDF reads are not inputs here.
        opened = &pdf_open_document(ctx, path)->super;
        result = PDF2BMP_ERR_RENDER;
        if (fz_needs_password(ctx, opened) && !authenticate(ctx, opened, password, owner)) {
            result = PDF2BMP_ERR_PASSWORD;
        } else {
            count = fz_count_pages(ctx, opened);
            if (count > 0) {
                fz_page* first = fz_load_page(ctx, opened, 0);
                fz_drop_page(ctx, first);
                result = PDF2BMP_OK;
            }
        }
    }
    fz_catch(ctx)
    {
        if (!opened)
            result = PDF2BMP_ERR_OPEN;
        pdf2bmp_reason::Set(fz_caught_message(ctx));
    }
    if (result == PDF2BMP_ERR_PASSWORD)
        pdf2bmp_reason::Set("the password does not open the document");
    else if (result == PDF2BMP_ERR_RENDER && count <= 0)
        pdf2bmp_reason::Set("the document has no pages");
    if (result != PDF2BMP_OK) {
        fz_drop_document(ctx, opened);
        return result;
    }
    *doc = opened;
    *pageCount = count;
    return PDF2BMP_OK;
}

void CloseDocument(fz_context* ctx, fz_document* doc)
{
    fz_drop_document(ctx, doc);
}

int RenderPage(fz_context* ctx, fz_document* doc, int pageIndex, int width, int height, int dpi,
               RasterImage* out)
{
    fz_page* page = nullptr;
    fz_rect bounds = fz_empty_rect;
    fz_var(page);
    fz_try(ctx)
    {
        page = fz_load_page(ctx, doc, pageIndex);
        bounds = fz_bound_page(ctx, page);
    }
    fz_catch(ctx)
    {
        pdf2bmp_reason::Set("page " + std::to_string(pageIndex + 1) + " cannot be loaded: " + fz_caught_message(ctx));
        fz_drop_page(ctx, page);
        return PDF2BMP_ERR_RENDER;
    }

    PageScale scale;
    int result = ComputePageScale(bounds.x1 - bounds.x0, bounds.y1 - bounds.y0, width, height, dpi,
                                  &scale);
    if (result == PDF2BMP_OK) {
        try {
            // White paper; the draw device paints onto it in place.
            out->rgb.assign(static_cast<size_t>(scale.pixelWidth) * scale.pixelHeight * 3, 255);
        } catch (const std::bad_alloc&) {
            result = PDF2BMP_ERR_TOO_LARGE;
            pdf2bmp_reason::Set("not enough memory for a page of " + std::to_string(scale.pixelWidth) + " x "
                                + std::to_string(scale.pixelHeight) + " pixels");
        }
    }
    if (result != PDF2BMP_OK) {
        fz_drop_page(ctx, page);
        return result;
    }
    out->width = scale.pixelWidth;
    out->height = scale.pixelHeight;
    out->dpiX = scale.dpiX;
    out->dpiY = scale.dpiY;

    // Lives outside fz_try: nothing with a destructor may be inside.
    fz_cookie cookie {};
    const long long limitMs = PageTimeLimitMs(static_cast<long long>(scale.pixelWidth) * scale.pixelHeight);
    const PageDeadline deadline(&cookie.abort, limitMs);
    fz_pixmap* pix = nullptr;
    fz_device* dev = nullptr;
    fz_var(pix);
    fz_var(dev);
    fz_var(result);
    fz_try(ctx)
    {
        pix = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), scale.pixelWidth, scale.pixelHeight,
                                      nullptr, 0, scale.pixelWidth * 3, out->rgb.data());
        const fz_matrix ctm = fz_concat(fz_translate(-bounds.x0, -bounds.y0),
                                        fz_scale(scale.scaleX, scale.scaleY));
        dev = fz_new_draw_device(ctx, ctm, pix);
        fz_run_page(ctx, page, dev, fz_identity, &cookie);
        fz_close_device(ctx, dev);
    }
    fz_always(ctx)
    {
        fz_drop_device(ctx, dev);
        fz_drop_pixmap(ctx, pix);
        fz_drop_page(ctx, page);
    }
    fz_catch(ctx)
    {
        result = PDF2BMP_ERR_RENDER;
        pdf2bmp_reason::Set("page " + std::to_string(pageIndex + 1) + " cannot be drawn: " + fz_caught_message(ctx));
    }
    // A page cut off is not handed to another renderer: it would take as
    // long there.
    if (deadline.expired()) {
        result = PDF2BMP_ERR_TIME_LIMIT;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", double(limitMs) / 1000.0);
        pdf2bmp_reason::Set("page " + std::to_string(pageIndex + 1) + " took longer than " + seconds
                            + " seconds to draw (the limit of a page of "
                            + std::to_string(scale.pixelWidth) + " x " + std::to_string(scale.pixelHeight)
                            + " pixels) and was cut off");
    }
    return result;
}

int MeasurePage(fz_context* ctx, fz_document* doc, int pageIndex, int width, int height, int dpi,
                long long* pixels)
{
    fz_page* page = nullptr;
    fz_rect bounds = fz_empty_rect;
    fz_var(page);
    fz_try(ctx)
    {
        page = fz_load_page(ctx, doc, pageIndex);
        bounds = fz_bound_page(ctx, page);
    }
    fz_always(ctx)
    {
        fz_drop_page(ctx, page);
    }
    fz_catch(ctx)
    {
        return PDF2BMP_ERR_RENDER;
    }
    PageScale scale;
    const int result = ComputePageScale(bounds.x1 - bounds.x0, bounds.y1 - bounds.y0, width, height, dpi, &scale);
    if (result == PDF2BMP_OK)
        *pixels = static_cast<long long>(scale.pixelWidth) * scale.pixelHeight;
    return result;
}

} // namespace mupdf
