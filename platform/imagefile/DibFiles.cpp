// BMP, EMF and WMF: each is a small header around one 24-bit
// device-independent bitmap (DIB) of the page, streamed row by row.
#include "ImageFileInternal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace imagefile_detail {

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kSrcCopy = 0x00CC0020;

struct DibSize {
    std::uint32_t rowBytes = 0; // rows are padded to four bytes
    std::uint64_t bitsBytes = 0;
};

DibSize MeasureDib(const RasterImage& image)
{
    DibSize size;
    size.rowBytes = (static_cast<std::uint32_t>(image.width) * 3u + 3u) & ~3u;
    size.bitsBytes = static_cast<std::uint64_t>(size.rowBytes) * static_cast<std::uint64_t>(image.height);
    return size;
}

void AppendInfoHeader(LeBytes& out, const RasterImage& image, const DibSize& size)
{
    out.u32(kInfoHeaderSize);
    out.i32(image.width);
    out.i32(image.height); // positive: bottom row first
    out.u16(1);            // planes
    out.u16(24);           // bits per pixel
    out.u32(0);            // BI_RGB
    out.u32(static_cast<std::uint32_t>(size.bitsBytes));
    out.i32(PixelsPerMeter(image.dpiX));
    out.i32(PixelsPerMeter(image.dpiY));
    out.u32(0); // colours used
    out.u32(0); // important colours
}

// The DIB's pixels: bottom row first, blue-green-red, padded rows.
void WriteDibBits(AtomicFile& file, const RasterImage& image, const DibSize& size)
{
    std::vector<std::uint8_t> row(size.rowBytes, 0);
    const std::size_t rgbRow = static_cast<std::size_t>(image.width) * 3u;
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* src = image.rgb.data() + static_cast<std::size_t>(y) * rgbRow;
        std::uint8_t* dst = row.data();
        for (int x = 0; x < image.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        file.write(row.data(), row.size());
    }
}

// Writes head, the DIB header and the pixels, then tail, to a new file.
bool WriteWithDib(const QString& path, const RasterImage& image, const DibSize& size,
                  const LeBytes& head, const LeBytes& tail, QString* error)
{
    LeBytes info;
    AppendInfoHeader(info, image, size);
    AtomicFile file(path);
    if (!file.create(error))
        return false;
    file.write(head.data(), head.size());
    file.write(info.data(), info.size());
    WriteDibBits(file, image, size);
    file.write(tail.data(), tail.size());
    return file.commit(error);
}

bool FitsIn32Bits(std::uint64_t total, const QString& what, QString* error)
{
    if (total <= std::numeric_limits<std::uint32_t>::max())
        return true;
    SetError(error, QStringLiteral("The image is too large for a %1 file.").arg(what));
    return false;
}

// Hundredths of a millimetre covered by a number of pixels at a resolution.
int HundredthsOfMm(int pixels, int dpi)
{
    return static_cast<int>(std::lround(pixels * 2540.0 / (dpi > 0 ? dpi : 96)));
}

} // namespace

bool WriteBmpFile(const RasterImage& image, const QString& path, QString* error)
{
    if (!CheckRaster(image, error))
        return false;
    const DibSize size = MeasureDib(image);
    constexpr std::uint32_t headersSize = 14 + kInfoHeaderSize;
    const std::uint64_t total = headersSize + size.bitsBytes;
    if (!FitsIn32Bits(total, QStringLiteral("BMP"), error))
        return false;

    LeBytes head;
    head.put("BM", 2);
    head.u32(static_cast<std::uint32_t>(total));
    head.u32(0); // reserved
    head.u32(headersSize);
    return WriteWithDib(path, image, size, head, LeBytes(), error);
}

bool WriteEmfFile(const RasterImage& image, const QString& path, QString* error)
{
    if (!CheckRaster(image, error))
        return false;
    const DibSize size = MeasureDib(image);
    constexpr std::uint32_t headerSize = 108;   // EMR_HEADER with the extensions
    constexpr std::uint32_t stretchFixed = 80;  // EMR_STRETCHDIBITS before its DIB
    constexpr std::uint32_t eofSize = 20;
    const std::uint64_t stretchSize = stretchFixed + kInfoHeaderSize + size.bitsBytes;
    const std::uint64_t total = headerSize + stretchSize + eofSize;
    if (!FitsIn32Bits(total, QStringLiteral("EMF"), error))
        return false;

    const int w = image.width;
    const int h = image.height;
    const int dpiX = image.dpiX > 0 ? image.dpiX : 96;
    const int dpiY = image.dpiY > 0 ? image.dpiY : 96;
    // The reference device is the page itself: one logical unit is one
    // pixel, and its physical size follows from the resolution.
    const int umX = static_cast<int>(std::lround(w * 25400.0 / dpiX));
    const int umY = static_cast<int>(std::lround(h * 25400.0 / dpiY));

    LeBytes head;
    head.u32(1); // EMR_HEADER
    head.u32(headerSize);
    head.i32(0); head.i32(0); head.i32(w - 1); head.i32(h - 1); // bounds, inclusive
    head.i32(0); head.i32(0);                                     // frame, .01 mm, inclusive
    head.i32(std::max(0, HundredthsOfMm(w, dpiX) - 1));
    head.i32(std::max(0, HundredthsOfMm(h, dpiY) - 1));
    head.u32(0x464D4520); // " EMF"
    head.u32(0x00010000); // version
    head.u32(static_cast<std::uint32_t>(total));
    head.u32(3); // records
    head.u16(1); // handles: the reserved index 0
    head.u16(0);
    head.u32(0); // description length
    head.u32(0); // description offset
    head.u32(0); // palette entries
    head.i32(w); head.i32(h);                                             // device, pixels
    head.i32(std::max(1, (umX + 500) / 1000)); head.i32(std::max(1, (umY + 500) / 1000)); // device, mm
    head.u32(0); head.u32(0); head.u32(0); // no pixel format, no OpenGL
    head.i32(std::max(1, umX)); head.i32(std::max(1, umY)); // device, micrometres

    head.u32(81); // EMR_STRETCHDIBITS
    head.u32(static_cast<std::uint32_t>(stretchSize));
    head.i32(0); head.i32(0); head.i32(w - 1); head.i32(h - 1); // bounds
    head.i32(0); head.i32(0);                                     // destination x, y
    head.i32(0); head.i32(0); head.i32(w); head.i32(h);           // source rectangle
    head.u32(stretchFixed);                                       // DIB header offset
    head.u32(kInfoHeaderSize);
    head.u32(stretchFixed + kInfoHeaderSize);                     // pixels offset
    head.u32(static_cast<std::uint32_t>(size.bitsBytes));
    head.u32(0); // DIB_RGB_COLORS
    head.u32(kSrcCopy);
    head.i32(w); head.i32(h); // destination size

    LeBytes tail;
    tail.u32(14); // EMR_EOF
    tail.u32(eofSize);
    tail.u32(0);  // palette entries
    tail.u32(16); // palette offset
    tail.u32(eofSize);
    return WriteWithDib(path, image, size, head, tail, error);
}

bool WriteWmfFile(const RasterImage& image, const QString& path, QString* error)
{
    if (!CheckRaster(image, error))
        return false;
    // Coordinates in a WMF are 16-bit.
    if (image.width > 32767 || image.height > 32767) {
        SetError(error, QStringLiteral("The image is too large for a WMF file (%1 x %2 pixels; 32767 at most).")
                            .arg(image.width)
                            .arg(image.height));
        return false;
    }
    const DibSize size = MeasureDib(image);
    constexpr std::uint32_t headerSize = 18;
    constexpr std::uint32_t windowRecordSize = 10;
    constexpr std::uint32_t stretchFixed = 28;
    constexpr std::uint32_t eofSize = 6;
    const std::uint64_t stretchSize = stretchFixed + kInfoHeaderSize + size.bitsBytes;
    const std::uint64_t metaSize = headerSize + 2 * windowRecordSize + stretchSize + eofSize;
    // Sizes are counted in 16-bit words.
    if (!FitsIn32Bits(metaSize / 2, QStringLiteral("WMF"), error))
        return false;

    const int w = image.width;
    const int h = image.height;
    const int inch = image.dpiX > 0 && image.dpiX <= 0xFFFF ? image.dpiX : 96;
    // The placeable header has one resolution; a page with another one
    // across than down keeps its shape through a taller or shorter frame.
    const int dpiY = image.dpiY > 0 ? image.dpiY : inch;
    const int frameHeight = static_cast<int>(std::min<long>(32767, std::lround(double(h) * inch / dpiY)));

    LeBytes head;
    // Placeable header: the picture's size in logical units per inch.
    head.u32(0x9AC6CDD7);
    head.u16(0); // handle
    head.i16(0); head.i16(0); head.i16(w); head.i16(std::max(1, frameHeight));
    head.u16(static_cast<std::uint32_t>(inch));
    head.u32(0); // reserved
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        checksum ^= static_cast<std::uint16_t>(head.data()[i] | (head.data()[i + 1] << 8));
    head.u16(checksum);

    head.u16(1);      // on disk
    head.u16(headerSize / 2);
    head.u16(0x0300); // version
    head.u32(static_cast<std::uint32_t>(metaSize / 2));
    head.u16(0);      // objects
    head.u32(static_cast<std::uint32_t>(stretchSize / 2)); // largest record
    head.u16(0);

    head.u32(windowRecordSize / 2);
    head.u16(0x020B); // META_SETWINDOWORG: y, x
    head.i16(0); head.i16(0);
    head.u32(windowRecordSize / 2);
    head.u16(0x020C); // META_SETWINDOWEXT: height, width
    head.i16(h); head.i16(w);

    head.u32(static_cast<std::uint32_t>(stretchSize / 2));
    head.u16(0x0F43); // META_STRETCHDIB
    head.u32(kSrcCopy);
    head.u16(0);      // DIB_RGB_COLORS
    head.i16(h); head.i16(w); head.i16(0); head.i16(0); // source height, width, y, x
    head.i16(h); head.i16(w); head.i16(0); head.i16(0); // destination height, width, y, x

    LeBytes tail;
    tail.u32(eofSize / 2);
    tail.u16(0x0000); // META_EOF
    return WriteWithDib(path, image, size, head, tail, error);
}

bool ReadBmp24(const std::uint8_t* data, std::size_t size, RasterImage& image)
{
    auto u16 = [data](std::size_t at) { return std::uint32_t(data[at]) | (std::uint32_t(data[at + 1]) << 8); };
    auto u32 = [&u16](std::size_t at) { return u16(at) | (u16(at + 2) << 16); };
    if (size < 14 + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M')
        return false;
    const std::uint32_t bitsOffset = u32(10);
    const auto width = static_cast<std::int32_t>(u32(18));
    const auto height = static_cast<std::int32_t>(u32(22));
    if (u32(14) < kInfoHeaderSize || u16(26) != 1 || u16(28) != 24 || u32(30) != 0 || width <= 0 || height == 0
        || height == std::numeric_limits<std::int32_t>::min() || width > std::numeric_limits<int>::max() / 3)
        return false;
    RasterImage probe;
    probe.width = width;
    probe.height = height < 0 ? -height : height;
    const DibSize dib = MeasureDib(probe);
    if (bitsOffset < 14 + kInfoHeaderSize || bitsOffset > size || dib.bitsBytes > size - bitsOffset)
        return false;
    // Pixels per metre, as written; none given means the screen's 96 dpi.
    auto dpi = [](std::uint32_t ppm) { return ppm > 0 && ppm < 4000000 ? static_cast<int>(std::lround(ppm * 0.0254)) : 96; };
    probe.dpiX = dpi(u32(38));
    probe.dpiY = dpi(u32(42));
    probe.rgb.resize(static_cast<std::size_t>(probe.width) * static_cast<std::size_t>(probe.height) * 3u);
    const std::size_t rgbRow = static_cast<std::size_t>(probe.width) * 3u;
    for (int y = 0; y < probe.height; ++y) {
        const int stored = height > 0 ? probe.height - 1 - y : y; // positive height: bottom row first
        const std::uint8_t* src = data + bitsOffset + static_cast<std::size_t>(stored) * dib.rowBytes;
        std::uint8_t* dst = probe.rgb.data() + static_cast<std::size_t>(y) * rgbRow;
        for (int x = 0; x < probe.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    image = std::move(probe);
    return true;
}

} // namespace imagefile_detail
