#include "pdf2bmp/TiffPages.h"

#include "pdf2bmp/pdf2bmp.h"

#include <libdeflate.h>
#include <tiffio.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Measured on text, drawings and photos: level 2 compresses rendered pages
// within a few percent of level 6 at half the time on photos (level 1 is
// slower than 2 on them). The predictor halves photo pages at level 2.
constexpr int kDeflateLevel = 2;
// Strips of about this many uncompressed bytes.
constexpr size_t kStripBytes = 256 * 1024;

// Horizontal predictor: each sample becomes its difference from the same
// sample of the pixel to its left. Separate buffers let it vectorise.
void predictRow(const std::uint8_t* __restrict source, std::uint8_t* __restrict target, size_t bytes)
{
    for (size_t i = 0; i < 3 && i < bytes; ++i)
        target[i] = source[i];
    for (size_t i = 3; i < bytes; ++i)
        target[i] = static_cast<std::uint8_t>(source[i] - source[i - 3]);
}

int ignoreTiffMessage(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// libtiff's own text of an error, kept by the writer for its reason.
int keepTiffError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto* kept = static_cast<std::string*>(user);
    if (kept->empty())
        *kept = text;
    return 1;
}

} // namespace

TiffPageEncoder::TiffPageEncoder()
    : m_compressor(libdeflate_alloc_compressor(kDeflateLevel))
{
}

TiffPageEncoder::~TiffPageEncoder()
{
    libdeflate_free_compressor(m_compressor);
}

int TiffPageEncoder::encode(const RasterImage& image, EncodedTiffPage* out)
{
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    if (!m_compressor || image.width <= 0 || image.height <= 0
        || image.rgb.size() != rowBytes * image.height)
        return PDF2BMP_ERR_ARGUMENT;

    out->width = image.width;
    out->height = image.height;
    out->dpiX = image.dpiX;
    out->dpiY = image.dpiY;
    out->rowsPerStrip = static_cast<int>(std::clamp<size_t>(kStripBytes / rowBytes, 1, image.height));
    const int stripCount = (image.height + out->rowsPerStrip - 1) / out->rowsPerStrip;
    out->strips.resize(stripCount);

    for (int s = 0; s < stripCount; ++s) {
        const int firstRow = s * out->rowsPerStrip;
        const int rows = std::min(out->rowsPerStrip, image.height - firstRow);
        const size_t bytes = rowBytes * rows;
        m_strip.resize(bytes);
        for (int r = 0; r < rows; ++r)
            predictRow(image.rgb.data() + rowBytes * (firstRow + r), m_strip.data() + rowBytes * r,
                       rowBytes);
        // Compressed into scratch space first: the bound is as large as the
        // strip, the result of a rendered page usually a fraction of it.
        const size_t bound = libdeflate_zlib_compress_bound(m_compressor, bytes);
        if (m_packed.size() < bound)
            m_packed.resize(bound);
        const size_t size = libdeflate_zlib_compress(m_compressor, m_strip.data(), bytes,
                                                     m_packed.data(), m_packed.size());
        if (size == 0)
            return PDF2BMP_ERR_WRITE;
        out->strips[s].assign(m_packed.begin(), m_packed.begin() + static_cast<std::ptrdiff_t>(size));
    }
    return PDF2BMP_OK;
}

TiffFileWriter::~TiffFileWriter()
{
    if (m_tiff)
        TIFFClose(m_tiff);
}

bool TiffFileWriter::open(const char* path, int pageTotal)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, keepTiffError, &m_libraryError);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreTiffMessage, nullptr);
    errno = 0;
    m_tiff = TIFFOpenExt(path, "w", options);
    TIFFOpenOptionsFree(options);
    m_pageTotal = pageTotal;
    if (!m_tiff)
        noteFailure();
    return m_tiff != nullptr;
}

bool TiffFileWriter::writePage(const EncodedTiffPage& page, int pageIndex)
{
    if (!m_tiff)
        return false;
    errno = 0;
    TIFF* t = m_tiff;
    bool ok = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(page.width))
        && TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(page.height))
        && TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8)
        && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3)
        && TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB)
        && TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG)
        && TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE)
        && TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL)
        && TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(page.rowsPerStrip))
        && TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH)
        && TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(page.dpiX))
        && TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(page.dpiY));
    if (ok && m_pageTotal > 1)
        ok = TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE)
            && TIFFSetField(t, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(pageIndex),
                            static_cast<uint16_t>(m_pageTotal));
    for (size_t s = 0; ok && s < page.strips.size(); ++s) {
        const std::vector<std::uint8_t>& strip = page.strips[s];
        ok = TIFFWriteRawStrip(t, static_cast<uint32_t>(s), const_cast<std::uint8_t*>(strip.data()),
                               static_cast<tmsize_t>(strip.size()))
            == static_cast<tmsize_t>(strip.size());
    }
    ok = ok && TIFFWriteDirectory(t);
    if (!ok)
        noteFailure();
    return ok;
}

bool TiffFileWriter::close()
{
    if (!m_tiff)
        return false;
    // TIFFClose reports nothing; flushing first tells a full disk.
    errno = 0;
    const bool ok = TIFFFlush(m_tiff) == 1;
    if (!ok)
        noteFailure();
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    return ok;
}

void TiffFileWriter::noteFailure()
{
    // The system's reason where a write failed, else libtiff's own.
    if (m_reason.empty())
        m_reason = errno != 0 ? std::strerror(errno) : m_libraryError;
}
