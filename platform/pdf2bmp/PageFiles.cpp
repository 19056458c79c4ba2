#include "pdf2bmp/PageFiles.h"

#include "imagefile/ImageFile.h"
#include "pdf2bmp/OutputFile.h"
#include "pdf2bmp/PagePipeline.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/TiffPageList.h"

#include <QFile>

#include <algorithm>
#include <memory>
#include <sys/stat.h>

namespace {

// A page's finished file under its temporary name.
struct PreparedFile : PreparedPage {
    explicit PreparedFile(const std::string& target) : file(target) {}
    OutputFile file;
};

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

int writePage(const Pdf2BmpPageFiles& job, int i, const RasterImage& image, const std::string& temp)
{
    const std::string& target = job.paths[i];
    switch (job.format) {
    case PDF2BMP_FORMAT_TIFF:
        return WriteOneTiffPage(image, job.tiff.compression, job.pages[i],
                                job.tiff.append && exists(target) ? target.c_str() : nullptr, temp.c_str(),
                                target.c_str());
    case PDF2BMP_FORMAT_CALLER: {
        std::string reason;
        if (!job.save || !job.save(image, temp, &reason)) {
            pdf2bmp_reason::Set(reason);
            return PDF2BMP_ERR_CALLER_SAVE;
        }
        return PDF2BMP_OK;
    }
    default:
        return WritePageImage(image, job.format, job.quality, temp.c_str());
    }
}

// A reason names the file the user knows, not its temporary one.
void nameTheTarget(const std::string& temp, const std::string& target)
{
    std::string reason = pdf2bmp_reason::Get();
    for (size_t at = reason.find(temp); at != std::string::npos; at = reason.find(temp, at + target.size()))
        reason.replace(at, temp.size(), target);
    pdf2bmp_reason::Clear();
    pdf2bmp_reason::Set(reason);
}

} // namespace

int WritePageImage(const RasterImage& image, int format, int quality, const char* path)
{
    constexpr int kJpegMaxSide = 65500;
    if (format == PDF2BMP_FORMAT_JPEG && std::max(image.width, image.height) > kJpegMaxSide) {
        pdf2bmp_reason::Set("a JPEG page cannot be wider or higher than " + std::to_string(kJpegMaxSide) + " pixels");
        return PDF2BMP_ERR_TOO_LARGE;
    }
    QString error;
    if (!SaveRasterImage(image, QFile::decodeName(path), format == PDF2BMP_FORMAT_JPEG ? ImageTypeJpeg : ImageTypeBmp,
                         quality, &error)) {
        pdf2bmp_reason::Set(error.toStdString());
        return PDF2BMP_ERR_WRITE;
    }
    return PDF2BMP_OK;
}

int WritePageFiles(const PageRenderJob& source, const Pdf2BmpPageFiles& job, int* written, bool* stopped)
{
    PageRenderJob pages = source;
    pages.pages = job.pages;
    pages.count = job.count;
    pages.width = job.width;
    pages.height = job.height;
    pages.dpi = job.dpi;
    pages.keepGoing = job.keepGoing;
    pages.prepare = [&job](int i, RasterImage& image, std::unique_ptr<PreparedPage>* out) {
        auto prepared = std::make_unique<PreparedFile>(job.paths[i]);
        // The caller's writer would have met the same folder.
        if (!prepared->file.create())
            return int(job.format == PDF2BMP_FORMAT_CALLER ? PDF2BMP_ERR_CALLER_SAVE : PDF2BMP_ERR_WRITE);
        const int result = writePage(job, i, image, prepared->file.tempPath());
        if (result != PDF2BMP_OK)
            nameTheTarget(prepared->file.tempPath(), job.paths[i]);
        *out = std::move(prepared);
        return result;
    };
    pages.commit = [&job](int i, PreparedPage& page) {
        if (!static_cast<PreparedFile&>(page).file.commit())
            return int(PDF2BMP_ERR_WRITE);
        if (job.written)
            job.written(i);
        return int(PDF2BMP_OK);
    };
    const PageRunEnd end = RunPagePipeline(pages);
    if (written)
        *written = end.committed;
    if (stopped)
        *stopped = end.stopped;
    return end.result;
}
