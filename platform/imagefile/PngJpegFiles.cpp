// PNG through libpng and JPEG through libjpeg, straight from the caller's
// RGB rows. Both libraries leave an encoder by longjmp on errors, so the
// functions that call them hold no C++ objects with destructors.
#include "ImageFileInternal.h"

#include <png.h>
// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>

namespace imagefile_detail {

namespace {

struct EncodeFailure {
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void PngError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<EncodeFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    std::longjmp(failure->jump, 1);
}

void PngWarning(png_structp, png_const_charp)
{
}

bool EncodePng(std::FILE* out, const RasterImage& image, EncodeFailure& failure)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(failure.message, sizeof failure.message, "out of memory");
        return false;
    }
    if (setjmp(failure.jump)) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, static_cast<png_uint_32>(PixelsPerMeter(image.dpiX)),
                 static_cast<png_uint_32>(PixelsPerMeter(image.dpiY)), PNG_RESOLUTION_METER);
    // One filter instead of trying all five per row: close to the same size
    // on document pages in well over half the time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3u;
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, image.rgb.data() + static_cast<std::size_t>(y) * rowBytes);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
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
