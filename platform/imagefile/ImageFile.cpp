// Saving by image type, and loading. ImageMagick writes GIF, JPEG 2000, PCX,
// Sun raster and Targa and reads what our own readers do not (through its
// module, MagickCodec.h); PNG, JPEG, TIFF, BMP and the metafiles have
// writers of their own.
#include "ImageFile.h"
#include "ImageFileInternal.h"
#include "MagickCodec.h"

#include "base/ProgramModule.h"

#include <QFile>

using namespace imagefile_detail;

extern "C" const void* tessaview_magick_module(const char* version) __attribute__((weak));

const MagickCodecTable* MagickCodec(QString& error)
{
    return ProgramModuleTable<MagickCodecTable>(tessaview_magick_module, "libtessaview_magick.so",
                                                "tessaview_magick_module", error);
}

namespace {

// Raster formats told apart by their leading bytes.
enum class Sniffed { Unknown, Bmp, Jpeg, Png, Gif, Tiff, J2k, Jp2, Sun, Pcx, Tga };

Sniffed SniffFormat(const std::uint8_t* p, std::size_t n)
{
    auto starts = [p, n](std::initializer_list<int> bytes) {
        if (n < bytes.size())
            return false;
        std::size_t i = 0;
        for (int b : bytes) {
            if (p[i++] != static_cast<std::uint8_t>(b))
                return false;
        }
        return true;
    };
    if (starts({'B', 'M'}))
        return Sniffed::Bmp;
    if (starts({0xFF, 0xD8, 0xFF}))
        return Sniffed::Jpeg;
    if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return Sniffed::Png;
    if (starts({'G', 'I', 'F', '8'}))
        return Sniffed::Gif;
    if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42}) || starts({'I', 'I', 43, 0})
        || starts({'M', 'M', 0, 43}))
        return Sniffed::Tiff;
    if (starts({0xFF, 0x4F, 0xFF, 0x51}))
        return Sniffed::J2k;
    if (starts({0, 0, 0, 0x0C, 'j', 'P', ' ', ' '}))
        return Sniffed::Jp2;
    if (starts({0x59, 0xA6, 0x6A, 0x95}))
        return Sniffed::Sun;
    if (n >= 128 && p[0] == 0x0A && p[1] <= 5 && p[1] != 1 && p[2] == 1
        && (p[3] == 1 || p[3] == 2 || p[3] == 4 || p[3] == 8))
        return Sniffed::Pcx;
    // Targa has no signature: accept only a plausible header.
    if (n >= 18 && p[1] <= 1 && (p[2] == 1 || p[2] == 2 || p[2] == 3 || p[2] == 9 || p[2] == 10 || p[2] == 11)
        && (p[16] == 8 || p[16] == 15 || p[16] == 16 || p[16] == 24 || p[16] == 32)
        && (p[12] | p[13]) != 0 && (p[14] | p[15]) != 0)
        return Sniffed::Tga;
    return Sniffed::Unknown;
}

const char* MagickReader(Sniffed format)
{
    switch (format) {
    case Sniffed::Bmp: return "BMP";
    case Sniffed::Jpeg: return "JPEG";
    case Sniffed::Png: return "PNG";
    case Sniffed::Gif: return "GIF";
    case Sniffed::Tiff: return "TIFF";
    case Sniffed::J2k: return "J2K";
    case Sniffed::Jp2: return "JP2";
    case Sniffed::Sun: return "SUN";
    case Sniffed::Pcx: return "PCX";
    case Sniffed::Tga: return "TGA";
    case Sniffed::Unknown: break;
    }
    return nullptr;
}

// What ImageMagick writes for a type, and the bytes the result must begin
// with: for a format it cannot write it quietly writes another one.
struct MagickWriter {
    const char* magick;
    Sniffed expected;
};

bool SaveWithMagick(const RasterImage& image, const QString& path, MagickWriter writer, QString* error)
{
    QString reason;
    const MagickCodecTable* codec = MagickCodec(reason);
    if (!codec) {
        SetError(error, QStringLiteral("Unable to save %1 as %2: %3").arg(path, QLatin1String(writer.magick), reason));
        return false;
    }
    AtomicFile file(path);
    if (!file.create(error))
        return false;
    std::vector<std::uint8_t> bytes;
    if (!codec->encode(image, writer.magick, path, bytes, reason)) {
        SetError(error, reason);
        return false;
    }
    if (SniffFormat(bytes.data(), bytes.size()) != writer.expected) {
        SetError(error, QStringLiteral("Unable to save %1 as %2: the encoder produced other data.")
                            .arg(path, QLatin1String(writer.magick)));
        return false;
    }
    file.write(bytes.data(), bytes.size());
    return file.commit(error);
}

int JpegQuality(int quality)
{
    return quality >= 1 && quality <= 100 ? quality : 100;
}

bool ReadWholeFile(const QString& path, QByteArray& bytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("Unable to open the image file %1: %2").arg(path, file.errorString()));
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        SetError(error, QStringLiteral("Unable to read the image file %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (bytes.isEmpty()) {
        SetError(error, QStringLiteral("The image file %1 is empty.").arg(path));
        return false;
    }
    return true;
}

} // namespace

bool SaveRasterImage(const RasterImage& image, const QString& path, int imageType, int jpegQuality,
                     QString* error)
{
    if (imageType < ImageTypeJpeg || imageType > ImageTypeWmf) {
        SetError(error, QStringLiteral("Unknown image type: %1").arg(imageType));
        return false;
    }
    if (!CheckRaster(image, error))
        return false;
    switch (imageType) {
    case ImageTypeJpeg:
        return WriteJpegFile(image, path, JpegQuality(jpegQuality), error);
    case ImageTypeBmp:
        return WriteBmpFile(image, path, error);
    case ImageTypeTiff:
        return WriteTiffFile(image, path, TiffCompressionNone, error);
    case ImageTypeGif:
        return SaveWithMagick(image, path, {"GIF", Sniffed::Gif}, error);
    case ImageTypeEmf:
        return WriteEmfFile(image, path, error);
    case ImageTypeJ2k:
        return SaveWithMagick(image, path, {"J2K", Sniffed::J2k}, error);
    case ImageTypePcx:
        return SaveWithMagick(image, path, {"PCX", Sniffed::Pcx}, error);
    case ImageTypePng:
        return WritePngFile(image, path, error);
    case ImageTypeRas:
        return SaveWithMagick(image, path, {"SUN", Sniffed::Sun}, error);
    case ImageTypeTga:
        return SaveWithMagick(image, path, {"TGA", Sniffed::Tga}, error);
    default:
        return WriteWmfFile(image, path, error);
    }
}

bool LoadRasterImage(const QString& path, RasterImage& image, QString* error)
{
    QByteArray buffer;
    if (!ReadWholeFile(path, buffer, error))
        return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer.constData());
    const std::size_t size = static_cast<std::size_t>(buffer.size());
    const Sniffed format = SniffFormat(bytes, size);
    // The rasteriser's own page files need no trip through ImageMagick.
    if (format == Sniffed::Bmp && ReadBmp24(bytes, size, image))
        return true;
    if (format == Sniffed::Unknown) {
        SetError(error, QStringLiteral("The file %1 is not an image of a known type.").arg(path));
        return false;
    }
    QString reason;
    const MagickCodecTable* codec = MagickCodec(reason);
    if (!codec) {
        SetError(error, QStringLiteral("Unable to load the image file %1: %2").arg(path, reason));
        return false;
    }
    if (!codec->decode(bytes, size, MagickReader(format), path, image, reason)) {
        SetError(error, reason);
        return false;
    }
    return true;
}
