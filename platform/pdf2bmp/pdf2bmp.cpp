#include "pdf2bmp/pdf2bmp.h"


#include "imagefile/ImageFile.h"
#include "pdf2bmp/MemoryBudget.h"
#include "pdf2bmp/MuPdfPages.h"
#include "pdf2bmp/OutputFile.h"
#include "pdf2bmp/PageFiles.h"
#include "pdf2bmp/PageTimeLimit.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/PopplerPages.h"
#include "pdf2bmp/TiffPageList.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct OpenPdf {
    std::string path;
    std::string password;
    std::string owner;
    fz_document* doc = nullptr; // null when only poppler reads the file
    popplerpages::Document poppler;
    bool popplerTried = false;
    int pageCount = 0;
};

struct Library {
    std::mutex mutex; // one call at a time: the base context is not shared
    fz_context* ctx = nullptr;
    std::map<int, std::unique_ptr<OpenPdf>> docs;
    int nextHandle = 1;
    int threads = 0;
    RasterImage scratch; // page after page, without allocating each anew
};

// Pages drawn at high resolutions are tens of megabytes; keep such a buffer
// between calls, but not the rare giant.
constexpr size_t kScratchKeptBytes = 128u << 20;

void releaseLargeScratch(Library& lib)
{
    if (lib.scratch.rgb.capacity() > kScratchKeptBytes)
        lib.scratch.rgb = std::vector<std::uint8_t>();
}

// Never destroyed: documents still open at exit need no tidy-up, and
// destroying them after the libraries' own globals could crash.
Library& library()
{
    static Library* instance = new Library;
    return *instance;
}

std::string text(const char* s)
{
    return s ? std::string(s) : std::string();
}

bool initialise(Library& lib)
{
    if (!lib.ctx)
        lib.ctx = mupdf::NewBaseContext();
    return lib.ctx != nullptr;
}

OpenPdf* find(Library& lib, int handle)
{
    const auto it = lib.docs.find(handle);
    return it == lib.docs.end() ? nullptr : it->second.get();
}

void closeDocument(Library& lib, OpenPdf& pdf)
{
    if (pdf.doc)
        mupdf::CloseDocument(lib.ctx, pdf.doc);
    pdf.doc = nullptr;
}

// MuPDF first; a page it cannot load or draw is given to poppler.
int renderPage(Library& lib, OpenPdf& pdf, int pageIndex, int width, int height, int dpi,
               RasterImage* out)
{
    if (pdf.doc) {
        const int result = mupdf::RenderPage(lib.ctx, pdf.doc, pageIndex, width, height, dpi, out);
        if (result != PDF2BMP_ERR_RENDER)
            return result;
    }
    if (!pdf.poppler && !pdf.popplerTried) {
        pdf.popplerTried = true;
        int pages = 0;
        popplerpages::OpenDocument(pdf.path.c_str(), pdf.password.c_str(), pdf.owner.c_str(),
                                   &pdf.poppler, &pages);
    }
    if (!pdf.poppler)
        return PDF2BMP_ERR_RENDER;
    return popplerpages::RenderPage(pdf.poppler.get(), pageIndex, width, height, dpi, out);
}

bool validSize(int width, int height, int dpi)
{
    return width >= 0 && height >= 0 && (width > 0 || height > 0 || dpi >= 1);
}

// The end of a public call: a success leaves no reason behind, also when a
// first attempt (MuPDF) failed and its fallback (poppler) did the work.
int finish(int result)
{
    if (result == PDF2BMP_OK)
        pdf2bmp_reason::Clear();
    return result;
}

int refuse(int result, const std::string& reason)
{
    pdf2bmp_reason::Set(reason);
    return result;
}

std::string pageOutside(int page, int pageCount)
{
    return "page " + std::to_string(page) + " is not in the document, which has " + std::to_string(pageCount)
        + " pages";
}

// The first page of the list that the document does not have, as a reason;
// empty when it has them all.
std::string pagesOutside(const int* pages, int count, int pageCount)
{
    for (int i = 0; i < count; ++i)
        if (pages[i] < 1 || pages[i] > pageCount)
            return pageOutside(pages[i], pageCount);
    return std::string();
}

int threadCount(const Library& lib)
{
    if (lib.threads > 0)
        return lib.threads;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// The pages of `pdf` at one size, drawn on the library's threads; pages a
// worker cannot draw are drawn here with the library's fallback.
PageRenderJob pageSource(Library& lib, OpenPdf* pdf, const int* pages, int count, int width, int height, int dpi)
{
    PageRenderJob job;
    job.base = pdf->doc ? lib.ctx : nullptr;
    job.path = pdf->path.c_str();
    job.password = pdf->password.c_str();
    job.owner = pdf->owner.c_str();
    job.pages = pages;
    job.count = count;
    job.width = width;
    job.height = height;
    job.dpi = dpi;
    job.threads = threadCount(lib);
    job.renderHere = [&lib, pdf, width, height, dpi](int pageIndex, RasterImage* out) {
        return renderPage(lib, *pdf, pageIndex, width, height, dpi, out);
    };
    job.scratch = &lib.scratch;
    return job;
}

} // namespace

int pdf_init()
{
    pdf2bmp_reason::Clear();
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return initialise(lib) ? PDF2BMP_OK : refuse(PDF2BMP_ERR_NOT_INITIALISED, "MuPDF cannot be set up");
}

int pdf_open_file(const char* path, const char* password, const char* owner, int* handle)
{
    pdf2bmp_reason::Clear();
    if (!path || !*path || !handle)
        return refuse(PDF2BMP_ERR_ARGUMENT, "no file is named");
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!initialise(lib))
        return refuse(PDF2BMP_ERR_NOT_INITIALISED, "MuPDF cannot be set up");

    auto pdf = std::make_unique<OpenPdf>();
    pdf->path = path;
    pdf->password = text(password);
    pdf->owner = text(owner);
    int result = mupdf::OpenDocument(lib.ctx, path, password, owner, &pdf->doc, &pdf->pageCount);
    // A wrong password is final; a file MuPDF cannot read goes to poppler.
    if (result == PDF2BMP_ERR_OPEN || result == PDF2BMP_ERR_RENDER) {
        pdf->popplerTried = true;
        const int fallback = popplerpages::OpenDocument(path, password, owner, &pdf->poppler,
                                                        &pdf->pageCount);
        if (fallback == PDF2BMP_OK)
            result = PDF2BMP_OK;
        else if (fallback == PDF2BMP_ERR_PASSWORD)
            result = fallback;
    }
    if (result != PDF2BMP_OK)
        return result == PDF2BMP_ERR_RENDER ? PDF2BMP_ERR_OPEN : result;

    const int h = lib.nextHandle++;
    lib.docs.emplace(h, std::move(pdf));
    *handle = h;
    return finish(PDF2BMP_OK);
}

int pdf_get_page_count(int handle)
{
    pdf2bmp_reason::Clear();
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    const OpenPdf* pdf = find(lib, handle);
    return pdf ? pdf->pageCount : refuse(PDF2BMP_ERR_HANDLE, "no document is open under that handle");
}

int pdf_render_page(int handle, int page, int width, int height, int dpi, RasterImage* out)
{
    pdf2bmp_reason::Clear();
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    OpenPdf* pdf = find(lib, handle);
    if (!pdf)
        return refuse(PDF2BMP_ERR_HANDLE, "no document is open under that handle");
    if (page < 1 || page > pdf->pageCount)
        return refuse(PDF2BMP_ERR_ARGUMENT, pageOutside(page, pdf->pageCount));
    if (!out || !validSize(width, height, dpi))
        return refuse(PDF2BMP_ERR_ARGUMENT, "the page size or resolution is not valid");
    return finish(renderPage(lib, *pdf, page - 1, width, height, dpi, out));
}

int pdf_save_page(int handle, int page, int width, int height, int dpi, int quality, int format,
                  const char* outPath)
{
    pdf2bmp_reason::Clear();
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    OpenPdf* pdf = find(lib, handle);
    if (!pdf)
        return refuse(PDF2BMP_ERR_HANDLE, "no document is open under that handle");
    if (page < 1 || page > pdf->pageCount)
        return refuse(PDF2BMP_ERR_ARGUMENT, pageOutside(page, pdf->pageCount));
    if (!validSize(width, height, dpi) || !outPath || !*outPath
        || (format != PDF2BMP_FORMAT_BMP && format != PDF2BMP_FORMAT_JPEG)
        || (format == PDF2BMP_FORMAT_JPEG && (quality < 1 || quality > 100)))
        return refuse(PDF2BMP_ERR_ARGUMENT, "the size, resolution, quality, format or output path is not valid");

    int result = renderPage(lib, *pdf, page - 1, width, height, dpi, &lib.scratch);
    // The image writers save through a temporary file of their own and
    // rename it, so a failed page never leaves a partial file.
    if (result == PDF2BMP_OK)
        result = WritePageImage(lib.scratch, format, quality, outPath);
    releaseLargeScratch(lib);
    return finish(result);
}

int pdf_save_page_list(int handle, const int* pages, int pageCount, int width, int height, int dpi,
                       int /*quality: TIFF pages are compressed without loss*/, const char* outPath)
{
    return pdf_save_tiff(handle, pages, pageCount, width, height, dpi, Pdf2BmpTiffOptions(), outPath);
}

int pdf_save_tiff(int handle, const int* pages, int pageCount, int width, int height, int dpi,
                  const Pdf2BmpTiffOptions& options, const char* outPath,
                  const std::function<bool()>& keepGoing, bool* stopped)
{
    pdf2bmp_reason::Clear();
    if (stopped)
        *stopped = false;
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    OpenPdf* pdf = find(lib, handle);
    if (!pdf)
        return refuse(PDF2BMP_ERR_HANDLE, "no document is open under that handle");
    if (!pages || pageCount < 1 || !validSize(width, height, dpi) || !outPath || !*outPath
        || options.compression < PDF2BMP_TIFF_NONE || options.compression > PDF2BMP_TIFF_DEFLATE)
        return refuse(PDF2BMP_ERR_ARGUMENT, "the page list, size, resolution, compression or output path is not valid");
    if (const std::string outside = pagesOutside(pages, pageCount, pdf->pageCount); !outside.empty())
        return refuse(PDF2BMP_ERR_ARGUMENT, outside);

    TiffPageListJob job;
    job.pages = pageSource(lib, pdf, pages, pageCount, width, height, dpi);
    job.pages.keepGoing = keepGoing;
    job.compression = options.compression;
    job.append = options.append;
    const int result = WriteTiffPageList(job, outPath, stopped);
    releaseLargeScratch(lib);
    return finish(result);
}

int pdf_save_page_files(int handle, const Pdf2BmpPageFiles& job, int* written, bool* stopped)
{
    pdf2bmp_reason::Clear();
    if (written)
        *written = 0;
    if (stopped)
        *stopped = false;
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    OpenPdf* pdf = find(lib, handle);
    if (!pdf)
        return refuse(PDF2BMP_ERR_HANDLE, "no document is open under that handle");
    const bool knownFormat = job.format == PDF2BMP_FORMAT_BMP || job.format == PDF2BMP_FORMAT_JPEG
        || job.format == PDF2BMP_FORMAT_TIFF || (job.format == PDF2BMP_FORMAT_CALLER && job.save);
    if (!job.pages || job.count < 1 || !job.paths || !validSize(job.width, job.height, job.dpi) || !knownFormat
        || (job.format == PDF2BMP_FORMAT_JPEG && (job.quality < 1 || job.quality > 100))
        || job.tiff.compression < PDF2BMP_TIFF_NONE || job.tiff.compression > PDF2BMP_TIFF_DEFLATE)
        return refuse(PDF2BMP_ERR_ARGUMENT, "the page list, size, resolution, quality or format is not valid");
    for (int i = 0; i < job.count; ++i)
        if (job.paths[i].empty())
            return refuse(PDF2BMP_ERR_ARGUMENT, "an output path is empty");
    if (const std::string outside = pagesOutside(job.pages, job.count, pdf->pageCount); !outside.empty())
        return refuse(PDF2BMP_ERR_ARGUMENT, outside);

    const PageRenderJob source = pageSource(lib, pdf, job.pages, job.count, job.width, job.height, job.dpi);
    const int result = WritePageFiles(source, job, written, stopped);
    releaseLargeScratch(lib);
    return finish(result);
}

int pdf_save_pages(int handle, int firstPage, int pageCount, int width, int height, int dpi,
                   int quality, const char* outPath)
{
    pdf2bmp_reason::Clear();
    if (pageCount < 1 || firstPage < 1 || firstPage > INT32_MAX - pageCount)
        return refuse(PDF2BMP_ERR_ARGUMENT, "the page range is not valid");
    const int pageTotal = pdf_get_page_count(handle);
    if (pageTotal < 0)
        return pageTotal;
    if (firstPage + pageCount - 1 > pageTotal)
        return refuse(PDF2BMP_ERR_ARGUMENT, pageOutside(firstPage + pageCount - 1, pageTotal));
    std::vector<int> pages(pageCount);
    for (int i = 0; i < pageCount; ++i)
        pages[i] = firstPage + i;
    return pdf_save_page_list(handle, pages.data(), pageCount, width, height, dpi, quality, outPath);
}

void pdf_set_page_time_limit(int base_ms, int per_megapixel_ms)
{
    SetPageTimeLimit(base_ms, per_megapixel_ms);
}

void pdf_set_thread_count(int threads)
{
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    lib.threads = std::max(0, threads);
}

void pdf_set_memory_budget(std::size_t bytes)
{
    MemoryBudget::instance().setLimit(bytes);
}

std::size_t pdf_memory_budget_peak()
{
    return MemoryBudget::instance().peak();
}

void pdf_reset_memory_budget_peak()
{
    MemoryBudget::instance().resetPeak();
}

void pdf_close_file(int handle)
{
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    const auto it = lib.docs.find(handle);
    if (it == lib.docs.end())
        return;
    closeDocument(lib, *it->second);
    lib.docs.erase(it);
}

void pdf_done()
{
    Library& lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    for (auto& entry : lib.docs)
        closeDocument(lib, *entry.second);
    lib.docs.clear();
    if (lib.ctx)
        mupdf::DropContext(lib.ctx);
    lib.ctx = nullptr;
}

const char* pdf_last_error()
{
    return pdf2bmp_reason::Get().c_str();
}
