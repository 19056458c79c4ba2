// The module's side: poppler itself.
#include "pdf2bmp/PopplerPages.h"

#include "base/ProgramModule.h"
#include "pdf2bmp/PageScale.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/pdf2bmp.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

namespace {

void ignoreMessage(const std::string&, void*)
{
}

void keepQuiet()
{
    static std::once_flag once;
    std::call_once(once, [] { poppler::set_debug_error_function(ignoreMessage, nullptr); });
}

std::string text(const char* s)
{
    return s ? std::string(s) : std::string();
}

using Opened = std::unique_ptr<poppler::document>;

int openDocument(const char* path, const char* password, const char* owner, poppler::document** doc,
                 int* pageCount)
{
    keepQuiet();
    // poppler takes the owner password first, then the user password.
    Opened opened(poppler::document::load_from_file(path, text(owner), text(password)));
    if (!opened)
        return PDF2BMP_ERR_OPEN;
    if (opened->is_locked() && opened->unlock(text(owner), text(password)))
        return PDF2BMP_ERR_PASSWORD;
    const int count = opened->pages();
    if (count > 0) {
        std::unique_ptr<poppler::page> first(opened->create_page(0));
        if (!first)
            return PDF2BMP_ERR_RENDER;
    }
    *doc = opened.release();
    *pageCount = count;
    return PDF2BMP_OK;
}

int renderPage(poppler::document* doc, int pageIndex, int width, int height, int dpi,
               RasterImage* out)
{
    std::unique_ptr<poppler::page> page(doc->create_page(pageIndex));
    if (!page) {
        pdf2bmp_reason::Set("page " + std::to_string(pageIndex + 1) + " cannot be loaded");
        return PDF2BMP_ERR_RENDER;
    }
    const poppler::rectf box = page->page_rect(poppler::crop_box);
    double pageWidth = box.width();
    double pageHeight = box.height();
    const poppler::page::orientation_enum turn = page->orientation();
    if (turn == poppler::page::landscape || turn == poppler::page::seascape)
        std::swap(pageWidth, pageHeight);

    PageScale scale;
    int result = ComputePageScale(pageWidth, pageHeight, width, height, dpi, &scale);
    if (result != PDF2BMP_OK)
        return result;

    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_rgb24);
    renderer.set_render_hints(poppler::page_renderer::antialiasing
                              | poppler::page_renderer::text_antialiasing
                              | poppler::page_renderer::text_hinting);
    const poppler::image image = renderer.render_page(page.get(), scale.scaleX * 72.0,
                                                      scale.scaleY * 72.0, 0, 0, scale.pixelWidth,
                                                      scale.pixelHeight);
    if (!image.is_valid() || image.format() != poppler::image::format_rgb24) {
        pdf2bmp_reason::Set("page " + std::to_string(pageIndex + 1) + " cannot be drawn");
        return PDF2BMP_ERR_RENDER;
    }

    try {
        out->rgb.assign(static_cast<size_t>(scale.pixelWidth) * scale.pixelHeight * 3, 255);
    } catch (const std::bad_alloc&) {
        pdf2bmp_reason::Set("not enough memory for a page of " + std::to_string(scale.pixelWidth) + " x "
                            + std::to_string(scale.pixelHeight) + " pixels");
        return PDF2BMP_ERR_TOO_LARGE;
    }
    out->width = scale.pixelWidth;
    out->height = scale.pixelHeight;
    out->dpiX = scale.dpiX;
    out->dpiY = scale.dpiY;
    // poppler may round the size by a pixel; keep the size promised.
    const int rows = std::min(image.height(), scale.pixelHeight);
    const size_t rowBytes = static_cast<size_t>(std::min(image.width(), scale.pixelWidth)) * 3;
    const char* source = image.const_data();
    for (int y = 0; y < rows; ++y)
        std::memcpy(out->rgb.data() + static_cast<size_t>(y) * scale.pixelWidth * 3,
                    source + static_cast<size_t>(y) * image.bytes_per_row(), rowBytes);
    return PDF2BMP_OK;
}

void closeDocument(poppler::document* doc)
{
    delete doc;
}

const popplerpages::PopplerTable kTable{openDocument, renderPage, closeDocument};

} // namespace

TESSAVIEW_MODULE_ENTRY const void* tessaview_poppler_module(const char* version)
{
    return ModuleTableFor(version, &kTable);
}
