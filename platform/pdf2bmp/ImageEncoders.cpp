#include "pdf2bmp/ImageEncoders.h"

#include "pdf2bmp/pdf2bmp.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace {

void putLe16(std::uint8_t* p, unsigned v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void putLe32(std::uint8_t* p, std::uint32_t v)
{
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}

std::uint32_t pixelsPerMetre(int dpi)
{
    return static_cast<std::uint32_t>(std::lround(dpi / 0.0254));
}

bool validImage(const RasterImage& image)
{
    return image.width > 0 && image.height > 0
        && image.rgb.size() == static_cast<size_t>(image.width) * image.height * 3;
}

// libjpeg reports fatal errors through error_exit, which must not return.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegIgnoreMessage(j_common_ptr)
{
}

// Kept free of C++ objects with destructors: longjmp skips them.
bool compressJpeg(const RasterImage& image, int quality, std::FILE* file)
{
    jpeg_compress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    error.manager.output_message = jpegIgnoreMessage;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.density_unit = 1; // dots per inch
    info.X_density = static_cast<UINT16>(std::clamp(image.dpiX, 1, 65535));
    info.Y_density = static_cast<UINT16>(std::clamp(image.dpiY, 1, 65535));
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(image.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.rgb.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

int WriteBmp(const RasterImage& image, std::FILE* file)
{
    if (!validImage(image))
        return PDF2BMP_ERR_ARGUMENT;
    const size_t rowBytes = (static_cast<size_t>(image.width) * 3 + 3) & ~size_t(3);
    const std::uint64_t imageBytes = static_cast<std::uint64_t>(rowBytes) * image.height;
    if (imageBytes + 54 > 0xFFFFFFFFull)
        return PDF2BMP_ERR_TOO_LARGE;

    std::uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    putLe32(header + 2, static_cast<std::uint32_t>(imageBytes + 54));
    putLe32(header + 10, 54);
    putLe32(header + 14, 40);
    putLe32(header + 18, static_cast<std::uint32_t>(image.width));
    putLe32(header + 22, static_cast<std::uint32_t>(image.height)); // positive: bottom row first
    putLe16(header + 26, 1);
    putLe16(header + 28, 24);
    putLe32(header + 34, static_cast<std::uint32_t>(imageBytes));
    putLe32(header + 38, pixelsPerMetre(image.dpiX));
    putLe32(header + 42, pixelsPerMetre(image.dpiY));
    if (std::fwrite(header, 1, sizeof header, file) != sizeof header)
        return PDF2BMP_ERR_WRITE;

    std::vector<std::uint8_t> row(rowBytes, 0);
    const size_t stride = static_cast<size_t>(image.width) * 3;
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* source = image.rgb.data() + y * stride;
        for (size_t x = 0; x < stride; x += 3) {
            row[x] = source[x + 2];
            row[x + 1] = source[x + 1];
            row[x + 2] = source[x];
        }
        if (std::fwrite(row.data(), 1, rowBytes, file) != rowBytes)
            return PDF2BMP_ERR_WRITE;
    }
    return PDF2BMP_OK;
}

int WriteJpeg(const RasterImage& image, int quality, std::FILE* file)
{
    if (!validImage(image) || quality < 1 || quality > 100)
        return PDF2BMP_ERR_ARGUMENT;
    if (image.width > JPEG_MAX_DIMENSION || image.height > JPEG_MAX_DIMENSION)
        return PDF2BMP_ERR_TOO_LARGE;
    return compressJpeg(image, quality, file) ? PDF2BMP_OK : PDF2BMP_ERR_WRITE;
}

int WriteImageFile(const RasterImage& image, int format, int quality, const char* path)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return PDF2BMP_ERR_WRITE;
    static constexpr size_t kBuffer = 1 << 20;
    std::setvbuf(file, nullptr, _IOFBF, kBuffer);
    int result = PDF2BMP_ERR_ARGUMENT;
    if (format == PDF2BMP_FORMAT_BMP)
        result = WriteBmp(image, file);
    else if (format == PDF2BMP_FORMAT_JPEG)
        result = WriteJpeg(image, quality, file);
    if (std::fclose(file) != 0 && result == PDF2BMP_OK)
        result = PDF2BMP_ERR_WRITE;
    return result;
}
