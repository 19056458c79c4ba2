#include "pdf2bmp/TiffPages.h"

#include "pdf2bmp/pdf2bmp.h"

#include <libdeflate.h>
#include <tiffio.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Measured on text, drawings and photos: level 2 compresses rendered pages
// within a few percent of level 6 at half the time on photos (level 1 is
// slower than 2 on them). The predictor halves photo pages at level 2.
constexpr int kDeflateLevel = 2;
// Strips of about this many uncompressed bytes.
constexpr size_t kStripBytes = 256 * 1024;

bool isBilevel(int compression)
{
    return compression == PDF2BMP_TIFF_PACKBITS || compression == PDF2BMP_TIFF_CCITT3
        || compression == PDF2BMP_TIFF_CCITT4;
}

int tiffTag(int compression)
{
    switch (compression) {
    case PDF2BMP_TIFF_NONE: return COMPRESSION_NONE;
    case PDF2BMP_TIFF_LZW: return COMPRESSION_LZW;
    case PDF2BMP_TIFF_PACKBITS: return COMPRESSION_PACKBITS;
    case PDF2BMP_TIFF_CCITT3: return COMPRESSION_CCITTFAX3;
    case PDF2BMP_TIFF_CCITT4: return COMPRESSION_CCITTFAX4;
    case PDF2BMP_TIFF_DEFLATE: return COMPRESSION_ADOBE_DEFLATE;
    default: return -1;
    }
}

// Horizontal predictor: each sample becomes its difference from the same
// sample of the pixel to its left. Separate buffers let it vectorise.
void predictRow(const std::uint8_t* __restrict source, std::uint8_t* __restrict target, size_t bytes)
{
    for (size_t i = 0; i < 3 && i < bytes; ++i)
        target[i] = source[i];
    for (size_t i = 3; i < bytes; ++i)
        target[i] = static_cast<std::uint8_t>(source[i] - source[i - 3]);
}

// One bit per pixel, set for dark pixels (black on white paper, as a fax
// page is): the threshold is half way on the luminance scale.
void packBilevelRow(const std::uint8_t* rgb, int width, std::uint8_t* out)
{
    std::memset(out, 0, static_cast<size_t>(width + 7) / 8);
    for (int x = 0; x < width; ++x, rgb += 3) {
        const int luma = 299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2];
        if (luma < 128 * 1000)
            out[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
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

TIFFOpenOptions* quietOptions(std::string* errors)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, keepTiffError, errors);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreTiffMessage, nullptr);
    return options;
}

// A TIFF file in memory, for libtiff's codecs: a page is encoded into it
// strip by strip and its compressed strips are taken out again.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    toff_t position = 0;
};

tmsize_t memoryRead(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    const toff_t available = file->position < file->bytes.size() ? file->bytes.size() - file->position : 0;
    const tmsize_t n = std::min<tmsize_t>(size, static_cast<tmsize_t>(available));
    std::memcpy(buffer, file->bytes.data() + file->position, static_cast<size_t>(n));
    file->position += static_cast<toff_t>(n);
    return n;
}

tmsize_t memoryWrite(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    const toff_t end = file->position + static_cast<toff_t>(size);
    if (end > file->bytes.size())
        file->bytes.resize(end);
    std::memcpy(file->bytes.data() + file->position, buffer, static_cast<size_t>(size));
    file->position = end;
    return size;
}

toff_t memorySeek(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    switch (whence) {
    case SEEK_SET: file->position = offset; break;
    case SEEK_CUR: file->position += offset; break;
    case SEEK_END: file->position = file->bytes.size() + offset; break;
    default: return static_cast<toff_t>(-1);
    }
    return file->position;
}

int memoryClose(thandle_t)
{
    return 0;
}

toff_t memorySize(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->bytes.size();
}

int memoryMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void memoryUnmap(thandle_t, void*, toff_t)
{
}

} // namespace

std::size_t EncodedTiffPage::bytes() const
{
    std::size_t total = 0;
    for (const auto& strip : strips)
        total += strip.size();
    return total;
}

TiffPageEncoder::TiffPageEncoder(int compression)
    : m_compression(compression)
{
    if (compression == PDF2BMP_TIFF_DEFLATE)
        m_compressor = libdeflate_alloc_compressor(kDeflateLevel);
}

TiffPageEncoder::~TiffPageEncoder()
{
    if (m_compressor)
        libdeflate_free_compressor(m_compressor);
}

int TiffPageEncoder::encode(const RasterImage& image, EncodedTiffPage* out)
{
    const size_t rgbRow = static_cast<size_t>(image.width) * 3;
    if (image.width <= 0 || image.height <= 0 || image.rgb.size() != rgbRow * image.height
        || tiffTag(m_compression) < 0)
        return PDF2BMP_ERR_ARGUMENT;

    const bool bilevel = isBilevel(m_compression);
    const size_t rowBytes = bilevel ? (static_cast<size_t>(image.width) + 7) / 8 : rgbRow;
    *out = EncodedTiffPage();
    out->width = image.width;
    out->height = image.height;
    out->dpiX = image.dpiX;
    out->dpiY = image.dpiY;
    out->compression = tiffTag(m_compression);
    out->predictor = m_compression == PDF2BMP_TIFF_DEFLATE || m_compression == PDF2BMP_TIFF_LZW
        ? PREDICTOR_HORIZONTAL : PREDICTOR_NONE;
    out->bitsPerSample = bilevel ? 1 : 8;
    out->samplesPerPixel = bilevel ? 1 : 3;
    out->photometric = bilevel ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB;
    out->rowsPerStrip = static_cast<int>(std::clamp<size_t>(kStripBytes / rowBytes, 1, image.height));

    if (m_compression == PDF2BMP_TIFF_DEFLATE)
        return encodeDeflate(image, out);
    if (m_compression == PDF2BMP_TIFF_NONE) {
        const int stripCount = (image.height + out->rowsPerStrip - 1) / out->rowsPerStrip;
        out->strips.resize(stripCount);
        for (int s = 0; s < stripCount; ++s) {
            const size_t first = rgbRow * s * out->rowsPerStrip;
            const size_t bytes = rgbRow * std::min(out->rowsPerStrip, image.height - s * out->rowsPerStrip);
            out->strips[s].assign(image.rgb.begin() + static_cast<std::ptrdiff_t>(first),
                                  image.rgb.begin() + static_cast<std::ptrdiff_t>(first + bytes));
        }
        return PDF2BMP_OK;
    }
    return encodeWithLibtiff(image, out);
}

int TiffPageEncoder::encodeDeflate(const RasterImage& image, EncodedTiffPage* out)
{
    if (!m_compressor)
        return PDF2BMP_ERR_WRITE;
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
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

// LZW, PackBits and the fax codings come from libtiff: the page is encoded
// into a TIFF file in memory and its strips are taken out as they are.
int TiffPageEncoder::encodeWithLibtiff(const RasterImage& image, EncodedTiffPage* out)
{
    MemoryFile memory;
    std::string errors;
    TIFFOpenOptions* options = quietOptions(&errors);
    TIFF* t = TIFFClientOpenExt("page", "w", &memory, memoryRead, memoryWrite, memorySeek, memoryClose,
                                memorySize, memoryMap, memoryUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!t)
        return PDF2BMP_ERR_WRITE;
    bool ok = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(out->width))
        && TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(out->height))
        && TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, out->bitsPerSample)
        && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, out->samplesPerPixel)
        && TIFFSetField(t, TIFFTAG_PHOTOMETRIC, out->photometric)
        && TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG)
        && TIFFSetField(t, TIFFTAG_COMPRESSION, out->compression)
        && TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(out->rowsPerStrip));
    if (ok && out->predictor != PREDICTOR_NONE)
        ok = TIFFSetField(t, TIFFTAG_PREDICTOR, out->predictor);

    const bool bilevel = out->bitsPerSample == 1;
    const size_t rgbRow = static_cast<size_t>(image.width) * 3;
    const size_t rowBytes = bilevel ? (static_cast<size_t>(image.width) + 7) / 8 : rgbRow;
    const int stripCount = (image.height + out->rowsPerStrip - 1) / out->rowsPerStrip;
    for (int s = 0; ok && s < stripCount; ++s) {
        const int firstRow = s * out->rowsPerStrip;
        const int rows = std::min(out->rowsPerStrip, image.height - firstRow);
        // libtiff may change the data it is given while encoding (the
        // predictor works in place), so each strip is a copy.
        m_strip.resize(rowBytes * rows);
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t* source = image.rgb.data() + rgbRow * (firstRow + r);
            if (bilevel)
                packBilevelRow(source, image.width, m_strip.data() + rowBytes * r);
            else
                std::memcpy(m_strip.data() + rowBytes * r, source, rowBytes);
        }
        ok = TIFFWriteEncodedStrip(t, static_cast<uint32_t>(s), m_strip.data(),
                                   static_cast<tmsize_t>(m_strip.size()))
            >= 0;
    }
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    ok = ok && TIFFGetField(t, TIFFTAG_STRIPOFFSETS, &offsets) && TIFFGetField(t, TIFFTAG_STRIPBYTECOUNTS, &counts)
        && offsets && counts;
    if (ok) {
        out->strips.resize(stripCount);
        for (int s = 0; ok && s < stripCount; ++s) {
            ok = offsets[s] + counts[s] <= memory.bytes.size();
            if (ok)
                out->strips[s].assign(memory.bytes.begin() + static_cast<std::ptrdiff_t>(offsets[s]),
                                      memory.bytes.begin() + static_cast<std::ptrdiff_t>(offsets[s] + counts[s]));
        }
    }
    TIFFClose(t);
    return ok ? PDF2BMP_OK : PDF2BMP_ERR_WRITE;
}

TiffFileWriter::~TiffFileWriter()
{
    if (m_tiff)
        TIFFClose(m_tiff);
}

bool TiffFileWriter::open(const char* path, int pageTotal, const char* appendTo)
{
    m_pagesBefore = 0;
    if (appendTo) {
        // The pages already there, counted on a file of their own reading.
        TIFFOpenOptions* options = quietOptions(&m_libraryError);
        TIFF* existing = TIFFOpenExt(path, "r", options);
        TIFFOpenOptionsFree(options);
        if (!existing) {
            m_reason = appendTo + std::string(" cannot be read as a TIFF file: ") + m_libraryError;
            return false;
        }
        m_pagesBefore = TIFFNumberOfDirectories(existing);
        TIFFClose(existing);
    }
    TIFFOpenOptions* options = quietOptions(&m_libraryError);
    errno = 0;
    m_tiff = TIFFOpenExt(path, appendTo ? "a" : "w", options);
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
        && TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, page.bitsPerSample)
        && TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, page.samplesPerPixel)
        && TIFFSetField(t, TIFFTAG_PHOTOMETRIC, page.photometric)
        && TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG)
        && TIFFSetField(t, TIFFTAG_COMPRESSION, page.compression)
        && TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(page.rowsPerStrip))
        && TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH)
        && TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(page.dpiX))
        && TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(page.dpiY));
    if (ok && page.predictor != PREDICTOR_NONE)
        ok = TIFFSetField(t, TIFFTAG_PREDICTOR, page.predictor);
    const int pages = m_pagesBefore + m_pageTotal;
    if (ok && pages > 1)
        ok = TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE)
            && TIFFSetField(t, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(m_pagesBefore + pageIndex),
                            static_cast<uint16_t>(pages));
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

bool CopyTiffForAppend(const char* from, const char* to, std::string* reason)
{
    const int in = ::open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *reason = std::string("Unable to read ") + from + ": " + std::strerror(errno);
        return false;
    }
    char head[4] = {};
    const bool tiff = ::read(in, head, sizeof head) == sizeof head
        && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0
            || std::memcmp(head, "II+\0", 4) == 0 || std::memcmp(head, "MM\0+", 4) == 0);
    if (!tiff) {
        ::close(in);
        *reason = std::string(from) + " is not a TIFF file; no page was added to it";
        return false;
    }
    const int out = ::open(to, O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (out < 0 || ::lseek(in, 0, SEEK_SET) != 0) {
        *reason = std::string("Unable to write ") + to + ": " + std::strerror(errno);
        ::close(in);
        if (out >= 0)
            ::close(out);
        return false;
    }
    std::vector<char> buffer(1 << 20);
    int failure = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            failure = errno;
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got && failure == 0;) {
            const ssize_t written = ::write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                failure = written < 0 ? errno : EIO;
            else
                done += written;
        }
        if (failure)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && failure == 0)
        failure = errno;
    if (failure) {
        *reason = std::string("Unable to copy ") + from + " to add pages to it: " + std::strerror(failure);
        return false;
    }
    return true;
}
