#include "pdf2bmp/PagePipeline.h"

#include "pdf2bmp/MemoryBudget.h"
#include "pdf2bmp/MuPdfPages.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/pdf2bmp.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A worker's answer for one page, beside the results of pdf2bmp.h.
constexpr int kRenderHere = 1; // the calling thread renders it (its fallback applies)
constexpr int kNotStarted = 2; // the run stopped before the page began

constexpr auto kPollInterval = std::chrono::milliseconds(100);
// A worker's raster is kept for its next page unless it grew past this.
constexpr size_t kKeptRasterBytes = 32u << 20;

struct PageSlot {
    bool ready = false;
    int status = PDF2BMP_OK;
    std::string reason; // a worker's reason, handed to the calling thread
    std::unique_ptr<PreparedPage> page;
    size_t held = 0;    // budget held for the page until it is committed
};

void dropLargeRaster(RasterImage& image)
{
    if (image.rgb.capacity() > kKeptRasterBytes)
        image.rgb = std::vector<std::uint8_t>();
}

class Pipeline
{
public:
    explicit Pipeline(const PageRenderJob& job)
        : m_job(job)
        , m_slots(job.count)
    {
    }

    PageRunEnd run()
    {
        std::vector<std::thread> workers;
        const int threads = std::min(m_job.threads, m_job.count);
        workers.reserve(threads);
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([this] { work(); });
        PageRunEnd end = commitInOrder();
        stopStarting();
        for (std::thread& worker : workers)
            worker.join();
        // Pages finished after the end are dropped with their budget.
        for (PageSlot& slot : m_slots)
            MemoryBudget::instance().release(slot.held);
        return end;
    }

private:
    void stopStarting()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        MemoryBudget::instance().wake();
    }

    bool stopping()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_stop;
    }

    void publish(int i, PageSlot slot)
    {
        slot.ready = true;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_slots[i] = std::move(slot);
        }
        m_changed.notify_all();
    }

    // Takes page i's share of the budget in list order: no page waits for
    // memory that later pages hold. False when the run stopped first.
    bool takeBudget(int i, size_t bytes)
    {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || m_turn == i; });
            if (m_stop)
                return false;
        }
        const bool taken = MemoryBudget::instance().acquire(bytes, [this] { return stopping(); });
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_turn = i + 1;
        }
        m_changed.notify_all();
        return taken;
    }

    void work()
    {
        fz_context* ctx = mupdf::NewPrivateContext();
        fz_document* doc = nullptr;
        int pages = 0;
        const bool opened = ctx
            && mupdf::OpenDocument(ctx, m_job.path, m_job.password, m_job.owner, &doc, &pages) == PDF2BMP_OK;
        const size_t limit = MemoryBudget::instance().limit();
        RasterImage image;
        for (;;) {
            int i;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_stop || m_next >= m_job.count)
                    break;
                i = m_next++;
            }
            const int pageIndex = m_job.pages[i] - 1;
            // A page that cannot be measured here is drawn by the calling
            // thread with the whole budget to itself.
            long long pixels = 0;
            const bool measured = opened
                && mupdf::MeasurePage(ctx, doc, pageIndex, m_job.width, m_job.height, m_job.dpi, &pixels)
                    == PDF2BMP_OK;
            const size_t bytes = measured ? PageWorkingBytes(pixels) : limit;
            PageSlot slot;
            if (!takeBudget(i, bytes)) {
                slot.status = kNotStarted;
                publish(i, std::move(slot));
                continue;
            }
            slot.held = bytes;
            slot.status = kRenderHere;
            if (measured) {
                const int result = mupdf::RenderPage(ctx, doc, pageIndex, m_job.width, m_job.height, m_job.dpi,
                                                     &image);
                if (result == PDF2BMP_OK)
                    slot.status = m_job.prepare(i, image, &slot.page);
                else if (result != PDF2BMP_ERR_RENDER)
                    slot.status = result;
                if (slot.status != PDF2BMP_OK && slot.status != kRenderHere)
                    slot.reason = pdf2bmp_reason::Get();
                pdf2bmp_reason::Clear();
                dropLargeRaster(image);
                if (slot.status == PDF2BMP_OK) {
                    // Only what the prepared page keeps stays counted.
                    const size_t kept = std::min(bytes, slot.page->retainedBytes());
                    MemoryBudget::instance().release(bytes - kept);
                    slot.held = kept;
                }
            }
            publish(i, std::move(slot));
        }
        if (doc)
            mupdf::CloseDocument(ctx, doc);
        if (ctx)
            mupdf::DropContext(ctx);
    }

    // Waits for page i, asking keepGoing meanwhile. A stop that comes
    // meanwhile still lets page i finish when its drawing had begun; a page
    // no worker took before the run stopped comes back as not started.
    PageSlot take(int i, PageRunEnd& end)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto settled = [&] { return m_slots[i].ready || (m_stop && i >= m_next); };
        while (!settled()) {
            if (m_changed.wait_for(lock, kPollInterval, settled))
                break;
            lock.unlock();
            askToGoOn(end);
            lock.lock();
        }
        if (!m_slots[i].ready) {
            PageSlot none;
            none.status = kNotStarted;
            return none;
        }
        return std::move(m_slots[i]);
    }

    void askToGoOn(PageRunEnd& end)
    {
        if (!end.stopped && m_job.keepGoing && !m_job.keepGoing()) {
            end.stopped = true;
            stopStarting();
        }
    }

    PageRunEnd commitInOrder()
    {
        PageRunEnd end;
        RasterImage own;
        RasterImage& image = m_job.scratch ? *m_job.scratch : own;
        for (int i = 0; i < m_job.count; ++i) {
            PageSlot slot = take(i, end);
            MemoryBudget& budget = MemoryBudget::instance();
            if (slot.status == kNotStarted)
                break;
            if (slot.status == kRenderHere) {
                slot.status = m_job.renderHere(m_job.pages[i] - 1, &image);
                if (slot.status == PDF2BMP_OK)
                    slot.status = m_job.prepare(i, image, &slot.page);
            } else if (slot.status != PDF2BMP_OK) {
                pdf2bmp_reason::Set(slot.reason);
            }
            if (slot.status == PDF2BMP_OK)
                slot.status = m_job.commit(i, *slot.page);
            budget.release(slot.held);
            if (slot.status != PDF2BMP_OK) {
                end.result = slot.status;
                end.stopped = false;
                break;
            }
            ++end.committed;
            // A fallback that rescued a page leaves no reason behind for
            // the next one.
            pdf2bmp_reason::Clear();
            // After a stop only the page whose turn it was is put in place;
            // those drawn ahead of it go, however far the workers got.
            if (end.stopped)
                break;
            if (i + 1 < m_job.count) {
                askToGoOn(end);
                if (end.stopped)
                    break;
            }
        }
        if (end.result == PDF2BMP_OK && end.committed == m_job.count)
            end.stopped = false;
        return end;
    }

    const PageRenderJob& m_job;
    std::vector<PageSlot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0; // next list entry a worker takes
    int m_turn = 0; // the entry whose turn it is to take its budget
    bool m_stop = false;
};

PageRunEnd runSerially(const PageRenderJob& job)
{
    PageRunEnd end;
    RasterImage own;
    RasterImage& image = job.scratch ? *job.scratch : own;
    for (int i = 0; i < job.count; ++i) {
        if (i > 0 && job.keepGoing && !job.keepGoing()) {
            end.stopped = true;
            break;
        }
        std::unique_ptr<PreparedPage> page;
        int result = job.renderHere(job.pages[i] - 1, &image);
        if (result == PDF2BMP_OK)
            result = job.prepare(i, image, &page);
        if (result == PDF2BMP_OK)
            result = job.commit(i, *page);
        if (result != PDF2BMP_OK) {
            end.result = result;
            break;
        }
        ++end.committed;
        pdf2bmp_reason::Clear();
    }
    return end;
}

} // namespace

PageRunEnd RunPagePipeline(const PageRenderJob& job)
{
    if (job.count > 0 && job.keepGoing && !job.keepGoing()) {
        PageRunEnd end;
        end.stopped = true;
        return end;
    }
    if (job.base && job.threads > 1 && job.count > 1)
        return Pipeline(job).run();
    return runSerially(job);
}
