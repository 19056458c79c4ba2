// PNG through libdeflate and JPEG through libjpeg, straight from the
// caller's RGB rows. libjpeg leaves the encoder by longjmp on errors, so
// the function that calls it holds no C++ objects with destructors.
#include "ImageFileInternal.h"

#include <libdeflate.h>
// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace imagefile_detail {

namespace {

// Level 2: past it the files shrink little and the time grows fast.
constexpr int kPngDeflateLevel = 2;

struct EncodeFailure {
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

void PutBigEndian(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

bool WriteChunk(std::FILE* out, const char type[4], const std::uint8_t* data, std::size_t size)
{
    std::uint8_t head[8];
    PutBigEndian(head, static_cast<std::uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
    if (size > 0) // a null buffer would restart the checksum
        crc = libdeflate_crc32(crc, data, size);
    std::uint8_t tail[4];
    PutBigEndian(tail, crc);
    return std::fwrite(head, 1, 8, out) == 8 && (size == 0 || std::fwrite(data, 1, size, out) == size)
        && std::fwrite(tail, 1, 4, out) == 4;
}

// PNG written directly: every row filtered with "Up" (a plain byte
// difference the compiler vectorises) and the whole image deflated in one
// call by libdeflate. Several times faster than libpng's row-by-row zlib on
// photographic pages, at about the same size.
bool EncodePng(std::FILE* out, const RasterImage& image, EncodeFailure& failure)
{
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3u;
    const std::size_t height = static_cast<std::size_t>(image.height);
    std::vector<std::uint8_t> filtered(height * (rowBytes + 1));
    const std::uint8_t* rgb = image.rgb.data();
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = filtered.data() + y * (rowBytes + 1);
        const std::uint8_t* cur = rgb + y * rowBytes;
        if (y == 0) {
            row[0] = 0;
            std::memcpy(row + 1, cur, rowBytes);
            continue;
        }
        const std::uint8_t* prev = cur - rowBytes;
        row[0] = 2;
        for (std::size_t i = 0; i < rowBytes; ++i)
            row[1 + i] = static_cast<std::uint8_t>(cur[i] - prev[i]);
    }

    libdeflate_compressor* compressor = libdeflate_alloc_compressor(kPngDeflateLevel);
    if (!compressor) {
        std::snprintf(failure.message, sizeof failure.message, "out of memory");
        return false;
    }
    // The bound is about the raster's size, the result a small part of it:
    // left unwritten, the rest of the buffer never costs a page.
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor, filtered.size());
    const std::unique_ptr<std::uint8_t[]> packed(new (std::nothrow) std::uint8_t[bound]);
    if (!packed) {
        libdeflate_free_compressor(compressor);
        std::snprintf(failure.message, sizeof failure.message, "out of memory");
        return false;
    }
    const std::size_t packedSize =
        libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(), packed.get(), bound);
    libdeflate_free_compressor(compressor);
    if (packedSize == 0) {
        std::snprintf(failure.message, sizeof failure.message, "compression failed");
        return false;
    }

    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::uint8_t header[13];
    PutBigEndian(header, static_cast<std::uint32_t>(image.width));
    PutBigEndian(header + 4, static_cast<std::uint32_t>(image.height));
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB
    header[10] = 0; // deflate
    header[11] = 0; // adaptive filtering
    header[12] = 0; // no interlace
    std::uint8_t physical[9];
    PutBigEndian(physical, static_cast<std::uint32_t>(PixelsPerMeter(image.dpiX)));
    PutBigEndian(physical + 4, static_cast<std::uint32_t>(PixelsPerMeter(image.dpiY)));
    physical[8] = 1; // per metre

    bool ok = std::fwrite(signature, 1, 8, out) == 8 && WriteChunk(out, "IHDR", header, sizeof header)
        && WriteChunk(out, "pHYs", physical, sizeof physical);
    constexpr std::size_t kChunk = 1u << 20;
    for (std::size_t at = 0; ok && at < packedSize; at += kChunk)
        ok = WriteChunk(out, "IDAT", packed.get() + at, std::min(kChunk, packedSize - at));
    ok = ok && WriteChunk(out, "IEND", nullptr, 0);
    if (!ok)
        std::snprintf(failure.message, sizeof failure.message, "%s", std::strerror(errno));
    return ok;
}

struct JpegFailure {
    jpeg_error_mgr manager; // first: libjpeg hands back a pointer to it
    EncodeFailure failure;
};

[[noreturn]] void JpegError(j_common_ptr cinfo)
{
    auto* failure = reinterpret_cast<JpegFailure*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, failure->failure.message);
    std::longjmp(failure->failure.jump, 1);
}

void JpegMessage(j_common_ptr, int)
{
}

bool EncodeJpeg(std::FILE* out, const RasterImage& image, int quality, JpegFailure& failure)
{
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegError;
    failure.manager.emit_message = JpegMessage;
    if (setjmp(failure.failure.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.density_unit = 1; // dots per inch
    cinfo.X_density = static_cast<UINT16>(std::clamp(image.dpiX > 0 ? image.dpiX : 96, 1, 65535));
    cinfo.Y_density = static_cast<UINT16>(std::clamp(image.dpiY > 0 ? image.dpiY : 96, 1, 65535));
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3u;
    JSAMPROW rows[16];
    while (cinfo.next_scanline < cinfo.image_height) {
        const JDIMENSION count = std::min<JDIMENSION>(16, cinfo.image_height - cinfo.next_scanline);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(image.rgb.data() + (cinfo.next_scanline + i) * rowBytes);
        jpeg_write_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

QString EncodeError(const QString& path, const char* format, const char* message, int err)
{
    const QString reason = err != 0 ? QString::fromLocal8Bit(std::strerror(err)) : QString::fromLocal8Bit(message);
    return QStringLiteral("Unable to save %1 as %2: %3").arg(path, QLatin1String(format), reason);
}

} // namespace

bool WritePngFile(const RasterImage& image, const QString& path, QString* error)
{
    AtomicFile file(path);
    if (!file.create(error))
        return false;
    EncodeFailure failure;
    errno = 0;
    if (!EncodePng(file.stream(), image, failure)) {
        SetError(error, EncodeError(path, "PNG", failure.message, std::ferror(file.stream()) ? errno : 0));
        return false;
    }
    return file.commit(error);
}

bool WriteJpegFile(const RasterImage& image, const QString& path, int quality, QString* error)
{
    AtomicFile file(path);
    if (!file.create(error))
        return false;
    JpegFailure failure;
    errno = 0;
    if (!EncodeJpeg(file.stream(), image, quality, failure)) {
        SetError(error, EncodeError(path, "JPEG", failure.failure.message, std::ferror(file.stream()) ? errno : 0));
        return false;
    }
    return file.commit(error);
}

} // namespace imagefile_detail
