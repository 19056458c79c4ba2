#include "pdf2bmp/TiffPageList.h"

#include "pdf2bmp/MuPdfPages.h"
#include "pdf2bmp/OutputFile.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/TiffPages.h"
#include "pdf2bmp/pdf2bmp.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A worker's result for one page. kRenderHere asks the writer to render the
// page itself.
constexpr int kRenderHere = 1;

struct PageSlot {
    bool ready = false;
    int status = PDF2BMP_OK;
    std::string reason; // a worker's reason, handed to the calling thread
    EncodedTiffPage page;
};

int writeFailure(const TiffFileWriter& writer, const char* outPath)
{
    pdf2bmp_reason::Set(std::string("Unable to write ") + outPath + ": " + writer.reason());
    return PDF2BMP_ERR_WRITE;
}

// image is scratch space, kept from page to page to save allocating it.
int renderAndEncode(const TiffPageListJob& job, int i, TiffPageEncoder& encoder, RasterImage& image,
                    EncodedTiffPage* out)
{
    const int result = job.renderHere(job.pages[i] - 1, &image);
    if (result != PDF2BMP_OK)
        return result;
    const int encoded = encoder.encode(image, out);
    if (encoded != PDF2BMP_OK)
        pdf2bmp_reason::Set("page " + std::to_string(job.pages[i]) + " cannot be compressed");
    return encoded;
}

class Pipeline
{
public:
    Pipeline(const TiffPageListJob& job, TiffFileWriter& writer, const char* outPath)
        : m_job(job)
        , m_writer(writer)
        , m_outPath(outPath)
        , m_slots(job.count)
        , m_window(2 * job.threads)
    {
    }

    int run()
    {
        std::vector<std::thread> workers;
        workers.reserve(m_job.threads);
        for (int t = 0; t < m_job.threads; ++t)
            workers.emplace_back([this] { work(); });
        const int result = write();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
        return result;
    }

private:
    void work()
    {
        fz_context* ctx = mupdf::NewPrivateContext();
        fz_document* doc = nullptr;
        int pages = 0;
        const bool opened = ctx
            && mupdf::OpenDocument(ctx, m_job.path, m_job.password, m_job.owner, &doc, &pages)
                == PDF2BMP_OK;
        TiffPageEncoder encoder;
        RasterImage image;
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            // Stay at most m_window pages ahead of the writer.
            m_changed.wait(lock, [this] {
                return m_stop || m_next >= m_job.count || m_next < m_written + m_window;
            });
            if (m_stop || m_next >= m_job.count)
                break;
            const int i = m_next++;
            lock.unlock();
            PageSlot slot;
            slot.status = kRenderHere;
            if (opened) {
                const int result = mupdf::RenderPage(ctx, doc, m_job.pages[i] - 1, m_job.width,
                                                     m_job.height, m_job.dpi, &image);
                if (result == PDF2BMP_OK)
                    slot.status = encoder.encode(image, &slot.page);
                else if (result != PDF2BMP_ERR_RENDER)
                    slot.status = result;
                if (slot.status != PDF2BMP_OK && slot.status != kRenderHere) {
                    slot.reason = pdf2bmp_reason::Get();
                    if (slot.reason.empty())
                        slot.reason = "page " + std::to_string(m_job.pages[i]) + " cannot be compressed";
                }
                pdf2bmp_reason::Clear();
            }
            slot.ready = true;
            lock.lock();
            m_slots[i] = std::move(slot);
            m_changed.notify_all();
        }
        lock.unlock();
        if (doc)
            mupdf::CloseDocument(ctx, doc);
        if (ctx)
            mupdf::DropContext(ctx);
    }

    int write()
    {
        TiffPageEncoder encoder;
        RasterImage own;
        RasterImage& image = m_job.scratch ? *m_job.scratch : own;
        for (int i = 0; i < m_job.count; ++i) {
            PageSlot slot;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] { return m_slots[i].ready; });
                slot = std::move(m_slots[i]);
            }
            if (slot.status == kRenderHere)
                slot.status = renderAndEncode(m_job, i, encoder, image, &slot.page);
            else if (slot.status != PDF2BMP_OK)
                pdf2bmp_reason::Set(slot.reason);
            if (slot.status != PDF2BMP_OK)
                return slot.status;
            if (!m_writer.writePage(slot.page, i))
                return writeFailure(m_writer, m_outPath);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_written = i + 1;
            }
            m_changed.notify_all();
        }
        return PDF2BMP_OK;
    }

    const TiffPageListJob& m_job;
    TiffFileWriter& m_writer;
    const char* m_outPath;
    std::vector<PageSlot> m_slots;
    const int m_window;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0;
    int m_written = 0;
    bool m_stop = false;
};

int writeSerially(const TiffPageListJob& job, TiffFileWriter& writer, const char* outPath)
{
    TiffPageEncoder encoder;
    RasterImage own;
    RasterImage& image = job.scratch ? *job.scratch : own;
    for (int i = 0; i < job.count; ++i) {
        EncodedTiffPage page;
        const int result = renderAndEncode(job, i, encoder, image, &page);
        if (result != PDF2BMP_OK)
            return result;
        if (!writer.writePage(page, i))
            return writeFailure(writer, outPath);
    }
    return PDF2BMP_OK;
}

} // namespace

int WriteTiffPageList(const TiffPageListJob& job, const char* outPath)
{
    const char* target = outPath ? outPath : "";
    OutputFile output(target);
    if (!output.create())
        return PDF2BMP_ERR_WRITE;
    TiffFileWriter writer;
    if (!writer.open(output.tempPath().c_str(), job.count))
        return writeFailure(writer, target);

    int result = PDF2BMP_OK;
    if (job.base && job.threads > 1 && job.count > 1) {
        TiffPageListJob workers = job;
        workers.threads = std::min(job.threads, job.count);
        result = Pipeline(workers, writer, target).run();
    } else {
        result = writeSerially(job, writer, target);
    }
    if (!writer.close() && result == PDF2BMP_OK)
        result = writeFailure(writer, target);
    if (result == PDF2BMP_OK && !output.commit())
        result = PDF2BMP_ERR_WRITE;
    return result;
}
