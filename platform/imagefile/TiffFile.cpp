// TIFF through libtiff: new single- and multi-page files, written under a
// temporary name, and pages appended to an existing file in place.
#include "ImageFile.h"
#include "ImageFileInternal.h"

#include <QFile>
#include <QFileInfo>

#include <tiffio.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

using namespace imagefile_detail;

namespace {

// libtiff reports through callbacks; each open file keeps its own last
// message so that threads never mix them up.
int KeepTiffError(TIFF*, void* userData, const char* module, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto* sink = static_cast<QString*>(userData);
    *sink = module && *module ? QString::fromLocal8Bit(module) + QStringLiteral(": ") + QString::fromLocal8Bit(text)
                              : QString::fromLocal8Bit(text);
    return 1;
}

int IgnoreTiffWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

TIFF* OpenTiff(const QByteArray& path, const char* mode, QString* lastError)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepTiffError, lastError);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreTiffWarning, nullptr);
    TIFF* tif = TIFFOpenExt(path.constData(), mode, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

bool IsBilevel(int compression)
{
    return compression == TiffCompressionRle || compression == TiffCompressionCcitt3
           || compression == TiffCompressionCcitt4;
}

bool CheckCompression(int compression, QString* error)
{
    if (compression >= TiffCompressionNone && compression <= TiffCompressionCcitt4)
        return true;
    SetError(error, QStringLiteral("Unknown TIFF compression: %1").arg(compression));
    return false;
}

std::uint16_t TiffCompressionTag(int compression)
{
    switch (compression) {
    case TiffCompressionLzw: return COMPRESSION_LZW;
    case TiffCompressionRle: return COMPRESSION_PACKBITS;
    case TiffCompressionCcitt3: return COMPRESSION_CCITTFAX3;
    case TiffCompressionCcitt4: return COMPRESSION_CCITTFAX4;
    default: return COMPRESSION_NONE;
    }
}

QString TiffFailure(const QString& path, const QString& lastError)
{
    return lastError.isEmpty() ? QStringLiteral("Unable to write the TIFF file %1.").arg(path)
                               : QStringLiteral("Unable to write the TIFF file %1: %2").arg(path, lastError);
}

// Packs one RGB row into one bit per pixel, set for dark pixels.
void PackBilevelRow(const std::uint8_t* rgb, int width, std::uint8_t* out)
{
    std::memset(out, 0, static_cast<std::size_t>(width + 7) / 8);
    for (int x = 0; x < width; ++x, rgb += 3) {
        const int luma = (299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2]) / 1000;
        if (luma < 128)
            out[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
}

// Writes one page as a new directory of an open file.
bool WriteTiffPage(TIFF* tif, const RasterImage& page, int compression, const QString& path,
                   const QString& lastError, QString* error)
{
    const bool bilevel = IsBilevel(compression);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(page.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(page.height));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, bilevel ? 1 : 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bilevel ? 1 : 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, bilevel ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, TiffCompressionTag(compression));
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(page.dpiX > 0 ? page.dpiX : 96));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(page.dpiY > 0 ? page.dpiY : 96));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, static_cast<std::uint32_t>(-1)));

    // libtiff may change the row it is given while encoding, so each row is
    // copied out of the caller's raster first.
    const std::size_t rgbRow = static_cast<std::size_t>(page.width) * 3u;
    std::vector<std::uint8_t> row(bilevel ? (static_cast<std::size_t>(page.width) + 7) / 8 : rgbRow);
    for (int y = 0; y < page.height; ++y) {
        const std::uint8_t* src = page.rgb.data() + static_cast<std::size_t>(y) * rgbRow;
        if (bilevel)
            PackBilevelRow(src, page.width, row.data());
        else
            std::memcpy(row.data(), src, rgbRow);
        if (TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) < 0) {
            SetError(error, TiffFailure(path, lastError));
            return false;
        }
    }
    if (!TIFFWriteDirectory(tif)) {
        SetError(error, TiffFailure(path, lastError));
        return false;
    }
    return true;
}

bool HasTiffSignature(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArray("II*\0", 4) || head == QByteArray("MM\0*", 4)
           || head == QByteArray("II+\0", 4) || head == QByteArray("MM\0+", 4);
}

} // namespace

struct TiffPageWriter::State {
    QString path;
    std::unique_ptr<AtomicFile> file;
    TIFF* tif = nullptr;
    int compression = TiffCompressionNone;
    int pages = 0;
    QString lastError;

    // Every way a writer ends, a failed page or an empty commit included,
    // closes the handle before the temporary file goes.
    ~State() { close(); }

    void close()
    {
        if (tif) {
            TIFFClose(tif);
            tif = nullptr;
        }
    }
};

TiffPageWriter::TiffPageWriter() = default;

TiffPageWriter::~TiffPageWriter() = default;

bool TiffPageWriter::open(const QString& path, int compression, QString* error, bool bigTiff)
{
    d.reset();
    if (!CheckCompression(compression, error))
        return false;
    auto state = std::make_unique<State>();
    state->path = path;
    state->compression = compression;
    state->file = std::make_unique<AtomicFile>(path);
    if (!state->file->create(error))
        return false;
    state->file->closeStream();
    state->tif = OpenTiff(state->file->tempPath(), bigTiff ? "w8" : "w", &state->lastError);
    if (!state->tif) {
        SetError(error, TiffFailure(path, state->lastError));
        return false;
    }
    d = std::move(state);
    return true;
}

bool TiffPageWriter::addPage(const RasterImage& page, QString* error)
{
    if (!d || !d->tif) {
        SetError(error, QStringLiteral("The TIFF file is not open."));
        return false;
    }
    // A file missing a page must not be committed later: any failure ends it.
    if (!CheckRaster(page, error)
        || !WriteTiffPage(d->tif, page, d->compression, d->path, d->lastError, error)) {
        d.reset();
        return false;
    }
    ++d->pages;
    return true;
}

int TiffPageWriter::pageCount() const
{
    return d ? d->pages : 0;
}

bool TiffPageWriter::commit(QString* error)
{
    if (!d || !d->tif) {
        SetError(error, QStringLiteral("The TIFF file is not open."));
        return false;
    }
    if (d->pages == 0) {
        SetError(error, QStringLiteral("No pages were given for the TIFF file %1.").arg(d->path));
        d.reset();
        return false;
    }
    const bool flushed = TIFFFlush(d->tif) != 0;
    d->close();
    if (!flushed) {
        SetError(error, TiffFailure(d->path, d->lastError));
        d.reset();
        return false;
    }
    const bool ok = d->file->commit(error);
    d.reset();
    return ok;
}

bool SaveMultiPageTiff(const std::vector<RasterImage>& pages, const QString& path, int compression,
                       QString* error)
{
    // Classic TIFF offsets are 32-bit; leave room for headers and for
    // compression that makes data larger.
    std::uint64_t rawBytes = 0;
    for (const RasterImage& page : pages)
        rawBytes += page.rgb.size();
    const bool bigTiff = rawBytes > (std::uint64_t{3} << 30);

    TiffPageWriter writer;
    if (!writer.open(path, compression, error, bigTiff))
        return false;
    for (const RasterImage& page : pages) {
        if (!writer.addPage(page, error))
            return false;
    }
    return writer.commit(error);
}

bool AppendTiffPage(const RasterImage& page, const QString& path, int compression, QString* error)
{
    if (!CheckCompression(compression, error) || !CheckRaster(page, error))
        return false;
    if (!QFileInfo::exists(path))
        return WriteTiffFile(page, path, compression, error);
    // The page goes into a copy renamed over the file once complete: a
    // failure leaves the file as it was. The copy is made first, as it
    // refuses what is no regular file, which a read could wait on for ever
    // (a FIFO).
    AtomicFile copy(path);
    if (!copy.create(error))
        return false;
    if (!HasTiffSignature(path)) {
        SetError(error, QStringLiteral("%1 is not a TIFF file; no page was added.").arg(path));
        return false;
    }
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        SetError(error, TiffFailure(path, source.errorString()));
        return false;
    }
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
            SetError(error, TiffFailure(path, source.errorString()));
            return false;
        }
        copy.write(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    }
    if (std::fflush(copy.stream()) != 0 || std::ferror(copy.stream())) {
        SetError(error, TiffFailure(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    copy.closeStream();
    QString lastError;
    TIFF* tif = OpenTiff(copy.tempPath(), "a", &lastError);
    if (!tif) {
        SetError(error, TiffFailure(path, lastError));
        return false;
    }
    bool ok = WriteTiffPage(tif, page, compression, path, lastError, error);
    if (ok && !TIFFFlush(tif)) {
        SetError(error, TiffFailure(path, lastError));
        ok = false;
    }
    TIFFClose(tif);
    return ok && copy.commit(error);
}

namespace imagefile_detail {

bool WriteTiffFile(const RasterImage& image, const QString& path, int compression, QString* error)
{
    TiffPageWriter writer;
    return writer.open(path, compression, error) && writer.addPage(image, error)
           && writer.commit(error);
}

} // namespace imagefile_detail
