#pragma once
// The pages of one document rendered on worker threads, each with its own
// MuPDF context and its own copy of the document, and handed on in list
// order on the calling thread. A worker turns its page into something
// small to keep (a compressed page, a finished temporary file: `prepare`);
// the calling thread takes the pages one after the other (`commit`). Pages
// start in list order and only while their memory fits the process's
// MemoryBudget. The first failure, in list order, ends the run; so does
// keepGoing answering false: the page whose turn it is then is finished
// and committed when its drawing had begun, and no later one, though the
// workers may have drawn well ahead of it.
#include "pdf2bmp/RasterImage.h"

#include <cstddef>
#include <functional>
#include <memory>

struct fz_context;

// What prepare made of a page, waiting for its commit.
struct PreparedPage {
    virtual ~PreparedPage() = default;
    // Memory it keeps until it is committed.
    virtual std::size_t retainedBytes() const { return 0; }
};

struct PageRenderJob {
    // Workers open path with these passwords in contexts of their own. A
    // null base means the pages are rendered on the calling thread.
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
    // Asked on the calling thread between pages, and while it waits at
    // least every 100 ms. Empty: always true.
    std::function<bool()> keepGoing;
    // Any thread: list entry i rendered into image. PDF2BMP_OK, or a
    // failure with its reason set on that thread (Pdf2BmpReason.h).
    std::function<int(int i, RasterImage& image, std::unique_ptr<PreparedPage>* out)> prepare;
    // Calling thread, in list order.
    std::function<int(int i, PreparedPage& page)> commit;
};

struct PageRunEnd {
    int result = 0;       // PDF2BMP_OK, or the first failure in list order
    int committed = 0;    // the list's first entries, committed
    bool stopped = false; // keepGoing ended the run before its last page
};

PageRunEnd RunPagePipeline(const PageRenderJob& job);
