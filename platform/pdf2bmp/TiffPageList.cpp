#include "pdf2bmp/TiffPageList.h"

#include "pdf2bmp/OutputFile.h"
#include "pdf2bmp/PagePipeline.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/TiffPages.h"
#include "pdf2bmp/pdf2bmp.h"

#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

struct PreparedTiffPage : PreparedPage {
    EncodedTiffPage page;
    std::size_t retainedBytes() const override { return page.bytes(); }
};

int writeFailure(const TiffFileWriter& writer, const char* outPath)
{
    pdf2bmp_reason::Set(std::string("Unable to write ") + outPath + ": " + writer.reason());
    return PDF2BMP_ERR_WRITE;
}

// One encoder per thread and compression, kept from page to page for its
// scratch space.
TiffPageEncoder& encoderFor(int compression)
{
    thread_local std::unique_ptr<TiffPageEncoder> encoder;
    thread_local int encoderCompression = -1;
    if (!encoder || encoderCompression != compression) {
        encoder = std::make_unique<TiffPageEncoder>(compression);
        encoderCompression = compression;
    }
    return *encoder;
}

int encode(const RasterImage& image, int compression, int pageNumber, EncodedTiffPage* out)
{
    const int result = encoderFor(compression).encode(image, out);
    if (result != PDF2BMP_OK)
        pdf2bmp_reason::Set("page " + std::to_string(pageNumber) + " cannot be compressed");
    return result;
}

bool exists(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0;
}

// Opens the writer on output's temporary file: empty, or a copy of the
// existing target when the pages are added to it.
bool openWriter(TiffFileWriter& writer, OutputFile& output, const char* target, int pages, bool append, int* result)
{
    const bool adding = append && exists(target);
    std::string reason;
    if (adding && !CopyTiffForAppend(target, output.tempPath().c_str(), &reason)) {
        pdf2bmp_reason::Set(reason);
        *result = PDF2BMP_ERR_WRITE;
        return false;
    }
    if (!writer.open(output.tempPath().c_str(), pages, adding ? target : nullptr)) {
        *result = writeFailure(writer, target);
        return false;
    }
    return true;
}

} // namespace

int WriteTiffPageList(const TiffPageListJob& job, const char* outPath, bool* stopped)
{
    if (stopped)
        *stopped = false;
    const char* target = outPath ? outPath : "";
    OutputFile output(target);
    if (!output.create())
        return PDF2BMP_ERR_WRITE;
    TiffFileWriter writer;
    int result = PDF2BMP_OK;
    if (!openWriter(writer, output, target, job.pages.count, job.append, &result))
        return result;

    PageRenderJob pages = job.pages;
    pages.prepare = [&job](int i, RasterImage& image, std::unique_ptr<PreparedPage>* out) {
        auto prepared = std::make_unique<PreparedTiffPage>();
        const int encoded = encode(image, job.compression, job.pages.pages[i], &prepared->page);
        *out = std::move(prepared);
        return encoded;
    };
    pages.commit = [&](int i, PreparedPage& page) {
        if (!writer.writePage(static_cast<PreparedTiffPage&>(page).page, i))
            return writeFailure(writer, target);
        return int(PDF2BMP_OK);
    };
    const PageRunEnd end = RunPagePipeline(pages);
    result = end.result;
    const bool closed = writer.close();
    if (result == PDF2BMP_OK && end.stopped) {
        // The unfinished file goes with `output`.
        if (stopped)
            *stopped = true;
        return result;
    }
    if (!closed && result == PDF2BMP_OK)
        result = writeFailure(writer, target);
    if (result == PDF2BMP_OK && !output.commit())
        result = PDF2BMP_ERR_WRITE;
    return result;
}

int WriteOneTiffPage(const RasterImage& image, int compression, int pageNumber, const char* appendTo,
                     const char* path, const char* target)
{
    EncodedTiffPage page;
    int result = encode(image, compression, pageNumber, &page);
    if (result != PDF2BMP_OK)
        return result;
    TiffFileWriter writer;
    std::string reason;
    if (appendTo && !CopyTiffForAppend(appendTo, path, &reason)) {
        pdf2bmp_reason::Set(reason);
        return PDF2BMP_ERR_WRITE;
    }
    if (!writer.open(path, 1, appendTo) || !writer.writePage(page, 0) || !writer.close())
        return writeFailure(writer, target);
    return PDF2BMP_OK;
}
